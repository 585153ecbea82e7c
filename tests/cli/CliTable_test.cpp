// The table of the command line against the program it describes, and what is made of it.
#include "cli/CliCompletion.h"
#include "cli/CliManPage.h"
#include "cli/CliSynopsis.h"
#include "cli/CliTable.h"
#include "cli/CliUsage.h"
#include "requests/DesignEdits.h"
#include "requests/Parameters.h"
#include "requests/RenderRequest.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <stdexcept>
#include <string>

using namespace pelto;
using namespace pelto::cli;

namespace {

const TCliCommand& Command(std::string_view Name) {
    const TCliCommand* Found = FindCliCommand(Name);
    if (!Found)
        throw std::logic_error("no command " + std::string(Name));
    return *Found;
}

/// How often "--Name" stands in Text as a whole option, not as part of a longer one.
std::ptrdiff_t Mentions(const std::string& Text, std::string_view Name) {
    const std::regex Option("(^|[^a-z-])--" + std::string(Name) + "([^a-z-]|$)");
    return std::distance(std::sregex_iterator(Text.begin(), Text.end(), Option),
                         std::sregex_iterator());
}

/// A template of the manual page naming every command and option once, but Skip.
std::string ManTemplate(std::string_view Skip = "") {
    std::string Template = ".TH T 1\n";
    std::set<std::string_view> Options;
    for (const TCliCommand& Each : CliCommands()) {
        if (Each.Name != Skip)
            Template += ".\\\" @command " + std::string(Each.Name) + "\ntext\n";
        for (const TCliOption& Option : Each.Options)
            if (Option.Kind != TArgKind::Word && Option.Name != Skip &&
                Options.insert(Option.Name).second)
                Template += ".\\\" @option " + std::string(Option.Name) + "\ntext\n";
    }
    return Template;
}

} // namespace

TEST(CliTable, RenderTakesEveryParameterOfARenderAsTheRequestReadsIt) {
    std::set<std::string_view> Requested{"game", "out"};
    for (const TParameter& Parameter : Parameters)
        if (Parameter.Takers & (RenderOption | SceneOption))
            Requested.insert(Parameter.Name);
    std::set<std::string_view> Declared;
    for (const TCliOption& Option : Command("render").Options) {
        Declared.insert(Option.Name);
        if (Option.Name == "game" || Option.Name == "out")
            continue;
        const TParameter& Parameter = ParameterNamed(Option.Name);
        EXPECT_EQ(Option.Kind == TArgKind::Switch, Parameter.Kind == TParamKind::Switch)
            << Option.Name;
        if (Option.Numbers) {
            EXPECT_TRUE(Option.Numbers->Min == Parameter.Range.Min &&
                        Option.Numbers->Max == Parameter.Range.Max)
                << Option.Name;
        }
    }
    EXPECT_EQ(Declared, Requested);
}

TEST(CliTable, CodeTakesEveryEditAsTheEditsReadIt) {
    for (const std::string_view Name : EditNames) {
        const TCliOption* Option = FindCliOption(Command("code"), Name);
        ASSERT_TRUE(Option) << Name;
        EXPECT_EQ(Option->Kind == TArgKind::Switch, ParameterNamed(Name).Kind == TParamKind::Switch)
            << Name;
        EXPECT_EQ(Option->Repeatable, MaxRepeats(Name) > 1) << Name;
    }
}

TEST(CliTable, EveryWordOfferedIsOneTheProgramTakes) {
    for (const std::string_view Word : FindCliOption(Command("code"), "vary")->Words)
        EXPECT_NO_THROW(
            ParseDesignEdits({{"random", "1"}, {"vary", std::string(Word)}}, CommandLineEdits))
            << Word;
    for (const TCliOption& Option : Command("render").Options)
        for (const std::string_view Word : Option.Words) {
            // A layered sheet on a canvas takes every option there is.
            TRequestParams Params{{"chara", "0"}, {"format", "tsheet"}, {"canvas", "9x9"}};
            Params[std::string(Option.Name)] = Word;
            EXPECT_NO_THROW(ParseRenderRequest(Params, CommandLineDialect))
                << Option.Name << " " << Word;
        }
}

TEST(CliTable, EveryOptionIsPlacedOnceInItsCommandsSynopsis) {
    for (const TCliCommand& Each : CliCommands()) {
        std::string Text;
        for (const TSynopsisUnit& Unit : Synopsis(Each))
            Text += PlainText(Unit) + " ";
        std::set<std::string_view> Names;
        for (const TCliOption& Option : Each.Options) {
            EXPECT_TRUE(Names.insert(Option.Name).second) << Each.Name << " " << Option.Name;
            for (const std::string_view Other : {Option.Under, Option.With, Option.Or})
                EXPECT_TRUE(Other.empty() || FindCliOption(Each, Other))
                    << Each.Name << " " << Option.Name << " goes with no option " << Other;
            if (Option.Kind == TArgKind::Word) {
                EXPECT_NE(Text.find(Option.Placeholder), std::string::npos) << Text;
            } else {
                EXPECT_EQ(Mentions(Text, Option.Name), 1) << Each.Name << ": " << Text;
            }
        }
    }
}

TEST(CliTable, UsageNamesEveryCommandAndOptionWithinItsWidthAndEveryFact) {
    std::string Whole = WholeUsage();
    for (const TCliCommand& Each : CliCommands()) {
        EXPECT_NE(Whole.find("\n  " + std::string(Each.Name) + " "), std::string::npos)
            << Each.Name;
        Whole += CommandUsage(Each);
    }
    std::size_t Start = 0;
    for (std::size_t End; (End = Whole.find('\n', Start)) != std::string::npos; Start = End + 1)
        EXPECT_LE(TextWidth(Whole.substr(Start, End - Start)), UsageWidth)
            << Whole.substr(Start, End - Start);
    EXPECT_EQ(Whole.find("${"), std::string::npos);
    EXPECT_THROW(ExpandFacts("${no-such-fact}"), std::logic_error);
    EXPECT_EQ(
        ExpandFacts("${range} and ${render --scale}", FindCliOption(Command("info"), "chara")),
        "0..14 and 1..8");
}

TEST(CliTable, TheManualPageHasEveryCommandAndOptionOnceOrIsNotMade) {
    const std::string Page = ManPage(ManTemplate());
    EXPECT_NE(Page.find(".TP\n\\fBrender\\fR \\fB\\-\\-game\\fR\\ \\fIDIR\\fR "),
              std::string::npos);
    EXPECT_NE(Page.find(".TP\n\\fB\\-\\-scope\\fR\\ \\fBaction\\fR|\\:\\fBdirections\\fR"),
              std::string::npos);
    EXPECT_EQ(Page.find("@command"), std::string::npos);
    for (const std::string_view Missing : {"serve", "lock"})
        EXPECT_THROW(ManPage(ManTemplate(Missing)), std::runtime_error) << Missing;
    EXPECT_THROW(ManPage(ManTemplate() + ".\\\" @option lock\n"), std::runtime_error);
    EXPECT_THROW(ManPage(ManTemplate() + ".\\\" @command frobnicate\n"), std::runtime_error);
    EXPECT_THROW(ManPage(ManTemplate() + ".\\\" @option CODE\n"), std::runtime_error);
}

TEST(CliTable, TheCompletionOffersEveryOptionAndItsWords) {
    const std::string Script = CompletionScript("before\n# @tables\nafter\n");
    EXPECT_EQ(Script.rfind("before\n", 0), 0u);
    EXPECT_TRUE(Script.ends_with("\nafter\n"));
    for (const TCliCommand& Each : CliCommands())
        for (const TCliOption& Option : Each.Options) {
            if (Option.Kind == TArgKind::Word)
                continue;
            const std::string Key = "[" + std::string(Each.Name) + " --" + std::string(Option.Name);
            EXPECT_EQ(Script.find(Key + "]=\"") != std::string::npos,
                      Option.Kind == TArgKind::Value)
                << Key;
            for (const std::string_view Word : Option.Words)
                EXPECT_TRUE(std::regex_search(Script, std::regex("\\" + Key + "\\]=\"([^\"]* )?" +
                                                                 std::string(Word) + "[ \"]")))
                    << Key << " " << Word;
        }
    EXPECT_THROW(CompletionScript("no tables\n"), std::runtime_error);
}
