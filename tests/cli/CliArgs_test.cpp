#include "cli/CliArgs.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace pelto::cli;

namespace {

// The options of a render-like command: two taking values, two switches.
const std::vector<std::string> ValueOptions{"game", "out"};
const std::vector<std::string> Flags{"json", "shadow"};

TCliArgs Parse(const std::vector<std::string>& Args, std::size_t MaxPositional = 0) {
    return TCliArgs(Args, ValueOptions, Flags, MaxPositional);
}

// The refusal's message, or what went wrong instead.
std::string Refusal(const std::vector<std::string>& Args, std::size_t MaxPositional = 0) {
    try {
        Parse(Args, MaxPositional);
    } catch (const EUsageError& Error) {
        return Error.what();
    } catch (const EHelpRequested&) {
        return "(help)";
    }
    return "(accepted)";
}

bool AsksForHelp(const std::vector<std::string>& Args, std::size_t MaxPositional = 0) {
    return Refusal(Args, MaxPositional) == "(help)";
}

} // namespace

TEST(CliArgs, TakesOptionsSwitchesAndWordsInAnyOrder) {
    const TCliArgs Args = Parse({"first", "--shadow", "--out", "x.png", "second"}, 2);
    EXPECT_EQ(Args.Value("out"), std::optional<std::string>("x.png"));
    EXPECT_EQ(Args.Required("out"), "x.png");
    EXPECT_TRUE(Args.Flag("shadow"));
    EXPECT_EQ(Args.Positional(), (std::vector<std::string>{"first", "second"}));
    // What was not given is absent, not empty.
    EXPECT_EQ(Args.Value("game"), std::nullopt);
    EXPECT_FALSE(Args.Flag("json"));
    // An empty value is a value.
    EXPECT_EQ(Parse({"--game", ""}).Value("game"), std::optional<std::string>(""));
}

TEST(CliArgs, AValueIsTakenWhateverItSpells) {
    const TCliArgs Args = Parse({"--out", "--json", "--game", "--help"});
    EXPECT_EQ(Args.Value("out"), std::optional<std::string>("--json"));
    EXPECT_EQ(Args.Value("game"), std::optional<std::string>("--help"));
    EXPECT_FALSE(Args.Flag("json"));
    EXPECT_EQ(Parse({"--out", "-h"}).Value("out"), std::optional<std::string>("-h"));
}

TEST(CliArgs, RefusesAnOptionNoCommandKnows) {
    EXPECT_EQ(Refusal({"--frob"}), "unknown option --frob");
    EXPECT_EQ(Refusal({"--game", "g", "--Shadow"}), "unknown option --Shadow"); // case counts
    // "--name=value" is not taken apart: the option's value follows it as a word of its own.
    EXPECT_EQ(Refusal({"--out=x.png"}), "unknown option --out=x.png");
}

TEST(CliArgs, RefusesAValueOptionWithoutItsValue) {
    EXPECT_EQ(Refusal({"--game"}), "option --game needs a value");
    EXPECT_EQ(Refusal({"--shadow", "--out"}), "option --out needs a value");
}

TEST(CliArgs, RefusesAnOptionGivenTwiceRatherThanDropOne) {
    EXPECT_EQ(Refusal({"--out", "a.png", "--out", "b.png"}), "option --out given twice");
    EXPECT_EQ(Refusal({"--out", "a.png", "--out", "a.png"}), "option --out given twice");
    EXPECT_EQ(Refusal({"--shadow", "--json", "--shadow"}), "option --shadow given twice");
}

TEST(CliArgs, RefusesMoreWordsThanTheCommandTakesNamingTheFirstTooMany) {
    EXPECT_EQ(Refusal({"stray"}), "unexpected word 'stray'");
    EXPECT_EQ(Refusal({"one", "two", "three"}, 1), "unexpected word 'two'");
    EXPECT_EQ(Refusal({"one", "--json", "two"}, 2), "(accepted)");
    // A switch takes no value: what follows it is a word of its own.
    EXPECT_EQ(Refusal({"--shadow", "no"}), "unexpected word 'no'");
    // Dashes alone, or a single one before a name, make a word, not an option.
    EXPECT_EQ(Refusal({"-"}), "unexpected word '-'");
    EXPECT_EQ(Refusal({"--"}), "unexpected word '--'");
    EXPECT_EQ(Refusal({"-shadow"}), "unexpected word '-shadow'");
    EXPECT_EQ(Parse({"-", "--"}, 2).Positional(), (std::vector<std::string>{"-", "--"}));
}

TEST(CliArgs, HelpAnywhereAmongTheOptionsAsksForTheUsage) {
    EXPECT_TRUE(AsksForHelp({"--help"}));
    EXPECT_TRUE(AsksForHelp({"-h"}));
    EXPECT_TRUE(AsksForHelp({"--game", "g", "--shadow", "-h"}));
    // Before a word too many or a mistake after it, which would otherwise be refused.
    EXPECT_TRUE(AsksForHelp({"stray", "--help"}));
    EXPECT_TRUE(AsksForHelp({"--help", "--frob"}));
    EXPECT_TRUE(AsksForHelp({"-h", "--game"}));
    EXPECT_TRUE(AsksForHelp({"--out", "x", "--help", "--out", "y"}));
}

TEST(CliArgs, RequiredNamesTheMissingOption) {
    const TCliArgs Args = Parse({"--shadow"});
    try {
        (void)Args.Required("game");
        ADD_FAILURE() << "no refusal";
    } catch (const EUsageError& Error) {
        EXPECT_STREQ(Error.what(), "option --game is required");
    }
    // A usage error is a runtime error, reported as the others are.
    EXPECT_THROW((void)Args.Required("out"), std::runtime_error);
}
