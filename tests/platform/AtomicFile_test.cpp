#include "platform/AtomicFile.h"

#include "platform/Errors.h"
#include "support/Environment.h"
#include "support/TempDir.h"
#include "support/WebAssembly.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <fstream>

using namespace pelto;
using pelto::test::Entries;
using pelto::test::ReadText;
using pelto::test::TFileSizeLimit;
namespace fs = std::filesystem;

namespace {

void WriteText(TStream& Stream, const std::string& Text) {
    Stream.WriteBuffer(Text.data(), Text.size());
}

mode_t ModeOf(const std::string& FileName) {
    struct stat St {};
    EXPECT_EQ(::stat(FileName.c_str(), &St), 0);
    return St.st_mode & 07777;
}

// Runs Save and returns the message of the exception of type E it raises.
template <typename E, typename F> std::string FailureOf(F Save) {
    try {
        Save();
    } catch (const E& Error) {
        return Error.what();
    }
    ADD_FAILURE() << "no exception";
    return {};
}

class TUmask {
public:
    explicit TUmask(mode_t Mask) : FOld(::umask(Mask)) {}
    ~TUmask() { ::umask(FOld); }

private:
    mode_t FOld;
};

} // namespace

TEST(AtomicFile, CreatesTheFileAndLeavesNothingElse) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("image.png");
    WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "hello"); });
    EXPECT_EQ(ReadText(Name), "hello");
    EXPECT_EQ(Entries(Folder.Path()), std::vector<std::string>{"image.png"});
}

TEST(AtomicFile, ReplacesAnExistingFileKeepingItsPermissions) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("image.png");
    WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "a much longer first version"); });
    ASSERT_EQ(::chmod(Name.c_str(), 0640), 0);
    WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "second"); });
    EXPECT_EQ(ReadText(Name), "second");
    EXPECT_EQ(ModeOf(Name), 0640u);
    EXPECT_EQ(Entries(Folder.Path()), std::vector<std::string>{"image.png"});
}

TEST(AtomicFile, NewFileGetsTheUsualPermissions) {
    PELTO_SKIP_IN_WEBASSEMBLY("no umask");
    test::TTempDir Folder;
    const TUmask Mask(027);
    WriteFileAtomically(Folder.File("a.bmp"), [](TStream& S) { WriteText(S, "x"); });
    EXPECT_EQ(ModeOf(Folder.File("a.bmp")), 0640u);
}

TEST(AtomicFile, StreamSupportsSeekingBackAndLargeWrites) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("big.bin");
    std::vector<std::uint8_t> Big(300000);
    for (std::size_t I = 0; I < Big.size(); ++I)
        Big[I] = static_cast<std::uint8_t>(I * 7);
    WriteFileAtomically(Name, [&](TStream& S) {
        WriteText(S, "HEAD");
        for (std::size_t I = 0; I < 1000; ++I)
            S.WriteBuffer(&Big[I], 1); // many small writes
        S.WriteBuffer(Big.data() + 1000, Big.size() - 1000);
        EXPECT_EQ(S.GetPosition(), 4 + static_cast<std::int64_t>(Big.size()));
        S.SetPosition(0);
        WriteText(S, "head");
        EXPECT_EQ(S.GetSize(), 4 + static_cast<std::int64_t>(Big.size()));
        S.SetPosition(S.GetSize());
        WriteText(S, "tail");
    });
    std::vector<std::uint8_t> Expected = {'h', 'e', 'a', 'd'};
    Expected.insert(Expected.end(), Big.begin(), Big.end());
    Expected.insert(Expected.end(), {'t', 'a', 'i', 'l'});
    EXPECT_EQ(ReadFileBytes(Name), Expected);
}

TEST(AtomicFile, StreamSizeCountsTheBytesStillBuffered) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("small.bin");
    WriteFileAtomically(Name, [](TStream& S) {
        WriteText(S, "hello");
        EXPECT_EQ(S.GetSize(), 5);
        S.SetPosition(2);
        WriteText(S, "LLOW!"); // past the end written so far
        EXPECT_EQ(S.GetSize(), 7);
        S.SetPosition(0);
        WriteText(S, "J"); // within it
        EXPECT_EQ(S.GetSize(), 7);
        EXPECT_EQ(S.Remaining(), 6);
        S.SetPosition(9); // a gap, filled with zeros once written past
        EXPECT_EQ(S.GetSize(), 7);
        WriteText(S, "?");
        EXPECT_EQ(S.GetSize(), 10);
    });
    EXPECT_EQ(ReadText(Name), std::string("JeLLOW!\0\0?", 10));
}

TEST(AtomicFile, FailedWriteKeepsThePreviousFileAndRemovesTheTemporary) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("image.gif");
    WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "old bytes"); });
    const auto Message = FailureOf<std::runtime_error>([&] {
        WriteFileAtomically(Name, [](TStream& S) {
            WriteText(S, std::string(100000, 'n'));
            throw std::runtime_error("drawing failed");
        });
    });
    EXPECT_EQ(Message, "drawing failed");
    EXPECT_EQ(ReadText(Name), "old bytes");
    EXPECT_EQ(Entries(Folder.Path()), std::vector<std::string>{"image.gif"});
}

TEST(AtomicFile, WriteErrorOfTheSystemNamesTheFileAndKeepsTheOldOne) {
    PELTO_SKIP_IN_WEBASSEMBLY("no file size limit");
    test::TTempDir Folder;
    const std::string Name = Folder.File("image.bmp");
    WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "old bytes"); });
    std::string Message;
    {
        const TFileSizeLimit Limit(100000);
        Message = FailureOf<EWriteError>([&] {
            WriteFileAtomically(Name, [](TStream& S) { WriteText(S, std::string(300000, 'n')); });
        });
    }
    EXPECT_EQ(Message, "Cannot write file \"" + Name + "\". File too large");
    EXPECT_EQ(ReadText(Name), "old bytes");
    EXPECT_EQ(Entries(Folder.Path()), std::vector<std::string>{"image.bmp"});
}

TEST(AtomicFile, FailedFirstWriteLeavesNoFile) {
    test::TTempDir Folder;
    EXPECT_THROW(WriteFileAtomically(Folder.File("new.png"), [](TStream&) { throw EReadError(); }),
                 EReadError);
    EXPECT_TRUE(Entries(Folder.Path()).empty());
}

TEST(AtomicFile, EncoderErrorIsRephrasedToNameTheFile) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("x.jpg");
    const auto Message = FailureOf<EWriteError>(
        [&] { WriteFileAtomically(Name, [](TStream&) { throw EWriteError("Bad JPEG"); }); });
    EXPECT_EQ(Message, "Cannot write file \"" + Name + "\". Bad JPEG");
    // A message that names the file already is passed on unchanged.
    const std::string Own = "Cannot write file \"" + Name + "\". No space left on device";
    EXPECT_EQ(FailureOf<EWriteError>(
                  [&] { WriteFileAtomically(Name, [&](TStream&) { throw EWriteError(Own); }); }),
              Own);
}

TEST(AtomicFile, MissingFolderIsAnOpenErrorNamingTheFile) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("no/such/folder/a.png");
    bool Called = false;
    const auto Message = FailureOf<EFOpenError>(
        [&] { WriteFileAtomically(Name, [&](TStream&) { Called = true; }); });
    EXPECT_EQ(Message, "Cannot create file \"" + Name + "\". No such file or directory");
    EXPECT_FALSE(Called);
}

TEST(AtomicFile, DestinationThatIsAFolderIsLeftAlone) {
    test::TTempDir Folder;
    const std::string Name = Folder.File("image.png");
    fs::create_directory(Name);
    std::ofstream(Folder.File("image.png/inside")) << "keep";
    const auto Message = FailureOf<EFOpenError>(
        [&] { WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "x"); }); });
    EXPECT_NE(Message.find("\"" + Name + "\""), std::string::npos) << Message;
    EXPECT_TRUE(fs::is_directory(Name));
    EXPECT_EQ(ReadText(Folder.File("image.png/inside")), "keep");
    EXPECT_EQ(Entries(Folder.Path()), std::vector<std::string>{"image.png"});
}

TEST(AtomicFile, ReadOnlyFolderIsAnOpenErrorNamingTheFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    test::TTempDir Folder;
    const fs::path Locked = fs::path(Folder.Path()) / "locked";
    fs::create_directory(Locked);
    const std::string Name = (Locked / "a.png").string();
    std::ofstream(Name) << "before";
    fs::permissions(Locked, fs::perms::owner_read | fs::perms::owner_exec);
    const auto Message = FailureOf<EFOpenError>(
        [&] { WriteFileAtomically(Name, [](TStream& S) { WriteText(S, "after"); }); });
    EXPECT_EQ(Message, "Cannot create file \"" + Name + "\". Permission denied");
    EXPECT_EQ(ReadText(Name), "before");
}
