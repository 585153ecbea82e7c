// What a new user meets: every dialog and control taken once, the picker on what is worn, the
// classic spelling, and settings that outlive a crash.
#include "ui/UMain.h"

#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "demo/DemoInstallation.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "model/Settings.h"
#include "platform/IniFile.h"
#include "platform/ShiftJis.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <tuple>

#include <fstream>

using namespace pelto;
using namespace pelto::test;

namespace {

// Takes every choice of every enabled control once: each combo entry, each check box both ways,
// each spin box at both ends. Buttons that act (OK, Browse...) are left to the caller.
void TakeEveryChoice(QWidget& Root) {
    for (auto* Box : Root.findChildren<QComboBox*>())
        if (Box->isEnabled() && Box->isVisibleTo(&Root))
            for (int Index = 0; Index < Box->count(); ++Index)
                Box->setCurrentIndex(Index);
    for (auto* Button : Root.findChildren<QAbstractButton*>())
        if (Button->isCheckable() && Button->isEnabled() && Button->isVisibleTo(&Root)) {
            Button->click();
            Button->click();
        }
    for (auto* Spin : Root.findChildren<QSpinBox*>())
        if (Spin->isEnabled() && Spin->isVisibleTo(&Root)) {
            const int Was = Spin->value();
            Spin->setValue(Spin->maximum());
            Spin->setValue(Spin->minimum());
            Spin->setValue(Was);
        }
    for (auto* Slider : Root.findChildren<QSlider*>())
        if (Slider->isEnabled())
            Slider->setValue(Slider->maximum());
}

class NewUserWalk : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages << Text; });
        Window = OpenDemoWindow(Dir.Path(), 3);
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    void TearDown() override {
        Window.reset();
        SetMessageSink({});
    }

    TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
    QStringList Messages;
};

TEST_F(NewUserWalk, EveryMenuCommandItsDialogAndTheirControlsTakeEachChoice) {
    // Commands that leave the program or the machine are not walked.
    const QStringList Skipped{"&Exit", "&Visit Homepage"};
    Window->OnPromptText = [](const QString&, const QString&, QString& Value) {
        Value = "walk";
        return true;
    };
    int Dialogs = 0;
    QTimer Answerer;
    QObject::connect(&Answerer, &QTimer::timeout, [&] {
        auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!Dialog || Dialog->property("walked").toBool())
            return;
        Dialog->setProperty("walked", true); // a dialog it opens is walked in its turn
        ++Dialogs;
        TakeEveryChoice(*Dialog);
        Dialog->reject();
    });
    Answerer.start(20);
    int Commands = 0;
    for (QAction* Menu : Window->menuBar()->actions())
        for (QAction* Entry : Menu->menu()->findChildren<QAction*>()) {
            if (Entry->isSeparator() || Entry->menu() || !Entry->isEnabled() ||
                Skipped.contains(Entry->text()))
                continue;
            SCOPED_TRACE(Entry->text().toStdString());
            test::RunCommand([&] { Entry->trigger(); });
            ++Commands;
            // Windows of their own (the favourites' manager, Find Item) are walked and closed.
            for (QWidget* Top : QApplication::topLevelWidgets())
                if (Top != Window.get() && Top->isVisible() && !qobject_cast<QMenu*>(Top) &&
                    Top->isWindow() && Top->windowType() != Qt::Popup) {
                    TakeEveryChoice(*Top);
                    Top->close();
                }
        }
    EXPECT_GT(Commands, 30);
    EXPECT_GE(Dialogs, 4) << "export, save, colour, about at least";
    EXPECT_EQ(Window->Session().CharaIndex() >= 0, true);
}

TEST_F(NewUserWalk, EnglishTextsUseTheClassicAmericanSpelling) {
    const QRegularExpression British("colour|favourite|centre|centred|normalis|grey",
                                     QRegularExpression::CaseInsensitiveOption);
    QStringList Texts;
    for (QAction* Action : Window->findChildren<QAction*>())
        Texts << Action->text() << Action->toolTip() << Action->statusTip();
    for (QWidget* Control : Window->findChildren<QWidget*>()) {
        Texts << Control->toolTip() << Control->statusTip() << Control->whatsThis();
        if (auto* Label = qobject_cast<QLabel*>(Control))
            Texts << Label->text();
        if (auto* Button = qobject_cast<QAbstractButton*>(Control))
            Texts << Button->text();
    }
    for (const QString& Text : Texts)
        EXPECT_FALSE(British.match(Text).hasMatch()) << Text.toStdString();

    // The code box's caption ends clear of the box, its text drawn whole.
    const QLineEdit* Code = CodeBox(*Window);
    for (const QLabel* Label : Window->findChildren<QLabel*>())
        if (Label->text() == TfrmPelto::tr("Code:")) {
            EXPECT_GE(Code->x() -
                          (Label->x() + Label->fontMetrics().horizontalAdvance(Label->text())),
                      3);
        }
}

TEST_F(NewUserWalk, ThePickerOpensOnTheWornItemAndFollowsTheWheel) {
    // Lists of many pages, as a real installation's.
    const TTempDir Game;
    WriteDemoInstallation(Game.Path(), TDemoScale::Full);
    std::ofstream(Dir.File("full.ini")) << "[pelto]\nwlopath=" << Game.Path() << "\n";
    Window = std::make_unique<TfrmPelto>(TStartupOptions{
        Dir.File("full.ini"), [](std::string&, const std::string&) { return false; }, {}});
    ChooseChara(*Window, 3);
    Window->show();
    TDressingSession& Session = Window->Session();
    const auto& Heads = Session.List(1);
    ASSERT_GT(Heads.size(), 100u) << "more than a page of items";
    // Worn through a code, never picked by hand: the remembered position says "---".
    const int Far = static_cast<int>(Heads.size()) - 2;
    const TWLOItemData* Hood = Heads[static_cast<std::size_t>(Far)].Item;
    Session.Wear(1, Hood);
    ASSERT_EQ(Session.PickedIndex(1), 0);
    WithPicker(*Window, 1, [&] {
        TEquipListBox* List = EquipListBox(*Window);
        EXPECT_EQ(List->ItemIndex(), Far);
        EXPECT_TRUE(List->viewport()->rect().contains(List->ItemRect(Far)));
        EXPECT_EQ(ItemNameLabel(*Window)->text().toStdString(), SjisToUtf8(EquipEntryText(*Hood)));
        QTest::keyClick(List, Qt::Key_Return);
        EXPECT_EQ(Session.Worn(1), Hood) << "Enter keeps on what is worn";
    });

    WithPicker(*Window, 1, [&] {
        TEquipListBox* List = EquipListBox(*Window);
        QWidget* Cells = List->viewport();
        List->SetItemIndex(0);
        const QPoint At = List->ItemRect(0).center();
        QMouseEvent Move(QEvent::MouseMove, At, Cells->mapToGlobal(At), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(Cells, &Move);
        // The wheel turns the list under a pointer that stays where it is.
        QWheelEvent Wheel(At, Cells->mapToGlobal(At), {}, {0, -3 * 120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Cells, &Wheel);
        const int Under = List->ItemAt(At);
        ASSERT_GT(Under, 0);
        EXPECT_EQ(List->ItemIndex(), Under);
        EXPECT_EQ(ItemNameLabel(*Window)->text().toStdString(),
                  SjisToUtf8(Heads[static_cast<std::size_t>(Under)].Text()));
    });
}

TEST_F(NewUserWalk, SettingsReachTheFileAsTheyChangeNotOnlyAtTheEnd) {
    const auto Kept = [&] {
        TPeltoSettings Settings;
        const TIniFile Ini(Dir.File("pelto.ini"));
        LoadSettings(Ini, Settings);
        return Settings;
    };
    Window->Session().SetDirection(6);
    Window->findChild<QAction*>("miZoom200")->trigger();
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices& Choices, QString& FileName) {
        Choices.Format = "tsheet";
        Choices.Crop = "body";
        Choices.Motions = "3,0";
        Choices.Directions = "engine";
        Choices.Padding = 2;
        Choices.Extrude = 1;
        FileName = QString::fromStdString(Dir.File("walk"));
        return true;
    };
    Window->findChild<QAction*>("miExport")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Kept().Export.has_value(); }, 3000));
    const TPeltoSettings Settings = Kept();
    EXPECT_EQ(Settings.Export->Format, "tsheet");
    EXPECT_EQ(Settings.Export->Crop, "body");
    EXPECT_EQ(std::tie(Settings.Export->Motions, Settings.Export->Directions,
                       Settings.Export->Padding, Settings.Export->Extrude),
              std::make_tuple("3,0", "engine", 2, 1));
    EXPECT_EQ(Settings.ImageFolder, Dir.Path());
    EXPECT_EQ(Settings.Zoom, 200);
    EXPECT_EQ(Settings.LastCode, Window->Session().Code());
    EXPECT_EQ(Settings.LastDirection, 6);
}

} // namespace
