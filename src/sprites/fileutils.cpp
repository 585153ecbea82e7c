#include "sprites/fileutils.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace pelto {
namespace {

bool NameLess(const TSearchRec& A, const TSearchRec& B) {
    const int Order = CompareText(A.Name, B.Name);
    // Names equal but for case cannot share a folder on Windows; raw bytes keep the order
    // total here.
    return Order != 0 ? Order < 0 : A.Name < B.Name;
}

// Matching files of Folder, read completely so the folder handle is closed before any
// caller code runs.
std::vector<TSearchRec> ListFiles(const std::string& Folder, const std::string& Mask) {
    std::vector<TSearchRec> Found;
    const TOpenFolder Dir(::opendir(Folder.c_str()));
    if (!Dir)
        return Found;
    while (const dirent* Entry = ::readdir(Dir.get())) {
        const std::string Name = Entry->d_name;
        if (Name == "." || Name == ".." || !MatchesMask(Name, Mask))
            continue;
        const std::string Path = Folder + Name;
        struct stat Link {};
        struct stat Target {};
        // A dangling link or a vanished entry is not a file that can be read.
        if (::lstat(Path.c_str(), &Link) != 0 || ::stat(Path.c_str(), &Target) != 0)
            continue;
        if (S_ISDIR(Target.st_mode))
            continue;
        TSearchRec Rec;
        Rec.Name = Name;
        Rec.Size = static_cast<std::int64_t>(Target.st_size);
        Rec.Time = Target.st_mtime;
        Rec.Attr = S_ISREG(Target.st_mode) ? faArchive : 0;
        if (S_ISLNK(Link.st_mode))
            Rec.Attr |= faSymLink;
        if (Name[0] == '.')
            Rec.Attr |= faHidden;
        if ((Target.st_mode & S_IWUSR) == 0)
            Rec.Attr |= faReadOnly;
        Found.push_back(std::move(Rec));
    }
    std::sort(Found.begin(), Found.end(), NameLess);
    return Found;
}

} // namespace

void TFindFile::Search(const std::string& Folder, const std::string& Mask,
                       const TFoundFileEvent& OnFound) {
    if (!DirectoryExists(Folder))
        return;
    const std::vector<TSearchRec> Files =
        ListFiles(IncludeTrailingPathDelimiter(ResolvePath(Folder)), Mask);
    bool Continue = true;
    for (const TSearchRec& Rec : Files) {
        if (OnFound)
            OnFound(Rec, Continue);
        if (!Continue)
            break;
    }
}

} // namespace pelto
