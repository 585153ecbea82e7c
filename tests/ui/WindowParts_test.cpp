// What the window's parts show of the model: item icons and tips as the model gives them, a
// damaged icon shown bare, and the shadow held by the session alone.
#include "ui/UMain.h"

#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "controls/QtBitmaps.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "platform/Format.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/WindowDriver.h"
#include "writers/GroupImageWriter.h"

#include <QAction>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace pelto;
using namespace pelto::test;

namespace {

constexpr int Rocco = 0;
constexpr int HeadSlot = 1;

// The first head item of Rocco's list, whose icon the slot shows once it is picked.
const TWLOItemData& FirstHead(TfrmPelto& Window) {
    return *Window.Session().List(HeadSlot)[1].Item;
}

} // namespace

TEST(WindowIcons, QtsBitmapDecoderAndTheModelsAgreeOnEveryDemoIcon) {
    TGameData Game(DemoGame());
    Game.LoadAll();
    int Compared = 0;
    for (const TWLOItemData& Item : Game.Items().Items().subspan(1)) {
        const std::vector<std::uint8_t> Bmp = Game.ItemIconBmp(Item);
        const auto Ours = ItemIconBitmap(Game, Item);
        ASSERT_EQ(Bmp.empty(), !Ours);
        if (!Ours)
            continue;
        const QImage Qt = QImage::fromData(Bmp.data(), static_cast<int>(Bmp.size()), "BMP")
                              .convertToFormat(QImage::Format_ARGB32);
        const QImage Shown = ToQImage(*Ours);
        ASSERT_EQ(Qt.size(), Shown.size());
        for (int Y = 0; Y < Qt.height(); ++Y)
            for (int X = 0; X < Qt.width(); ++X) {
                const QRgb Decoded = Qt.pixel(X, Y);
                const QRgb Model = Shown.pixel(X, Y);
                // Keyed out exactly where Qt's decoder finds pure green, else the same colour.
                EXPECT_EQ(qAlpha(Model) == 0, (Decoded & 0xFFFFFF) == 0x00FF00);
                if (qAlpha(Model) != 0) {
                    ASSERT_EQ(Model, Decoded) << X << "," << Y;
                }
            }
        ++Compared;
    }
    EXPECT_GT(Compared, 0);
}

TEST(WindowIcons, ADamagedIconIsShownBareWhileTheOthersAreShown) {
    TTempDir Dir;
    const std::string Folder = Dir.Path() + "game/";
    LinkTree(DemoGame(), Folder);
    TGameData Demo(DemoGame());
    Demo.LoadAll();
    // Rocco's first head item's icon cut short; every other icon as it was.
    TDressingSession Probe(Demo);
    Probe.SetChara(Rocco);
    const TWLOItemData* Damaged = Probe.List(HeadSlot)[1].Item;
    std::vector<TGroupImageItem> Icons;
    const std::string DamagedName = Format("%d.bmp", Damaged->IconNo());
    for (int Index = 0; Index < Demo.ItemIcons().GetCount(); ++Index) {
        TMemoryStream Stream;
        Demo.ItemIcons().ExtractToStream(Index, Stream);
        const auto Bytes = Stream.Memory();
        Icons.push_back({Demo.ItemIcons().GetName(Index), {Bytes.begin(), Bytes.end()}});
        if (Icons.back().Name == DamagedName)
            Icons.back().Data.resize(30);
    }
    const std::string IconFile = Folder + std::string(ItemIconFileName);
    std::filesystem::remove(IconFile);
    WriteGroupImageFile(IconFile, Icons);

    std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << Folder << "\n";
    TStartupOptions Options;
    Options.SettingsFile = Dir.File("pelto.ini");
    Options.FolderPrompt = [](std::string&, const std::string&) {
        return false;
    };
    TfrmPelto Window(Options);
    ASSERT_FALSE(Window.StartupFailed());
    ChooseChara(Window, Rocco);
    const QImage Bare = SlotImage(Window, HeadSlot)->Picture();

    Window.Session().Pick(HeadSlot, 1);
    ASSERT_EQ(Window.Session().Worn(HeadSlot)->IconNo(), Damaged->IconNo());
    EXPECT_EQ(SlotImage(Window, HeadSlot)->Picture(), Bare);
    WithPicker(Window, HeadSlot, [&] { EquipListBox(Window)->viewport()->grab(); });
    ASSERT_NE(Window.Session().List(HeadSlot)[2].Item->IconNo(), Damaged->IconNo());
    Window.Session().Pick(HeadSlot, 2); // another icon, whole
    EXPECT_NE(SlotImage(Window, HeadSlot)->Picture(), Bare);
}

TEST(WindowTips, ASlotAndThePickerDescribeAnItemAlike) {
    TTempDir Dir;
    auto Window = OpenDemoWindow(Dir.Path(), Rocco);
    const TWLOItemData& Item = FirstHead(*Window);
    Window->Session().Pick(HeadSlot, 1);
    const QString Said = QString::fromStdString(ItemTipText(Item));
    EXPECT_EQ(SlotImage(*Window, HeadSlot)->toolTip(), Said + "\nRight-click to take it off");
    EXPECT_EQ(SlotLabel(*Window, HeadSlot)->statusTip(), Said.section('\n', 0, 0));
    QString Picker;
    WithPicker(*Window, HeadSlot, [&] { Picker = EquipListBox(*Window)->viewport()->toolTip(); });
    EXPECT_EQ(Picker, Said); // the cursor starts on the item picked
    Window->Session().Strip(HeadSlot);
    EXPECT_EQ(SlotImage(*Window, HeadSlot)->toolTip(), "Click to pick an item");
}

TEST(WindowShadow, TheMenuShowsTheSessionsShadowAndTheSettingsWriteIt) {
    TTempDir Dir;
    {
        auto Window = OpenDemoWindow(Dir.Path(), Rocco);
        QAction* Menu = ShadowAction(*Window);
        for (const bool Shadow : {true, false, true}) {
            Window->Session().SetShadow(Shadow);
            EXPECT_EQ(Menu->isChecked(), Shadow);
        }
        Menu->trigger();
        EXPECT_FALSE(Window->Session().Chara().Shadow());
        EXPECT_FALSE(Menu->isChecked());
        Window->Session().SetShadow(true); // not through the menu: still what is written
    }
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("shadow=1"), std::string::npos);
}
