#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pelto {

/// Whose fault an error is. Every error type says it once; the command line maps it to an exit
/// status and the service to a status code, each in one place.
enum class TFault {
    Usage,    // asked in a way the program does not take: an unknown or malformed option
    Asker,    // asked well, for what cannot be: a text that is no code, an edit refused
    Busy,     // could be done, not now
    Internal, // the program's or its surroundings': a damaged game file, a failing disk
};

/// An error whose message is meant for the user, worded as the program words it. The file it
/// came from, when known, is kept apart from the message, so that each front end places it as
/// it likes and the message stays word for word.
class EWloError : public std::runtime_error {
public:
    explicit EWloError(const std::string& Message, TFault Fault = TFault::Internal)
        : std::runtime_error(Message), FFault(Fault) {}
    TFault Fault() const { return FFault; }

    /// The message alone, the same as what().
    std::string_view Message() const { return what(); }
    /// The file the error came from, or the empty string when no file is known.
    const std::string& FileName() const { return FFileName ? *FFileName : Empty(); }
    void SetFileName(const std::string& FileName) {
        FFileName = std::make_shared<const std::string>(FileName);
    }
    /// Where in the file it went wrong, in technical terms, or the empty string.
    const std::string& Detail() const { return FDetail ? *FDetail : Empty(); }
    void SetDetail(const std::string& Detail) {
        FDetail = std::make_shared<const std::string>(Detail);
    }

private:
    static const std::string& Empty() {
        static const std::string None;
        return None;
    }
    // Shared, so that copying the exception cannot throw.
    std::shared_ptr<const std::string> FFileName;
    std::shared_ptr<const std::string> FDetail;
    TFault FFault;
};

/// Error's fault: its own, or Internal for an error of another kind.
inline TFault FaultOf(const std::exception& Error) {
    const auto* Own = dynamic_cast<const EWloError*>(&Error);
    return Own ? Own->Fault() : TFault::Internal;
}

/// A request asked for in a way the program does not take: the asker's fault, worded in the
/// names of the front end that was asked.
class ERequestError : public EWloError {
public:
    explicit ERequestError(const std::string& Message) : EWloError(Message, TFault::Usage) {}
};

/// A stream could not deliver the bytes a reader asked for (a short or malformed file).
class EReadError : public EWloError {
public:
    EReadError() : EWloError("Stream read error") {}
    explicit EReadError(const std::string& Message) : EWloError(Message) {}
    /// The same message, for Count bytes wanted at Offset of a file of Size bytes (negative:
    /// not known), which its detail says.
    EReadError(std::uint64_t Count, std::int64_t Offset, std::int64_t Size) : EReadError() {
        std::string Where = "read of " + std::to_string(Count) + (Count == 1 ? " byte" : " bytes") +
                            " at offset " + std::to_string(Offset);
        if (Size >= 0)
            Where += ", file has " + std::to_string(Size) + (Size == 1 ? " byte" : " bytes");
        SetDetail(Where);
    }
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
/// ("\n" for a message box, ": " for a line of the command line). Its detail follows on a line
/// of its own after "\n", in brackets after the message otherwise, so that a line still ends
/// with the file. A message that already quotes the whole path is not followed by it again.
inline std::string ErrorText(const std::exception& Error, std::string_view Separator) {
    std::string Text = Error.what();
    const auto* Own = dynamic_cast<const EWloError*>(&Error);
    if (!Own)
        return Text;
    const bool Lines = Separator == "\n";
    if (!Lines && !Own->Detail().empty())
        Text += " (" + Own->Detail() + ")";
    if (!Own->FileName().empty() && Text.find(Own->FileName()) == std::string::npos) {
        Text += Separator;
        Text += Own->FileName();
    }
    if (Lines && !Own->Detail().empty())
        Text += "\n" + Own->Detail();
    return Text;
}

} // namespace pelto
