// What a user can type or keep in the settings file, however wild: codes of any length and
// content, favourites with values out of every range. The window answers with the system's
// messages and always shows the state the compositor is in.
#include "ui/UMain.h"

#include "model/DressingSession.h"
#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace pelto;
using namespace pelto::test;

namespace {

constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

class BadInput : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
    }
    void TearDown() override { SetMessageSink({}); }

    std::unique_ptr<TfrmPelto> Open(const std::string& Extra = "") {
        std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << test::DemoGame() << "\n"
                                             << Extra;
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.FolderPrompt = [](std::string&, const std::string&) {
            return false;
        };
        return std::make_unique<TfrmPelto>(Options);
    }

    // The boxes show what the compositor holds.
    static void ExpectInStep(TfrmPelto& Window) {
        EXPECT_EQ(CharaBox(Window)->currentIndex(), Window.Session().Chara().Chara());
        EXPECT_EQ(CodeBox(Window)->text().toStdString(), Window.Session().Chara().GetCode());
    }

    test::TTempDir Dir;
    std::vector<std::string> Messages;
};

} // namespace

TEST_F(BadInput, CodesOfEveryLengthGiveAnErrorOrACharacterAndTheWindowFollows) {
    auto Window = Open();
    ASSERT_FALSE(Window->StartupFailed());
    std::mt19937 Random(11);
    int Applied = 0;
    for (int Length = 0; Length <= 64; ++Length) {
        for (int Round = 0; Round < 6; ++Round) {
            std::string Code(static_cast<std::size_t>(Length), ' ');
            for (char& C : Code)
                C = Round % 2 ? static_cast<char>(Random())
                              : Base64Alphabet[Random() % Base64Alphabet.size()];
            SCOPED_TRACE(testing::Message() << "length " << Length << ": " << Code);
            CodeBox(*Window)->setText(QString::fromLatin1(Code.data(), Length));
            const QString Typed = CodeBox(*Window)->text();
            test::RunCommand([&] { SetCodeButton(*Window)->click(); });
            for (const std::string& Message : Messages)
                EXPECT_TRUE(Message.starts_with("Invalid code error.\n")) << Message;
            if (Messages.empty() && !Typed.isEmpty())
                ++Applied;
            // A refused code stays in the box as typed; an applied one is rewritten.
            if (!Messages.empty())
                EXPECT_EQ(CodeBox(*Window)->text(), Typed);
            else if (!Typed.isEmpty() && Window->Session().Chara().Chara() != -1)
                ExpectInStep(*Window);
            else
                EXPECT_EQ(CharaBox(*Window)->currentIndex(), Window->Session().Chara().Chara());
            Messages.clear();
        }
    }
    EXPECT_GT(Applied, 0); // some random codes are valid, and they were applied
}

TEST_F(BadInput, ARefusedCodeSaysWhyAndStaysInTheBoxSelected) {
    auto Window = Open();
    ASSERT_FALSE(Window->StartupFailed());
    test::RunCommand([&] { test::ChooseChara(*Window, 3); });
    const std::string Before = Window->Session().Code();
    const std::pair<const char*, const char*> Cases[] = {
        {"AQAAHAf0emc9", "Its check does not match: a character was mistyped, added or lost."},
        {"AQAA", "It is too short: a code has at least 12 characters."},
        {"AQAA-HAf0emc9", "It holds characters no code has: a code is made of letters, "
                          "digits, + and /."},
        {"AQAB9QEcB/QF", "It ends before the items it names."},
    };
    for (const auto& [Typed, Why] : Cases) {
        CodeBox(*Window)->setText(Typed);
        test::RunCommand([&] { SetCodeButton(*Window)->click(); });
        EXPECT_EQ(Messages, std::vector<std::string>{std::string("Invalid code error.\n") + Why});
        Messages.clear();
        EXPECT_EQ(CodeBox(*Window)->text(), Typed);
        EXPECT_EQ(CodeBox(*Window)->selectedText(), Typed);
        EXPECT_EQ(Window->Session().Code(), Before);
        EXPECT_EQ(CharaBox(*Window)->currentIndex(), 3);
    }
    // Mended, it is applied, and the box shows the code as the character has it.
    CodeBox(*Window)->setText("AQ4AHAf0emdD");
    test::RunCommand([&] { SetCodeButton(*Window)->click(); });
    EXPECT_TRUE(Messages.empty());
    ExpectInStep(*Window);
    EXPECT_EQ(Window->Session().Chara().Chara(), 14);
}

TEST_F(BadInput, FavouritesWithWildValuesLoadWithoutHarm) {
    const std::string Wild = "[Save1]\nchara=999\nparts1=11\n"
                             "[Save2]\nchara=-7\n"
                             "[Save3]\nchara=2147483648\nparts2=-1\ncolor0_0=1000\n"
                             "[Save4]\nchara=0x0E\nparts1=99999999999\ncolor3_2=-1\n"
                             "[Save5]\nchara=abc\nname=" +
                             std::string(5000, 'n') +
                             "\n"
                             "[Save6]\nname=\x82\xA0\xFF&&\ncolor1_1=255\nchara=3\n"
                             "[Save7]\n"
                             "[Save8]\nchara= 1 \nparts6=65536\n";
    auto Window = Open(Wild);
    ASSERT_FALSE(Window->StartupFailed());
    QMenu* Load = LoadFavoriteMenu(*Window);
    ASSERT_EQ(Load->actions().size(), 10);
    EXPECT_FALSE(Load->actions()[6]->isEnabled()); // a bare header is no favourite
    EXPECT_EQ(Load->actions()[5]->text().toStdString(), "\u3042\uFFFD&&&&");

    // Each place, first with no character chosen, then over a chosen one.
    for (int Pass = 0; Pass < 2; ++Pass) {
        if (Pass == 1)
            test::RunCommand([&] { test::ChooseChara(*Window, 5); });
        for (QAction* Entry : Load->actions())
            if (Entry->isEnabled()) {
                test::RunCommand([&] { Entry->trigger(); });
                EXPECT_TRUE(Messages.empty()) << Messages.front();
                EXPECT_EQ(CharaBox(*Window)->currentIndex(), Window->Session().Chara().Chara());
                for (int Position = 0; Position < 4; ++Position)
                    for (int Channel = 0; Channel < 3; ++Channel)
                        EXPECT_LE(Window->Session().Chara().GetColor(Position, Channel), 9);
            }
    }
    QStringList Captions;
    for (QAction* Entry : Load->actions())
        Captions << Entry->text() + (Entry->isEnabled() ? "" : " (off)");
    Window.reset();
    // Written back at shutdown, the places read the same again.
    const std::vector<std::uint8_t> Bytes = ReadFileBytes(Dir.File("pelto.ini"));
    const std::string Written(Bytes.begin(), Bytes.end());
    EXPECT_NE(Written.find("[Save1]\nchara=999\n"), std::string::npos) << Written;
    TStartupOptions Options;
    Options.SettingsFile = Dir.File("pelto.ini");
    TfrmPelto Again(Options);
    QStringList CaptionsAgain;
    for (QAction* Entry : LoadFavoriteMenu(Again)->actions())
        CaptionsAgain << Entry->text() + (Entry->isEnabled() ? "" : " (off)");
    EXPECT_EQ(CaptionsAgain, Captions);
}

TEST_F(BadInput, DamagedFavouritesAreListedGreyedWithTheReasonAndTheOthersLoad) {
    auto Window = Open("[Save1]\nname=Gone\nchara=37\nparts1=11\n"
                       "[Save2]\nname=Fine\nchara=3\n"
                       "[Save3]\nname=Nameless\nchara=abc\n");
    QMenu* Load = LoadFavoriteMenu(*Window);
    QAction* Gone = Load->actions()[0];
    EXPECT_EQ(Gone->text(), "Gone (damaged: character 37 does not exist)");
    EXPECT_EQ(Gone->toolTip(), "damaged: character 37 does not exist");
    EXPECT_FALSE(Gone->isEnabled());
    EXPECT_EQ(Load->actions()[2]->text(), "Nameless (damaged: it names no character)");
    EXPECT_FALSE(Load->actions()[2]->isEnabled());
    EXPECT_TRUE(Load->actions()[1]->isEnabled());
    EXPECT_TRUE(SaveFavoriteMenu(*Window)->actions()[0]->isEnabled()); // may be saved over

    // Triggered anyway, it loads nothing, not even its items.
    test::ChooseChara(*Window, 5);
    const std::string Code = Window->Session().Code();
    test::RunCommand([&] { Gone->trigger(); });
    EXPECT_EQ(Window->Session().Code(), Code);
    test::RunCommand([&] { Load->actions()[1]->trigger(); });
    EXPECT_EQ(Window->Session().CharaIndex(), 3);
    EXPECT_TRUE(Messages.empty());

    Window->findChild<QAction*>("miManageFavorites")->trigger();
    auto* Places = Window->findChild<QListWidget*>("lbPlaces");
    ASSERT_NE(Places, nullptr);
    EXPECT_EQ(Places->item(0)->text(), "1. Gone\ndamaged: character 37 does not exist");
    EXPECT_EQ(Places->item(0)->toolTip(), "damaged: character 37 does not exist");
}
