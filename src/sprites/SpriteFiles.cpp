#include "sprites/SpriteFiles.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "sprites/wlojmajmp.h"

#include <set>

namespace pelto {
namespace {

std::vector<std::uint8_t> ReadWhole(const std::string& Path) {
    if (!FileExists(Path))
        throw MissingSpriteFile(Path);
    return WithFileName(Path, [&] { return ReadFileBytes(Path); });
}

} // namespace

TSpriteFiles::TSpriteFiles(const TJmaList& List) {
    std::set<std::string> Archives;
    for (int I = 0; I < List.Count(); ++I) {
        const std::string& Line = List.Line(I);
        Archives.insert(List.Folder() + Line.substr(Line.find('=') + 1));
    }
    for (const std::string& Archive : Archives) {
        TSprites Sprites{ReadWhole(Archive), ReadWhole(ChangeFileExt(Archive, ".jxa"))};
        FBytes += Sprites.Archive.size() + Sprites.Index.size();
        FFiles.emplace(Archive, std::move(Sprites));
    }
}

const TSpriteFiles::TSprites* TSpriteFiles::Find(const std::string& JmaPath) const {
    const auto Found = FFiles.find(JmaPath);
    return Found == FFiles.end() ? nullptr : &Found->second;
}

} // namespace pelto
