#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace pelto {

// Attribute bits of TSearchRec::Attr, valued as Windows reports them.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faSymLink = 0x400;

/// One entry of a directory enumeration.
struct TSearchRec {
    std::string Name; // file name without folder, as stored on disk
    std::int64_t Size = 0;
    int Attr = 0;
    std::time_t Time = 0; // last modification
};

/// Called once per file found; clearing Continue ends the search.
using TFoundFileEvent = std::function<void(const TSearchRec& SearchRec, bool& Continue)>;

class TFindFile {
public:
    TFindFile() = delete;

    /// Reports every file (never a folder) of Folder whose name matches Mask, without
    /// descending into subfolders. Folder and Mask are matched ignoring letter case; a
    /// missing folder reports nothing. Files come in name order ignoring case, the order
    /// Windows enumerates them in, so that "found first" does not depend on the file system.
    static void Search(const std::string& Folder, const std::string& Mask,
                       const TFoundFileEvent& OnFound);
};

} // namespace pelto
