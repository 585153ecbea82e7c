#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace pelto::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    /// The folder's path with a trailing '/'.
    std::string Path() const { return FPath.string() + "/"; }
    /// Path() + Name, nothing created.
    std::string File(const std::string& Name) const { return Path() + Name; }
    std::string operator/(const std::string& Name) const { return File(Name); }
    /// Path() + Relative, creating the folders on the way.
    std::string Make(const std::string& Relative) const;
    /// Writes Bytes to Path() + Relative, creating the folders on the way; returns the path.
    std::string Write(const std::string& Relative, std::span<const std::uint8_t> Bytes) const;
    std::string Write(const std::string& Relative, const std::string& Text) const;

private:
    std::filesystem::path FPath;
};

/// The whole of File as text; empty when it cannot be read.
std::string ReadText(const std::string& File);

/// The names of the entries of Folder, sorted.
std::vector<std::string> Entries(const std::string& Folder);

} // namespace pelto::test
