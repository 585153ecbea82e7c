#include "demo/DemoInstallationFigure.h"

#include "demo/DemoInstallation.h"
#include "demo/DemoInstallationParts.h"
#include "demo/DemoInstallationRaster.h"
#include "platform/Format.h"
#include "platform/OrderedWork.h"
#include "sprites/wlojmajmp.h"
#include "writers/ItemTableWriter.h"
#include "writers/JmaWriter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pelto::demo {
namespace {

constexpr int ActionCount = 74;

// One frame of the body: its pose, the posed figure and the body as shapes that only hide
// what lies behind it. Heads and items of a body group are all drawn over the same frames.
struct TBodyFrame {
    int Action;
    int No;
    TFigurePose Pose;
    TFigure Figure;
    TScene Body;
};

std::vector<TBodyFrame> BodyFrames(int Group, int Canvas) {
    // On a 256 canvas the view's origin sits at (64, 60), as the compositor centres it.
    const TPt Origin = Canvas == 256 ? TPt{128, 160} : TPt{64, 100};
    const std::vector<std::uint8_t> Counts = ActionFrameCounts();
    std::vector<TBodyFrame> Frames;
    for (int Action = 0; Action < ActionCount; ++Action)
        for (int No = 1; No <= Counts[static_cast<std::size_t>(Action)]; ++No) {
            const TFigurePose Pose = PoseOf(Group, Action, No);
            TBodyFrame& F =
                Frames.emplace_back(TBodyFrame{Action, No, Pose, TFigure(Group, Pose, Origin), {}});
            F.Body.Prims.reserve(64);
            F.Body.Decals.reserve(32);
            AddBody(F.Body, F.Figure, false);
        }
    return Frames;
}

const std::vector<TBodyFrame>& CachedBodyFrames(int Group, int Canvas) {
    static const std::array<std::vector<TBodyFrame>, 8> Cache = [] {
        std::array<std::vector<TBodyFrame>, 8> All;
        for (int G = 0; G < 4; ++G) {
            All[static_cast<std::size_t>(G)] = BodyFrames(G, 128);
            All[static_cast<std::size_t>(G + 4)] = BodyFrames(G, 256);
        }
        return All;
    }();
    return Cache[static_cast<std::size_t>(Group + (Canvas == 256 ? 4 : 0))];
}

// Paints one sprite's frames: every action of the body, each frame from its pose. Frames of
// an action whose pose repeats (a held breath) share their picture.
template <typename TPaint>
TJmaWriterSprite MakeSprite(int SpriteNo, const TJmaPalette& Palette, int Group, int Canvas,
                            TPaint Paint) {
    TJmaWriterSprite Sprite;
    Sprite.Name = JmpFileName(SpriteNo);
    Sprite.Palette = Palette;
    Sprite.FrameCounts = ActionFrameCounts();
    TRaster Raster(Canvas);
    std::vector<std::pair<const TFigurePose*, TIndexedPicture>> Done;
    for (const TBodyFrame& Frame : CachedBodyFrames(Group, Canvas)) {
        if (Frame.No == 1)
            Done.clear();
        const TIndexedPicture* Picture = nullptr;
        for (const auto& [Seen, Drawn] : Done)
            if (*Seen == Frame.Pose)
                Picture = &Drawn;
        if (!Picture) {
            TScene Scene;
            THeadContext Context;
            Paint(Scene, Frame, Context);
            Done.emplace_back(&Frame.Pose, Raster.Render(Scene));
            Picture = &Done.back().second;
        }
        TJmaWriterFrame Out;
        Out.Action = Frame.Action;
        Out.Number = Frame.No;
        Out.CanvasWidth = Out.CanvasHeight = static_cast<std::uint16_t>(Canvas);
        Out.X = static_cast<std::uint16_t>(Picture->X);
        Out.Y = static_cast<std::uint16_t>(Picture->Y);
        Out.Width = static_cast<std::uint32_t>(Picture->Width);
        Out.Height = static_cast<std::uint32_t>(Picture->Height);
        Out.Pixels = Picture->Pixels;
        Sprite.Frames.push_back(std::move(Out));
    }
    return Sprite;
}

// Runs Make(0..Count-1) on two threads; each result lands in its own place, so the order,
// and with it the bytes written, never depends on the timing.
template <typename TMake> std::vector<TJmaWriterSprite> MakeAll(std::size_t Count, TMake Make) {
    TOrderedWork<TJmaWriterSprite> Work(Count, WorkThreads(), Make);
    std::vector<TJmaWriterSprite> Sprites;
    Sprites.reserve(Count);
    for (std::size_t I = 0; I < Count; ++I)
        Sprites.push_back(Work.Next());
    return Sprites;
}

} // namespace

std::vector<std::uint8_t> ActionFrameCounts() {
    std::vector<std::uint8_t> Counts(ActionCount, 0);
    for (std::size_t M = 0; M < MotionActions.size(); ++M)
        for (std::uint8_t Action : MotionActions[M])
            Counts[Action] = static_cast<std::uint8_t>(MotionFrameCount(static_cast<int>(M)));
    return Counts;
}

TJmaWriterSprite BodySprite(int Group) {
    return MakeSprite(
        BodySpriteBase[static_cast<std::size_t>(Group)], BodyPalette(Group), Group, 128,
        [](TScene& S, const TBodyFrame& F, THeadContext&) { AddBody(S, F.Figure, true); });
}

TJmaWriterSprite HeadSprite(int Chara) {
    return MakeSprite(HeadSpriteNo(Chara), HeadPalette(Chara),
                      CharaData[static_cast<std::size_t>(Chara)].BodyGroup, 128,
                      [Chara](TScene& S, const TBodyFrame& F, THeadContext& Context) {
                          S = F.Body;
                          AddHead(S, F.Figure, Chara, Context);
                      });
}

TJmaWriterSprite ItemSprite(const TDemoItem& Item, int Group) {
    return MakeSprite(Item.Entry.SpriteNo[static_cast<std::size_t>(Group)], ItemPalette(Item),
                      Group, IsLongWeapon(Item.Look) ? 256 : 128,
                      [&Item](TScene& S, const TBodyFrame& F, THeadContext&) {
                          S = F.Body;
                          AddHeadOccluder(S, F.Figure);
                          AddItem(S, F.Figure, Item);
                      });
}

TJmaWriterSprite FillerSprite(int SpriteNo) {
    // A little round creature standing where the characters stand, facing every way alike.
    static const TIndexedPicture Blob = [] {
        TScene Scene;
        TPrim Body;
        Body.Shape = TShape::Ellipse;
        Body.A = {64, 96};
        Body.RA = 6;
        Body.RB = 5;
        Body.Base = 16;
        const int Host = Scene.Add(Body);
        Scene.Decal(62, 95, Fixed::Lash, Host);
        Scene.Decal(66, 95, Fixed::Lash, Host);
        return TRaster(128).Render(Scene);
    }();
    const auto Hue = static_cast<std::uint32_t>(SpriteNo) * 2654435761u;
    TJmaWriterSprite Sprite;
    Sprite.Name = JmpFileName(SpriteNo);
    PutFixedColors(Sprite.Palette);
    PutRamp(Sprite.Palette, 16,
            {static_cast<std::uint8_t>(70 + (Hue >> 8) % 130),
             static_cast<std::uint8_t>(70 + (Hue >> 16) % 130),
             static_cast<std::uint8_t>(70 + (Hue >> 24) % 130)});
    Sprite.FrameCounts.assign(16, 0);
    for (int Action = 8; Action < 16; ++Action) {
        Sprite.FrameCounts[static_cast<std::size_t>(Action)] = 1;
        TJmaWriterFrame Frame;
        Frame.Action = Action;
        Frame.CanvasWidth = Frame.CanvasHeight = 128;
        Frame.X = static_cast<std::uint16_t>(Blob.X);
        Frame.Y = static_cast<std::uint16_t>(Blob.Y);
        Frame.Width = static_cast<std::uint32_t>(Blob.Width);
        Frame.Height = static_cast<std::uint32_t>(Blob.Height);
        Frame.Pixels = Blob.Pixels;
        Sprite.Frames.push_back(std::move(Frame));
    }
    return Sprite;
}

void WriteSpriteArchives(const std::string& JmaFolder, TDemoScale Scale) {
    auto Write = [&](const std::string& Name, const std::vector<TJmaWriterSprite>& Sprites) {
        WriteJmaFiles(JmaFolder + Name, Sprites);
    };
    Write("chara01.jma", MakeAll(2, [](std::size_t I) { return BodySprite(static_cast<int>(I)); }));
    Write("chara02.jma",
          MakeAll(2, [](std::size_t I) { return BodySprite(static_cast<int>(I) + 2); }));
    Write("head01.jma", MakeAll(7, [](std::size_t I) { return HeadSprite(static_cast<int>(I)); }));
    Write("head02.jma",
          MakeAll(8, [](std::size_t I) { return HeadSprite(static_cast<int>(I) + 7); }));

    for (int Slot = 1; Slot <= 6; ++Slot) {
        std::vector<std::pair<const TDemoItem*, int>> Jobs;
        for (const TDemoItem& Item : DemoItems())
            if (Item.Entry.Slot == Slot)
                for (int G = 0; G < 4; ++G)
                    if (WornBy(Item.Entry, G))
                        Jobs.emplace_back(&Item, G);
        Write(Format("item%.2d.jma", Slot), MakeAll(Jobs.size(), [&](std::size_t I) {
                  return ItemSprite(*Jobs[I].first, Jobs[I].second);
              }));
    }

    if (Scale != TDemoScale::Full)
        return;
    // Monsters and other characters a real installation holds: sprite numbers no character
    // or item of the demo uses.
    std::vector<int> Numbers;
    for (int No = 6000; No <= 9999; ++No)
        Numbers.push_back(No);
    for (int No = 1001; No <= 1999; ++No)
        Numbers.push_back(No);
    constexpr int Archives = 34;
    constexpr int PerArchive = 146;
    for (int A = 0; A < Archives; ++A) {
        std::vector<TJmaWriterSprite> Sprites;
        for (int K = 0; K < PerArchive; ++K)
            Sprites.push_back(FillerSprite(Numbers[static_cast<std::size_t>(A * PerArchive + K)]));
        Write(Format("mon%.3d.jma", A + 1), Sprites);
    }
}

} // namespace pelto::demo
