#include "sprites/SpriteFiles.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "sprites/wlojmajmp.h"

#include <map>
#include <vector>

namespace pelto {
namespace {

std::vector<std::uint8_t> ReadWhole(const std::string& Path) {
    if (!FileExists(Path))
        throw MissingSpriteFile(Path);
    return WithFileName(Path, [&] { return ReadFileBytes(Path); });
}

} // namespace

TSpriteFiles::TSpriteFiles(const TJmaList& List) {
    std::map<std::string, std::vector<std::string>> Archives; // each with its sprites' names
    for (int I = 0; I < List.Count(); ++I) {
        const std::string& Line = List.Line(I);
        const std::size_t Equals = Line.find('=');
        Archives[List.Folder() + Line.substr(Equals + 1)].push_back(Line.substr(0, Equals));
    }
    for (const auto& Entry : Archives) {
        const std::string& Archive = Entry.first;
        const std::vector<std::string>& Names = Entry.second;
        TSprites Sprites{ReadWhole(Archive), ReadWhole(ChangeFileExt(Archive, ".jxa"))};
        // Every sprite is read once from the bytes held, so that a damaged or half-copied
        // archive is refused now, naming it, rather than when a picture first needs it.
        WithFileName(Archive, [&] {
            for (const std::string& Name : Names) {
                TSpanStream Archived(Sprites.Archive);
                TSpanStream Index(Sprites.Index);
                TJmaJmp().LoadFromStreams(Archived, Index, Name);
            }
        });
        FBytes += Sprites.Archive.size() + Sprites.Index.size();
        FFiles.emplace(Archive, std::move(Sprites));
    }
}

const TSpriteFiles::TSprites* TSpriteFiles::Find(const std::string& JmaPath) const {
    const auto Found = FFiles.find(JmaPath);
    return Found == FFiles.end() ? nullptr : &Found->second;
}

} // namespace pelto
