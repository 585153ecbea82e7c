// The main window driven with real mouse events on a demo installation.
#include "ui/UMain.h"

#include "controls/SimpleBtn.h"
#include "model/UDraw.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/Widgets.h"
#include "writers/ItemTableWriter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace pelto;
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
        Options.FolderPrompt = [this](std::string& Directory) {
            Prompts.push_back(Directory);
            return false;
        };
        return std::make_unique<TfrmPelto>(Options);
    }
    std::unique_ptr<TfrmPelto> OpenOnDemo() { return Open("[pelto]\nwlopath=" + Game() + "\n"); }

    static void Choose(TfrmPelto& Window, int Chara) {
        QComboBox* Box = Window.CharaBox();
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
};

} // namespace

TEST_F(MainWindow, StartsWithNoCharacterAndAWhiteView) {
    auto Window = OpenOnDemo();
    ASSERT_FALSE(Window->StartupFailed());
    EXPECT_EQ(Window->CharaBox()->count(), 15);
    EXPECT_EQ(Window->CharaBox()->itemText(14), "Karin Liebtrud");
    EXPECT_EQ(Window->CharaBox()->currentIndex(), -1);
    EXPECT_EQ(Window->DrawChara().Chara(), -1);
    EXPECT_TRUE(Window->Playing());
    EXPECT_EQ(Window->windowTitle(), "PELTO in Wonderland");
    EXPECT_EQ(Window->centralWidget()->size(), QSize(402, 296));
    Click(Window->View(), {64, 64}); // ignored without a character
    EXPECT_EQ(Window->DrawChara().Motion(), 0);
    EXPECT_EQ(Window->Canvas().ScanLine(64)[64 * 3], 255);
    EXPECT_TRUE(Messages.empty());
}

TEST_F(MainWindow, TurnsTheCharacterTowardsTheClickedCell) {
    auto Window = OpenOnDemo();
    Choose(*Window, 0);
    Click(Window->View(), {42, 42});
    EXPECT_EQ(Window->DrawChara().Direction(), 1);
    Click(Window->View(), {127, 64});
    EXPECT_EQ(Window->DrawChara().Direction(), 6);
    Click(Window->View(), {64, 127});
    EXPECT_EQ(Window->DrawChara().Direction(), 4);

    Click(Window->View(), {43, 43}); // the centre cell changes the motion
    EXPECT_EQ(Window->DrawChara().Motion(), 1);
    Click(Window->View(), {85, 85}, Qt::RightButton);
    Click(Window->View(), {85, 85}, Qt::RightButton);
    EXPECT_EQ(Window->DrawChara().Motion(), 18);
    Click(Window->View(), {64, 64}, Qt::MiddleButton);
    EXPECT_EQ(Window->DrawChara().Motion(), 18);
    EXPECT_EQ(Window->DrawChara().Direction(), 4);
}

TEST_F(MainWindow, StepsAndStopsTheAnimation) {
    auto Window = OpenOnDemo();
    Choose(*Window, 3);
    ASSERT_GT(Window->DrawChara().GetFrameCount(), 2);
    const int Frame = Window->DrawChara().Frame();
    Click(Window->NextButton());
    EXPECT_FALSE(Window->Playing());
    EXPECT_EQ(Window->DrawChara().Frame(), Frame % Window->DrawChara().GetFrameCount() + 1);
    const QImage PlayPicture = Window->StartStopButton()->NormalPicture();
    Click(Window->NextButton());
    EXPECT_EQ(Window->StartStopButton()->NormalPicture(), PlayPicture);
    Click(Window->PrevButton());
    Click(Window->PrevButton());
    EXPECT_EQ(Window->DrawChara().Frame(), Frame);

    Click(Window->StartStopButton());
    EXPECT_TRUE(Window->Playing());
    EXPECT_NE(Window->StartStopButton()->NormalPicture(), PlayPicture);
    Click(Window->StartStopButton());
    EXPECT_FALSE(Window->Playing());
    EXPECT_EQ(Window->DrawChara().Frame(), Frame);
}

TEST_F(MainWindow, SetsLevelsFromBarClicksAndSteps) {
    auto Window = OpenOnDemo();
    Choose(*Window, 7);
    TDrawChara& Chara = Window->DrawChara();
    Click(Window->ColorBar(0), {4, 6});
    EXPECT_EQ(Chara.GetColor(0, 0), 0);
    Click(Window->ColorBar(0), {5, 6});
    EXPECT_EQ(Chara.GetColor(0, 0), 1);
    Click(Window->ColorBar(2), {111, 6}, Qt::RightButton);
    EXPECT_EQ(Chara.GetColor(0, 2), 9);
    EXPECT_EQ(Window->CodeBox()->text().toStdString(), Chara.GetCode());
    // The bar shows 12 pixels of gradient per level over the dark grey.
    const QImage Bar = Window->ColorBar(0)->Picture();
    EXPECT_NE(Bar.pixelColor(2 + 11, 5), QColor(77, 77, 74));
    EXPECT_EQ(Bar.pixelColor(2 + 12, 5), QColor(77, 77, 74));

    Click(Window->StepButton(2, true));
    EXPECT_EQ(Chara.GetColor(0, 2), 9); // already at the top
    Click(Window->StepButton(1, false));
    EXPECT_EQ(Chara.GetColor(0, 1), 3);
    Window->CodeBox()->setText("untouched");
    Click(Window->StepButton(0, false));
    Click(Window->StepButton(0, false)); // level 0: nothing happens
    EXPECT_EQ(Chara.GetColor(0, 0), 0);
    Window->CodeBox()->setText("untouched");
    Click(Window->StepButton(0, false));
    EXPECT_EQ(Window->CodeBox()->text(), "untouched");

    Click(Window->ColorImage(2));
    EXPECT_EQ(Window->ColorPos(), 2);
    Click(Window->ColorBar(1), {60, 6});
    EXPECT_EQ(Chara.GetColor(2, 1), 5);
    EXPECT_EQ(Chara.GetColor(0, 1), 3);

    Click(Window->DefaultButton());
    for (int P = 0; P < 4; ++P)
        for (int C = 0; C < 3; ++C)
            EXPECT_EQ(Chara.GetColor(P, C), 4);
    EXPECT_EQ(Window->ColorPos(), 2);
    EXPECT_EQ(Window->CodeBox()->text().toStdString(), Chara.GetCode());
}

TEST_F(MainWindow, ChoosingACharacterResetsColoursAndRefreshesTheBoxes) {
    auto Window = OpenOnDemo();
    Choose(*Window, 7);
    Click(Window->ColorBar(0), {111, 6});
    Choose(*Window, 8);
    EXPECT_EQ(Window->DrawChara().GetColor(0, 0), 4);
    EXPECT_EQ(Window->CodeBox()->text().toStdString(), Window->DrawChara().GetCode());
    EXPECT_NE(Window->Canvas().ScanLine(64)[64 * 3 + 1], 0); // something is drawn
}

TEST_F(MainWindow, StartsWithoutSkinPictures) {
    const std::string Game = Dir.Path() + "bare/";
    std::filesystem::copy(this->Game(), Game, std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(Game + "menu");
    auto Window = Open("[pelto]\nwlopath=" + Game + "\n");
    ASSERT_FALSE(Window->StartupFailed());
    EXPECT_TRUE(Window->StartStopButton()->NormalPicture().isNull());
    Choose(*Window, 0);
    Click(Window->StartStopButton()); // still toggles
    EXPECT_FALSE(Window->Playing());
    Click(Window->ColorImage(3)); // all four positions stay selectable
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
        EXPECT_EQ(Messages, std::vector<std::string>{"File read error"});
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

TEST_F(MainWindow, WritesItsSettingsAtShutdown) {
    {
        auto Window =
            Open("[pelto]\nwlopath=" + Game().substr(0, Game().size() - 1) + "\nshadow=1\n");
        ASSERT_FALSE(Window->StartupFailed());
        EXPECT_TRUE(Window->ShadowAction()->isChecked());
        EXPECT_TRUE(Window->DrawChara().Shadow());
        Window->ShadowAction()->trigger();
        EXPECT_FALSE(Window->DrawChara().Shadow());
    }
    const std::string Written = ReadText(Dir.File("pelto.ini"));
    EXPECT_NE(Written.find("wlopath=" + Game() + "\n"), std::string::npos) << Written;
    EXPECT_NE(Written.find("shadow=0"), std::string::npos);
    EXPECT_NE(Written.find("closeonclick=0"), std::string::npos);
}
