// Saving on a failing disk: full, read-only, a folder that goes away, a name that is a folder.
// Every failure is shown naming the file and the reason, leaves no partial file, keeps the file
// it would have replaced, and the window goes on.
#include "ui/UMain.h"

#include "model/DressingSession.h"

#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"

#include <QFileDialog>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace pelto;
using namespace pelto::test;
using pelto::test::Entries;
using pelto::test::ReadText;
namespace fs = std::filesystem;

namespace {

class FailingDisk : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
        Settings = Dir.File("pelto.ini");
        std::ofstream(Settings) << "; mine\n[pelto]\nwlopath=" << test::DemoGame() << "\n";
        fs::create_directory(Out);
    }
    void TearDown() override { SetMessageSink({}); }

    std::unique_ptr<TfrmPelto> Open() {
        TStartupOptions Options;
        Options.SettingsFile = Settings;
        Options.FolderPrompt = [](std::string&, const std::string&) {
            return false;
        };
        auto Window = std::make_unique<TfrmPelto>(Options);
        test::ChooseChara(*Window, 0);
        return Window;
    }

    // File > Save Image As..., the type picked and the name typed in the dialog; the message
    // boxes that ask about replacing a file are answered Yes.
    static void SaveImage(TfrmPelto& Window, int Type, const std::string& Name,
                          const std::function<void()>& BeforeAccept = {}) {
        const test::TBoxAnswerer Yes(QMessageBox::Yes);
        test::RunCommand([&] {
            QTimer::singleShot(0, [&] {
                QFileDialog* Dialog = SaveDialog(Window);
                Dialog->selectNameFilter(Dialog->nameFilters()[Type - 1]);
                Dialog->findChild<QLineEdit*>("fileNameEdit")
                    ->setText(QString::fromStdString(Name));
                if (BeforeAccept)
                    BeforeAccept();
                QMetaObject::invokeMethod(Dialog, "accept");
            });
            SaveImageAction(Window)->trigger();
        });
    }

    std::string OnlyMessage() {
        EXPECT_EQ(Messages.size(), 1u);
        const std::string Message = Messages.empty() ? "" : Messages.front();
        Messages.clear();
        return Message;
    }

    test::TTempDir Dir;
    std::string Settings;
    const std::string Out = Dir.File("out/");
    std::vector<std::string> Messages;
};

constexpr const char* TypeFiles[] = {"a.bmp", "b.jpg", "c.png", "d.png", "e.gif", "f.gif"};

} // namespace

TEST_F(FailingDisk, AFullDiskKeepsEveryExistingImage) {
    auto Window = Open();
    for (int Type = 1; Type <= 6; ++Type) {
        const std::string File = Out + TypeFiles[Type - 1];
        std::ofstream(File) << "the picture before";
        {
            const test::TFileSizeLimit Full(1000);
            SaveImage(*Window, Type, File);
        }
        EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + File + "\". File too large");
        EXPECT_EQ(ReadText(File), "the picture before");
    }
    EXPECT_EQ(Entries(Out),
              (std::vector<std::string>{"a.bmp", "b.jpg", "c.png", "d.png", "e.gif", "f.gif"}));
    // The disk has room again: the same command works.
    SaveImage(*Window, 3, Out + "c.png");
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(ReadFileBytes(Out + "c.png").size() > 100, true);
}

TEST_F(FailingDisk, AFullDiskLeavesNoPartOfANewImage) {
    auto Window = Open();
    {
        const test::TFileSizeLimit Full(1000);
        SaveImage(*Window, 5, Out + "new.gif");
    }
    EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + Out + "new.gif\". File too large");
    EXPECT_TRUE(Entries(Out).empty());
}

TEST_F(FailingDisk, AFolderThatWentAwayIsNamedInTheMessage) {
    auto Window = Open();
    const std::string Gone = Out + "gone/";
    fs::create_directory(Gone);
    SaveImage(*Window, 1, Gone + "a.bmp", [&] { fs::remove(Gone); });
    EXPECT_EQ(OnlyMessage(), "Cannot create file \"" + Gone + "a.bmp\". No such file or directory");
    EXPECT_FALSE(fs::exists(Gone));
    SaveImage(*Window, 1, Out + "a.bmp");
    EXPECT_TRUE(Messages.empty());
    EXPECT_TRUE(fs::exists(Out + "a.bmp"));
}

TEST_F(FailingDisk, AFolderInPlaceOfTheImageIsLeftAlone) {
    auto Window = Open();
    fs::create_directory(Out + "pic.bmp");
    std::ofstream(Out + "pic.bmp/inside") << "keep";
    SaveImage(*Window, 1, Out + "pic"); // completed to pic.bmp, then confirmed
    EXPECT_EQ(OnlyMessage(), "Cannot create file \"" + Out + "pic.bmp\". Is a directory");
    EXPECT_EQ(ReadText(Out + "pic.bmp/inside"), "keep");
    EXPECT_EQ(Entries(Out), std::vector<std::string>{"pic.bmp"});
}

TEST_F(FailingDisk, AFileInPlaceOfTheFolderIsNamedInTheMessage) {
    auto Window = Open();
    std::ofstream(Out + "plain") << "a file";
    SaveImage(*Window, 3, Out + "plain/a.png");
    EXPECT_EQ(OnlyMessage(), "Cannot create file \"" + Out + "plain/a.png\". Not a directory");
    EXPECT_EQ(ReadText(Out + "plain"), "a file");
}

TEST_F(FailingDisk, AReadOnlyFolderIsNamedInTheMessage) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; a file in place of the folder and a "
                        "folder that went away cover the same path";
    auto Window = Open();
    std::ofstream(Out + "a.png") << "before";
    fs::permissions(Out, fs::perms::owner_read | fs::perms::owner_exec);
    SaveImage(*Window, 3, Out + "a.png");
    fs::permissions(Out, fs::perms::owner_all);
    EXPECT_EQ(OnlyMessage(), "Cannot create file \"" + Out + "a.png\". Permission denied");
    EXPECT_EQ(ReadText(Out + "a.png"), "before");
}

TEST_F(FailingDisk, SettingsThatCannotBeWrittenAtShutdownAreShownAndKept) {
    const std::string Before = ReadText(Settings);
    {
        auto Window = Open();
        ShadowAction(*Window)->trigger(); // something to write
        const test::TFileSizeLimit Full(10);
        Window.reset();
    }
    EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + Settings + "\". File too large");
    EXPECT_EQ(ReadText(Settings), Before);
    EXPECT_EQ(Entries(Dir.Path()), (std::vector<std::string>{"out", "pelto.ini"}));
}

TEST_F(FailingDisk, ASettingsFileThatIsAFolderIsShownAtShutdown) {
    fs::remove(Settings);
    fs::create_directory(Settings);
    {
        TStartupOptions Options;
        Options.SettingsFile = Settings;
        Options.FolderPrompt = [](std::string& Folder,
                                  const std::string&) { // no settings: the user picks the game
            Folder = test::DemoGame();
            return true;
        };
        TfrmPelto Window(Options);
        EXPECT_FALSE(Window.StartupFailed());
    }
    EXPECT_EQ(OnlyMessage(),
              "Cannot write file \"" + Settings + "\". It could not be read: Is a directory");
    EXPECT_TRUE(fs::is_directory(Settings));
}
