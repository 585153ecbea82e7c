#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pelto;

TEST(WithFileName, NamesTheFileInAnErrorOfOursKeepingItsTypeAndMessage) {
    EXPECT_EQ(WithFileName("a.dat", [] { return 7; }), 7);
    try {
        WithFileName("/game/a.dat", [] { throw EReadError(); });
        FAIL() << "no error";
    } catch (const EReadError& E) {
        EXPECT_STREQ(E.what(), "Stream read error");
        EXPECT_EQ(E.Message(), "Stream read error");
        EXPECT_EQ(E.FileName(), "/game/a.dat");
    }
}

TEST(WithFileName, TheInnermostFileWins) {
    try {
        WithFileName("outer.jma", [] { WithFileName("inner.jxa", [] { throw EWloError("x"); }); });
        FAIL() << "no error";
    } catch (const EWloError& E) {
        EXPECT_EQ(E.FileName(), "inner.jxa");
        const EWloError Copy = E; // as a list of failures keeps it
        EXPECT_EQ(Copy.FileName(), "inner.jxa");
    }
}

TEST(WithFileName, LeavesOtherErrorsAlone) {
    EXPECT_THROW(WithFileName("a.dat", [] { throw std::invalid_argument("x"); }),
                 std::invalid_argument);
}

TEST(ErrorText, PutsTheFileAfterTheMessageWhenOneIsKnown) {
    EWloError Error("必要なファイルが存在しません (a.jxa)");
    EXPECT_EQ(ErrorText(Error, ": "), "必要なファイルが存在しません (a.jxa)");
    Error.SetFileName("/game/jma/a.jxa");
    EXPECT_EQ(ErrorText(Error, ": "), "必要なファイルが存在しません (a.jxa): /game/jma/a.jxa");
    EXPECT_EQ(ErrorText(Error, "\n"), "必要なファイルが存在しません (a.jxa)\n/game/jma/a.jxa");
    EXPECT_EQ(Error.what(), std::string("必要なファイルが存在しません (a.jxa)"));

    EXPECT_EQ(ErrorText(std::runtime_error("File read error"), "\n"), "File read error");
}

TEST(ErrorText, DoesNotRepeatAPathTheMessageQuotes) {
    EFOpenError Error("Cannot open file \"/game/data/Item.Dat\". No such file or directory");
    Error.SetFileName("/game/data/Item.Dat");
    EXPECT_EQ(ErrorText(Error, ": "), Error.what());
}
