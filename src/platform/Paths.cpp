#include "platform/Paths.h"

#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

namespace pelto {
namespace {

bool Exists(const std::string& Path) {
    struct stat St {};
    return ::stat(Path.c_str(), &St) == 0;
}

// The entry of Folder equal to Name ignoring case; the smallest such name when there are
// several, so the choice does not depend on the file system's enumeration order.
std::optional<std::string> FindIgnoringCase(const std::string& Folder, std::string_view Name) {
    TOpenFolder Dir(::opendir(Folder.empty() ? "." : Folder.c_str()));
    if (!Dir)
        return std::nullopt;
    std::optional<std::string> Found;
    while (const dirent* Entry = ::readdir(Dir.get())) {
        const std::string_view EntryName = Entry->d_name;
        if (SameText(EntryName, Name) && (!Found || EntryName < *Found))
            Found = std::string(EntryName);
    }
    return Found;
}

} // namespace

std::string ResolvePath(const std::string& Path) {
    if (Path.empty() || Exists(Path))
        return Path;
    std::string Result;
    std::size_t Start = 0;
    if (Path[0] == PathDelim) {
        Result = "/";
        Start = 1;
    }
    while (Start <= Path.size()) {
        std::size_t End = Path.find(PathDelim, Start);
        if (End == std::string::npos)
            End = Path.size();
        const std::string_view Component(Path.data() + Start, End - Start);
        const bool Last = End == Path.size();
        if (!Component.empty()) {
            std::string Candidate = Result + std::string(Component);
            if (Component != "." && Component != ".." && !Exists(Candidate)) {
                const auto Found = FindIgnoringCase(Result, Component);
                if (!Found)
                    return Result + Path.substr(Start); // nothing to match: keep the rest
                Candidate = Result + *Found;
            }
            Result = std::move(Candidate);
        }
        if (!Last)
            Result += PathDelim;
        Start = End + 1;
    }
    return Result;
}

bool FileExists(const std::string& Path) {
    struct stat St {};
    return ::stat(ResolvePath(Path).c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

bool DirectoryExists(const std::string& Path) {
    struct stat St {};
    return !Path.empty() && ::stat(ResolvePath(Path).c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

std::string ExtractFileName(std::string_view Path) {
    const std::size_t Slash = Path.rfind(PathDelim);
    return std::string(Slash == std::string_view::npos ? Path : Path.substr(Slash + 1));
}

std::string ExtractFilePath(std::string_view Path) {
    const std::size_t Slash = Path.rfind(PathDelim);
    return Slash == std::string_view::npos ? std::string() : std::string(Path.substr(0, Slash + 1));
}

namespace {
// Where the extension of Path's file name starts, or Path.size() when it has none.
std::size_t ExtensionStart(std::string_view Path) {
    const std::size_t Slash = Path.rfind(PathDelim);
    const std::size_t NameStart = Slash == std::string_view::npos ? 0 : Slash + 1;
    const std::size_t Dot = Path.rfind('.');
    return (Dot == std::string_view::npos || Dot < NameStart) ? Path.size() : Dot;
}
} // namespace

std::string ExtractFileExt(std::string_view Path) {
    return std::string(Path.substr(ExtensionStart(Path)));
}

std::string ChangeFileExt(std::string_view Path, std::string_view Ext) {
    return std::string(Path.substr(0, ExtensionStart(Path))) + std::string(Ext);
}

std::string IncludeTrailingPathDelimiter(std::string_view Path) {
    std::string Result(Path);
    if (Result.empty() || Result.back() != PathDelim)
        Result += PathDelim;
    return Result;
}

void CreateFolders(const std::string& Dir) {
    std::error_code Error;
    std::filesystem::create_directories(Dir, Error);
    if (Error)
        throw EWloError(
            Format("Cannot create folder \"%s\": %s", Dir.c_str(), Error.message().c_str()));
}

} // namespace pelto
