#pragma once

#include <dirent.h>

#include <memory>

#include <string>
#include <string_view>

namespace pelto {

/// Game folders are joined with this delimiter by plain concatenation.
inline constexpr char PathDelim = '/';

/// Game installations come from Windows, so a name the program asks for ("Item.Dat") may be
/// stored in another letter case ("item.dat", "ITEM.DAT"). Returns the path with every
/// component that does not exist as written replaced by an existing entry of the same name
/// ignoring case; components that match nothing are kept as written.
std::string ResolvePath(const std::string& Path);

bool FileExists(const std::string& Path);      // an existing entry that is not a folder
bool DirectoryExists(const std::string& Path); // an existing folder

std::string ExtractFileName(std::string_view Path);
std::string ExtractFilePath(std::string_view Path); // with its trailing delimiter
/// The extension: from the last '.' of the file name on, or empty.
std::string ExtractFileExt(std::string_view Path);
/// Replaces the extension (from the last '.' of the file name on) or appends Ext.
std::string ChangeFileExt(std::string_view Path, std::string_view Ext);
std::string IncludeTrailingPathDelimiter(std::string_view Path);
/// Creates Dir with its parents; raises EWloError "Cannot create folder ..." naming it and why.
void CreateFolders(const std::string& Dir);

/// A folder open for reading its entries, closed when it goes.
struct TFolderCloser {
    void operator()(DIR* Folder) const { ::closedir(Folder); }
};
using TOpenFolder = std::unique_ptr<DIR, TFolderCloser>;

} // namespace pelto
