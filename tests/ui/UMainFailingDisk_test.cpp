// Saving on a failing disk: full, read-only, a folder that goes away, a name that is a folder.
// Every failure is shown naming the file and the reason, leaves no partial file, keeps the file
// it would have replaced, and the window goes on.
#include "ui/UMain.h"

#include "model/DressingSession.h"

#include "platform/Stream.h"
#include "support/DemoGame.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "ui/FavoritesManager.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

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

// ---------------------------------------------------------------------------------------------
// Favourites on a settings file that cannot be written

namespace {

class UnwritableSettings : public FailingDisk {
protected:
    // Favorites > Save into Place, named Name.
    static void SaveFavorite(TfrmPelto& Window, int Place, const std::string& Name) {
        Window.OnPromptText = [Name](const QString&, const QString&, QString& Value) {
            Value = QString::fromStdString(Name);
            return true;
        };
        SaveFavoriteMenu(Window)->actions()[Place - 1]->trigger();
    }
    static QString LoadEntry(TfrmPelto& Window, int Place) {
        QAction* Entry = LoadFavoriteMenu(Window)->actions()[Place - 1];
        return Entry->text() + (Entry->isEnabled() ? "" : " (off)");
    }
};

} // namespace

TEST_F(UnwritableSettings, AFavouriteThatCannotBeWrittenIsNotShownAsSavedNorToldAgainAtQuit) {
    const std::string Before = ReadText(Settings);
    {
        auto Window = Open();
        const test::TFileSizeLimit Full(10);
        SaveFavorite(*Window, 2, "Nina's dress");
        EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + Settings + "\". File too large");
        EXPECT_EQ(LoadEntry(*Window, 2), "--- (off)");
        EXPECT_EQ(SaveFavoriteMenu(*Window)->actions()[1]->text(), "---");
        EXPECT_FALSE(Window->Settings().Favorites[1].Used);
        EXPECT_EQ(Window->statusBar()->currentMessage(), "Nothing saved: favorite 2 is as it was");
        // Told once more for a second try: every save that fails says so.
        SaveFavorite(*Window, 2, "Nina's dress");
        EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + Settings + "\". File too large");
        Window.reset(); // the same failure at quit is not told a third time
    }
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(ReadText(Settings), Before);
}

TEST_F(UnwritableSettings, AReadOnlySettingsFolderIsNamedAndOffersAnotherFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; a full disk covers the same path";
    auto Window = Open();
    std::vector<QString> Offered;
    Window->OnPromptSettingsFile = [&](const QString& Error, QString&) {
        Offered.push_back(Error);
        return false;
    };
    fs::permissions(Dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    SaveFavorite(*Window, 1, "kept?");
    fs::permissions(Dir.Path(), fs::perms::owner_all);
    ASSERT_EQ(Offered.size(), 1u);
    EXPECT_TRUE(Offered[0].endsWith("Permission denied")) << Offered[0].toStdString();
    EXPECT_EQ(LoadEntry(*Window, 1), "--- (off)");
}

TEST_F(UnwritableSettings, SettingsKeptInAnotherFileAreUsedForTheRestOfTheRun) {
    const std::string Before = ReadText(Settings);
    const std::string Other = Dir.File("elsewhere/mine.ini");
    {
        auto Window = Open();
        std::optional<test::TFileSizeLimit> Full(10);
        QStringList Errors;
        Window->OnPromptSettingsFile = [&](const QString& Error, QString& FileName) {
            Errors << Error;
            EXPECT_EQ(FileName.toStdString(), Settings); // the file that failed is offered
            FileName = QString::fromStdString(Other);
            Full.reset(); // the other disk has room
            return true;
        };
        SaveFavorite(*Window, 3, "Nina's dress");
        EXPECT_EQ(Errors, QStringList{QString::fromStdString("Cannot write file \"" + Settings +
                                                             "\". File too large")});
        EXPECT_EQ(LoadEntry(*Window, 3), "Nina's dress");
        EXPECT_EQ(Window->statusBar()->currentMessage(), "Saved favorite 3, Nina's dress");
        const std::string Moved = ReadText(Other);
        EXPECT_TRUE(Moved.starts_with("; mine\n[pelto]\n")) << Moved; // the old file's lines
        EXPECT_NE(Moved.find("[Save3]\nname=Nina's dress\n"), std::string::npos) << Moved;

        SaveFavorite(*Window, 4, "Second");
        ShadowAction(*Window)->trigger();
        EXPECT_NE(ReadText(Other).find("[Save4]\nname=Second\n"), std::string::npos);
        EXPECT_EQ(Errors.size(), 1);
    }
    EXPECT_TRUE(Messages.empty());
    EXPECT_NE(ReadText(Other).find("shadow=1\n"), std::string::npos); // written there at quit
    EXPECT_EQ(ReadText(Settings), Before);
}

TEST_F(UnwritableSettings, AChangeInTheManagerThatCannotBeWrittenLeavesTheListAndTheFile) {
    std::ofstream(Settings, std::ios::app) << "[Save1]\nname=One\nchara=0\n"
                                              "[Save2]\nname=Two\nchara=1\n";
    const std::string Before = ReadText(Settings);
    auto Window = Open();
    Window->findChild<QAction*>("miManageFavorites")->trigger();
    auto* Manager = Window->findChild<TFavoritesManager*>("frmFavorites");
    ASSERT_NE(Manager, nullptr);
    auto* Places = Manager->findChild<QListWidget*>("lbPlaces");
    const auto Texts = [&] {
        QStringList Result;
        for (int Row = 0; Row < Places->count(); ++Row)
            Result << Places->item(Row)->text();
        return Result;
    };
    const QStringList Shown = Texts();
    Window->OnPromptText = [](const QString&, const QString&, QString& Value) {
        Value = "Renamed";
        return true;
    };
    const auto Click = [&](const char* Name) {
        Manager->findChild<QPushButton*>(Name)->click();
    };
    const test::TBoxAnswerer Yes(QMessageBox::Yes);
    const test::TFileSizeLimit Full(10);
    for (const char* Button : {"btnRename", "btnDelete", "btnMoveDown"}) {
        Manager->SelectPlace(1);
        Click(Button);
        EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + Settings + "\". File too large")
            << Button;
        EXPECT_EQ(Texts(), Shown) << Button;
        EXPECT_EQ(Manager->SelectedPlace(), 1) << Button;
        EXPECT_EQ(Window->Settings().Favorites[0].Name, "One") << Button;
        EXPECT_EQ(LoadEntry(*Window, 1), "One") << Button;
    }
    Manager->SelectPlace(2);
    Click("btnMoveUp");
    EXPECT_EQ(OnlyMessage(), "Cannot write file \"" + Settings + "\". File too large");
    EXPECT_EQ(LoadEntry(*Window, 2), "Two");
    EXPECT_EQ(ReadText(Settings), Before);
}
