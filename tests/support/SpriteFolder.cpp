#include "support/SpriteFolder.h"

namespace pelto::test {

TJmaPalette DistinctPalette() {
    TJmaPalette Palette{};
    for (int I = 0; I < 256; ++I)
        Palette[static_cast<std::size_t>(I)] = {static_cast<std::uint8_t>(255 - I),
                                                static_cast<std::uint8_t>(I / 2 + 60),
                                                static_cast<std::uint8_t>(I), 0};
    return Palette;
}

TJmaWriterSprite BlockSprite(const std::string& Name, std::uint8_t Index, int X, int Y, int W,
                             int H, const std::vector<std::uint8_t>& FrameCounts, int CanvasSize) {
    TJmaWriterSprite Sprite;
    Sprite.Name = Name;
    Sprite.Palette = DistinctPalette();
    Sprite.FrameCounts = FrameCounts;
    for (std::size_t Action = 0; Action < FrameCounts.size(); ++Action) {
        for (int Number = 1; Number <= FrameCounts[Action]; ++Number) {
            TJmaWriterFrame Frame;
            Frame.Action = static_cast<int>(Action);
            Frame.Number = Number;
            Frame.CanvasWidth = Frame.CanvasHeight = static_cast<std::uint16_t>(CanvasSize);
            Frame.X = static_cast<std::uint16_t>(X);
            Frame.Y = static_cast<std::uint16_t>(Y);
            Frame.Width = static_cast<std::uint32_t>(W);
            Frame.Height = static_cast<std::uint32_t>(H);
            Frame.Pixels.assign(static_cast<std::size_t>(W * H), Index);
            Sprite.Frames.push_back(std::move(Frame));
        }
    }
    return Sprite;
}

std::vector<std::uint8_t> StandardFrameCounts() {
    std::vector<std::uint8_t> Counts(74, 2);
    Counts[12] = 3;
    Counts[8] = 1;
    return Counts;
}

} // namespace pelto::test
