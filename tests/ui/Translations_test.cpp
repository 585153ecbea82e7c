// The window under a Japanese locale: every text of its own that a person reads is Japanese.
#include "ui/Translations.h"

#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/InvalidCode.h"
#include "platform/Errors.h"
#include "platform/Stream.h"
#include "platform/Version.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/UMain.h"
#include "ui/WindowDriver.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace pelto;
using namespace pelto::test;

namespace {

const QLocale Japanese(QLocale::Japanese, QLocale::Japan);

void RemoveTranslators() {
    // A translator removes itself from the application as it goes.
    qDeleteAll(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly));
}

// What a Japanese window may still show in Latin letters: names, brands, file formats, key
// names, the status box's labels and the search syntax, which are typed as they are.
const std::set<QString> LatinWords{
    "PNG",   "GIF",  "JPEG", "WebP", "JSON",  "BMP",      "ID",        "OK",    "ms",  "Ctrl",
    "Shift", "Page", "Up",   "Down", "Enter", "Esc",      "Backspace", "HP",    "SP",  "ATK",
    "DEF",   "SPD",  "MATK", "MDEF", "atk",   "hp",       "def",       "mdef",  "png", "gif",
    "bmp",   "jpg",  "webp", "ZIP",  "zip",   "Aseprite", "aseprite",  "Phaser"};

// The words of Text in Latin letters that a Japanese window should not show.
QStringList EnglishWords(QString Text) {
    static const QRegularExpression Markup("<[^>]*>|&[a-z]+;");
    static const QRegularExpression Mnemonic("\\(&?[A-Z]\\)");
    static const QRegularExpression Url("https?://\\S+");
    static const QRegularExpression Keys("\\b(Ctrl|Shift|Alt)(\\+\\w+)+");
    static const QRegularExpression Word("[A-Za-z]+");
    Text.remove(Markup).remove(Mnemonic).remove(Url).remove(Keys);
    Text.remove("PELTO in Wonderland").remove("WLO");
    Text.remove(QString::fromUtf8(ProgramVersion.data(), ProgramVersion.size()));
    for (const TCharaData& Chara : CharaData)
        Text.remove(
            QString::fromUtf8(Chara.Name.data(), static_cast<qsizetype>(Chara.Name.size())));
    QStringList Found;
    for (const auto& Match : Word.globalMatch(Text))
        if (!LatinWords.contains(Match.captured()))
            Found << Match.captured();
    return Found;
}

// Collects the texts a person reads and reports those left in English, naming where each is.
class TTextCheck {
public:
    void Add(const QString& Where, const QString& Text) {
        if (const QStringList Words = EnglishWords(Text); !Words.isEmpty())
            FEnglish << Where + ": \"" + Text + "\" (" + Words.join(' ') + ")";
    }

    void AddMenu(const QString& Where, const QList<QAction*>& Actions) {
        for (QAction* Action : Actions) {
            Add(Where + " > " + Action->text(), Action->text());
            Add(Where + " > " + Action->text() + " tooltip", Action->toolTip());
            Add(Where + " > " + Action->text() + " status tip", Action->statusTip());
            if (QMenu* Menu = Action->menu())
                AddMenu(Where + " > " + Action->text(), Menu->actions());
        }
    }

    // Skip: controls, with what they hold, showing the game's own texts (names, descriptions,
    // bonuses), paths, or only Qt's own texts.
    void AddControls(QWidget* Root, const QStringList& Skip = {}) {
        Add(Root->objectName() + " title", Root->windowTitle());
        const auto Skipped = [&](QWidget* Control) {
            for (; Control && Control != Root; Control = Control->parentWidget())
                if (Skip.contains(Control->objectName()))
                    return true;
            return false;
        };
        for (QWidget* Control : Root->findChildren<QWidget*>()) {
            if (Skipped(Control))
                continue;
            const QString Where = Root->objectName() + "/" + Control->metaObject()->className() +
                                  " " + Control->objectName();
            Add(Where + " tooltip", Control->toolTip());
            Add(Where + " status tip", Control->statusTip());
            if (auto* Label = qobject_cast<QLabel*>(Control))
                Add(Where, Label->text());
            if (auto* Button = qobject_cast<QAbstractButton*>(Control))
                Add(Where, Button->text());
            if (auto* Group = qobject_cast<QGroupBox*>(Control))
                Add(Where, Group->title());
            if (auto* Edit = qobject_cast<QLineEdit*>(Control))
                Add(Where + " placeholder", Edit->placeholderText());
            if (auto* Spin = qobject_cast<QSpinBox*>(Control))
                Add(Where + " suffix", Spin->suffix() + Spin->prefix());
            if (auto* Box = qobject_cast<QComboBox*>(Control))
                for (int Item = 0; Item < Box->count(); ++Item)
                    Add(Where + " item", Box->itemText(Item));
        }
    }

    const QStringList& English() const { return FEnglish; }

private:
    QStringList FEnglish;
};

// Runs Open, which shows a modal dialog, hands the dialog to Check and then closes it.
void WithModal(const std::function<void()>& Open, const std::function<void(QWidget*)>& Check) {
    bool Shown = false;
    QTimer Timer;
    Timer.setInterval(5);
    QObject::connect(&Timer, &QTimer::timeout, [&] {
        QWidget* Modal = QApplication::activeModalWidget();
        if (!Modal)
            return;
        Timer.stop();
        Shown = true;
        Check(Modal);
        if (auto* Dialog = qobject_cast<QDialog*>(Modal))
            Dialog->reject();
        else
            Modal->close();
    });
    Timer.start();
    Open();
    EXPECT_TRUE(Shown) << "no dialog opened";
}

QAction* FindAction(QWidget& Window, const QString& Text) {
    for (QAction* Action : Window.findChildren<QAction*>())
        if (Action->text() == Text)
            return Action;
    return nullptr;
}

class JapaneseWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstallTranslators(*qApp, Japanese));
        // Standard buttons (Cancel, Yes, No) and Qt's dialogs are Qt's to translate.
        ASSERT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel")
            << "Qt's Japanese translations are missing (Debian package qt6-translations-l10n)";
        Window = OpenDemoWindow(Dir.Path(), 0);
    }

    void TearDown() override {
        Window.reset();
        RemoveTranslators();
    }

    void ExpectJapanese() {
        EXPECT_TRUE(Check.English().isEmpty()) << Check.English().join('\n').toStdString();
    }

    TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
    TTextCheck Check;
};

TEST_F(JapaneseWindow, ShowsNoEnglishInTheWindowItsMenusTipsAndStatusLine) {
    // One slot wearing an item: its tooltip's first lines are the game's, the last one ours.
    Window->Session().Pick(1, 1);
    ASSERT_NE(Window->Session().Worn(1), nullptr);
    const QStringList WornTip = SlotImage(*Window, 1)->toolTip().split('\n');
    Check.Add("worn slot tooltip", WornTip.back());
    Check.AddControls(Window.get(),
                      {"sd", "cd", "cbChara", "txtEquip", "lblItemName", "imgEquip1", "lblEquip1",
                       "lblEquip2", "lblEquip3", "lblEquip4", "lblEquip5", "lblEquip6"});
    Check.AddMenu("menu", Window->menuBar()->actions());
    Check.Add("status line", Window->findChild<QLabel*>("lblPose")->text());
    // The view's hints in the status bar, for a side cell and for the centre.
    for (const QPoint At : {QPoint(2, 2), QPoint(64, 64)}) {
        emit View(*Window)->MouseMoved(At);
        Check.Add("view hint", Window->statusBar()->currentMessage());
    }
    for (const QString& Filter : SaveDialog(*Window)->nameFilters())
        Check.Add("save dialog filter", Filter);
    ExpectJapanese();
    // The checks themselves see English: the window's own name for its File menu is not.
    EXPECT_FALSE(EnglishWords("File").isEmpty());
    EXPECT_TRUE(EnglishWords("PELTO in Wonderland (&F) Ctrl+S *.png").isEmpty());
}

TEST_F(JapaneseWindow, ShowsNoEnglishInItsDialogs) {
    WithModal([&] { Window->findChild<QAction*>("miExport")->trigger(); },
              [&](QWidget* Dialog) { Check.AddControls(Dialog); });
    WithModal([&] { SaveFavoriteMenu(*Window)->actions()[0]->trigger(); },
              [&](QWidget* Dialog) { Check.AddControls(Dialog); });
    WithModal([&] { Window->findChild<QAction*>("miHowToUse")->trigger(); },
              [&](QWidget* Dialog) { Check.AddControls(Dialog); });
    QAction* About = FindAction(*Window, TfrmPelto::tr("&About..."));
    ASSERT_NE(About, nullptr);
    WithModal([&] { About->trigger(); }, [&](QWidget* Dialog) { Check.AddControls(Dialog); });
    WithModal(
        [&] {
            std::string Folder = DemoGame();
            TfrmPelto::PromptGameFolder(Folder, std::string());
        },
        [&](QWidget* Dialog) { Check.AddControls(Dialog, {"lookInCombo"}); });

    // Saving over a favourite asks first.
    Window->OnPromptText = [](const QString&, const QString&, QString&) {
        return true;
    };
    SaveFavoriteMenu(*Window)->actions()[0]->trigger();
    WithModal([&] { SaveFavoriteMenu(*Window)->actions()[0]->trigger(); },
              [&](QWidget* Dialog) { Check.AddControls(Dialog); });
    ExpectJapanese();
}

TEST_F(JapaneseWindow, ShowsNoEnglishInTheItemFinder) {
    Window->findChild<QAction*>("miFindItem")->trigger();
    auto* Finder = Window->findChild<QWidget*>("frmWardrobe");
    ASSERT_NE(Finder, nullptr);
    Check.AddControls(Finder, {"tvItems"});
    const QAbstractItemModel* Items = Finder->findChild<QTableView*>("tvItems")->model();
    ASSERT_GT(Items->rowCount(), 0);
    for (int Column = 0; Column < Items->columnCount(); ++Column)
        Check.Add("finder header", Items->headerData(Column, Qt::Horizontal).toString());
    Check.Add("finder slot", Items->index(0, 1).data().toString());
    ExpectJapanese();
}

TEST_F(JapaneseWindow, ShowsNoEnglishInTheFavouritesTheirManagerAndWhatSavingSays) {
    // Names the check passes over: the game's own character names.
    std::ofstream(Dir.File("pelto.ini"), std::ios::app)
        << "[Save1]\nname=Rocco\nchara=0\n[Save2]\nname=Iris\nchara=37\n[Save3]\nname=Iris\n";
    Window.reset();
    TStartupOptions Options;
    Options.SettingsFile = Dir.File("pelto.ini");
    Window = std::make_unique<TfrmPelto>(Options);
    ChooseChara(*Window, 0);
    Check.AddMenu("favourites", FavoritesMenu(*Window)->actions());
    Window->OnPromptText = [](const QString&, const QString&, QString&) {
        return false;
    };
    SaveFavoriteMenu(*Window)->actions()[3]->trigger();
    Check.Add("status after a cancel", Window->statusBar()->currentMessage());
    Window->OnPromptText = [](const QString&, const QString&, QString& Value) {
        Value = "Rocco";
        return true;
    };
    SaveFavoriteMenu(*Window)->actions()[3]->trigger();
    Check.Add("status after a save", Window->statusBar()->currentMessage());

    Window->findChild<QAction*>("miManageFavorites")->trigger();
    auto* Manager = Window->findChild<QWidget*>("frmFavorites");
    ASSERT_NE(Manager, nullptr);
    Check.AddControls(Manager, {"lbPlaces"});
    const auto* Places = Manager->findChild<QListWidget*>("lbPlaces");
    for (int Row = 0; Row < Places->count(); ++Row)
        Check.Add("manager place", Places->item(Row)->text());
    ExpectJapanese();
}

TEST_F(JapaneseWindow, SaysWhatAnUndoUndidAndWhatALockDoesInJapanese) {
    QTest::mouseClick(StepButton(*Window, 0, true), Qt::LeftButton);
    Window->findChild<QAction*>("miUndo")->trigger();
    EXPECT_EQ(Window->statusBar()->currentMessage(), "元に戻しました: 頭の色");
    Window->findChild<QAction*>("miRedo")->trigger();
    Check.Add("status after a redo", Window->statusBar()->currentMessage());
    Window->findChild<QAction*>("miLockSlot2")->trigger();
    Window->findChild<QAction*>("miLockColor0")->trigger();
    Check.Add("locked slot tooltip", SlotImage(*Window, 2)->toolTip());
    Check.Add("locked position tooltip", ColorImage(*Window, 0)->toolTip());
    ExpectJapanese();
}

TEST_F(JapaneseWindow, ShowsEveryMenuTitleOnTheMenuBarAtEveryZoom) {
    Window->show();
    for (const int Zoom : {1, 2, 3}) {
        Window->SetZoom(Zoom);
        QTest::qWait(10);
        QMenuBar* Bar = Window->menuBar();
        for (QAction* Menu : Bar->actions())
            EXPECT_LE(Bar->actionGeometry(Menu).right(), Bar->width())
                << Menu->text().toStdString() << " at " << Zoom;
    }
}

TEST_F(JapaneseWindow, SaysItsOwnMessagesInJapanese) {
    QStringList Messages;
    SetMessageSink([&](const QString& Text) { Messages << Text; });
    pelto::RunCommand([] { throw 42; });
    SetMessageSink({});
    ASSERT_EQ(Messages.size(), 1);
    Check.Add("message", Messages.front());
    ExpectJapanese();
}

TEST_F(JapaneseWindow, SaysTheCoresMessagesInJapaneseKeepingWhatTheyQuote) {
    EXPECT_EQ(CoreMessage("Invalid code error."), "無効なコードです。");
    EXPECT_EQ(CoreMessage("Cannot create file \"/tmp/a b/pelto.ini\". Permission denied"),
              "ファイル「/tmp/a b/pelto.ini」を作成できません。Permission denied");
    EXPECT_EQ(CoreMessage("Cannot write file \"x\". It could not be read: y"),
              "ファイル「x」に書き込めません。読み取れませんでした: y");
    // The game's own texts, and any the window does not know, stay as they come.
    for (const char* Kept : {"必要なファイルが存在しません (a.jma)", "Something new"})
        EXPECT_EQ(CoreMessage(Kept), QString::fromUtf8(Kept));

    // The file a message names follows it untranslated.
    EReadError Read;
    Read.SetFileName("/game/jma/4000.jma");
    EXPECT_TRUE(ErrorMessage(Read).startsWith("ストリームの読み取りエラー\n/game/jma/4000.jma"))
        << ErrorMessage(Read).toStdString();
    try {
        TFileStream Missing("/no/such/folder/x.bmp", TFileMode::OpenRead);
        FAIL() << "opened a file that is not there";
    } catch (const std::exception& Error) {
        EXPECT_TRUE(
            ErrorMessage(Error).startsWith("ファイル「/no/such/folder/x.bmp」を開けません。"))
            << ErrorMessage(Error).toStdString();
    }

    // As the window shows them.
    QStringList Messages;
    SetMessageSink([&](const QString& Text) { Messages << Text; });
    CodeBox(*Window)->setText("not a code");
    QTest::mouseClick(SetCodeButton(*Window), Qt::LeftButton);
    SetMessageSink({});
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_TRUE(Messages.front().startsWith("無効なコードです。"))
        << Messages.front().toStdString();
}

TEST_F(JapaneseWindow, SaysWhyACodeIsRefusedAndThatAPictureCarriesNone) {
    QStringList Messages;
    SetMessageSink([&](const QString& Text) { Messages << Text; });
    Window->findChild<QLineEdit*>("edCode")->setText("AQAAHAf0emc9");
    Window->findChild<QPushButton*>("btnSetCode")->click();
    WriteFileBytes(Dir.File("1.bmp"), std::vector<std::uint8_t>{'B', 'M'});
    Window->OpenPictureCode(QString::fromStdString(Dir.File("1.bmp")));
    SetMessageSink({});
    ASSERT_EQ(Messages.size(), 2);
    // Both lines in Japanese: the message of the core and its reason.
    ASSERT_TRUE(Messages[0].startsWith("無効なコードです。\n")) << Messages[0].toStdString();
    Check.Add("refused code", Messages[0].section('\n', 1));
    Check.Add("picture without a code", Messages[1]);
    for (const std::string_view Reason : InvalidCodeReasonTexts)
        Check.Add("reason", CoreText(Reason));
    ExpectJapanese();
}

// The window speaks Japanese or English; Qt's dialogs never speak a third language beside it.
TEST(Translators, LeaveTheWindowInEnglishForALanguageItDoesNotSpeak) {
    for (const QLocale& Locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany), QLocale::c()}) {
        EXPECT_FALSE(InstallTranslators(*qApp, Locale)) << Locale.name().toStdString();
        EXPECT_EQ(TfrmPelto::tr("&File"), "&File");
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
        RemoveTranslators();
    }
}

// No file beside the program holds them: the test program, like a copied viewer, has none.
TEST(Translators, AreBuiltIntoTheProgram) {
    ASSERT_FALSE(QDir(QCoreApplication::applicationDirPath()).exists("translations"));
    for (const QString& Folder : TranslationFolders())
        EXPECT_TRUE(Folder.startsWith(":/")) << Folder.toStdString();
    ASSERT_TRUE(InstallTranslators(*qApp, Japanese));
    EXPECT_NE(TfrmPelto::tr("&File"), "&File");
    RemoveTranslators();
}

TEST(Translators, LookInEachFolderInTurn) {
    TTempDir Empty;
    ASSERT_TRUE(InstallTranslators(
        *qApp, Japanese, {QString::fromStdString(Empty.Path()), TranslationFolders().front()}));
    EXPECT_NE(TfrmPelto::tr("&File"), "&File");
    RemoveTranslators();
    EXPECT_EQ(TfrmPelto::tr("&File"), "&File");
    EXPECT_FALSE(InstallTranslators(*qApp, Japanese, {QString::fromStdString(Empty.Path())}));
}

} // namespace
