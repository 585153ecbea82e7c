#include "sprites/SpriteCache.h"

#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "sprites/SpriteFiles.h"
#include "sprites/wlojmajmp.h"

namespace pelto {

TSpriteCache::TSpriteCache(std::size_t MaxBytes, std::shared_ptr<const TSpriteFiles> Files)
    : FSprites(MaxBytes), FFiles(std::move(Files)) {}

TSpriteCache::~TSpriteCache() = default;

bool TSpriteCache::Load(TJmaJmp& Sprite, const std::string& JmaPath,
                        const std::string& JmpName) const {
    // Sprite names are compared ignoring case, as the catalogue does.
    const std::string Key = JmaPath + '\0' + UpperCase(JmpName);
    if (const auto Cached = FSprites.Find(Key)) {
        Sprite.ShareFrom(*Cached);
        return true;
    }
    const TSpriteFiles::TSprites* Held = FFiles ? FFiles->Find(JmaPath) : nullptr;
    if (FFiles ? !Held : !FileExists(JmaPath))
        return false;
    // Decoded outside any lock, so that other threads keep drawing meanwhile; two threads
    // missing the same sprite both decode it and the later copy is kept.
    auto Loaded = std::make_shared<TJmaJmp>();
    if (Held) {
        TSpanStream Archive(Held->Archive);
        TSpanStream Index(Held->Index);
        WithFileName(JmaPath, [&] { Loaded->LoadFromStreams(Archive, Index, JmpName); });
    } else {
        Loaded->LoadFromFile(JmaPath, JmpName);
    }
    Sprite.ShareFrom(*Loaded);
    const std::size_t Bytes = Loaded->DataBytes();
    FSprites.Insert(Key, std::move(Loaded), Bytes);
    return true;
}

} // namespace pelto
