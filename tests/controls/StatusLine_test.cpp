// The status line: messages and the pose cut after a word, never inside one, the whole text in
// the tooltip, at every zoom and in both languages.
#include "controls/StatusLine.h"

#include "controls/Widgets.h"
#include "model/DressingSession.h"
#include "support/DemoGame.h"
#include "support/TempDir.h"
#include "ui/PeltoApplication.h"
#include "ui/Translations.h"
#include "ui/UMain.h"
#include "ui/WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolTip>
#include <QTranslator>
#include <gtest/gtest.h>

#include <fstream>

using namespace pelto;
using namespace pelto::test;

namespace {

const QString Ellipsis(QChar(0x2026));

// Shown is Text whole, or a part of it up to a place where a word ends, then "…".
void ExpectCutAfterAWord(const QString& Shown, const QString& Text) {
    if (Shown == Text)
        return;
    ASSERT_TRUE(Shown.endsWith(Ellipsis)) << Shown.toStdString();
    const QString Head = Shown.chopped(1);
    ASSERT_FALSE(Head.isEmpty()) << Text.toStdString();
    ASSERT_TRUE(Text.startsWith(Head)) << Shown.toStdString();
    const QChar Last = Head.back();
    const QChar Next = Text[Head.size()];
    const auto Latin = [](QChar C) {
        return C.isLetterOrNumber() && C.unicode() < 0x3000;
    };
    EXPECT_FALSE(Latin(Last) && Latin(Next)) << "cut inside a word: " << Shown.toStdString();
}

QString TipAt(QWidget* Widget, QPoint At) {
    QToolTip::hideText();
    QHelpEvent Event(QEvent::ToolTip, At, Widget->mapToGlobal(At));
    QApplication::sendEvent(Widget, &Event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

TEST(ElideAtWord, CutsAfterTheLastWholeWordThatFits) {
    const QFontMetrics Metrics(QApplication::font());
    const QString Text = "Play or stop the animation (Space)";
    EXPECT_EQ(ElideAtWord(Text, Metrics, Metrics.horizontalAdvance(Text)), Text);
    const int Room = Metrics.horizontalAdvance("Play or stop the anim");
    EXPECT_EQ(ElideAtWord(Text, Metrics, Room), "Play or stop the" + Ellipsis);
    // After a hyphen a word ends too; separators before the cut are left out.
    const QString Turn = "turn: facing back-right";
    EXPECT_EQ(ElideAtWord(Turn, Metrics, Metrics.horizontalAdvance("turn: facing back-rig")),
              "turn: facing back-" + Ellipsis);
    const QString Pose = "Rocco · Motion 1/19 · facing front";
    EXPECT_EQ(ElideAtWord(Pose, Metrics, Metrics.horizontalAdvance("Rocco · Motion 1/19 · fa")),
              "Rocco · Motion 1/19" + Ellipsis);
    // Not even the first word fits: cut where it must be.
    const QString Word = "Characterless";
    const QString Cut = ElideAtWord(Word, Metrics, Metrics.horizontalAdvance("Chara"));
    EXPECT_TRUE(Cut.endsWith(Ellipsis));
    EXPECT_LE(Metrics.horizontalAdvance(Cut), Metrics.horizontalAdvance("Chara"));
    // Japanese has no blanks: it may be cut between any two of its ideographs.
    const QString Japanese = QString::fromUtf8("アニメーションを再生・停止");
    const QString JapaneseCut =
        ElideAtWord(Japanese, Metrics, Metrics.horizontalAdvance(Japanese) * 2 / 3);
    ExpectCutAfterAWord(JapaneseCut, Japanese);
    EXPECT_LE(Metrics.horizontalAdvance(JapaneseCut), Metrics.horizontalAdvance(Japanese) * 2 / 3);
}

class StatusLine : public ::testing::TestWithParam<std::tuple<bool, int>> {
protected:
    void SetUp() override {
        if (std::get<0>(GetParam())) {
            ASSERT_TRUE(InstallTranslators(*qApp, QLocale(QLocale::Japanese, QLocale::Japan)));
        }
        std::ofstream(Dir.File("pelto.ini")) << "[pelto]\nwlopath=" << DemoGame() << "\n";
        TStartupOptions Options;
        Options.SettingsFile = Dir.File("pelto.ini");
        Options.FolderPrompt = [](std::string&, const std::string&) {
            return false;
        };
        Window = std::make_unique<TfrmPelto>(Options);
        Window->show();
        Window->findChild<QAction*>(QString("miZoom%1").arg(100 * std::get<1>(GetParam())))
            ->trigger();
        Line = qobject_cast<TStatusLine*>(Window->statusBar());
        Pose = Window->findChild<TElidedLabel*>("lblPose");
        // The zoom's layout settles over some event loop turns, more of them on a busy machine.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        static_cast<void>(QTest::qWaitFor([this] {
            return Pose && Pose->contentsRect().width() >=
                               Pose->fontMetrics().horizontalAdvance(Pose->text());
        }));
    }
    void TearDown() override {
        Window.reset();
        qDeleteAll(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly));
    }

    TTempDir Dir;
    std::unique_ptr<TfrmPelto> Window;
    TStatusLine* Line = nullptr;
    TElidedLabel* Pose = nullptr;
};

TEST_P(StatusLine, CutsItsTextsAfterAWordAndTipsThemWhole) {
    ASSERT_NE(Line, nullptr);
    ASSERT_NE(Pose, nullptr);
    // Before any character: the pose line is whole, inside the window.
    EXPECT_EQ(Pose->ShownText(), Pose->text());
    EXPECT_LE(Pose->geometry().right(), Line->width() - 1);
    EXPECT_GE(Pose->contentsRect().width(), Pose->fontMetrics().horizontalAdvance(Pose->text()));

    ChooseChara(*Window, 14); // the longest name
    Window->Session().SetDirection(7);
    // Every tip the status line repeats, and the view's hints, beside the pose.
    QStringList Messages;
    for (QWidget* Control : Window->findChildren<QWidget*>())
        if (!Control->statusTip().isEmpty())
            Messages << Control->statusTip();
    for (const QPoint At : {QPoint(1, 1), QPoint(64, 64)}) {
        emit View(*Window)->MouseMoved(At * std::get<1>(GetParam()));
        Messages << Line->currentMessage();
    }
    ASSERT_GT(Messages.size(), 10);
    // What a save says, in the window's language.
    Messages << TfrmPelto::tr("Saved %1, %2, %n frames", nullptr, 6).arg("nina.gif", "256 × 256")
             << TfrmPelto::tr("Saved %1, %2").arg("nina-portrait.png", "1024 × 1024");
    Messages << Messages.mid(0, 6).join(' '); // longer than any line
    int Cut = 0;
    for (const QString& Message : Messages) {
        Line->showMessage(Message);
        QApplication::processEvents(); // the line's layout makes room for the message
        const QString Shown = Line->ShownMessage();
        // A message that fits the line is drawn whole: the pose yields, whole or not at all.
        if (Line->fontMetrics().horizontalAdvance(Message) <= Line->width() - 18) {
            EXPECT_EQ(Shown, Message);
        }
        ExpectCutAfterAWord(Shown, Message);
        if (Shown != Message) {
            ++Cut;
            EXPECT_EQ(TipAt(Line, QPoint(10, Line->height() / 2)), Message);
        }
        if (Pose->isVisible()) {
            EXPECT_EQ(Pose->ShownText(), Pose->text()) << "beside " << Message.toStdString();
            EXPECT_GE(Pose->x(), Line->fontMetrics().horizontalAdvance(Message));
        }
    }
    EXPECT_GT(Cut, 0) << "some of the tips are longer than the line";
    // A short message leaves the pose beside it.
    Line->showMessage("Saved");
    QApplication::processEvents();
    EXPECT_TRUE(Pose->isVisible());
    Line->clearMessage();
    QApplication::processEvents();
    // Without a message the pose has the whole line.
    EXPECT_TRUE(Pose->isVisible());
    ExpectCutAfterAWord(Pose->ShownText(), Pose->text());
    EXPECT_GT(Pose->width(), Line->width() / 2);
}

INSTANTIATE_TEST_SUITE_P(AtEveryZoomInBothLanguages, StatusLine,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(1, 3)));
