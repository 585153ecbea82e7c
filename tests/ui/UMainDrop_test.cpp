// Codes brought to the window from elsewhere: dropped as text, carried by a dropped picture,
// or opened from the Options menu.
#include "ui/UMain.h"

#include "export/ClassicSave.h"
#include "export/PictureExport.h"
#include "model/DressingSession.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

using namespace pelto;
using namespace pelto::test;

namespace {

class WindowDrop : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
        Window = OpenDemoWindow(Dir.Path(), 2);
        Window->Session().Pick(1, 1);
        Window->Session().SetColor(1, 0, 8);
        Code = Window->Session().Code();
    }
    void TearDown() override { SetMessageSink({}); }

    // Drags Data over the window and drops it there, as a user would; true when the window
    // took the drag and the drop.
    bool Drop(const QMimeData& Data, QWidget* Target = nullptr) {
        QDragEnterEvent Enter(QPoint(20, 20), Qt::CopyAction, &Data, Qt::LeftButton,
                              Qt::NoModifier);
        Target = Target ? Target : Window.get();
        QApplication::sendEvent(Target, &Enter);
        if (!Enter.isAccepted())
            return false;
        QDropEvent Dropped(QPointF(20, 20), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Target, &Dropped);
        return Dropped.isAccepted();
    }
    bool DropText(const QString& Text) {
        QMimeData Data;
        Data.setText(Text);
        return Drop(Data);
    }
    bool DropFile(const std::string& FileName, QWidget* Target = nullptr) {
        QMimeData Data;
        Data.setUrls({QUrl::fromLocalFile(QString::fromStdString(FileName))});
        Data.setText(QString::fromStdString(FileName)); // as file managers add
        return Drop(Data, Target);
    }

    // A picture of the character as it is now, as Export... writes it.
    std::string Exported(std::string_view Format) {
        TExportOptions Options;
        Options.Format = FindExportFormat(Format);
        Options.Code = Window->Session().Code();
        const std::string File = Dir.File("exported" + std::string(Options.Format->Extension));
        ExportPicture(Window->Session(), Options, File);
        return File;
    }

    void ExpectTheDressedCharacter() {
        EXPECT_EQ(Window->Session().Code(), Code);
        EXPECT_EQ(CharaBox(*Window)->currentIndex(), 2);
        EXPECT_EQ(CodeBox(*Window)->text().toStdString(), Code);
    }

    test::TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
    std::string Code;
    std::vector<std::string> Messages;
};

} // namespace

TEST_F(WindowDrop, AppliesACodeDroppedAsTextAsAPastedOne) {
    ChooseChara(*Window, 9);
    EXPECT_TRUE(DropText(QString::fromStdString("  code: " + Code + "\r\n")));
    EXPECT_TRUE(Messages.empty());
    ExpectTheDressedCharacter();

    // Refused as a typed one is, the text left in the box.
    EXPECT_TRUE(DropText("AQAAHAf0emc9"));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(Messages[0].starts_with("Invalid code error.\nIts check")) << Messages[0];
    EXPECT_EQ(CodeBox(*Window)->text(), "AQAAHAf0emc9");
    EXPECT_EQ(Window->Session().Code(), Code);

    Messages.clear();
    EXPECT_TRUE(DropText(" \n ")); // nothing to apply
    EXPECT_TRUE(Messages.empty());
}

TEST_F(WindowDrop, RestoresTheCharacterADroppedPictureCarries) {
    for (const std::string_view Format : {"apng", "gif", "twebp", "jpg", "sheet"}) {
        SCOPED_TRACE(Format);
        const std::string File = Exported(Format);
        ChooseChara(*Window, 11);
        EXPECT_TRUE(DropFile(File));
        EXPECT_TRUE(Messages.empty()) << Messages.front();
        ExpectTheDressedCharacter();
        // Onto the code box too, which would otherwise take the file's name as text.
        ChooseChara(*Window, 11);
        EXPECT_TRUE(DropFile(File, CodeBox(*Window)));
        ExpectTheDressedCharacter();
    }
}

TEST_F(WindowDrop, SaysSoForAPictureWithoutACodeAndNamesAFileThatCannotBeRead) {
    SaveImageFile(Window->Session(), TImageFileType::Png, Dir.File("saved.png"));
    EXPECT_TRUE(DropFile(Dir.File("saved.png")));
    EXPECT_EQ(Messages, std::vector<std::string>{"saved.png carries no character code."});
    ExpectTheDressedCharacter();

    Messages.clear();
    EXPECT_TRUE(DropFile(Dir.File("gone.png")));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_NE(Messages[0].find("gone.png"), std::string::npos) << Messages[0];
    ExpectTheDressedCharacter();
}

TEST_F(WindowDrop, TakesNoDragOfFilesElsewhere) {
    QMimeData Remote;
    Remote.setUrls({QUrl("https://example.org/rocco.png")});
    Remote.setText("AQAAHAf0emc8"); // beside a URL, the text is the URL's
    EXPECT_FALSE(Drop(Remote));
    QMimeData Nothing;
    EXPECT_FALSE(Drop(Nothing));
    ExpectTheDressedCharacter();
    EXPECT_TRUE(Messages.empty());
}

TEST_F(WindowDrop, OpensAPictureCodeFromTheOptionsMenuAndNamedAtStart) {
    auto* Open = Window->findChild<QAction*>("miOpenPictureCode");
    ASSERT_NE(Open, nullptr);
    const QList<QAction*> Options = Window->findChild<QMenu*>("miOptions")->actions();
    EXPECT_EQ(Options.back(), Open); // after the existing entries
    const std::string File = Exported("tpng");

    ChooseChara(*Window, 5);
    Window->OnPromptPictureFile = [](QString&) {
        return false;
    }; // cancelled
    Open->trigger();
    EXPECT_EQ(CharaBox(*Window)->currentIndex(), 5);

    Window->OnPromptPictureFile = [&](QString& FileName) {
        FileName = QString::fromStdString(File);
        return true;
    };
    Open->trigger();
    EXPECT_TRUE(Messages.empty());
    ExpectTheDressedCharacter();

    // pelto FILE calls the same.
    ChooseChara(*Window, 5);
    Window->OpenPictureCode(QString::fromStdString(File));
    ExpectTheDressedCharacter();
}
