// Dressing, export, favourites and code entry in the real window, on a small game of our own.
#include "ui/UMain.h"

#include "codecs/ImageEncoders.h"
#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "export/ClassicSave.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/Settings.h"
#include "platform/Stream.h"
#include "support/ImageDecoders.h"
#include "support/SpriteFolder.h"
#include "support/TempDir.h"
#include "ui/FavoritesManager.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"
#include "ui/Zoom.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace pelto;
using namespace pelto::test;
using test::ChooseChara;
using test::ClickCell;
using test::RightClick;
using test::WithPicker;

namespace {

// Items of the small game: identifiers, slots, sprites for groups 0 and 3, bonuses.
struct TTestItem {
    std::uint16_t Id;
    std::uint8_t Slot;
    std::uint16_t Sprite0;
    std::uint16_t Sprite3;
    std::uint16_t Type0;
    std::int32_t Bonus0;
    std::uint16_t Type1;
    std::int32_t Bonus1;
};
constexpr TTestItem TestItems[] = {
    {11, 1, 2001, 5001, 207, 10, 0, 0},    // head: HP+10
    {12, 2, 2002, 5002, 207, 10, 211, -4}, // body: HP+10, DEF-4
    {13, 2, 2003, 0, 215, 3, 0, 0},        // body, group 0 only: MATK+3
    {14, 5, 2005, 5005, 211, 4, 0, 0},     // shoes: DEF+4
    {15, 3, 2006, 0, 208, 25, 210, 7},     // hand: SP+25, ATK+7
    {16, 4, 2007, 0, 214, -3, 216, 12},    // arm: SPD-3, MDEF+12
    {17, 6, 2008, 0, 100, 130, 215, 5},    // special: shooting resistance +130, MATK+5
};

class WindowCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const auto Counts = test::StandardFrameCounts();
        std::vector<TJmaWriterSprite> Sprites{
            test::BlockSprite("2000.jmp", 50, 40, 30, 40, 60, Counts),
            test::BlockSprite("2100.jmp", 40, 45, 10, 30, 25, Counts),
            test::BlockSprite("5000.jmp", 51, 40, 30, 40, 60, Counts),
            test::BlockSprite("5100.jmp", 41, 45, 10, 30, 25, Counts),
            test::BlockSprite("5107.jmp", 42, 45, 10, 30, 25, Counts)};
        for (const TTestItem& Item : TestItems)
            for (const std::uint16_t Sprite : {Item.Sprite0, Item.Sprite3})
                if (Sprite)
                    Sprites.push_back(test::BlockSprite(std::to_string(Sprite) + ".jmp", 100, 50,
                                                        50, 8, 8, Counts));
        WriteJmaFiles(Game.Make("jma/all.jma"), Sprites);

        TItemTableWriter Table;
        TGroupImageWriter Icons;
        for (const TTestItem& Item : TestItems) {
            TItemInfo Info;
            Info.ItemID = Item.Id;
            Info.IconNo = Item.Id;
            Info.Slot = Item.Slot;
            Info.SpriteNo = {Item.Sprite0, 0, 0, Item.Sprite3};
            Info.StatType = {Item.Type0, Item.Type1};
            Info.StatValue = {Item.Bonus0 + 100, Item.Bonus1 + 100};
            Info.Name = "Item" + std::to_string(Item.Id);
            Table.Add(Info);
            TBitmap Icon(32, 32, TPixelFormat::pf24bit);
            Icon.Fill(RGBColor(0, 255, 0));
            Icon.ScanLine(16)[3 * 16] = static_cast<std::uint8_t>(Item.Id);
            TMemoryStream Bmp;
            SaveBmpToStream(Icon, Bmp);
            Icons.Add(std::to_string(Item.Id) + ".bmp", Bmp.Memory());
        }
        Table.WriteToFile(Game.Make("data/Item.Dat"));
        Icons.WriteToFile(Game.Make("pic/item.BMg"));
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
    }
    void TearDown() override { SetMessageSink({}); }

    std::unique_ptr<TfrmPelto> Open(const std::string& Extra = "") {
        if (!std::filesystem::exists(Dir.File("pelto.ini")))
            std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << Game.Path() << "\n"
                                                 << Extra;
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.FolderPrompt = [](std::string&, const std::string&) {
            return false;
        };
        auto Window = std::make_unique<TfrmPelto>(Options);
        // The game holds the sprites of three characters only, and the window says so at start:
        // not what these tests are about.
        std::erase_if(Messages, [](const std::string& Message) {
            return Message.starts_with("These characters lack sprites");
        });
        Window->OnPromptText = [this](const QString&, const QString&, QString& Value) {
            Offered.push_back(Value.toStdString());
            if (!NextName)
                return false;
            Value = QString::fromStdString(*NextName);
            return true;
        };
        return Window;
    }
    test::TTempDir Game;
    test::TTempDir Dir;
    std::vector<std::string> Messages;
    std::optional<std::string> NextName;
    std::vector<std::string> Offered; // what the name prompt offered, in turn
};

} // namespace

TEST_F(WindowCommands, EquipsFromTheListAndSumsTheBonuses) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    WithPicker(*Window, 1, [&] {
        EXPECT_TRUE(EquipPopup(*Window)->isVisible());
        EXPECT_EQ(EquipListBox(*Window)->Count(), 2); // "---" and item 11
        ClickCell(*Window, 1);
    });
    ASSERT_NE(Window->Session().Chara().GetPart(1), nullptr);
    EXPECT_EQ(Window->Session().Chara().GetPart(1)->ItemID(), 11);
    EXPECT_EQ(SlotLabel(*Window, 1)->text(), "Item11");
    EXPECT_EQ(Window->Session().PickedIndex(1), 1);

    WithPicker(*Window, 2, [&] { ClickCell(*Window, 1); });
    EXPECT_EQ(StatusBox(*Window)->toPlainText(), "  HP+20\n DEF-4");
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Window->Session().Chara().GetCode());

    WithPicker(*Window, 5, [&] { ClickCell(*Window, 1); });
    EXPECT_EQ(StatusBox(*Window)->toPlainText(), "  HP+20"); // DEF -4 + 4 cancels out
}

TEST_F(WindowCommands, ShowsNamesOnHoverAndFramesTheLastPick) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    WithPicker(*Window, 2, [&] { ClickCell(*Window, 2); }); // item 13
    WithPicker(*Window, 2, [&] {
        EXPECT_EQ(EquipListBox(*Window)->ItemIndex(), 2); // the last pick is current again
        EXPECT_EQ(ItemNameLabel(*Window)->text(), "[-] Item13");
        QWidget* Cells = EquipListBox(*Window)->viewport();
        const QImage Shot = Cells->grab().toImage();
        EXPECT_EQ(Shot.pixelColor(0, 64), QColor(0, 0, 128)); // navy frame on cell 2
        EXPECT_NE(Shot.pixelColor(0, 32), QColor(0, 0, 128));
        QMouseEvent Move(QEvent::MouseMove, QPointF(200, 16), Cells->mapToGlobal(QPointF(200, 16)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Cells, &Move); // empty space
        EXPECT_EQ(ItemNameLabel(*Window)->text(), "");
    });
}

TEST_F(WindowCommands, StaysOpenUnlessCloseOnClickIsSet) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    bool OpenAfterClick = false;
    WithPicker(*Window, 2, [&] {
        ClickCell(*Window, 1);
        ClickCell(*Window, 2);
        OpenAfterClick = EquipPopup(*Window)->isVisible();
    });
    EXPECT_TRUE(OpenAfterClick);
    EXPECT_EQ(Window->Session().Chara().GetPart(2)->ItemID(), 13);
}

TEST_F(WindowCommands, ClosesOnClickWhenTheSettingsSaySo) {
    auto Window = Open("closeonclick=1\n");
    ChooseChara(*Window, 0);
    bool OpenAfterClick = true;
    WithPicker(*Window, 2, [&] {
        ClickCell(*Window, 1);
        OpenAfterClick = EquipPopup(*Window)->isVisible();
    });
    EXPECT_FALSE(OpenAfterClick);
    EXPECT_EQ(Window->Session().Chara().GetPart(2)->ItemID(), 12);
}

TEST_F(WindowCommands, StripsASlotWithARightClick) {
    auto Window = Open();
    RightClick(SlotImage(*Window, 1)); // no character: nothing
    ChooseChara(*Window, 0);
    WithPicker(*Window, 1, [&] { ClickCell(*Window, 1); });
    RightClick(SlotLabel(*Window, 1));
    EXPECT_EQ(Window->Session().Chara().GetPart(1), nullptr);
    EXPECT_EQ(Window->Session().PickedIndex(1), 0);
    EXPECT_EQ(SlotLabel(*Window, 1)->text(), "");
    EXPECT_EQ(StatusBox(*Window)->toPlainText(), "");
}

namespace {

// Each line of the status box with the font it is drawn in.
std::vector<std::pair<QString, QFont>> BoxLines(const TMemo& Box) {
    std::vector<std::pair<QString, QFont>> Lines;
    for (QTextBlock Block = Box.document()->firstBlock(); Block.isValid(); Block = Block.next()) {
        QFont Font = Box.font();
        if (Block.begin() != Block.end())
            Font = Block.begin().fragment().charFormat().font().resolve(Box.font());
        Lines.emplace_back(Block.text(), Font);
    }
    return Lines;
}

} // namespace

TEST_F(WindowCommands, ShowsEveryBonusLineWholeAlsoWithAllEightTypes) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    TMemo* Box = StatusBox(*Window);
    const int Classic = Box->font().pixelSize();
    for (const auto& [Slot, Id] : {std::pair{1, 11}, {2, 12}, {3, 15}, {4, 16}, {6, 17}})
        Window->Session().Wear(Slot, Window->Session().Game().EquipList()->FindItem(
                                         0, Slot, static_cast<std::uint16_t>(Id)));
    const QStringList Lines = Box->toPlainText().split('\n');
    ASSERT_EQ(Lines.size(), 8);
    EXPECT_EQ(Lines.last(), "射撃対抗力(%)+130");
    const QFontMetrics Metrics(Box->font());
    const int Margin = 2 * static_cast<int>(std::ceil(Box->document()->documentMargin()));
    // Each line in its own font: the box's, or a smaller one for a line too wide for that.
    for (const auto& [Line, Font] : BoxLines(*Box)) {
        EXPECT_LE(QFontMetrics(Font).horizontalAdvance(Line), Box->viewport()->width() - Margin)
            << Line.toStdString();
        EXPECT_LE(Font.pixelSize(), Box->font().pixelSize());
    }
    EXPECT_LE(Lines.size() * Metrics.lineSpacing(), Box->viewport()->height() - Margin);

    // A few lines keep the box's own size.
    Window->Session().ApplyCode(Window->Session().Code()); // no change
    for (int Slot : {3, 4, 6})
        Window->Session().Strip(Slot);
    EXPECT_EQ(Box->font().pixelSize(), Classic);
}

TEST_F(WindowCommands, ShrinksOnlyTheBonusLineThatDoesNotFit) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    TMemo* Box = StatusBox(*Window);
    const int Classic = Box->font().pixelSize();
    for (const auto& [Slot, Id] : {std::pair{1, 11}, {6, 17}})
        Window->Session().Wear(Slot, Window->Session().Game().EquipList()->FindItem(
                                         0, Slot, static_cast<std::uint16_t>(Id)));
    const auto Lines = BoxLines(*Box);
    ASSERT_GE(Lines.size(), 2u);
    EXPECT_EQ(Box->font().pixelSize(), Classic);
    int Long = 0;
    for (const auto& [Line, Font] : Lines) {
        if (Line.contains("射撃対抗力")) {
            ++Long;
            EXPECT_LT(Font.pixelSize(), Classic);
            EXPECT_LE(QFontMetrics(Font).horizontalAdvance(Line), Box->viewport()->width());
        } else {
            EXPECT_EQ(Font.pixelSize(), Classic) << Line.toStdString();
        }
    }
    EXPECT_EQ(Long, 1);
    // At 200 % the same, twice as large.
    Window->findChild<QAction*>("miZoom200")->trigger();
    EXPECT_EQ(Box->font().pixelSize(), 2 * Classic);
    for (const auto& [Line, Font] : BoxLines(*Box)) {
        if (!Line.contains("射撃対抗力")) {
            EXPECT_EQ(Font.pixelSize(), 2 * Classic) << Line.toStdString();
        }
    }
}

TEST_F(WindowCommands, EnablesSavingAndCopyingOnlyWithACharacter) {
    auto Window = Open();
    auto* Copy = Window->findChild<QAction*>("miCopyImage");
    ASSERT_NE(Copy, nullptr);
    emit FileMenu(*Window)->aboutToShow();
    EXPECT_FALSE(SaveImageAction(*Window)->isEnabled());
    EXPECT_FALSE(Copy->isEnabled());
    EXPECT_FALSE(SaveFavoriteMenu(*Window)->menuAction()->isEnabled());
    QGuiApplication::clipboard()->setText("kept");
    Copy->trigger(); // as a shortcut would, disabled or not: the clipboard keeps what it has
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    ChooseChara(*Window, 0);
    emit FavoritesMenu(*Window)->aboutToShow();
    EXPECT_TRUE(SaveImageAction(*Window)->isEnabled());
    EXPECT_TRUE(Copy->isEnabled());
    EXPECT_TRUE(SaveFavoriteMenu(*Window)->menuAction()->isEnabled());
}

TEST_F(WindowCommands, AppliesCodesFromTheBoxAndResyncsAfterAnInvalidOne) {
    auto Window = Open();
    QTest::keyClick(CodeBox(*Window), Qt::Key_Return); // empty: nothing
    EXPECT_TRUE(Messages.empty());
    CodeBox(*Window)->setText("AQ4AHAf0emdD");
    QTest::keyClick(CodeBox(*Window), Qt::Key_Return);
    EXPECT_EQ(Window->Session().Chara().Chara(), 14);
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), 14);

    CodeBox(*Window)->setText("AQ4AHAf0emdE");
    QTest::mouseClick(SetCodeButton(*Window), Qt::LeftButton);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(Messages[0].starts_with("Invalid code error.\n")) << Messages[0];
    // The character stays; the box keeps what was typed, to be mended.
    EXPECT_EQ(Window->Session().Chara().Chara(), 14);
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), 14);
    EXPECT_EQ(CodeBox(*Window)->text(), "AQ4AHAf0emdE");
}

TEST_F(WindowCommands, SavesFavouritesAndRestoresThemAfterARestart) {
    {
        auto Window = Open();
        ChooseChara(*Window, 7); // group 3
        WithPicker(*Window, 2, [&] { ClickCell(*Window, 1); });
        Window->Session().SetColor(1, 1, 8);
        NextName = "";
        SaveFavoriteMenu(*Window)->actions()[3]->trigger();
        EXPECT_EQ(SaveFavoriteMenu(*Window)->actions()[3]->text(), "Save4");
        EXPECT_EQ(LoadFavoriteMenu(*Window)->actions()[3]->text(), "Save4");
        EXPECT_TRUE(LoadFavoriteMenu(*Window)->actions()[3]->isEnabled());
        EXPECT_FALSE(LoadFavoriteMenu(*Window)->actions()[0]->isEnabled());
        NextName.reset(); // cancelled: nothing stored
        SaveFavoriteMenu(*Window)->actions()[0]->trigger();
        EXPECT_EQ(SaveFavoriteMenu(*Window)->actions()[0]->text(), "---");
    }
    auto Window = Open();
    EXPECT_EQ(LoadFavoriteMenu(*Window)->actions()[3]->text(), "Save4");
    ChooseChara(*Window, 0); // group 0
    LoadFavoriteMenu(*Window)->actions()[3]->trigger();
    EXPECT_EQ(Window->Session().Chara().Chara(), 7);
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), 7);
    ASSERT_NE(Window->Session().Chara().GetPart(2), nullptr);
    EXPECT_EQ(Window->Session().Chara().GetPart(2)->ItemID(), 12);
    EXPECT_EQ(Window->Session().Chara().GetColor(1, 1), 8);
    EXPECT_EQ(StatusBox(*Window)->toPlainText(), "  HP+10\n DEF-4");
}

TEST_F(WindowCommands, WritesAFavouriteAtOnceAndAsksBeforeReplacingOne) {
    auto Window = Open();
    ChooseChara(*Window, 7);
    QAction* Third = SaveFavoriteMenu(*Window)->actions()[2];
    NextName = "First";
    Third->trigger();
    EXPECT_EQ(Offered, std::vector<std::string>{"Iris"});
    // In the file while the window still runs: a crash or a logout does not lose it.
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("[Save3]\nname=First\n"), std::string::npos);

    NextName = "Second";
    {
        TBoxAnswerer No(QMessageBox::No);
        Third->trigger();
        EXPECT_EQ(No.Texts(), QStringList{"Replace the favorite \"First\"?"});
    }
    EXPECT_EQ(Offered.size(), 1u); // declined: not even asked for a name
    EXPECT_EQ(Third->text(), "First");
    {
        TBoxAnswerer Yes(QMessageBox::Yes);
        Third->trigger();
        EXPECT_EQ(Yes.Answered(), 1);
    }
    EXPECT_EQ(Offered.back(), "First"); // the replaced favourite's name is offered
    EXPECT_EQ(Third->text(), "Second");
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("name=Second\n"), std::string::npos);
}

TEST_F(WindowCommands, SaysInTheStatusLineWhetherAFavouriteWasSaved) {
    auto Window = Open();
    ChooseChara(*Window, 7);
    NextName = "Nina's dress";
    SaveFavoriteMenu(*Window)->actions()[2]->trigger();
    EXPECT_EQ(Window->statusBar()->currentMessage(), "Saved favorite 3, Nina's dress");
    NextName.reset();
    SaveFavoriteMenu(*Window)->actions()[0]->trigger();
    EXPECT_EQ(Window->statusBar()->currentMessage(), "Nothing saved: favorite 1 is as it was");
    {
        const TBoxAnswerer No(QMessageBox::No); // not replaced
        SaveFavoriteMenu(*Window)->actions()[2]->trigger();
    }
    EXPECT_EQ(Window->statusBar()->currentMessage(), "Nothing saved: favorite 3 is as it was");
    EXPECT_EQ(LoadFavoriteMenu(*Window)->actions()[2]->text(), "Nina's dress");
}

namespace {

// Favorites > Manage..., and what its list and buttons show.
struct TManager {
    explicit TManager(TfrmPelto& Window) {
        Window.findChild<QAction*>("miManageFavorites")->trigger();
        Dialog = Window.findChild<TFavoritesManager*>("frmFavorites");
        Places = Dialog->findChild<QListWidget*>("lbPlaces");
    }
    QString Text(int Place) const { return Places->item(Place - 1)->text(); }
    QImage Picture(int Place) const {
        return Places->item(Place - 1)->icon().pixmap(64, 64).toImage();
    }
    QPushButton* Button(const char* Name) const { return Dialog->findChild<QPushButton*>(Name); }
    void Click(int Place, const char* Name) const {
        Dialog->SelectPlace(Place);
        Button(Name)->click();
    }
    TFavoritesManager* Dialog;
    QListWidget* Places;
};

bool Blank(const QImage& Image) {
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X)
            if (qAlpha(Image.pixel(X, Y)) != 0)
                return false;
    return true;
}

} // namespace

TEST_F(WindowCommands, ManagesFavouritesAndSavesEveryChangeAtOnce) {
    {
        auto Window = Open("[Save2]\nname=Two\nchara=7\nparts2=12\n[Save3]\nname=Three\nchara=0\n");
        const TManager Manager(*Window);
        ASSERT_TRUE(Manager.Dialog->isVisible());
        // Centred over the window, as far as the screen allows.
        QRect Centred(QPoint(), Manager.Dialog->frameGeometry().size());
        Centred.moveCenter(Window->frameGeometry().center());
        EXPECT_LE((Manager.Dialog->frameGeometry().topLeft() -
                   PlaceOnScreen(Centred, Window->screen()->availableGeometry()))
                      .manhattanLength(),
                  2);
        EXPECT_EQ(Manager.Text(1), "1. (empty)");
        EXPECT_EQ(Manager.Text(2), "2. Two\nIris");
        EXPECT_EQ(Manager.Text(3), "3. Three\nRocco");
        EXPECT_TRUE(Blank(Manager.Picture(1)));
        EXPECT_FALSE(Blank(Manager.Picture(2)));
        EXPECT_NE(Manager.Picture(2), Manager.Picture(3)); // each its own character
        // A selected row draws its picture in the selected mode: untinted, as it is.
        EXPECT_EQ(Manager.Places->item(1)->icon().pixmap(64, 64, QIcon::Selected).toImage(),
                  Manager.Picture(2));
        EXPECT_EQ(Window->Session().CharaIndex(), -1); // drawn aside, not in the window
        Manager.Dialog->SelectPlace(1);
        EXPECT_FALSE(Manager.Button("btnRename")->isEnabled()); // nothing to rename
        EXPECT_FALSE(Manager.Button("btnMoveDown")->isEnabled());

        NextName = "Deux";
        Manager.Click(2, "btnRename");
        EXPECT_EQ(Offered.back(), "Two");
        EXPECT_EQ(Manager.Text(2), "2. Deux\nIris");
        EXPECT_EQ(LoadFavoriteMenu(*Window)->actions()[1]->text(), "Deux");
        EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("[Save2]\nname=Deux\n"), std::string::npos);

        const QImage Iris = Manager.Picture(2);
        Manager.Click(2, "btnMoveUp");
        EXPECT_EQ(Manager.Text(1), "1. Deux\nIris");
        EXPECT_EQ(Manager.Text(2), "2. (empty)");
        EXPECT_EQ(Manager.Picture(1), Iris);
        EXPECT_EQ(Manager.Dialog->SelectedPlace(), 1); // the moved one, for another move
        EXPECT_FALSE(Manager.Button("btnMoveUp")->isEnabled());
        EXPECT_FALSE(LoadFavoriteMenu(*Window)->actions()[1]->isEnabled());
        Manager.Click(3, "btnMoveDown");
        EXPECT_EQ(Manager.Text(4), "4. Three\nRocco");
        EXPECT_EQ(SaveFavoriteMenu(*Window)->actions()[3]->text(), "Three");
        {
            const TBoxAnswerer No(QMessageBox::No);
            Manager.Click(4, "btnDelete");
            EXPECT_EQ(No.Texts(), QStringList{"Delete the favorite \"Three\"?"});
        }
        EXPECT_EQ(Manager.Text(4), "4. Three\nRocco");
        {
            const TBoxAnswerer Yes(QMessageBox::Yes);
            Manager.Click(4, "btnDelete");
        }
        EXPECT_EQ(Manager.Text(4), "4. (empty)");
        EXPECT_FALSE(LoadFavoriteMenu(*Window)->actions()[3]->isEnabled());

        // A favourite saved from the menu shows in the open list.
        ChooseChara(*Window, 0);
        NextName = "Five";
        SaveFavoriteMenu(*Window)->actions()[4]->trigger();
        EXPECT_EQ(Manager.Text(5), "5. Five\nRocco");
        Manager.Button("btnClose")->click();
        EXPECT_FALSE(Manager.Dialog->isVisible());
    }
    const std::string File = ReadText(Dir.File("pelto.ini"));
    for (const char* Gone : {"[Save2]", "[Save3]", "[Save4]"})
        EXPECT_EQ(File.find(Gone), std::string::npos) << Gone << " in\n" << File;
    auto Window = Open();
    QStringList Entries;
    for (QAction* Entry : LoadFavoriteMenu(*Window)->actions())
        Entries << Entry->text() + (Entry->isEnabled() ? "" : " (off)");
    EXPECT_EQ(Entries.mid(0, 6),
              (QStringList{"Deux", "--- (off)", "--- (off)", "--- (off)", "Five", "--- (off)"}));
    LoadFavoriteMenu(*Window)->actions()[0]->trigger();
    EXPECT_EQ(Window->Session().CharaIndex(), 7);
    ASSERT_NE(Window->Session().Worn(2), nullptr);
    EXPECT_EQ(Window->Session().Worn(2)->ItemID(), 12);
}

TEST_F(WindowCommands, OffersTheCharactersNameInTheFolderLastUsedAlsoAfterARestart) {
    const std::string Images = Dir.Path() + "images/";
    std::filesystem::create_directories(Images);
    const auto SaveAs = [&](TfrmPelto& Window, const std::string& Name, QString& Offered,
                            QString& Folder) {
        QTimer::singleShot(0, [&] {
            QFileDialog* Dialog = SaveDialog(Window);
            Offered = Dialog->findChild<QLineEdit*>("fileNameEdit")->text();
            Folder = Dialog->directory().absolutePath() + "/";
            Dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(Name));
            QMetaObject::invokeMethod(Dialog, "accept");
        });
        SaveImageAction(Window)->trigger();
    };
    QString Offered, Folder;
    {
        auto Window = Open();
        ChooseChara(*Window, 7);
        SaveAs(*Window, Images + "first", Offered, Folder);
        EXPECT_EQ(Offered, "Iris.bmp");
        ASSERT_TRUE(std::filesystem::exists(Images + "first.bmp"));
        ChooseChara(*Window, 0);
        SaveAs(*Window, Images + "second", Offered, Folder);
        EXPECT_EQ(Offered, "Rocco.bmp");
        EXPECT_EQ(Folder.toStdString(), Images);
    }
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("imagefolder=" + Images), std::string::npos);
    auto Window = Open();
    ChooseChara(*Window, 14);
    SaveAs(*Window, Images + "third", Offered, Folder);
    EXPECT_EQ(Offered, "Karin Liebtrud.bmp");
    EXPECT_EQ(Folder.toStdString(), Images);
}

TEST_F(WindowCommands, ExportsAsChosenAndOffersTheSameChoicesNextTime) {
    std::vector<TPeltoSettings::TExportChoices> Offered;
    std::vector<std::string> OfferedNames;
    const auto Prompted = [&](TfrmPelto& Window, TPeltoSettings::TExportChoices Chosen,
                              std::string Name) {
        Window.OnPromptExport = [&, Chosen, Name](TPeltoSettings::TExportChoices& Choices,
                                                  QString& FileName) {
            Offered.push_back(Choices);
            OfferedNames.push_back(FileName.toStdString());
            Choices = Chosen;
            FileName = QString::fromStdString(Name);
            return true;
        };
    };
    TPeltoSettings::TExportChoices Chosen;
    Chosen.Format = "tapng";
    Chosen.Scale = 2;
    Chosen.Delay = 200;
    {
        auto Window = Open();
        ChooseChara(*Window, 7);
        auto* Export = Window->findChild<QAction*>("miExport");
        ASSERT_NE(Export, nullptr);
        Prompted(*Window, Chosen, Dir.File("iris")); // the extension is added
        Export->trigger();
        ASSERT_TRUE(std::filesystem::exists(Dir.File("iris.png")));
        EXPECT_EQ(OfferedNames.back(), QDir::homePath().toStdString() + "/Iris");
        EXPECT_TRUE(Offered.back() == TPeltoSettings::TExportChoices{});

        // What the model writes for the same choices, byte for byte, the code included.
        TExportOptions Options;
        Options.Format = FindExportFormat("tapng");
        Options.Scale = 2;
        Options.Delay = 200;
        Options.Code = Window->Session().Code();
        ExportPicture(Window->Session(), Options, Dir.File("model.png"));
        EXPECT_EQ(ReadFileBytes(Dir.File("iris.png")), ReadFileBytes(Dir.File("model.png")));
    }
    auto Window = Open();
    ChooseChara(*Window, 0);
    Prompted(*Window, Chosen, Dir.File("rocco.png"));
    Window->findChild<QAction*>("miExport")->trigger();
    EXPECT_TRUE(Offered.back() == Chosen); // kept in the settings file
    EXPECT_EQ(OfferedNames.back(), Dir.File("Rocco"));
}

TEST_F(WindowCommands, RewritesTheExtensionWhenTheTypeChanges) {
    auto Window = Open();
    QFileDialog* Dialog = SaveDialog(*Window);
    auto* NameBox = Dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(NameBox, nullptr);
    NameBox->setText("image.gif");
    Dialog->selectNameFilter("Bitmap (*.bmp)");
    emit Dialog->filterSelected("Bitmap (*.bmp)");
    EXPECT_EQ(NameBox->text(), "image.bmp");
    NameBox->setText("/some/where/pic");
    Dialog->selectNameFilter("Transparent PNG (*.png)");
    emit Dialog->filterSelected("Transparent PNG (*.png)");
    EXPECT_EQ(NameBox->text(), "pic.png");
}

TEST_F(WindowCommands, SavesEveryImageType) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    QFileDialog* Dialog = SaveDialog(*Window);
    const QStringList Filters = Dialog->nameFilters();
    ASSERT_EQ(Filters.size(), 6);
    const char* Names[] = {"a", "b.png", "c.png", "d.png", "e.gif", "f"};
    const char* Expected[] = {"a.bmp", "b.jpg", "c.png", "d.png", "e.gif", "f.gif"};
    for (int Type = 0; Type < 6; ++Type) {
        QTimer::singleShot(0, [&] {
            Dialog->selectNameFilter(Filters[Type]);
            // Typed into the name box, as a user does.
            Dialog->findChild<QLineEdit*>("fileNameEdit")
                ->setText(QString::fromStdString(Dir.File(Names[Type])));
            QMetaObject::invokeMethod(Dialog, "accept");
        });
        SaveImageAction(*Window)->trigger();
        std::string Listing;
        for (const auto& Entry : std::filesystem::directory_iterator(Dir.Path()))
            Listing += Entry.path().filename().string() + " ";
        ASSERT_TRUE(std::filesystem::exists(Dir.File(Expected[Type])))
            << Expected[Type] << ": " << Listing;
    }
    EXPECT_EQ(ReadFileBytes(Dir.File("a.bmp")).size(), 54u + 128 * 128 * 3);
    const auto Png = test::DecodePng(ReadFileBytes(Dir.File("d.png")), PNG_FORMAT_RGBA);
    EXPECT_EQ(Png.Pixels[3], 0);                         // transparent corner
    EXPECT_EQ(Png.Pixels[4 * (40 * 128 + 50) + 3], 255); // the body
    const test::TDecodedGif Gif(ReadFileBytes(Dir.File("f.gif")));
    EXPECT_EQ(Gif->ImageCount, Window->Session().Chara().GetFrameCount());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(WindowCommands, AClickOutsideClosesThePickerAndStillActs) {
    auto Window = Open();
    Window->show();
    ChooseChara(*Window, 0);
    bool Closed = false;
    WithPicker(*Window, 1, [&] {
        // A press on the view, outside the pop-up: it closes, and the view still turns.
        QWidget* Surface = reinterpret_cast<QWidget*>(View(*Window));
        const QPoint Target = Surface->mapToGlobal(QPoint(127, 64));
        QWidget* Popup = EquipPopup(*Window);
        QMouseEvent Press(QEvent::MouseButtonPress, Popup->mapFromGlobal(Target), Target,
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Popup, &Press);
        QMouseEvent Release(QEvent::MouseButtonRelease, Popup->mapFromGlobal(Target), Target,
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Popup, &Release);
        Closed = !EquipPopup(*Window)->isVisible();
    });
    EXPECT_TRUE(Closed);
    QApplication::processEvents();
    EXPECT_EQ(Window->Session().Chara().Direction(), 6);
}

TEST_F(WindowCommands, ExportAsksBeforeReplacingAFileAndSaysWhatItWrote) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    const std::string Picture = Dir.File("rocco.png");
    std::ofstream(Picture) << "old";
    TPeltoSettings::TExportChoices Chosen; // PNG
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Choices, QString& FileName) {
        Choices = Chosen;
        FileName = QString::fromStdString(Picture);
        return true;
    };
    auto* Export = Window->findChild<QAction*>("miExport");
    const auto Said = [&] {
        return Window->statusBar()->currentMessage().toStdString();
    };
    {
        test::TBoxAnswerer No(QMessageBox::No);
        Export->trigger();
        ASSERT_EQ(No.Answered(), 1);
        EXPECT_TRUE(No.Texts().front().startsWith("rocco.png already exists."));
    }
    EXPECT_EQ(test::ReadText(Picture), "old");
    EXPECT_EQ(Said(), "Nothing was saved");
    {
        test::TBoxAnswerer Yes(QMessageBox::Yes);
        Export->trigger();
        EXPECT_EQ(Yes.Answered(), 1);
    }
    EXPECT_NE(test::ReadText(Picture), "old");
    EXPECT_EQ(Said(), "Saved rocco.png, 128 × 128");

    // An animation says its size and frames; a sheet is two files, each asked about.
    std::filesystem::remove(Picture);
    Chosen.Format = "apng";
    Chosen.Scale = 3;
    Export->trigger();
    EXPECT_EQ(Said(), "Saved rocco.png, 384 × 384, " +
                          std::to_string(Window->Session().FrameCount()) + " frames");
    std::filesystem::remove(Picture);
    Chosen.Format = "sheet";
    std::ofstream(Dir.File("rocco.json")) << "{}";
    {
        test::TBoxAnswerer No(QMessageBox::No);
        Export->trigger();
        ASSERT_EQ(No.Answered(), 1);
        EXPECT_TRUE(No.Texts().front().startsWith("rocco.json already exists."));
    }
    EXPECT_FALSE(std::filesystem::exists(Picture));

    Window->OnPromptExport = [](TPeltoSettings::TExportChoices&, QString&) {
        return false;
    };
    Window->statusBar()->clearMessage();
    Export->trigger();
    EXPECT_EQ(Said(), "Nothing was saved");
    Window->findChild<QAction*>("miCopyImage")->trigger();
    EXPECT_EQ(Said(), "Copied the picture, 128 × 128");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(WindowCommands, ExportKeepsTheClassicGifPaceUnlessTheUserSetsAnother) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    TPeltoSettings::TExportChoices Choices;
    QString Name = QString::fromStdString(Dir.File("rocco"));
    std::vector<int> Shown;
    QTimer::singleShot(0, [&] {
        QWidget* Dialog = QApplication::activeModalWidget();
        ASSERT_NE(Dialog, nullptr);
        auto* Format = Dialog->findChild<QComboBox*>("cbExportFormat");
        auto* Delay = Dialog->findChild<QSpinBox*>("seExportDelay");
        const auto Choose = [&](const char* Kind) {
            Format->setCurrentIndex(Format->findData(Kind));
            Shown.push_back(Delay->value());
        };
        Choose("gif");
        Choose("apng");
        Choose("tgif");
        Dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(Window->PromptExport(Choices, Name));
    EXPECT_EQ(Shown, (std::vector<int>{160, 167, 160}));
    EXPECT_EQ(Choices.Format, "tgif");
    EXPECT_EQ(Choices.Delay, DefaultExportDelay); // nothing chosen: each format keeps its own

    // Written at 16 hundredths, as Save Image As writes it.
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Asked, QString& FileName) {
        Asked = Choices;
        FileName = QString::fromStdString(Dir.File("window.gif"));
        return true;
    };
    Window->findChild<QAction*>("miExport")->trigger();
    TExportOptions Options;
    Options.Format = FindExportFormat("tgif");
    Options.Code = Window->Session().Code();
    ExportPicture(Window->Session(), Options, Dir.File("model.gif"));
    EXPECT_EQ(ReadFileBytes(Dir.File("window.gif")), ReadFileBytes(Dir.File("model.gif")));

    // A delay the user sets holds for every format.
    QTimer::singleShot(0, [&] {
        QWidget* Dialog = QApplication::activeModalWidget();
        ASSERT_NE(Dialog, nullptr);
        Dialog->findChild<QSpinBox*>("seExportDelay")->setValue(250);
        auto* Format = Dialog->findChild<QComboBox*>("cbExportFormat");
        Format->setCurrentIndex(Format->findData("gif"));
        Shown.push_back(Dialog->findChild<QSpinBox*>("seExportDelay")->value());
        Dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(Window->PromptExport(Choices, Name));
    EXPECT_EQ(Shown.back(), 250);
    EXPECT_EQ(Choices.Delay, 250);
}

TEST_F(WindowCommands, ExportOffersBundlesLayersAndPortraitsWithAPreviewOfTheCrop) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    TPeltoSettings::TExportChoices Choices;
    QString Name = QString::fromStdString(Dir.File("rocco"));
    QString Size;
    QSize Preview;
    bool LayersForSheet = true;
    QTimer::singleShot(0, [&] {
        QWidget* Dialog = QApplication::activeModalWidget();
        ASSERT_NE(Dialog, nullptr);
        auto* Format = Dialog->findChild<QComboBox*>("cbExportFormat");
        ASSERT_GE(Format->findData("tbundle"), 0);
        ASSERT_GE(Format->findData("aseprite"), 0);
        Format->setCurrentIndex(Format->findData("tsheet"));
        LayersForSheet = Dialog->findChild<QCheckBox*>("chExportLayers")->isVisibleTo(Dialog);
        Format->setCurrentIndex(Format->findData("tpng"));
        auto* Crop = Dialog->findChild<QComboBox*>("cbExportCrop");
        Crop->setCurrentIndex(2); // the head
        Dialog->findChild<QCheckBox*>("chExportFlip")->setChecked(true);
        Dialog->findChild<QCheckBox*>("chExportCanvas")->setChecked(true);
        Dialog->findChild<QSpinBox*>("seExportCanvasWidth")->setValue(300);
        Dialog->findChild<QSpinBox*>("seExportCanvasHeight")->setValue(200);
        auto* Anchor = Dialog->findChild<QComboBox*>("cbExportAnchor");
        Anchor->setCurrentIndex(1);
        Size = Dialog->findChild<QLabel*>("lblExportSize")->text();
        Preview = Dialog->findChild<QLabel*>("lblExportPreview")->pixmap().size();
        Format->setCurrentIndex(Format->findData("tbundle"));
        Dialog->findChild<QCheckBox*>("chExportLayers")->setChecked(true);
        Dialog->grab().save("/tmp/export-dialog-grab.png");
        Dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(Window->PromptExport(Choices, Name));
    EXPECT_FALSE(LayersForSheet) << "layers are for bundles";
    EXPECT_EQ(Size, "300 × 200 pixels");
    EXPECT_EQ(Preview.width(), 160) << "fitted";
    EXPECT_NEAR(Preview.width() / double(Preview.height()), 1.5, 0.02) << "of the canvas's shape";
    EXPECT_EQ(Choices.Format, "tbundle");
    EXPECT_EQ(Choices.Crop, "head");
    EXPECT_TRUE(Choices.Flip);
    EXPECT_EQ(Choices.CanvasWidth, 300);
    EXPECT_EQ(Choices.CanvasHeight, 200);
    EXPECT_EQ(Choices.Anchor, "center");
    EXPECT_TRUE(Choices.Layers);
    EXPECT_TRUE(Name.endsWith(".zip"));

    // The choices are kept in the settings and come back in the next dialog.
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Asked, QString& FileName) {
        EXPECT_EQ(Asked, TPeltoSettings::TExportChoices{}) << "nothing kept before an export";
        Asked = Choices;
        FileName = QString::fromStdString(Dir.File("r.zip"));
        return true;
    };
    Window->findChild<QAction*>("miExport")->trigger();
    EXPECT_TRUE(std::filesystem::exists(Dir.File("r.zip")));
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Asked, QString&) {
        EXPECT_EQ(Asked, Choices);
        return false;
    };
    Window->findChild<QAction*>("miExport")->trigger();
}

TEST_F(WindowCommands, ExportDialogTakesEveryFormatWithEveryCropInAnyOrder) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    // A trim kept from before is the crop to the drawn pixels, the one control for both.
    TPeltoSettings::TExportChoices Choices;
    Choices.Trim = true;
    QString Name = QString::fromStdString(Dir.File("rocco"));
    int Walked = 0;
    QTimer::singleShot(0, [&] {
        QWidget* Dialog = QApplication::activeModalWidget();
        ASSERT_NE(Dialog, nullptr);
        auto* Format = Dialog->findChild<QComboBox*>("cbExportFormat");
        auto* Crop = Dialog->findChild<QComboBox*>("cbExportCrop");
        auto* Scope = Dialog->findChild<QComboBox*>("cbExportScope");
        auto* Size = Dialog->findChild<QLabel*>("lblExportSize");
        EXPECT_EQ(Crop->currentIndex(), static_cast<int>(TExportCrop::Body));
        // The crop chosen before the format and after it: each order once.
        for (const bool CropFirst : {false, true})
            for (int F = 0; F < Format->count(); ++F)
                for (int C = 0; C < Crop->count(); ++C) {
                    Crop->setCurrentIndex(CropFirst ? C : 0);
                    Format->setCurrentIndex(F);
                    Crop->setCurrentIndex(C);
                    const TExportFormat& Chosen = ExportFormats[static_cast<std::size_t>(F)];
                    EXPECT_EQ(Scope->isVisibleTo(Dialog), HasScope(Chosen)) << Chosen.Name;
                    EXPECT_TRUE(Size->text().contains(" × ")) << Chosen.Name << " crop " << C;
                    ++Walked;
                }
        Format->setCurrentIndex(Format->findData("tbundle"));
        Crop->setCurrentIndex(static_cast<int>(TExportCrop::Body));
        Dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(Window->PromptExport(Choices, Name));
    EXPECT_EQ(Walked, 2 * static_cast<int>(ExportFormats.size()) * 3);
    EXPECT_EQ(Choices.Crop, "body");
    EXPECT_FALSE(Choices.Trim);

    // What the dialog planned is what Export writes.
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Asked, QString& FileName) {
        Asked = Choices;
        FileName = QString::fromStdString(Dir.File("trimmed.zip"));
        return true;
    };
    Window->findChild<QAction*>("miExport")->trigger();
    EXPECT_TRUE(std::filesystem::exists(Dir.File("trimmed.zip")));
}

TEST_F(WindowCommands, ExportWarnsBeforeAPictureViewersRefuse) {
    auto Window = Open();
    ChooseChara(*Window, 0);
    std::vector<std::pair<int, int>> Asked;
    Window->OnConfirmLargePicture = [&](int Width, int Height) {
        Asked.emplace_back(Width, Height);
        return false;
    };
    TPeltoSettings::TExportChoices Choices;
    Choices.Format = "tsheet";
    Choices.Scope = "all";
    Choices.Scale = 4;
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Chosen, QString& FileName) {
        Chosen = Choices;
        FileName = QString::fromStdString(Dir.File("all.png"));
        return true;
    };
    Window->findChild<QAction*>("miExport")->trigger();
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_GT(Asked[0].second, 16384);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("all.png")));
    EXPECT_EQ(Window->statusBar()->currentMessage(), "Nothing was saved");
    Choices.Scope = "directions"; // 8 rows of 512: no word needed
    Window->findChild<QAction*>("miExport")->trigger();
    EXPECT_EQ(Asked.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(Dir.File("all.png")));
}
