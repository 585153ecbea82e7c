// The main window driven with real mouse events on a demo installation.
#include "ui/UMain.h"

#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "export/PictureExport.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"
#include "writers/ItemTableWriter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

using namespace pelto;
using namespace pelto::test;
using pelto::test::ReadText;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
    }
    void TearDown() override { SetMessageSink({}); }

    std::string Game() const { return test::DemoGame(); }

    std::unique_ptr<TfrmPelto> Open(const std::string& Settings) {
        std::ofstream(Dir.File("pelto.ini")) << Settings;
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.FolderPrompt = [this](std::string& Directory, const std::string& Problem) {
            Prompts.push_back(Directory);
            Problems.push_back(Problem);
            if (Picks.empty())
                return false;
            Directory = Picks.front();
            Picks.erase(Picks.begin());
            return true;
        };
        return std::make_unique<TfrmPelto>(Options);
    }
    std::unique_ptr<TfrmPelto> OpenOnDemo() { return Open("[pelto]\nwlopath=" + Game() + "\n"); }

    static void Choose(TfrmPelto& Window, int Chara) {
        QComboBox* Box = CharaBox(Window);
        Box->setCurrentIndex(Chara);
        emit Box->activated(Chara);
    }
    static void Click(QWidget* Widget, QPoint At, Qt::MouseButton Button = Qt::LeftButton) {
        QTest::mouseClick(Widget, Button, Qt::NoModifier, At);
    }
    static void Click(QWidget* Widget) { QTest::mouseClick(Widget, Qt::LeftButton); }

    test::TTempDir Dir;
    std::vector<std::string> Messages;
    std::vector<std::string> Prompts;
    std::vector<std::string> Problems;
    std::vector<std::string> Picks; // the folders the user picks in turn, then a cancel
};

} // namespace

TEST_F(MainWindow, StartsWithNoCharacterAndAWhiteView) {
    auto Window = OpenOnDemo();
    ASSERT_FALSE(Window->StartupFailed());
    EXPECT_EQ(CharaBox(*Window)->count(), 15);
    EXPECT_EQ(CharaBox(*Window)->itemText(14), "Karin Liebtrud");
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), -1);
    EXPECT_EQ(Window->Session().Chara().Chara(), -1);
    EXPECT_TRUE(Window->Playing());
    EXPECT_EQ(Window->windowTitle(), "PELTO in Wonderland");
    EXPECT_EQ(Window->centralWidget()->size(), QSize(402, 296));
    Click(View(*Window), {64, 64}); // ignored without a character
    EXPECT_EQ(Window->Session().Chara().Motion(), 0);
    EXPECT_EQ(Window->Session().Canvas().ScanLine(64)[64 * 3], 255);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(MainWindow, TurnsTheCharacterTowardsTheClickedCell) {
    auto Window = OpenOnDemo();
    Choose(*Window, 0);
    const TDrawChara& Chara = Window->Session().Chara();
    // The character faces the side clicked: 0 the top, then counter-clockwise in 45 degree
    // steps, 4 the viewer. The 128-pixel view has cells of 43, 43 and 42 pixels. (QTest takes
    // the point (0, 0) for the widget's centre, hence 1.)
    constexpr int Grid[3][3] = {{1, 0, 7}, {2, -1, 6}, {3, 4, 5}};
    constexpr int First[3] = {1, 43, 86};
    constexpr int Last[3] = {42, 85, 127};
    for (const auto* Corner : {First, Last})
        for (int Row = 0; Row < 3; ++Row)
            for (int Column = 0; Column < 3; ++Column) {
                if (Grid[Row][Column] < 0)
                    continue;
                // Either button turns; the second round uses the right one.
                Click(View(*Window), {Corner[Column], Corner[Row]},
                      Corner == Last ? Qt::RightButton : Qt::LeftButton);
                EXPECT_EQ(Chara.Direction(), Grid[Row][Column])
                    << "row " << Row << ", column " << Column;
            }
    EXPECT_EQ(Chara.Motion(), 0);

    // The centre cell changes the motion: the left button forwards, the right one back.
    Click(View(*Window), {43, 43});
    EXPECT_EQ(Chara.Motion(), 1);
    Click(View(*Window), {85, 85});
    EXPECT_EQ(Chara.Motion(), 2);
    Click(View(*Window), {64, 64}, Qt::RightButton);
    EXPECT_EQ(Chara.Motion(), 1);
    Click(View(*Window), {85, 43}, Qt::RightButton);
    Click(View(*Window), {43, 85}, Qt::RightButton);
    EXPECT_EQ(Chara.Motion(), 18);
    Click(View(*Window), {64, 64}, Qt::MiddleButton);
    EXPECT_EQ(Chara.Motion(), 18);
    EXPECT_EQ(Chara.Direction(), 5);
}

TEST_F(MainWindow, StepsAndStopsTheAnimation) {
    auto Window = OpenOnDemo();
    Choose(*Window, 3);
    ASSERT_GT(Window->Session().Chara().GetFrameCount(), 2);
    const int Frame = Window->Session().Chara().Frame();
    Click(NextButton(*Window));
    EXPECT_FALSE(Window->Playing());
    EXPECT_EQ(Window->Session().Chara().Frame(),
              Frame % Window->Session().Chara().GetFrameCount() + 1);
    const QImage PlayPicture = StartStopButton(*Window)->NormalPicture();
    Click(NextButton(*Window));
    EXPECT_EQ(StartStopButton(*Window)->NormalPicture(), PlayPicture);
    Click(PrevButton(*Window));
    Click(PrevButton(*Window));
    EXPECT_EQ(Window->Session().Chara().Frame(), Frame);

    Click(StartStopButton(*Window));
    EXPECT_TRUE(Window->Playing());
    EXPECT_NE(StartStopButton(*Window)->NormalPicture(), PlayPicture);
    Click(StartStopButton(*Window));
    EXPECT_FALSE(Window->Playing());
    EXPECT_EQ(Window->Session().Chara().Frame(), Frame);
}

TEST_F(MainWindow, SetsLevelsFromBarClicksAndSteps) {
    auto Window = OpenOnDemo();
    Choose(*Window, 7);
    const TDrawChara& Chara = Window->Session().Chara();
    Click(ColorBar(*Window, 0), {4, 6});
    EXPECT_EQ(Chara.GetColor(0, 0), 0);
    Click(ColorBar(*Window, 0), {5, 6});
    EXPECT_EQ(Chara.GetColor(0, 0), 1);
    Click(ColorBar(*Window, 2), {111, 6}, Qt::RightButton);
    EXPECT_EQ(Chara.GetColor(0, 2), 9);
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Chara.GetCode());
    // The bar shows 12 pixels of gradient per level over the dark grey.
    const QImage Bar = ColorBar(*Window, 0)->Picture();
    EXPECT_NE(Bar.pixelColor(2 + 11, 5), QColor(77, 77, 74));
    EXPECT_EQ(Bar.pixelColor(2 + 12, 5), QColor(77, 77, 74));

    Click(StepButton(*Window, 2, true));
    EXPECT_EQ(Chara.GetColor(0, 2), 9); // already at the top
    Click(StepButton(*Window, 1, false));
    EXPECT_EQ(Chara.GetColor(0, 1), 3);
    CodeBox(*Window)->setText("untouched");
    Click(StepButton(*Window, 0, false));
    Click(StepButton(*Window, 0, false)); // level 0: nothing happens
    EXPECT_EQ(Chara.GetColor(0, 0), 0);
    CodeBox(*Window)->setText("untouched");
    Click(StepButton(*Window, 0, false));
    EXPECT_EQ(CodeBox(*Window)->text(), "untouched");

    Click(ColorImage(*Window, 2));
    EXPECT_EQ(Window->ColorPos(), 2);
    Click(ColorBar(*Window, 1), {60, 6});
    EXPECT_EQ(Chara.GetColor(2, 1), 5);
    EXPECT_EQ(Chara.GetColor(0, 1), 3);

    Click(DefaultButton(*Window));
    for (int P = 0; P < 4; ++P)
        for (int C = 0; C < 3; ++C)
            EXPECT_EQ(Chara.GetColor(P, C), 4);
    EXPECT_EQ(Window->ColorPos(), 2);
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Chara.GetCode());
}

TEST_F(MainWindow, ChoosingACharacterResetsColoursAndRefreshesTheBoxes) {
    auto Window = OpenOnDemo();
    Choose(*Window, 7);
    Click(ColorBar(*Window, 0), {111, 6});
    Choose(*Window, 8);
    EXPECT_EQ(Window->Session().Chara().GetColor(0, 0), 4);
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Window->Session().Chara().GetCode());
    EXPECT_NE(Window->Session().Canvas().ScanLine(64)[64 * 3 + 1], 0); // something is drawn
}

TEST_F(MainWindow, StartsWithoutSkinPictures) {
    const std::string Game = Dir.Path() + "bare/";
    std::filesystem::copy(this->Game(), Game, std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(Game + "menu");
    auto Window = Open("[pelto]\nwlopath=" + Game + "\n");
    ASSERT_FALSE(Window->StartupFailed());
    EXPECT_TRUE(StartStopButton(*Window)->NormalPicture().isNull());
    Choose(*Window, 0);
    Click(StartStopButton(*Window)); // still toggles
    EXPECT_FALSE(Window->Playing());
    Click(ColorImage(*Window, 3)); // all four positions stay selectable
    EXPECT_EQ(Window->ColorPos(), 3);
}

TEST_F(MainWindow, EndsAfterADamagedItemTableButKeepsTheSettings) {
    const std::string Game = Dir.Path() + "damaged/";
    std::filesystem::copy(this->Game(), Game, std::filesystem::copy_options::recursive);
    TItemTableWriter Table;
    Table.SetVersion(3);
    Table.WriteToFile(Game + "data/Item.Dat");
    {
        auto Window = Open("; mine\n[pelto]\nwlopath=" + Game + "\n[other]\nkey=value\n");
        EXPECT_TRUE(Window->StartupFailed());
        EXPECT_EQ(Messages, std::vector<std::string>{"File read error\n" + Game + "data/Item.Dat"});
    }
    const std::string Written = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Written.find("wlopath=" + Game), std::string::npos);
    EXPECT_NE(Written.find("; mine\n"), std::string::npos);
    EXPECT_NE(Written.find("[other]\nkey=value"), std::string::npos);
    EXPECT_NE(Written.find("shadow=0"), std::string::npos);
}

TEST_F(MainWindow, CancellingTheFolderPromptEndsStartUp) {
    auto Window = Open("[pelto]\nwlopath=" + Dir.Path() + "nowhere\n");
    EXPECT_TRUE(Window->StartupFailed());
    ASSERT_FALSE(Prompts.empty());
}

TEST_F(MainWindow, ChecksEveryPickedFolderInFullAndNeverKeepsOneThatFailed) {
    const std::string NoItems = Dir.Path() + "noitems/";
    std::filesystem::create_directories(NoItems + "jma");
    std::filesystem::create_directories(NoItems + "pic");
    std::filesystem::create_directories(Dir.Path() + "nopic/jma");
    // Wrong picks come back with what they lack, as often as they come; a cancel ends it.
    Picks = {NoItems, Dir.Path() + "nopic", NoItems, NoItems};
    {
        auto Window = Open("[pelto]\nwlopath=" + Dir.Path() + "nowhere\n");
        EXPECT_TRUE(Window->StartupFailed());
    }
    // Nothing was found at start: the first prompt has nothing to say.
    EXPECT_EQ(Problems, (std::vector<std::string>{"", "This folder has no data/Item.Dat.",
                                                  "This folder has no pic folder.",
                                                  "This folder has no data/Item.Dat.",
                                                  "This folder has no data/Item.Dat."}));
    EXPECT_EQ(Prompts[1], NoItems); // the picked folder, preselected
    EXPECT_EQ(ReadText(Dir.File("pelto.ini")), "[pelto]\nwlopath=" + Dir.Path() + "nowhere\n");

    // A picked folder whose item table cannot be read is not kept either.
    const std::string Broken = Dir.Path() + "broken/";
    test::LinkTree(Game(), Broken);
    std::filesystem::remove(Broken + "data/Item.Dat");
    std::ofstream(Broken + "data/Item.Dat") << "not an item table";
    Picks = {Broken};
    {
        auto Window = Open("[pelto]\nwlopath=" + Dir.Path() + "nowhere\n");
        EXPECT_TRUE(Window->StartupFailed());
    }
    EXPECT_EQ(ReadText(Dir.File("pelto.ini")).find(Broken), std::string::npos);
}

TEST_F(MainWindow, ChangesTheGameFolderKeepingTheCharacter) {
    auto Window = OpenOnDemo();
    Choose(*Window, 7);
    Window->Session().Pick(2, 1);
    Window->Session().SetColor(1, 2, 8);
    const std::string Code = Window->Session().Code();
    const std::string Other = Dir.Path() + "other/";
    test::LinkTree(Game(), Other);

    auto* Change = Window->findChild<QAction*>("miChangeGameFolder");
    ASSERT_NE(Change, nullptr);
    Picks = {Dir.Path() + "nowhere", Other}; // a wrong pick first: asked again
    Change->trigger();
    EXPECT_EQ(Window->Settings().WloPath, Other);
    EXPECT_EQ(Window->Session().Game().Folder(), Other);
    EXPECT_EQ(Window->Session().Code(), Code);
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Code);
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), 7);
    EXPECT_NE(SlotLabel(*Window, 2)->text(), "");
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("wlopath=" + Other), std::string::npos);
    EXPECT_TRUE(Messages.empty());

    // Cancelled: the window goes on with the game it has.
    Change->trigger();
    EXPECT_EQ(Window->Session().Game().Folder(), Other);
    EXPECT_EQ(Window->Session().Code(), Code);
}

TEST_F(MainWindow, ItsPartsShowTheSessionOfTheNewGameFolder) {
    auto Window = OpenOnDemo();
    Choose(*Window, 0);
    Window->Session().SetShadow(!Window->Session().Chara().Shadow());
    const bool Shadow = Window->Session().Chara().Shadow();
    Window->Session().SetMotion(2);
    QTest::mouseClick(ColorImage(*Window, 2), Qt::LeftButton);
    const std::string Other = Dir.Path() + "other/";
    test::LinkTree(Game(), Other);
    Picks = {Other};
    Window->findChild<QAction*>("miChangeGameFolder")->trigger();
    ASSERT_EQ(Window->Session().Game().Folder(), Other);

    // What was carried over, shown by the menu and the status line.
    EXPECT_EQ(Window->Session().Chara().Shadow(), Shadow);
    EXPECT_EQ(ShadowAction(*Window)->isChecked(), Shadow);
    EXPECT_TRUE(Window->findChild<QLabel*>("lblPose")->text().contains("Motion 3/"));
    EXPECT_EQ(Window->ColorPos(), 2);
    // The parts act on the new session and follow it.
    QTest::mouseClick(StepButton(*Window, 0, true), Qt::LeftButton);
    EXPECT_EQ(Window->Session().Color(2, 0), NeutralLevel + 1);
    EXPECT_TRUE(
        ColorBar(*Window, 0)->toolTip().contains(QString("level %1").arg(NeutralLevel + 1)));
    Window->Session().Pick(3, 1);
    EXPECT_EQ(SlotLabel(*Window, 3)->text().toStdString(),
              SjisToUtf8(Window->Session().List(3)[1].Item->Name()));
    RightClick(SlotImage(*Window, 3));
    EXPECT_EQ(Window->Session().Worn(3), nullptr);
    QTest::mouseClick(PrevButton(*Window), Qt::LeftButton);
    EXPECT_FALSE(Window->Playing());
}

TEST(PickerPlace, OpensBelowTheSlotWhenItFitsAndElseWhollyOnTheScreen) {
    const QRect Screen(0, 0, 800, 600);
    const QSize Picker(322, 234);
    EXPECT_EQ(PickerPlace(QRect(100, 50, 32, 32), Picker, Screen), QPoint(100, 82));
    // Near the right edge: moved left just enough.
    EXPECT_EQ(PickerPlace(QRect(700, 50, 32, 32), Picker, Screen), QPoint(478, 82));
    // Near the bottom: above the slot.
    EXPECT_EQ(PickerPlace(QRect(100, 500, 32, 32), Picker, Screen), QPoint(100, 266));
    // No room above or below: as low as the screen allows.
    EXPECT_EQ(PickerPlace(QRect(100, 200, 32, 32), Picker, QRect(0, 0, 800, 400)),
              QPoint(100, 166));
    // A screen that is not at the origin.
    EXPECT_EQ(PickerPlace(QRect(1900, 1000, 32, 32), Picker, QRect(1920, 0, 1280, 1024)),
              QPoint(1920, 766));
}

TEST_F(MainWindow, OpensThePickerWhollyOnTheScreenAtItsCorner) {
    auto Window = OpenOnDemo();
    Window->show();
    const QRect Available = Window->screen()->availableGeometry();
    Window->move(Available.bottomRight() -
                 QPoint(Window->frameGeometry().width(), Window->frameGeometry().height()));
    Choose(*Window, 0);
    QRect Shown;
    test::WithPicker(*Window, 6, [&] { Shown = EquipPopup(*Window)->frameGeometry(); });
    EXPECT_TRUE(Available.contains(Shown)) << Shown.x() << "," << Shown.y();
}

// The viewer itself, run from a folder of its own, so that its settings file is one of ours.
class ViewerProcess : public ::testing::TestWithParam<int> {};

TEST_P(ViewerProcess, ClosesAsFileExitDoesOnATerminationSignal) {
    test::TTempDir Dir;
    const std::string Viewer = Dir.File("pelto");
    std::filesystem::copy_file(PELTO_VIEWER_PATH, Viewer);
    std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << test::DemoGame() << "\n";
    QProcess Process;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert("QT_QPA_PLATFORM", "offscreen");
    Process.setProcessEnvironment(Environment);
    Process.start(QString::fromStdString(Viewer), {});
    ASSERT_TRUE(Process.waitForStarted(10000));
    // Running once its start-up is through: the window then has a place to write.
    QTest::qWait(1500);
    ::kill(static_cast<pid_t>(Process.processId()), GetParam());
    ASSERT_TRUE(Process.waitForFinished(10000));
    EXPECT_EQ(Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Process.exitCode(), 0);
    const std::string Written = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Written.find("\nx="), std::string::npos) << Written;
    EXPECT_NE(Written.find("closeonclick=0"), std::string::npos) << Written;
}

INSTANTIATE_TEST_SUITE_P(EverySignal, ViewerProcess, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST_F(MainWindow, ZoomsEveryControlAndTheViewPixelForPixel) {
    auto Window = OpenOnDemo();
    Choose(*Window, 0);
    const std::vector<QWidget*> Controls{CharaBox(*Window),      CodeBox(*Window),
                                         SlotImage(*Window, 3),  SlotLabel(*Window, 5),
                                         NextButton(*Window),    ColorBar(*Window, 1),
                                         ColorImage(*Window, 2), StatusBox(*Window),
                                         View(*Window),          StepButton(*Window, 2, true)};
    std::vector<QRect> Classic;
    for (QWidget* Control : Controls)
        Classic.push_back(Control->geometry());
    for (int Factor : {2, 4, 3, 1}) {
        Window->findChild<QAction*>(QString("miZoom%1").arg(100 * Factor))->trigger();
        EXPECT_EQ(Window->Zoom(), Factor);
        EXPECT_EQ(Window->centralWidget()->size(), QSize(402, 296) * Factor);
        for (std::size_t I = 0; I < Controls.size(); ++I) {
            const QRect& C = Classic[I];
            EXPECT_EQ(Controls[I]->geometry(), QRect(C.x() * Factor, C.y() * Factor,
                                                     C.width() * Factor, C.height() * Factor))
                << Controls[I]->objectName().toStdString() << " at " << Factor;
        }
        const QImage Shown = View(*Window)->grab().toImage().convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(Shown.size(), QSize(128, 128) * Factor);
        const TBitmap& Canvas = Window->Session().Canvas();
        for (int Y = 0; Y < 128; Y += 3)
            for (int X = 0; X < 128; X += 5) {
                const std::uint8_t* P = Canvas.ScanLine(Y) + 3 * X;
                const QColor Expected(P[2], P[1], P[0]);
                for (int Sub = 0; Sub < Factor * Factor; ++Sub)
                    ASSERT_EQ(
                        Shown.pixelColor(X * Factor + Sub % Factor, Y * Factor + Sub / Factor),
                        Expected)
                        << X << "," << Y << " at " << Factor;
            }
    }
    Window->findChild<QAction*>("miZoom300")->trigger();
    Window.reset();
    EXPECT_NE(ReadText(Dir.File("pelto.ini")).find("zoom=300"), std::string::npos);
    auto Again = Open("[pelto]\nwlopath=" + Game() + "\nzoom=300\n");
    EXPECT_EQ(Again->Zoom(), 3);
}

TEST_F(MainWindow, DrivesTheCharacterFromTheKeyboard) {
    auto Window = OpenOnDemo();
    Window->show();
    QApplication::setActiveWindow(Window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    Choose(*Window, 0);
    TDressingSession& Session = Window->Session();
    auto* Pose = Window->findChild<QLabel*>("lblPose");
    ASSERT_NE(Pose, nullptr);
    EXPECT_EQ(Pose->text().toStdString(), "Rocco · Motion 1/19 · facing front · Frame 1/4");
    const auto Press = [&](int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        // To whatever has the focus, as a key the user types.
        QWidget* Target = QApplication::focusWidget() ? QApplication::focusWidget() : Window.get();
        QTest::keyClick(Target, static_cast<Qt::Key>(Key), Modifiers);
    };
    Press(Qt::Key_Left);
    EXPECT_EQ(Session.Direction(), 3);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(Session.Direction(), 5);
    Press(Qt::Key_Up);
    EXPECT_EQ(Session.Direction(), 0);
    Press(Qt::Key_Down);
    EXPECT_EQ(Session.Direction(), 4);
    // The keypad as the view's grid: 7 8 9 / 4 5 6 / 1 2 3.
    const int Pad[9] = {Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_4, Qt::Key_5,
                        Qt::Key_6, Qt::Key_1, Qt::Key_2, Qt::Key_3};
    for (int Cell = 0; Cell < 9; ++Cell) {
        if (Cell == 4)
            continue;
        Press(Pad[Cell], Qt::KeypadModifier);
        EXPECT_EQ(Session.Direction(), ViewDirectionGrid[Cell / 3][Cell % 3]) << Cell;
    }
    Press(Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(Session.Motion(), 1);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(Session.Motion(), 2);
    Press(Qt::Key_PageUp);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(Session.Motion(), 0);
    Press(Qt::Key_2, Qt::KeypadModifier); // facing front, motion 0: three frames

    ASSERT_TRUE(Window->Playing());
    Press(Qt::Key_Space);
    EXPECT_FALSE(Window->Playing());
    const int Frame = Session.Frame();
    Press(Qt::Key_Period);
    EXPECT_EQ(Session.Frame(), Frame % 3 + 1);
    Press(Qt::Key_Comma);
    EXPECT_EQ(Session.Frame(), Frame);
    Press(Qt::Key_Space);
    EXPECT_TRUE(Window->Playing());
    Press(Qt::Key_Space);
    Press(Qt::Key_Left);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(Pose->text().toStdString(), "Rocco · Motion 2/19 · facing front-left · Frame " +
                                              std::to_string(Session.Frame()) + "/" +
                                              std::to_string(Session.FrameCount()));

    // Codes through the clipboard, padded as a chat pastes them.
    Press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Session.Code());
    TDressingSession Other(Session.Game());
    Other.SetChara(1); // Nina
    QGuiApplication::clipboard()->setText(" \n code: " + QString::fromStdString(Other.Code()) +
                                          "\r\n");
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Session.CharaIndex(), 1);
    EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Other.Code());

    Press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(128, 128));
    {
        test::TBoxAnswerer Ok(QMessageBox::Ok);
        Press(Qt::Key_F1);
        EXPECT_EQ(Ok.Answered(), 1);
    }
    QApplication::setActiveWindow(Window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));

    // Keys typed into the code box stay there.
    CodeBox(*Window)->setFocus();
    const int Direction = Session.Direction();
    Press(Qt::Key_Left);
    Press(Qt::Key_Space);
    EXPECT_EQ(Session.Direction(), Direction);
    EXPECT_FALSE(Window->Playing());

    Press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Window->isVisible());
}

TEST_F(MainWindow, SaysWhatTheControlsDoWithoutDrawingIntoTheCanvas) {
    auto Window = OpenOnDemo();
    Choose(*Window, 0);
    Window->Session().Pick(1, 1);
    QWidget* Surface = View(*Window);
    const auto MoveTo = [&](QPoint At) {
        QMouseEvent Move(QEvent::MouseMove, At, Surface->mapToGlobal(At), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Surface, &Move);
    };
    const QImage Before = Surface->grab().toImage();
    const std::vector<std::uint8_t> Canvas(Window->Session().Canvas().ScanLine(0),
                                           Window->Session().Canvas().ScanLine(0) + 128 * 128 * 3);
    MoveTo({10, 10});
    EXPECT_EQ(Window->statusBar()->currentMessage(), "turn: facing back-left");
    EXPECT_NE(Surface->grab().toImage(), Before); // the cell's hint, on the screen only
    EXPECT_TRUE(std::equal(Canvas.begin(), Canvas.end(), Window->Session().Canvas().ScanLine(0)));
    MoveTo({64, 64});
    EXPECT_EQ(Window->statusBar()->currentMessage(), "next motion / right-click: previous motion");
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(Surface, &Leave);
    EXPECT_EQ(Window->statusBar()->currentMessage(), "");
    EXPECT_EQ(Surface->grab().toImage(), Before);

    const QString SlotTip = SlotImage(*Window, 1)->toolTip();
    EXPECT_TRUE(
        SlotTip.startsWith(QString::fromStdString(SjisToUtf8(Window->Session().Worn(1)->Name()))))
        << SlotTip.toStdString();
    EXPECT_TRUE(SlotTip.endsWith("Right-click to take it off"));
    EXPECT_TRUE(ColorBar(*Window, 1)->toolTip().contains("level 4"));
    Window->Session().SetColor(0, 1, 7);
    EXPECT_TRUE(ColorBar(*Window, 1)->toolTip().contains("level 7"));
    for (QWidget* Control :
         {static_cast<QWidget*>(PrevButton(*Window)),
          static_cast<QWidget*>(StartStopButton(*Window)),
          static_cast<QWidget*>(DefaultButton(*Window)),
          static_cast<QWidget*>(StepButton(*Window, 0, false)),
          static_cast<QWidget*>(ColorImage(*Window, 3)), static_cast<QWidget*>(CodeBox(*Window))})
        EXPECT_FALSE(Control->toolTip().isEmpty()) << Control->objectName().toStdString();
}

TEST_F(MainWindow, WritesItsSettingsAtShutdown) {
    {
        auto Window =
            Open("[pelto]\nwlopath=" + Game().substr(0, Game().size() - 1) + "\nshadow=1\n");
        ASSERT_FALSE(Window->StartupFailed());
        EXPECT_TRUE(ShadowAction(*Window)->isChecked());
        EXPECT_TRUE(Window->Session().Chara().Shadow());
        ShadowAction(*Window)->trigger();
        EXPECT_FALSE(Window->Session().Chara().Shadow());
    }
    const std::string Written = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Written.find("wlopath=" + Game() + "\n"), std::string::npos) << Written;
    EXPECT_NE(Written.find("shadow=0"), std::string::npos);
    EXPECT_NE(Written.find("closeonclick=0"), std::string::npos);
}

TEST(CodeEdit, KeepsOnlyTheKeysThatEditText) {
    const auto Edits = [](int Key, Qt::KeyboardModifiers Modifiers, const QString& Text = {}) {
        const QKeyEvent Event(QEvent::ShortcutOverride, Key, Modifiers, Text);
        return TCodeEdit::EditsText(Event);
    };
    for (const auto& [Key, Text] : std::vector<std::pair<int, QString>>{
             {Qt::Key_A, "a"}, {Qt::Key_Space, " "}, {Qt::Key_Comma, ","}, {Qt::Key_Period, "."}})
        EXPECT_TRUE(Edits(Key, Qt::NoModifier, Text)) << Text.toStdString();
    EXPECT_TRUE(Edits(Qt::Key_5, Qt::KeypadModifier, "5"));
    for (const int Key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Backspace,
                          Qt::Key_Delete, Qt::Key_Return, Qt::Key_Enter})
        for (const Qt::KeyboardModifiers Modifiers :
             {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier),
              Qt::KeyboardModifiers(Qt::ControlModifier)})
            EXPECT_TRUE(Edits(Key, Modifiers)) << Key;
    for (const int Key : {Qt::Key_A, Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_Z})
        EXPECT_TRUE(Edits(Key, Qt::ControlModifier)) << Key;
    // The window's commands, Ctrl+E among them, which some platforms bind to End.
    for (const int Key : {Qt::Key_E, Qt::Key_S, Qt::Key_F, Qt::Key_Q, Qt::Key_Plus, Qt::Key_0})
        EXPECT_FALSE(Edits(Key, Qt::ControlModifier)) << Key;
    EXPECT_FALSE(Edits(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier));
    for (const int Key : {Qt::Key_F1, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up, Qt::Key_Down})
        EXPECT_FALSE(Edits(Key, Qt::NoModifier)) << Key;
}

TEST_F(MainWindow, ItsCommandsWinOverTheCodeBoxExceptTheKeysThatEditText) {
    auto Window = OpenOnDemo();
    Window->show();
    QApplication::setActiveWindow(Window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    Choose(*Window, 1);
    int Exports = 0;
    Window->OnPromptExport = [&](TPeltoSettings::TExportChoices&, QString&) {
        ++Exports;
        return false;
    };
    QLineEdit* Box = CodeBox(*Window);
    Box->setFocus();
    ASSERT_TRUE(Box->hasFocus());
    const std::string Code = Window->Session().Code();
    TDressingSession& Session = Window->Session();

    QTest::keyClick(Box, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Exports, 1);
    QTest::keyClick(Box, Qt::Key_PageDown);
    EXPECT_EQ(Session.Motion(), 1);
    QTest::keyClick(Box, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Code);
    EXPECT_TRUE(Box->hasFocus());

    // Typing, moving and selecting stay in the box.
    Box->setText("abc");
    Box->setCursorPosition(3);
    const bool Playing = Window->Playing();
    QTest::keyClick(Box, Qt::Key_Left);
    QTest::keyClick(Box, Qt::Key_Space);
    QTest::keyClick(Box, Qt::Key_Period);
    EXPECT_EQ(Box->text(), "ab .c");
    EXPECT_EQ(Session.Direction(), 4);
    EXPECT_EQ(Window->Playing(), Playing);
    QTest::keyClick(Box, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Box->selectedText(), "ab .c");
}

TEST_F(MainWindow, HintsAtTheCharacterChoiceOnTheScreenOnlyAtFirstStart) {
    auto Window = OpenOnDemo();
    const QImage Shown = View(*Window)->grab().toImage();
    const TBitmap& Canvas = Window->Session().Canvas();
    bool Hinted = false;
    for (int Y = 0; Y < Shown.height(); ++Y)
        for (int X = 0; X < Shown.width(); ++X)
            Hinted |= Shown.pixelColor(X, Y) != Qt::white;
    EXPECT_TRUE(Hinted) << "the empty view says what to do";
    for (int Y = 0; Y < Canvas.Height(); ++Y)
        for (int X = 0; X < 3 * Canvas.Width(); ++X)
            ASSERT_EQ(Canvas.ScanLine(Y)[X], 255) << "the canvas stays empty";
}

TEST_F(MainWindow, ReopensTheLastCharacterUnlessTheOptionIsOff) {
    std::string Code;
    {
        auto Window = OpenOnDemo();
        auto* Reopen = Window->findChild<QAction*>("miReopenLast");
        ASSERT_NE(Reopen, nullptr);
        EXPECT_TRUE(Reopen->isCheckable());
        EXPECT_TRUE(Reopen->isChecked()); // on by default
        Choose(*Window, 9);
        Window->Session().Pick(1, 1);
        Window->Session().SetColor(1, 2, 7);
        Window->Session().SetMotion(3);
        Window->Session().SetDirection(6);
        Code = Window->Session().Code();
    }
    {
        std::ofstream(Dir.File("keep.ini")) << ReadText(Dir.File("pelto.ini"));
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("keep.ini");
        TfrmPelto Window(Options);
        EXPECT_EQ(Window.Session().Code(), Code);
        EXPECT_EQ(Window.Session().Motion(), 3);
        EXPECT_EQ(Window.Session().Direction(), 6);
        EXPECT_EQ(CharaBox(Window)->currentIndex(), 9);
        Window.findChild<QAction*>("miReopenLast")->trigger();
    }
    TStartupOptions Options;
    Options.SettingsFile = Dir.File("keep.ini");
    TfrmPelto Window(Options);
    EXPECT_EQ(Window.Session().CharaIndex(), -1); // the classic empty start
    EXPECT_FALSE(Window.findChild<QAction*>("miReopenLast")->isChecked());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(MainWindow, OpensItsDialogsCentredOverItself) {
    auto Window = OpenOnDemo();
    Window->show();
    // Off the screen's centre, with room for a dialog around it.
    Window->move(Window->screen()->availableGeometry().center() + QPoint(-400, -300));
    QApplication::setActiveWindow(Window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    const auto CentreOf = [&](const std::function<void()>& Open) {
        QPoint Centre;
        QTimer::singleShot(0, [&] {
            QWidget* Dialog = QApplication::activeModalWidget();
            ASSERT_NE(Dialog, nullptr);
            Centre = Dialog->frameGeometry().center();
            Dialog->close();
        });
        Open();
        return Centre;
    };
    const QPoint Expected = Window->frameGeometry().center();
    QString Name;
    const QPoint Prompt = CentreOf([&] { TfrmPelto::PromptText("Save", "Input name: ", Name); });
    EXPECT_LE((Prompt - Expected).manhattanLength(), 4) << Prompt.x() << "," << Prompt.y();
    const QPoint Folder = CentreOf([&] {
        std::string Directory = Game();
        TfrmPelto::PromptGameFolder(Directory, {});
    });
    EXPECT_LE((Folder - Expected).manhattanLength(), 4) << Folder.x() << "," << Folder.y();

    // One larger than the window, over a window in the screen's corner, stays wholly on it.
    Window->move(Window->screen()->availableGeometry().topLeft());
    Window->findChild<QAction*>("miManageFavorites")->trigger();
    auto* Manager = Window->findChild<QDialog*>("frmFavorites");
    ASSERT_NE(Manager, nullptr);
    ASSERT_GT(Manager->frameGeometry().height(), Window->frameGeometry().height() / 2);
    EXPECT_TRUE(Window->screen()->availableGeometry().contains(Manager->frameGeometry()));
}
