#include "demo/DemoInstallation.h"

#include "demo/DemoInstallationParts.h"
#include "game/GameFacts.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "sprites/wlojmajmp.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace pelto {

namespace demo {

std::uint32_t TDemoRandom::Next() {
    FState ^= FState >> 12;
    FState ^= FState << 25;
    FState ^= FState >> 27;
    return static_cast<std::uint32_t>((FState * 0x2545F4914F6CDD1Dull) >> 32);
}

int TDemoRandom::Range(int Lo, int Hi) {
    const auto Span = static_cast<std::uint32_t>(Hi - Lo + 1);
    return Lo + static_cast<int>(Next() % Span);
}

void PutColor(TJmaPalette& Palette, int Index, TRgb Color) {
    Palette[static_cast<std::size_t>(Index)] = {Color.B, Color.G, Color.R, 0};
}

void PutRamp(TJmaPalette& Palette, int First, TRgb Mid) {
    // Highlights lean warm and shadows cool, as hand-shaded pixel art does.
    for (int I = 0; I < 16; ++I) {
        const float Step = static_cast<float>(6 - I);
        const float Factor = 1 + Step * 0.07f;
        auto Channel = [&](std::uint8_t V, float Shift) {
            const float C = static_cast<float>(V) * Factor + Step * Shift;
            return static_cast<std::uint8_t>(std::clamp(std::lround(C), 24l, 232l));
        };
        PutColor(Palette, First + I,
                 {Channel(Mid.R, 2.5f), Channel(Mid.G, 1.5f), Channel(Mid.B, -0.5f)});
    }
}

} // namespace demo

void WriteDemoInstallation(const std::string& Folder, TDemoScale Scale) {
    const std::string Root = IncludeTrailingPathDelimiter(Folder);
    // Names in the letter case a Windows installation shows them; the readers ignore case.
    const std::string Jma = Root + std::string(JmaFolderName);
    const std::string Skin = Root + std::string(SkinFolderName);
    const std::string ItemTable = Root + std::string(ItemTableFileName);
    const std::string ItemIcons = Root + std::string(ItemIconFileName);
    CreateFolders(Folder); // first, so that a failure names the folder as it was given
    for (const std::string& Dir :
         {Jma, ExtractFilePath(ItemTable), ExtractFilePath(ItemIcons), Skin})
        CreateFolders(Dir);

    demo::WriteItemTable(ItemTable, Scale);
    demo::WriteItemIcons(ItemIcons, Scale);
    demo::WriteSkinPictures(Skin);
    demo::WriteSpriteArchives(Jma, Scale);
}

} // namespace pelto
