#include "model/UDraw.h"

#include "game/wloutils.h"
#include "model/UCommon.h"
#include "platform/Errors.h"
#include "support/SpriteFolder.h"
#include "writers/ItemTableWriter.h"

#include <gtest/gtest.h>

using namespace pelto;
using pelto::test::BlockSprite;
using pelto::test::StandardFrameCounts;

namespace {

constexpr TColor Back = RGBColor(1, 2, 3);

std::array<std::uint8_t, 3> Bgr(const TBitmap& B, int X, int Y) {
    const std::uint8_t* P = B.ScanLine(Y) + static_cast<std::size_t>(X) * B.BytesPerPixel();
    return {P[0], P[1], P[2]};
}

std::array<std::uint8_t, 3> Bgr(const TPaletteEntry& E) {
    return {E.Blue, E.Green, E.Red};
}

// A file palette entry as colour levels (4 neutral, 25 a step) show it.
TPaletteEntry Shifted(const TPaletteEntry& File, int Red, int Green, int Blue) {
    const auto By = [](std::uint8_t Value, int Level) {
        return static_cast<std::uint8_t>(std::clamp(Value + (Level - 4) * 25, 5, 250));
    };
    return {By(File.Blue, Blue), By(File.Green, Green), By(File.Red, Red), File.Reserved};
}

// The entries in which two palettes differ.
std::vector<int> Differing(const TJmaPalette& Actual, const TJmaPalette& Expected) {
    std::vector<int> Entries;
    for (int I = 0; I < 256; ++I)
        if (Actual[static_cast<std::size_t>(I)] != Expected[static_cast<std::size_t>(I)])
            Entries.push_back(I);
    return Entries;
}

// Item slots by number, and where each layer's block is drawn.
enum : std::uint16_t {
    HeadItem = 1,
    BodyItem = 2,
    HandItem = 3,
    BigHandItem = 4,
    SpecialItem = 6,
    MissingSprite = 7
};

class DrawChara : public ::testing::Test {
protected:
    void SetUp() override {
        const auto Counts = StandardFrameCounts();
        // Body and heads of groups 0 and 1; items of group 0 (their group-1 sprites exist too).
        const std::vector<TJmaWriterSprite> Sprites{
            BlockSprite("2000.jmp", 50, 10, 10, 40, 40, Counts),
            BlockSprite("2100.jmp", 40, 20, 0, 10, 20, Counts),
            BlockSprite("3000.jmp", 51, 10, 10, 40, 40, Counts),
            BlockSprite("3100.jmp", 41, 20, 0, 10, 20, Counts),
            BlockSprite("3101.jmp", 42, 20, 0, 10, 20, Counts),
            BlockSprite("2101.jmp", 100, 25, 0, 10, 10, Counts),     // head item
            BlockSprite("2102.jmp", 70, 15, 15, 10, 10, Counts),     // body item, range 64..79
            BlockSprite("2103.jmp", 120, 70, 70, 1, 1, Counts),      // hand item, 128 canvas
            BlockSprite("2104.jmp", 120, 70, 70, 1, 1, Counts, 256), // hand item, 256 canvas
            BlockSprite("2106.jmp", 210, 30, 30, 5, 5, Counts),      // special item, 208..223
            BlockSprite("3102.jmp", 71, 15, 15, 10, 10, Counts),
            BlockSprite("3106.jmp", 211, 30, 30, 5, 5, Counts),
        };
        WriteJmaFiles(Dir.Make("jma/chara.jma"), Sprites);
        JmaList.Scan(Dir.Path() + "jma/", "*.jma");

        TItemTableWriter Writer;
        Writer.Add(Item(11, 1, 2101));
        Writer.Add(Item(12, 2, 2102, 3102));
        Writer.Add(Item(13, 3, 2103));
        Writer.Add(Item(14, 3, 2104));
        Writer.Add(Item(16, 6, 2106, 3106));
        Writer.Add(Item(17, 2, 2999)); // no such sprite
        TMemoryStream Stream(Writer.Build());
        Items.LoadFromStream(Stream);

        Chara.OnCharaChange = [this](TDrawChara&, std::uint8_t Group) {
            Events.push_back("chara" + std::to_string(Group));
        };
        Chara.OnPartChange = [this](TDrawChara&, int Slot) {
            Events.push_back("part" + std::to_string(Slot));
        };
    }

    static TItemInfo Item(std::uint16_t Id, std::uint8_t Slot, std::uint16_t Sprite0,
                          std::uint16_t Sprite1 = 0) {
        TItemInfo Info;
        Info.ItemID = Id;
        Info.Slot = Slot;
        Info.SpriteNo = {Sprite0, Sprite1, 0, 0};
        Info.Name = "Item" + std::to_string(Id);
        return Info;
    }
    const TWLOItemData* ItemNo(int Record) const { return Items.Item(Record); }

    test::TTempDir Dir;
    TJmaList JmaList;
    TWLOItemDataFile Items;
    TBitmap Canvas{128, 128, TPixelFormat::pf24bit};
    TDrawChara Chara{Canvas, JmaList};
    std::vector<std::string> Events;
};

} // namespace

TEST_F(DrawChara, DoesNothingBeforeACharacterIsChosen) {
    Chara.SetPart(1, ItemNo(1));
    Chara.SetColor(0, 0, 5);
    Chara.SetMotion(3);
    Chara.SetDirection(2);
    Chara.SetFrame(2);
    EXPECT_EQ(Chara.GetPart(1), nullptr);
    EXPECT_EQ(Chara.GetColor(0, 0), 4);
    EXPECT_EQ(Chara.Motion(), 0);
    EXPECT_EQ(Chara.Direction(), 4);
    EXPECT_EQ(Chara.GetFrameCount(), 0);
    EXPECT_TRUE(Events.empty());

    Chara.SetShadow(true);
    Chara.SetBackColor(Back);
    Chara.Redraw();
    for (int Y = 0; Y < 128; Y += 7)
        for (int X = 0; X < 128; X += 7)
            ASSERT_EQ(Bgr(Canvas, X, Y), (std::array<std::uint8_t, 3>{3, 2, 1})); // no shadow
    EXPECT_FALSE(Chara.Changed());
}

TEST_F(DrawChara, KeepsItemsWithinABodyGroupAndTakesThemOffAcrossGroups) {
    Chara.SetChara(1); // Nina, group 1
    EXPECT_EQ(Events, std::vector<std::string>{"chara1"});
    Chara.SetPart(2, ItemNo(2));
    Chara.SetPart(4, ItemNo(2)); // any record may be worn; only its sprite number counts
    Events.clear();

    Chara.SetChara(2); // Betty, group 1
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Chara.GetPart(2), ItemNo(2));
    EXPECT_EQ(Chara.Part(0).JmpName(), "3101.jmp");

    Chara.SetChara(0); // Rocco, group 0
    EXPECT_EQ(Events, (std::vector<std::string>{"part2", "part4", "chara0"}));
    EXPECT_EQ(Chara.GetPart(2), nullptr);
    EXPECT_FALSE(Chara.Part(2).Loaded());
    EXPECT_EQ(Chara.Body().JmpName(), "2000.jmp");

    Events.clear();
    Chara.SetChara(0);
    Chara.SetChara(15);
    Chara.SetChara(-1);
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Chara.Chara(), 0);
}

TEST_F(DrawChara, ResetsColoursToNeutralOnEveryCharacterChange) {
    Chara.SetChara(1);
    Chara.SetPart(2, ItemNo(2));
    Chara.SetPart(6, ItemNo(5));
    ASSERT_TRUE(Chara.Part(6).Loaded());
    Chara.SetColor(1, 0, 9);
    Chara.SetColor(2, 1, 0);
    Chara.SetColor(3, 2, 8);
    Chara.SetColor(0, 2, 7);
    ASSERT_NE(Chara.Body().Palette(), Chara.Body().FilePalette());
    const TJmaPalette Special = Chara.Part(6).Palette();

    Chara.SetChara(2);
    for (int P = 0; P < 4; ++P)
        for (int C = 0; C < 3; ++C)
            EXPECT_EQ(Chara.GetColor(P, C), 4);
    EXPECT_EQ(Chara.Body().Palette(), Chara.Body().FilePalette());
    EXPECT_NE(Differing(Chara.Part(6).Palette(), Special), std::vector<int>{});
    // The kept body and special items look as if just put on at the neutral levels.
    for (const int Slot : {2, 6}) {
        const TJmaPalette Kept = Chara.Part(Slot).Palette();
        const TWLOItemData* Worn = Chara.GetPart(Slot);
        Chara.SetPart(Slot, nullptr);
        Chara.SetPart(Slot, Worn);
        EXPECT_EQ(Differing(Kept, Chara.Part(Slot).Palette()), std::vector<int>{})
            << "slot " << Slot;
    }
}

TEST_F(DrawChara, RecoloursExactlyTheRangesOfEachColourPosition) {
    Chara.SetChara(0);
    const std::array<const TWLOItemData*, 7> Worn{nullptr,   ItemNo(1), ItemNo(2), ItemNo(3),
                                                  ItemNo(2), ItemNo(1), ItemNo(5)};
    for (int Slot = 1; Slot <= 6; ++Slot)
        Chara.SetPart(Slot, Worn[static_cast<std::size_t>(Slot)]);
    // Sprite -1 the body, 0 the head, 1..6 a slot's item.
    const auto Sprite = [&](int S) -> const TJmaJmp& {
        return S < 0 ? Chara.Body() : Chara.Part(S);
    };
    std::array<TJmaPalette, 8> Neutral;
    for (int S = -1; S <= 6; ++S) {
        ASSERT_TRUE(Sprite(S).Loaded()) << S;
        Neutral[static_cast<std::size_t>(S + 1)] = Sprite(S).Palette();
    }
    struct TRange {
        int Sprite;
        int First;
        int Last;
    };
    const std::array<std::vector<TRange>, 4> Ranges{{
        {{0, 32, 47}},
        {{-1, 48, 63}},
        {{-1, 64, 79}, {2, 64, 79}},
        {{-1, 208, 223}, {6, 208, 223}},
    }};
    for (int Position = 0; Position < 4; ++Position) {
        Chara.SetColor(Position, 0, 9);
        Chara.SetColor(Position, 1, 0);
        Chara.SetColor(Position, 2, 7);
        for (int S = -1; S <= 6; ++S) {
            const TJmaJmp& Jmp = Sprite(S);
            TJmaPalette Expected = Neutral[static_cast<std::size_t>(S + 1)];
            for (const TRange& Range : Ranges[static_cast<std::size_t>(Position)])
                for (int I = Range.First; Range.Sprite == S && I <= Range.Last; ++I)
                    Expected[static_cast<std::size_t>(I)] =
                        Shifted(Jmp.FilePalette()[static_cast<std::size_t>(I)], 9, 0, 7);
            EXPECT_EQ(Differing(Jmp.Palette(), Expected), std::vector<int>{})
                << "position " << Position << ", sprite " << S;
        }
        Chara.ResetColors();
        for (int S = -1; S <= 6; ++S)
            EXPECT_EQ(Differing(Sprite(S).Palette(), Neutral[static_cast<std::size_t>(S + 1)]),
                      std::vector<int>{})
                << "position " << Position << " reset, sprite " << S;
    }
}

TEST_F(DrawChara, RecoloursExactlyTheRangeOfEachItemColour) {
    // Nina is of group 1: her colours 3j..3j + 2 come from word 4j + 1. Every other word
    // holds levels 0, which would show if it were read instead.
    TItemTableWriter Writer;
    for (int K = 0; K < 12; ++K) {
        TItemInfo Info = Item(static_cast<std::uint16_t>(40 + K), 4, 2102, 3102);
        Info.ColorWords.fill(0);
        for (int J = 0; J < 4; ++J)
            Info.ColorWords[static_cast<std::size_t>(4 * J + 1)] = 444'444'444;
        constexpr std::uint32_t Place[3] = {1'000'000, 1'000, 1};
        Info.ColorWords[static_cast<std::size_t>(4 * (K / 3) + 1)] += (904 - 444) * Place[K % 3];
        Writer.Add(Info);
    }
    TMemoryStream Stream(Writer.Build());
    TWLOItemDataFile Own;
    Own.LoadFromStream(Stream);

    Chara.SetChara(1);
    for (int K = 0; K < 12; ++K) {
        Chara.SetPart(4, Own.Item(K + 1));
        const TJmaJmp& Sprite = Chara.Part(4);
        ASSERT_TRUE(Sprite.Loaded());
        TJmaPalette Expected = Sprite.FilePalette();
        for (int I = 16; I <= 207; ++I) {
            const bool InRange = I >= 16 * (K + 1) && I <= 16 * (K + 1) + 15;
            auto& Entry = Expected[static_cast<std::size_t>(I)];
            Entry = InRange ? Shifted(Entry, 9, 0, 4) : Shifted(Entry, 4, 4, 4);
        }
        EXPECT_EQ(Differing(Sprite.Palette(), Expected), std::vector<int>{}) << "colour " << K;
    }
}

TEST_F(DrawChara, RecoloursThePalettesOfEachColourPosition) {
    Chara.SetChara(0);
    Chara.SetPart(2, ItemNo(2));
    Chara.SetPart(6, ItemNo(5));
    Chara.SetColor(2, 0, 9);
    const TPaletteEntry File = Chara.Body().FilePalette()[70];
    EXPECT_EQ(Chara.Body().Palette()[70].Red, std::min(250, File.Red + 125));
    EXPECT_EQ(Chara.Part(2).Palette()[70].Red,
              std::min(250, Chara.Part(2).FilePalette()[70].Red + 125));
    EXPECT_EQ(Chara.Body().Palette()[50], Chara.Body().FilePalette()[50]); // other ranges kept

    Chara.SetColor(3, 2, 0);
    EXPECT_EQ(Chara.Part(6).Palette()[210].Blue,
              std::max(5, Chara.Part(6).FilePalette()[210].Blue - 100));

    Chara.SetColor(0, 1, 10); // out of range
    Chara.SetColor(4, 0, 1);
    EXPECT_EQ(Chara.GetColor(0, 1), 4);
    EXPECT_EQ(Chara.GetColor(4, 0), 0);
    EXPECT_EQ(Chara.GetColor(0, 3), 0);
}

TEST_F(DrawChara, GivesANewBodyItemTheCharactersOwnPositionTwoColour) {
    Chara.SetChara(0);
    Chara.SetColor(2, 1, 8);
    Chara.SetPart(2, ItemNo(2));
    const TPaletteEntry File = Chara.Part(2).FilePalette()[70];
    EXPECT_EQ(Chara.Part(2).Palette()[70].Green, std::min(250, File.Green + 100));
}

TEST_F(DrawChara, ColoursItemsFromTheirColourWords) {
    TItemInfo Info = Item(30, 4, 2102);
    Info.ColorWords[1 * 4 + 0] = 901'444'042; // colours 3, 4, 5 of group 0
    TItemTableWriter Writer;
    Writer.Add(Info);
    TMemoryStream Stream(Writer.Build());
    TWLOItemDataFile Own;
    Own.LoadFromStream(Stream);

    Chara.SetChara(0);
    Chara.SetPart(4, Own.Item(1));
    const TJmaJmp& Sprite = Chara.Part(4);
    const auto Shift = [&](int Entry, int Channel) {
        const TPaletteEntry& A = Sprite.Palette()[static_cast<std::size_t>(Entry)];
        const TPaletteEntry& F = Sprite.FilePalette()[static_cast<std::size_t>(Entry)];
        const int Values[2][3] = {{A.Red, A.Green, A.Blue}, {F.Red, F.Green, F.Blue}};
        return Values[0][Channel] - Values[1][Channel];
    };
    // Colour 3 (range 64..79) from 901: red +125, green -100, blue +25 - 100 = -75.
    EXPECT_EQ(Sprite.Palette()[64].Red, std::min(250, Sprite.FilePalette()[64].Red + 125));
    EXPECT_EQ(Sprite.Palette()[70].Green, 5); // 95 - 100, clamped
    EXPECT_EQ(Shift(70, 2), -75);
    EXPECT_EQ(Shift(90, 1), 0); // colour 4 (range 80..95) is neutral
    // Colour 5 (range 96..111) from 042: red -100 clamps at 5, blue -50.
    EXPECT_EQ(Sprite.Palette()[100].Red, 5);
    EXPECT_EQ(Shift(100, 1), 0);
    EXPECT_EQ(Shift(100, 2), -50);
}

TEST_F(DrawChara, EmptiesASlotWhoseItemHasNoSprite) {
    Chara.SetChara(0);
    Chara.SetPart(2, ItemNo(2));
    ASSERT_TRUE(Chara.Part(2).Loaded());
    Chara.SetPart(2, ItemNo(6));
    EXPECT_EQ(Chara.GetPart(2), ItemNo(6));
    EXPECT_FALSE(Chara.Part(2).Loaded()); // the previous item is not left drawn
}

TEST_F(DrawChara, StepsFramesAndMotions) {
    Chara.SetChara(0);
    ASSERT_EQ(Chara.GetFrameCount(), 3); // motion 0 facing the viewer: action 12
    std::vector<int> Seen;
    for (int I = 0; I < 4; ++I) {
        Chara.NextFrame();
        Seen.push_back(Chara.Frame());
    }
    EXPECT_EQ(Seen, (std::vector<int>{2, 3, 1, 2}));
    Chara.SetFrame(1);
    Chara.PrevFrame();
    EXPECT_EQ(Chara.Frame(), 3);

    Chara.SetDirection(0); // action 8: one frame
    EXPECT_EQ(Chara.Frame(), 3);
    Chara.NextFrame();
    Chara.PrevFrame();
    EXPECT_EQ(Chara.Frame(), 3);
    Chara.SetFrame(2);
    EXPECT_EQ(Chara.Frame(), 3);

    Chara.SetDirection(1); // action 9: two frames; a frame left at 3 steps back to 2
    Chara.PrevFrame();
    EXPECT_EQ(Chara.Frame(), 2);

    Chara.SetMotion(5);
    EXPECT_EQ(Chara.Frame(), 1);
    Chara.SetMotion(18);
    Chara.NextMotion();
    EXPECT_EQ(Chara.Motion(), 0);
    Chara.PrevMotion();
    EXPECT_EQ(Chara.Motion(), 18);
    Chara.SetMotion(19);
    Chara.SetDirection(8);
    EXPECT_EQ(Chara.Motion(), 18);
    EXPECT_EQ(Chara.Direction(), 1);
}

TEST_F(DrawChara, DrawsLayersInOrderOverTheBackground) {
    Chara.SetChara(0);
    Chara.SetBackColor(Back);
    Chara.SetPart(1, ItemNo(1));
    Chara.Redraw();
    const TJmaPalette& Pal = Chara.Body().FilePalette();
    EXPECT_EQ(Bgr(Canvas, 0, 0), (std::array<std::uint8_t, 3>{3, 2, 1}));
    EXPECT_EQ(Bgr(Canvas, 12, 40), Bgr(Pal[50])); // body
    EXPECT_EQ(Bgr(Canvas, 22, 12), Bgr(Pal[40])); // head over the body
    EXPECT_EQ(Bgr(Canvas, 27, 5), Bgr(Pal[100])); // head item over the head
    EXPECT_FALSE(Chara.Changed());

    Canvas.Fill(0);
    Chara.Redraw(); // nothing changed: nothing drawn
    EXPECT_EQ(Bgr(Canvas, 12, 40), (std::array<std::uint8_t, 3>{0, 0, 0}));
}

TEST_F(DrawChara, CentresHandItemsOnTheirOwnCanvas) {
    Chara.SetChara(0);
    Chara.SetPart(3, ItemNo(3));
    TBitmap Small(128, 128, TPixelFormat::pf24bit);
    Chara.DrawFrame(Small, 1);
    EXPECT_EQ(Bgr(Small, 70, 70), Bgr(Chara.Part(3).Palette()[120]));

    Chara.SetPart(3, ItemNo(4));
    TBitmap Big(128, 128, TPixelFormat::pf24bit);
    Chara.DrawFrame(Big, 1);
    EXPECT_EQ(Bgr(Big, 70 - 64, 70 - 60), Bgr(Chara.Part(3).Palette()[120]));
}

TEST_F(DrawChara, DrawsTheShadowUnderTheFigure) {
    Chara.SetChara(0);
    Chara.SetShadow(true);
    TBitmap Bitmap(128, 128, TPixelFormat::pf32bit);
    Chara.DrawFrame(Bitmap, 1);
    // Row 5 of the shadow spans its whole width; x + y odd is dark, even is left alone.
    const std::uint8_t* Dark = Bitmap.ScanLine(94 + 5) + 4 * (51 + 0);
    const std::uint8_t* Clear = Bitmap.ScanLine(94 + 5) + 4 * (51 + 1);
    EXPECT_EQ((std::array<std::uint8_t, 4>{Dark[0], Dark[1], Dark[2], Dark[3]}),
              (std::array<std::uint8_t, 4>{57, 76, 51, 255}));
    EXPECT_EQ(Clear[3], 0);
    EXPECT_EQ(Bitmap.ScanLine(94)[4 * (51 + 8) + 3], 0); // row 0 starts at x = 9
    EXPECT_EQ(Bitmap.ScanLine(94)[4 * (51 + 9) + 3], 255);
}

TEST_F(DrawChara, RefusesBitmapsItCannotDrawInto) {
    Chara.SetChara(0);
    TBitmap Bitmap(128, 128, TPixelFormat::pf8bit);
    try {
        Chara.DrawFrame(Bitmap, 1);
        FAIL();
    } catch (const EWloError& E) {
        EXPECT_STREQ(E.what(), "Invalid pixel format.");
    }
}

TEST(DrawCharaLayers, StackInTheirFixedOrder) {
    // Bottom first; the hand item comes last, centred on its own canvas.
    struct TLayer {
        const char* Name;
        int Slot; // -1 the body, 0 the head
    };
    constexpr std::array<TLayer, 8> Layers{{{"body", -1},
                                            {"arm", 4},
                                            {"shoes", 5},
                                            {"body item", 2},
                                            {"head", 0},
                                            {"special", 6},
                                            {"head item", 1},
                                            {"hand", 3}}};
    // Layer k covers columns 4k..31 in colour index 100 + k: column 4k shows layer k only when
    // it lies over every layer before it, which holds for every k only in this order.
    const auto Counts = StandardFrameCounts();
    std::vector<TJmaWriterSprite> Sprites;
    TItemTableWriter Writer;
    for (std::size_t K = 0; K < Layers.size(); ++K) {
        const int Slot = Layers[K].Slot;
        const int SpriteNo = Slot < 0 ? 2000 : Slot == 0 ? 2100 : 2200 + Slot;
        const int Column = 4 * static_cast<int>(K);
        Sprites.push_back(BlockSprite(JmpFileName(SpriteNo), static_cast<std::uint8_t>(100 + K),
                                      Column, 50, 32 - Column, 4, Counts));
        if (Slot > 0) {
            TItemInfo Info;
            Info.ItemID = static_cast<std::uint16_t>(Slot);
            Info.Slot = static_cast<std::uint8_t>(Slot);
            Info.SpriteNo = {static_cast<std::uint16_t>(SpriteNo), 0, 0, 0};
            Writer.Add(Info);
        }
    }
    test::TTempDir Dir;
    WriteJmaFiles(Dir.Make("jma/layers.jma"), Sprites);
    TJmaList JmaList;
    JmaList.Scan(Dir.Path() + "jma/", "*.jma");
    TMemoryStream Stream(Writer.Build());
    TWLOItemDataFile Items;
    Items.LoadFromStream(Stream);
    TBitmap Canvas(128, 128, TPixelFormat::pf24bit);
    TDrawChara Chara(Canvas, JmaList);
    Chara.SetChara(0);
    for (int Record = 1; Record < Items.GetCount(); ++Record)
        Chara.SetPart(Items.Item(Record)->Slot(), Items.Item(Record));

    TBitmap Bitmap(128, 128, TPixelFormat::pf24bit);
    Chara.DrawFrame(Bitmap, 1);
    const TJmaPalette Palette = test::DistinctPalette();
    for (std::size_t K = 0; K < Layers.size(); ++K)
        EXPECT_EQ(Bgr(Bitmap, 4 * static_cast<int>(K) + 1, 51), Bgr(Palette[100 + K]))
            << Layers[K].Name << " is not over the layers before it";
}

TEST(ShadowBitmap, IsTheCheckeredEllipse) {
    const TBitmap& Shadow = ShadowBitmap();
    ASSERT_EQ(Shadow.Width(), 27);
    ASSERT_EQ(Shadow.Height(), 13);
    int Dark = 0;
    for (int Y = 0; Y < 13; ++Y)
        for (int X = 0; X < 27; ++X) {
            const std::uint8_t* P = Shadow.ScanLine(Y) + 3 * X;
            if (P[1] == 255)
                continue;
            EXPECT_EQ((X + Y) % 2, 1);
            ++Dark;
        }
    EXPECT_EQ(Dark, 139);
}
