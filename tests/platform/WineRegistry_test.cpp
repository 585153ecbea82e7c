#include "platform/WineRegistry.h"

#include "support/Environment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

using namespace pelto;
using pelto::test::TEnvironment;
using pelto::test::TTempDir;

namespace {

constexpr const char* Uninstall =
    R"(Software\Microsoft\Windows\CurrentVersion\Uninstall\Wonderland ONLINE Ex3_is1)";

// The start of a system.reg as Wine writes it.
std::string RegFile(const std::string& Body) {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\Machine\n"
           "\n"
           "#arch=win64\n"
           "\n" +
           Body;
}

class WineRegistry : public ::testing::Test {
protected:
    bool Load(const std::string& Text) { return FRegistry.Load(FDir.Write("system.reg", Text)); }
    TTempDir FDir;
    TWineRegistry FRegistry;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The registry file

TEST_F(WineRegistry, ReadsStringValuesWithWinesEscapes) {
    ASSERT_TRUE(Load(RegFile(
        R"([Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Wonderland ONLINE Ex3_is1] 1700000000)"
        "\n"
        "#time=1da0c0e6e4b4f2e\n"
        R"("InstallLocation"="C:\\Program Files\\GAMESPACE24\\WLOEx3\\")"
        "\n"
        R"("Quote"="say \"hi\"\n")"
        "\n"
        R"("Unicode"="caf\xe9 \x3042\x3044 \xd83d\xde00 \xdc00!")"
        "\n"
        R"("Short"="\x41-\x41BC\xe9z")"
        "\n"
        R"("Octal"="\101\0cut")"
        "\n"
        R"("Expand"=str(2):"%ProgramFiles%\\WLO")"
        "\n"
        R"("Dword"=dword:00000001)"
        "\n"
        R"("Binary"=hex:01,02,\)"
        "\n  03,04\n"
        R"("Multi"=str(7):"a\0b\0")"
        "\n"
        R"(@="default")"
        "\n"
        R"("Spaced" = "x")"
        "\n")));
    EXPECT_TRUE(FRegistry.KeyExists(Uninstall));
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "installlocation"),
              R"(C:\Program Files\GAMESPACE24\WLOEx3\)");
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "Quote"), "say \"hi\"\n");
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "Unicode"),
              "caf\xC3\xA9 \xE3\x81\x82\xE3\x81\x84 \xF0\x9F\x98\x80 \xEF\xBF\xBD!");
    // Up to four hex digits make one code unit.
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "Short"), "A-\xE4\x86\xBC\xC3\xA9z");
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "Octal"), "A");
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "Expand"), R"(%ProgramFiles%\WLO)");
    EXPECT_EQ(FRegistry.ReadString(Uninstall, ""), "default");
    EXPECT_EQ(FRegistry.ReadString(Uninstall, "Spaced"), "x");
    EXPECT_FALSE(FRegistry.ReadString(Uninstall, "Dword"));
    EXPECT_FALSE(FRegistry.ReadString(Uninstall, "Binary"));
    EXPECT_FALSE(FRegistry.ReadString(Uninstall, "Multi"));
    EXPECT_FALSE(FRegistry.ReadString(Uninstall, "Missing"));
}

TEST_F(WineRegistry, MatchesKeysIgnoringCaseAndKnowsKeysOnlyByTheirSubkeys) {
    ASSERT_TRUE(Load(RegFile("[Software\\\\Wow6432Node\\\\Vendor\\\\App] 1\n"
                             "\"Value\"=\"v\"\n"
                             "[Software\\\\Odd\\]Name\\[x] 1\n"
                             "\"a\"=\"b\"\n")));
    EXPECT_TRUE(FRegistry.KeyExists(R"(SOFTWARE\WOW6432NODE\vendor\app)"));
    EXPECT_TRUE(FRegistry.KeyExists(R"(\Software\Wow6432Node\Vendor)"));
    EXPECT_TRUE(FRegistry.KeyExists("Software"));
    EXPECT_FALSE(FRegistry.KeyExists(R"(Software\Wow6432Node\Vend)"));
    EXPECT_FALSE(FRegistry.KeyExists(R"(Software\Wow6432Node\Vendor\App\Sub)"));
    EXPECT_EQ(FRegistry.ReadString(R"(software\wow6432node\vendor\app)", "VALUE"), "v");
    EXPECT_FALSE(FRegistry.ReadString(R"(Software\Wow6432Node\Vendor)", "Value"));
    EXPECT_EQ(FRegistry.ReadString(R"(Software\Odd]Name[x)", "a"), "b");
}

TEST_F(WineRegistry, ReloadingForgetsWhatWasLoaded) {
    ASSERT_TRUE(Load(RegFile("[A] 1\n\"v\"=\"1\"\n")));
    ASSERT_TRUE(Load(RegFile("[B] 1\n")));
    EXPECT_FALSE(FRegistry.KeyExists("A"));
    EXPECT_TRUE(FRegistry.KeyExists("B"));
    EXPECT_FALSE(FRegistry.Load(FDir.File("missing.reg")));
    EXPECT_FALSE(FRegistry.KeyExists("B"));
}

TEST_F(WineRegistry, RefusesFilesWithoutWinesHeader) {
    EXPECT_FALSE(Load("REGEDIT4\n[A] 1\n\"v\"=\"1\"\n"));
    EXPECT_FALSE(FRegistry.KeyExists("A"));
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(FRegistry.Load(FDir.Path())); // a folder
}

TEST_F(WineRegistry, PassesOverMalformedLines) {
    ASSERT_TRUE(Load(RegFile("\"orphan\"=\"no key yet\"\n"
                             "[Good] 1\n"
                             "[Unclosed\\\\Key 1\n"
                             "\"lost\"=\"after a broken key line\"\n"
                             "[Good] 2\n"
                             "\"open\"=\"no closing quote\n"
                             "\"noequals\" \"x\"\n"
                             "\"empty\"=\n"
                             "garbage line\n"
                             "\"fine\"=\"yes\"\n"
                             "\"trailing\"=\"ends with a backslash\\")));
    EXPECT_FALSE(FRegistry.KeyExists("Unclosed"));
    EXPECT_FALSE(FRegistry.ReadString("Good", "lost"));
    EXPECT_FALSE(FRegistry.ReadString("Good", "open"));
    EXPECT_FALSE(FRegistry.ReadString("Good", "noequals"));
    EXPECT_FALSE(FRegistry.ReadString("Good", "empty"));
    EXPECT_FALSE(FRegistry.ReadString("Good", "trailing"));
    EXPECT_EQ(FRegistry.ReadString("Good", "fine"), "yes");
}

TEST_F(WineRegistry, SurvivesTruncatedJunkAndHugeLines) {
    // Truncated inside a key name, inside a value name, inside an escape.
    for (const char* Tail : {"[Soft", "[A] 1\n\"Na", "[A] 1\n\"v\"=\"\\x", "[A] 1\n\"v\"=\"\\"}) {
        EXPECT_TRUE(Load(RegFile(Tail))) << Tail;
        EXPECT_FALSE(FRegistry.ReadString("A", "v")) << Tail;
    }

    std::mt19937 Random(7);
    std::string Junk = RegFile("");
    for (int I = 0; I < 200000; ++I)
        Junk += static_cast<char>(Random());
    EXPECT_TRUE(Load(Junk));

    // A 10 MB key line: skipped, and the values after it belong to no key.
    std::string Huge = RegFile("[Before] 1\n\"v\"=\"1\"\n[");
    Huge.append(10 * 1024 * 1024, 'K');
    Huge += "] 1\n\"after\"=\"x\"\n[After] 1\n\"v\"=\"2\"\n";
    ASSERT_TRUE(Load(Huge));
    EXPECT_EQ(FRegistry.ReadString("Before", "v"), "1");
    EXPECT_FALSE(FRegistry.ReadString("Before", "after"));
    EXPECT_EQ(FRegistry.ReadString("After", "v"), "2");

    // A 10 MB header line is no header.
    EXPECT_FALSE(Load("WINE REGISTRY Version 2" + std::string(10 * 1024 * 1024, ' ')));
}

TEST_F(WineRegistry, ReadsCrLfFiles) {
    ASSERT_TRUE(Load("WINE REGISTRY Version 2\r\n[A] 1\r\n\"v\"=\"1\"\r\n"));
    EXPECT_EQ(FRegistry.ReadString("A", "v"), "1");
}

// ---------------------------------------------------------------------------------------------
// Prefix and paths

TEST(WinePrefix, ComesFromWineprefixElseFromHome) {
    {
        const TEnvironment Prefix("WINEPREFIX", "/opt/wine/games//");
        EXPECT_EQ(WinePrefix(), "/opt/wine/games");
    }
    const TEnvironment Prefix("WINEPREFIX", nullptr);
    {
        const TEnvironment Home("HOME", "/home/player");
        EXPECT_EQ(WinePrefix(), "/home/player/.wine");
    }
    const TEnvironment EmptyPrefix("WINEPREFIX", "");
    const TEnvironment Home("HOME", "/home/other/");
    EXPECT_EQ(WinePrefix(), "/home/other/.wine");
}

TEST(WindowsPath, IsADriveLetterColonAndDelimiter) {
    EXPECT_TRUE(IsWindowsPath(R"(C:\Games\WLO)"));
    EXPECT_TRUE(IsWindowsPath("d:/games"));
    EXPECT_TRUE(IsWindowsPath(R"(Z:\)"));
    EXPECT_FALSE(IsWindowsPath("C:"));
    EXPECT_FALSE(IsWindowsPath("C:games"));
    EXPECT_FALSE(IsWindowsPath(R"(\Games\WLO)"));
    EXPECT_FALSE(IsWindowsPath("/home/player/wlo"));
    EXPECT_FALSE(IsWindowsPath(R"(1:\x)"));
}

TEST(WindowsPath, MapsDrivesThroughDosdevices) {
    TTempDir Prefix;
    const std::string P = Prefix.Path(); // with its trailing '/'
    std::filesystem::create_directories(P + "dosdevices");
    std::filesystem::create_directories(P + "drive_c");
    std::filesystem::create_directories(P + "mnt/games");
    std::filesystem::create_directory_symlink("../drive_c", P + "dosdevices/c:");
    std::filesystem::create_directory_symlink(P + "mnt/games", P + "dosdevices/d:");

    EXPECT_EQ(WindowsToUnixPath(P, R"(C:\Program Files\GAMESPACE24\WLOEx3\)"),
              P + "dosdevices/c:/Program Files/GAMESPACE24/WLOEx3/");
    EXPECT_EQ(WindowsToUnixPath(P, "d:/Games/WLO"), P + "dosdevices/d:/Games/WLO");
    EXPECT_EQ(WindowsToUnixPath(P, R"(\Games\WLO)"), P + "dosdevices/c:/Games/WLO");
    EXPECT_EQ(WindowsToUnixPath(P, R"(\)"), P + "dosdevices/c:/");
    EXPECT_EQ(WindowsToUnixPath(P, "C:"), P + "dosdevices/c:/");
    EXPECT_EQ(WindowsToUnixPath(P, R"(E:\x)"), P + "dosdevices/e:/x"); // no link: fails later
    EXPECT_EQ(WindowsToUnixPath(P, R"(\\server\share\wlo)"), "");
    EXPECT_EQ(WindowsToUnixPath(P, R"(Games\WLO)"), "Games/WLO");

    // The path reaches the files through the link.
    std::filesystem::create_directories(P + "mnt/games/Games/WLO");
    EXPECT_TRUE(std::filesystem::is_directory(WindowsToUnixPath(P, R"(D:\Games\WLO\)")));
}

TEST(WindowsPath, FallsBackToDriveCWithoutItsLink) {
    TTempDir Prefix;
    const std::string P = Prefix.Path();
    EXPECT_EQ(WindowsToUnixPath(P, R"(C:\Games)"), P + "drive_c/Games");
    EXPECT_EQ(WindowsToUnixPath(P.substr(0, P.size() - 1), R"(\Games)"), P + "drive_c/Games");
}
