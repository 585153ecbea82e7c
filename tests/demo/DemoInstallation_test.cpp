#include "demo/DemoInstallation.h"

#include "codecs/BmpDecoder.h"
#include "demo/DemoInstallationFigure.h"
#include "demo/DemoInstallationRaster.h"
#include "game/wloutils.h"
#include "model/UCommon.h"
#include "model/UDraw.h"
#include "platform/Format.h"
#include "platform/LittleEndian.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "sprites/wlojmajmp.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

using namespace pelto;
using namespace pelto::demo;

namespace {

struct TBmpInfo {
    int Width = 0;
    int Height = 0;
    int Bits = 0;
};

TBmpInfo BmpInfo(std::span<const std::uint8_t> File) {
    if (File.size() < 54 || File[0] != 'B' || File[1] != 'M')
        return {};
    return {static_cast<int>(LoadLE32(File.data() + 18)),
            static_cast<int>(LoadLE32(File.data() + 22)), LoadLE16(File.data() + 28)};
}

std::vector<std::uint8_t> Pixels(const TBitmap& B) {
    return {B.Bits().begin(), B.Bits().end()};
}

int CountNot(const TBitmap& B, TColor Back) {
    int Count = 0;
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X) {
            const std::uint8_t* P = B.ScanLine(Y) + 3 * static_cast<std::size_t>(X);
            Count += RGBColor(P[2], P[1], P[0]) != Back;
        }
    return Count;
}

// Every test reads one installation, written once.
class DemoInstallation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Temp = std::make_unique<test::TTempDir>();
        Root = Temp->Path() + "nested/Demo Game/";
        WriteDemoInstallation(Root, TDemoScale::Small);
        Sprites = std::make_unique<TJmaList>();
        Sprites->Scan(Root + "jma/", "*.jma");
        Items = std::make_unique<TWLOItemDataFile>();
        Items->LoadFromFile(ResolvePath(Root + "data/Item.Dat"));
    }
    static void TearDownTestSuite() {
        Items.reset();
        Sprites.reset();
        Temp.reset();
    }

    static std::vector<const TWLOItemData*> ItemRecords() {
        std::vector<const TWLOItemData*> Records;
        for (int I = 1; I < Items->GetCount(); ++I)
            Records.push_back(Items->Item(I));
        return Records;
    }
    static void Load(TJmaJmp& Sprite, int SpriteNo) {
        const std::string Name = JmpFileName(SpriteNo);
        Sprite.LoadFromFile(Sprites->GetJmaPath(Name), Name);
    }
    // The view of Chara standing in Direction, as the viewer shows it.
    static std::vector<std::uint8_t> Picture(int Chara, int Direction = 4, int Motion = 0,
                                             int Frame = 1) {
        TBitmap Canvas(128, 128, TPixelFormat::pf24bit);
        TDrawChara Draw(Canvas, *Sprites);
        Draw.SetChara(Chara);
        Draw.SetMotion(static_cast<std::uint8_t>(Motion));
        Draw.SetDirection(static_cast<std::uint8_t>(Direction));
        Draw.SetFrame(Frame);
        Draw.Redraw();
        return Pixels(Canvas);
    }

    static inline std::unique_ptr<test::TTempDir> Temp;
    static inline std::string Root;
    static inline std::unique_ptr<TJmaList> Sprites;
    static inline std::unique_ptr<TWLOItemDataFile> Items;
};

TEST_F(DemoInstallation, IsAGameFolderWithTheSkinPictures) {
    EXPECT_TRUE(IsWloFolder(Root));
    const std::string Skin = Root + "menu/Skins/default/";
    const std::map<std::string, std::pair<int, int>> Sizes{
        {"btn_default.bmp", {56, 60}}, {"btn_m_prev.bmp", {25, 75}}, {"btn_m_next.bmp", {25, 75}},
        {"btn_m_Play.bmp", {25, 75}},  {"btn_m_Stop.bmp", {25, 75}},
    };
    for (const auto& [Name, Size] : Sizes) {
        const TBmpInfo Info = BmpInfo(ReadFileBytes(Skin + Name));
        EXPECT_EQ(Info.Bits, 24) << Name;
        EXPECT_EQ(std::pair(Info.Width, Info.Height), Size) << Name;
    }
    for (int N = 1; N <= 4; ++N) {
        const std::string Name = Format("Icon_Part_%d.bmp", N);
        const std::vector<std::uint8_t> File = ReadFileBytes(Skin + Name);
        const TBmpInfo Info = BmpInfo(File);
        EXPECT_EQ(Info.Bits, 24) << Name;
        EXPECT_TRUE(Info.Width >= 20 && Info.Width <= 38) << Name;
        EXPECT_TRUE(Info.Height >= 12 && Info.Height <= 25) << Name;
        // The window fills the icon's frame with the colour of its corner.
        const std::size_t Stride = (static_cast<std::size_t>(Info.Width) * 3 + 3) & ~std::size_t{3};
        auto Pixel = [&](int X, int Y) {
            const std::size_t At =
                54 + static_cast<std::size_t>(Y) * Stride + 3 * static_cast<std::size_t>(X);
            return std::vector<std::uint8_t>(File.begin() + static_cast<std::ptrdiff_t>(At),
                                             File.begin() + static_cast<std::ptrdiff_t>(At + 3));
        };
        const auto Corner = Pixel(0, 0);
        EXPECT_EQ(Pixel(Info.Width - 1, 0), Corner) << Name;
        EXPECT_EQ(Pixel(0, Info.Height - 1), Corner) << Name;
        EXPECT_EQ(Pixel(Info.Width - 1, Info.Height - 1), Corner) << Name;
    }
}

TEST_F(DemoInstallation, CataloguesBodiesHeadsAndItemSprites) {
    int Archives = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(Root + "jma"))
        Archives += Entry.path().extension() == ".jma";
    EXPECT_GE(Archives, 3);
    for (int Chara = 0; Chara < 15; ++Chara) {
        EXPECT_FALSE(Sprites->GetJmaPath(JmpFileName(BodySpriteNo(Chara))).empty()) << Chara;
        EXPECT_FALSE(Sprites->GetJmaPath(JmpFileName(HeadSpriteNo(Chara))).empty()) << Chara;
    }
    for (const TWLOItemData* Item : ItemRecords())
        for (int Group = 0; Group < 4; ++Group) {
            if (Item->SpriteNo(Group) <= 1000)
                continue;
            EXPECT_FALSE(Sprites->GetJmaPath(JmpFileName(Item->SpriteNo(Group))).empty())
                << Item->ItemID() << " group " << Group;
        }
}

TEST_F(DemoInstallation, BodiesHaveEveryActionAndVisibleAnimation) {
    for (int Group = 0; Group < 4; ++Group) {
        TJmaJmp Body;
        Load(Body, BodySpriteBase[static_cast<std::size_t>(Group)]);
        for (int Action = 0; Action < 74; ++Action) {
            ASSERT_GT(Body.GetFrameCount(Action), 0) << "group " << Group << " action " << Action;
            for (int No = 1; No <= Body.GetFrameCount(Action); ++No) {
                const int Index = Body.IndexOfFrame(FrameFileName(Action, No));
                ASSERT_GE(Index, 0) << FrameFileName(Action, No);
                EXPECT_EQ(Body.GetFrameCanvasWidth(Index), 128);
            }
        }
        for (int Direction = 0; Direction < 8; ++Direction) {
            EXPECT_GE(Body.GetFrameCount(MotionActions[1][static_cast<std::size_t>(Direction)]), 4);
            EXPECT_GE(Body.GetFrameCount(MotionActions[0][static_cast<std::size_t>(Direction)]), 2);
        }
        for (int Index = 0; Index < Body.FrameCount(); ++Index)
            for (std::uint8_t V : Body.Pixels(Index))
                ASSERT_LT(V, 254) << "transparent index in a picture of group " << Group;
    }
}

TEST_F(DemoInstallation, ItemSpritesFollowTheBodysFrames) {
    std::set<int> Slots;
    for (const TWLOItemData* Item : ItemRecords()) {
        if (!Slots.insert(Item->Slot()).second)
            continue;
        for (int Group = 0; Group < 4; ++Group) {
            if (Item->SpriteNo(Group) <= 1000)
                continue;
            TJmaJmp Body;
            TJmaJmp Sprite;
            Load(Body, BodySpriteBase[static_cast<std::size_t>(Group)]);
            Load(Sprite, Item->SpriteNo(Group));
            ASSERT_EQ(Sprite.FrameCount(), Body.FrameCount());
            for (int Index = 0; Index < Body.FrameCount(); ++Index)
                EXPECT_GE(Sprite.IndexOfFrame(Body.Frame(Index).Name), 0) << Body.Frame(Index).Name;
        }
    }
    EXPECT_EQ(Slots.size(), 6u);
}

TEST_F(DemoInstallation, SomeWeaponsReachBeyondTheView) {
    int Long = 0;
    for (const TWLOItemData* Item : ItemRecords()) {
        if (Item->Slot() != 3)
            continue;
        for (int Group = 0; Group < 4; ++Group) {
            if (Item->SpriteNo(Group) <= 1000)
                continue;
            TJmaJmp Sprite;
            Load(Sprite, Item->SpriteNo(Group));
            const int Index = Sprite.IndexOfFrame("12-1.bmp");
            ASSERT_GE(Index, 0);
            if (Sprite.GetFrameCanvasHeight(Index) != 256)
                continue;
            ++Long;
            // Drawn at (-64, -60): the view shows canvas columns 64..191 and rows 60..187.
            bool Beyond = false;
            for (int I = 0; I < Sprite.FrameCount(); ++I) {
                const TJmaFrame& F = Sprite.Frame(I);
                Beyond =
                    Beyond || F.X < 64 || F.Y < 60 || F.X + F.Width > 192 || F.Y + F.Height > 188;
            }
            EXPECT_TRUE(Beyond) << Item->ItemID();
        }
    }
    EXPECT_GT(Long, 0);
}

TEST_F(DemoInstallation, ItemTableFillsEveryListWithIconsFound) {
    const TEquipList Lists(*Items);
    TWLOGroupImageFileOnMemory Icons;
    Icons.LoadFromFile(ResolvePath(Root + "pic/item.BMg"));
    TWLONameIndex Names;
    Names.Build(Icons);
    for (int Group = 0; Group < 4; ++Group)
        for (int Slot = 1; Slot <= 6; ++Slot) {
            const auto& List = Lists.GetList(Group, Slot);
            ASSERT_GT(List.size(), 3u) << "group " << Group << " slot " << Slot;
            for (std::size_t I = 1; I < List.size(); ++I) {
                const int Index = Names.IndexOf(Format("%d.bmp", List[I].Item->IconNo()));
                ASSERT_GE(Index, 0) << List[I].Item->IconNo();
                TMemoryStream Bmp;
                Icons.ExtractToStream(Index, Bmp);
                const TBmpInfo Info = BmpInfo(Bmp.Memory());
                EXPECT_EQ(Info.Width, 32);
                EXPECT_EQ(Info.Height, 32);
                EXPECT_EQ(Info.Bits, 24);
                // The bottom-left pixel, first in the file: the transparent green.
                const std::uint32_t Data = LoadLE32(Bmp.Memory().data() + 10);
                EXPECT_EQ(Bmp.Memory()[Data], 0);
                EXPECT_EQ(Bmp.Memory()[Data + 1], 255);
                EXPECT_EQ(Bmp.Memory()[Data + 2], 0);
            }
        }
}

TEST_F(DemoInstallation, ItemsShowTheVarietyThePickerHandles) {
    std::set<int> Types;
    bool Negative = false, Japanese = false, Numbered = false, Unnumbered = false, Tinted = false,
         Shared = false;
    for (const TWLOItemData* Item : ItemRecords()) {
        for (int I = 0; I < 2; ++I)
            if (Item->StatType(I)) {
                Types.insert(Item->StatType(I));
                Negative = Negative || Item->StatValue(I) < 100;
            }
        const std::string_view Name = Item->Name();
        EXPECT_LE(Name.size(), 20u);
        if (std::any_of(Name.begin(), Name.end(),
                        [](char C) { return static_cast<unsigned char>(C) >= 0x80; })) {
            Japanese = true;
            EXPECT_EQ(SjisToUtf8(Name).find("\xEF\xBF\xBD"), std::string::npos) << SjisToUtf8(Name);
        }
        (Item->ListNumber() ? Numbered : Unnumbered) = true;
        for (int W = 0; W < 16; ++W)
            Tinted = Tinted || Item->ColorWord(W) != 444444444;
        int Groups = 0;
        for (int G = 0; G < 4; ++G)
            Groups += Item->SpriteNo(G) > 1000;
        Shared = Shared || Groups > 1;
    }
    EXPECT_EQ(Types, (std::set<int>{100, 207, 208, 210, 211, 214, 215, 216}));
    EXPECT_TRUE(Negative);
    EXPECT_TRUE(Japanese);
    EXPECT_TRUE(Numbered);
    EXPECT_TRUE(Unnumbered);
    EXPECT_TRUE(Tinted);
    EXPECT_TRUE(Shared);
}

TEST_F(DemoInstallation, DrawsEveryCharacterWithItsOwnHead) {
    std::vector<std::vector<std::uint8_t>> Seen;
    for (int Chara = 0; Chara < 15; ++Chara) {
        TBitmap Canvas(128, 128, TPixelFormat::pf24bit);
        TDrawChara Draw(Canvas, *Sprites);
        Draw.SetChara(Chara);
        Draw.Redraw();
        EXPECT_GT(CountNot(Canvas, DefaultBackColor), 600)
            << CharaData[static_cast<std::size_t>(Chara)].Name;
        Seen.push_back(Pixels(Canvas));
    }
    for (std::size_t A = 0; A < Seen.size(); ++A)
        for (std::size_t B = A + 1; B < Seen.size(); ++B)
            EXPECT_NE(Seen[A], Seen[B]) << A << " and " << B << " look alike";
}

TEST_F(DemoInstallation, DirectionsAndFramesLookDifferent) {
    std::set<std::vector<std::uint8_t>> Directions;
    for (int Direction = 0; Direction < 8; ++Direction)
        Directions.insert(Picture(7, Direction));
    EXPECT_EQ(Directions.size(), 8u);
    std::set<std::vector<std::uint8_t>> Walk;
    for (int Frame = 1; Frame <= 4; ++Frame)
        Walk.insert(Picture(3, 5, 1, Frame));
    EXPECT_EQ(Walk.size(), 4u);
}

TEST_F(DemoInstallation, ColourPositionsRecolourTheirParts) {
    auto Changed = [](const std::vector<std::uint8_t>& A, const std::vector<std::uint8_t>& B) {
        int Count = 0;
        for (std::size_t I = 0; I < A.size(); I += 3)
            Count += A[I] != B[I] || A[I + 1] != B[I + 1] || A[I + 2] != B[I + 2];
        return Count;
    };
    const TEquipList Lists(*Items);
    for (int Position = 0; Position < 4; ++Position)
        for (const bool Dressed : {false, true}) {
            // Worn clothes take colour position 2 and may hide the body's accents.
            if (Dressed && Position != 2)
                continue;
            TBitmap Canvas(128, 128, TPixelFormat::pf24bit);
            TDrawChara Draw(Canvas, *Sprites);
            Draw.SetChara(1);
            if (Dressed)
                Draw.SetPart(2, Lists.GetList(1, 2)[1].Item);
            Draw.Redraw();
            const auto Before = Pixels(Canvas);
            Draw.SetColor(Position, 0, 9);
            Draw.Redraw();
            EXPECT_GT(Changed(Pixels(Canvas), Before), Dressed ? 150 : 15)
                << "colour position " << Position << (Dressed ? " dressed" : "");
        }
}

TEST_F(DemoInstallation, WritesTheSameBytesEveryTime) {
    const test::TTempDir Again;
    WriteDemoInstallation(Again.Path(), TDemoScale::Small);
    std::set<std::string> Files;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Root)) {
        if (!Entry.is_regular_file())
            continue;
        const std::string Relative = std::filesystem::relative(Entry.path(), Root).string();
        Files.insert(Relative);
        EXPECT_EQ(ReadFileBytes(Entry.path().string()), ReadFileBytes(Again.Path() + Relative))
            << Relative;
    }
    std::size_t Count = 0;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Again.Path()))
        Count += Entry.is_regular_file();
    EXPECT_EQ(Count, Files.size());
}

TEST(DemoInstallationFull, HasARealInstallationsSize) {
    const test::TTempDir Dir;
    WriteDemoInstallation(Dir.Path(), TDemoScale::Full);
    int Archives = 0;
    for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path() + "jma"))
        Archives += Entry.path().extension() == ".jma";
    EXPECT_GE(Archives, 40);
    TJmaList Sprites;
    Sprites.Scan(Dir.Path() + "jma/", "*.jma");
    EXPECT_GE(Sprites.Count(), 5000);
    TWLOItemDataFile Items;
    Items.LoadFromFile(ResolvePath(Dir.Path() + "data/Item.Dat"));
    EXPECT_EQ(Items.GetCount(), 15001);
    TWLOGroupImageFileOnMemory Icons;
    Icons.LoadFromFile(ResolvePath(Dir.Path() + "pic/item.BMg"));
    EXPECT_EQ(Icons.GetCount(), 8000);
    // The full installation holds the small one's content.
    EXPECT_FALSE(Sprites.GetJmaPath("5107.jmp").empty());
    TWLONameIndex Names;
    Names.Build(Icons);
    for (int I = 1; I < Items.GetCount(); ++I)
        ASSERT_GE(Names.IndexOf(Format("%d.bmp", Items.Item(I)->IconNo())), 0) << I;

    // Each record's icon shows what it is: the outline of a hand-made item of its slot, and
    // for goods that of none.
    std::map<int, std::vector<bool>> Shapes;
    const auto ShapeOf = [&](int IconNo) -> const std::vector<bool>& {
        const auto [At, Made] = Shapes.try_emplace(IconNo);
        if (Made) {
            TMemoryStream Bmp;
            Icons.ExtractToStream(Names.IndexOf(Format("%d.bmp", IconNo)), Bmp);
            const TBitmap Icon = DecodeBmp(Bmp.Memory());
            for (int Y = 0; Y < Icon.Height(); ++Y)
                for (int X = 0; X < Icon.Width(); ++X) {
                    const std::uint8_t* P = Icon.ScanLine(Y) + 4 * X;
                    At->second.push_back(P[0] != 0 || P[1] != 255 || P[2] != 0);
                }
        }
        return At->second;
    };
    std::map<std::vector<bool>, std::set<int>> SlotsOfShape;
    for (const TDemoItem& Item : DemoItems())
        SlotsOfShape[ShapeOf(Item.Entry.IconNo)].insert(Item.Entry.Slot);
    for (int I = 1; I < Items.GetCount(); ++I) {
        const TWLOItemData& Item = *Items.Item(I);
        const auto Found = SlotsOfShape.find(ShapeOf(Item.IconNo()));
        if (Item.Slot() == 0)
            ASSERT_EQ(Found, SlotsOfShape.end()) << "goods " << SjisToUtf8(Item.Name());
        else
            ASSERT_TRUE(Found != SlotsOfShape.end() && Found->second.count(Item.Slot()))
                << SjisToUtf8(Item.Name()) << " of slot " << int{Item.Slot()};
    }
}

// ---------------------------------------------------------------------------------------------
// The painter the pictures are made with

TPrim Disc(float X, float Y, float R, std::uint8_t Base, float Depth) {
    return EllipsePrim({X, Y}, R, R, Base, Depth);
}

std::uint8_t At(const TIndexedPicture& P, int X, int Y) {
    return P.Pixels[static_cast<std::size_t>((Y - P.Y) * P.Width + (X - P.X))];
}

TEST(DemoPainter, NearerShapesCoverFartherOnesWithAnOutline) {
    TScene S;
    S.Add(Disc(10, 10, 6, 32, 0));
    S.Add(Disc(16, 10, 6, 64, 1));
    const TIndexedPicture P = TRaster(32).Render(S);
    EXPECT_EQ(P.X, 4);
    EXPECT_EQ(P.Width, 18);
    EXPECT_EQ(At(P, 10, 4), 32 + 14) << "outline of the farther disc";
    EXPECT_EQ(At(P, 10, 10), 64 + 14) << "the nearer disc's outline over the farther one";
    EXPECT_EQ(At(P, 8, 10) / 16, 2) << "the farther disc inside";
    EXPECT_EQ(At(P, 16, 10) / 16, 4) << "the nearer disc inside";
    for (std::uint8_t V : P.Pixels)
        EXPECT_TRUE(V == 0 || (V % 16 >= 1 && V % 16 <= 14)) << int(V);
}

TEST(DemoPainter, MergedShapesJoinAndHiddenShapesOnlyHide) {
    TScene S;
    TPrim A = Disc(10, 10, 6, 32, 0);
    TPrim B = Disc(16, 10, 6, 32, 1);
    A.Merge = B.Merge = 1;
    S.Add(A);
    S.Add(B);
    TPrim Cover = Disc(10, 10, 3, 64, 5);
    Cover.Output = false;
    S.Add(Cover);
    const TIndexedPicture P = TRaster(32).Render(S);
    EXPECT_NE(At(P, 10, 10), 32 + 14) << "no outline where merged shapes meet";
    EXPECT_EQ(At(P, 10, 10), 0) << "a hiding shape leaves a hole";
    // The hiding shape, drawn in a picture of its own, brings its own outline.
    EXPECT_NE(At(P, 10, 6), 32 + 14);
    EXPECT_EQ(At(P, 10, 4), 32 + 14);
}

TEST(DemoPainter, DecalsLandOnTheirHostOnlyAndEmptyPicturesAreOnePixel) {
    TScene S;
    const int Host = S.Add(Disc(10, 10, 5, 32, 0));
    S.Add(Disc(20, 10, 5, 64, 0));
    S.Decal(10, 10, Fixed::Lash, Host);
    S.Decal(20, 10, Fixed::Lash, Host);
    const TIndexedPicture P = TRaster(32).Render(S);
    EXPECT_EQ(At(P, 10, 10), Fixed::Lash);
    EXPECT_NE(At(P, 20, 10), Fixed::Lash);

    TScene Hidden;
    TPrim Only = Disc(10, 10, 5, 32, 0);
    Only.Output = false;
    Hidden.Add(Only);
    const TIndexedPicture Nothing = TRaster(32).Render(Hidden);
    EXPECT_EQ(Nothing.Width, 1);
    EXPECT_EQ(Nothing.Height, 1);
    EXPECT_EQ(Nothing.Pixels, std::vector<std::uint8_t>{0});
}

TEST(DemoFigure, FacesTheWayItsDirectionSays) {
    for (int Group = 0; Group < 4; ++Group) {
        auto Eyes = [Group](int Dir) {
            TFigurePose Pose;
            Pose.Dir = Dir;
            const TFigure F(Group, Pose, {64, 100});
            return std::pair(EyeSpot(F, 1), EyeSpot(F, -1));
        };
        const auto Front = Eyes(4);
        EXPECT_TRUE(Front.first.Visible && Front.second.Visible);
        EXPECT_LT(Front.first.X, Front.second.X) << "the right eye on the viewer's left";
        const auto Back = Eyes(0);
        EXPECT_FALSE(Back.first.Visible || Back.second.Visible);
        const auto Left = Eyes(2);
        EXPECT_TRUE(Left.second.Visible);
        EXPECT_FALSE(Left.first.Visible);
        EXPECT_LT(Left.second.X, 64) << "looking left, the eye sits left";
        const auto Right = Eyes(6);
        EXPECT_TRUE(Right.first.Visible);
        EXPECT_GT(Right.first.X, 64);
    }
}

TEST(DemoFigure, StandsOnTheShadowAndWalksWithItsFeet) {
    for (int Group = 0; Group < 4; ++Group) {
        const TFigure Stand(Group, PoseOf(Group, MotionActions[0][4], 1), {64, 100});
        for (std::size_t I = 0; I < 2; ++I) {
            const TPt Foot = Stand.Screen(Stand.Ankle[I]);
            EXPECT_NEAR(Foot.X, 64, 6);
            EXPECT_NEAR(Foot.Y, 100, 4);
        }
        EXPECT_LT(Stand.Screen(Stand.Head).Y, 75) << "group " << Group;
        // Seen from the side, the feet of a walk pass each other.
        std::set<int> Gaps;
        for (int No = 1; No <= MotionFrameCount(1); ++No) {
            const TFigure Walk(Group, PoseOf(Group, MotionActions[1][2], No), {64, 100});
            Gaps.insert(
                static_cast<int>(Walk.Screen(Walk.Ankle[0]).X - Walk.Screen(Walk.Ankle[1]).X));
        }
        EXPECT_TRUE(*Gaps.begin() < 0 && *Gaps.rbegin() > 0) << "group " << Group;
    }
}

} // namespace
