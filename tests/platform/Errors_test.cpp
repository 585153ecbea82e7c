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

TEST(ErrorText, PutsTheDetailOnALineOfItsOwnOrInBracketsBeforeTheFile) {
    EReadError Error(512, 1000, 1200);
    EXPECT_STREQ(Error.what(), "Stream read error");
    EXPECT_EQ(ErrorText(Error, "\n"), "Stream read error\nread of 512 bytes at offset 1000, "
                                      "file has 1200 bytes");
    EXPECT_EQ(ErrorText(Error, ": "),
              "Stream read error (read of 512 bytes at offset 1000, file has 1200 bytes)");
    try {
        WithFileName("/game/jma/4000.jma", [&] { throw Error; });
    } catch (const EWloError& Named) {
        const EWloError Copy = Named; // as a list of failures keeps it
        EXPECT_EQ(ErrorText(Copy, "\n"), "Stream read error\n/game/jma/4000.jma\n"
                                         "read of 512 bytes at offset 1000, file has 1200 bytes");
        EXPECT_EQ(ErrorText(Copy, ": "), "Stream read error (read of 512 bytes at offset 1000, "
                                         "file has 1200 bytes): /game/jma/4000.jma");
    }
    EXPECT_EQ(EReadError(1, 7, -1).Detail(), "read of 1 byte at offset 7");
    EXPECT_EQ(ErrorText(EReadError(), "\n"), "Stream read error");
}
