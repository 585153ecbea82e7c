#pragma once

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pelto {

/// An error whose message is meant for the user, worded as the program words it. The file it
/// came from, when known, is kept apart from the message, so that each front end places it as
/// it likes and the message stays word for word.
class EWloError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    /// The message alone, the same as what().
    std::string_view Message() const { return what(); }
    /// The file the error came from, or the empty string when no file is known.
    const std::string& FileName() const { return FFileName ? *FFileName : NoFileName(); }
    void SetFileName(const std::string& FileName) {
        FFileName = std::make_shared<const std::string>(FileName);
    }

private:
    static const std::string& NoFileName() {
        static const std::string Empty;
        return Empty;
    }
    // Shared, so that copying the exception cannot throw.
    std::shared_ptr<const std::string> FFileName;
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

/// The path of a game file as it is on the disk, whatever letter case the program asked for it
/// in (see Paths.h).
std::string ResolvePath(const std::string& Path);

/// Runs Read and returns what it returns. An EWloError it raises that names no file yet leaves
/// naming Path as it is on the disk, with its type and message unchanged: readers say what went
/// wrong, the one place that opened the file says which file.
template <class F> decltype(auto) WithFileName(const std::string& Path, F&& Read) {
    try {
        return std::forward<F>(Read)();
    } catch (EWloError& Error) {
        if (Error.FileName().empty())
            Error.SetFileName(ResolvePath(Path));
        throw;
    }
}

/// Error's message for the user, then Separator and the file it came from when one is known
/// ("\n" for a message box, ": " for a line of the command line). A message that already quotes
/// the whole path is not followed by it again.
inline std::string ErrorText(const std::exception& Error, std::string_view Separator) {
    std::string Text = Error.what();
    const auto* Own = dynamic_cast<const EWloError*>(&Error);
    if (Own && !Own->FileName().empty() && Text.find(Own->FileName()) == std::string::npos) {
        Text += Separator;
        Text += Own->FileName();
    }
    return Text;
}

} // namespace pelto
