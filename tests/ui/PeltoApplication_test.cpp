// Commands end on their own errors and show them; nothing unwinds through Qt's code.
#include "ui/PeltoApplication.h"

#include <QAction>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace pelto;

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageSink([this](const QString& Text) { Messages.push_back(Text.toStdString()); });
    }
    void TearDown() override { SetMessageSink({}); }
    std::vector<std::string> Messages;
};

} // namespace

TEST_F(Commands, AnErrorEndsTheCommandAndItsMessageIsShown) {
    QAction Action;
    bool After = false;
    QObject::connect(&Action, &QAction::triggered, Command([&] {
        throw std::runtime_error("Cannot write file \"x\". Disk full");
        After = true;
    }));
    EXPECT_NO_THROW(Action.trigger());
    EXPECT_FALSE(After);
    EXPECT_EQ(Messages, std::vector<std::string>{"Cannot write file \"x\". Disk full"});
    QObject::connect(&Action, &QAction::hovered, Command([] { throw 42; }));
    Action.hover();
    EXPECT_EQ(Messages.back(), "Unknown error");
}

TEST_F(Commands, TakeAsManyOfTheSignalsArgumentsAsTheyAccept) {
    struct TTarget {
        bool Seen = false;
        void Toggled(bool Checked) { Seen = Checked; }
    } Target;
    QAction Action;
    Action.setCheckable(true);
    int Calls = 0;
    QObject::connect(&Action, &QAction::triggered, Command([&] { ++Calls; }));
    QObject::connect(&Action, &QAction::triggered, Command(&Target, &TTarget::Toggled));
    Action.trigger();
    EXPECT_EQ(Calls, 1);
    EXPECT_TRUE(Target.Seen);
    EXPECT_TRUE(Messages.empty());
}
