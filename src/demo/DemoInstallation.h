#pragma once

#include <string>

namespace pelto {

enum class TDemoScale {
    Small, // the characters, a few items per slot and the skin: enough to try the viewer
    Full,  // the same plus filler up to a real installation's size, for benchmarks
};

/// Writes a complete synthetic game installation into Folder (created with its parents):
/// sprite archives with their animation indexes in jma/, data/Item.Dat, pic/item.BMg and the
/// skin pictures in menu/Skins/default/. Every run writes the same bytes.
void WriteDemoInstallation(const std::string& Folder, TDemoScale Scale);

} // namespace pelto
