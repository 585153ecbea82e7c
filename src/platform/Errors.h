#pragma once

#include <stdexcept>
#include <string>

namespace pelto {

/// An error whose message is meant for the user, worded as the program words it.
class EWloError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A stream could not deliver the bytes a reader asked for (a short or malformed file).
class EReadError : public EWloError {
public:
    EReadError() : EWloError("Stream read error") {}
    explicit EReadError(const std::string& Message) : EWloError(Message) {}
};

/// A stream could not write everything it was given.
class EWriteError : public EWloError {
public:
    using EWloError::EWloError;
};

/// A file could not be opened or created.
class EFOpenError : public EWloError {
public:
    using EWloError::EWloError;
};

} // namespace pelto
