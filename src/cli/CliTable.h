#pragma once

// The command line, declared once: every command and each of its options. The parser, the
// usage, the bash completion and the manual page all read it.

#include "requests/Parameters.h"

#include <array>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelto::cli {

class TCliArgs;

inline constexpr std::string_view ProgramName = "pelto-cli";

enum class TArgKind {
    Switch, // --name
    Value,  // --name VALUE
    Word,   // a word without "--" in its place, named by its placeholder alone
};

/// The paths the completion offers for a value.
enum class TPathKind { None, Folder, File };

struct TCliOption {
    std::string_view Name; // given as "--Name"; a word's name is its placeholder
    TArgKind Kind = TArgKind::Value;
    /// The value's stand-in in the usage ("DIR"); none: the fixed words, joined by "|".
    std::string_view Placeholder = {};
    /// The fixed words the value takes, from the program's own tables.
    std::span<const std::string_view> Words = {};
    /// The whole numbers the value takes; TCliArgs::Number checks them.
    std::optional<TParamRange> Numbers = std::nullopt;
    TPathKind Paths = TPathKind::None;
    bool Required = false;
    bool Repeatable = false;
    // Its place in the synopsis: within the brackets of option Under, in one pair of brackets
    // after option With, or as an alternative to option Or.
    std::string_view Under = {};
    std::string_view With = {};
    std::string_view Or = {};
    /// A line of its own before it in the command's usage.
    std::string_view Heading = {};
    /// Its line in the command's usage, wrapped there; none: the synopsis names it alone.
    /// ${name} stands for a fact of the program (see HelpFacts), ${range} for Numbers.
    std::string_view Help = {};
};

/// A paragraph after a command's options, or with a Term, an entry of a list beside them.
struct TCliNote {
    std::string_view Term;
    std::string_view Text;
};

/// What one command is given, and where the program runs from.
struct TCommandCall {
    const TCliArgs& Args;
    const std::string& ExecutablePath;
    /// What the command prints, shown only when it succeeds.
    std::ostream& Out;
    /// Standard output itself, for a command that reports while it runs.
    std::ostream& Live;
};

struct TCliCommand {
    std::string_view Name;
    /// What it does, in the list of all commands.
    std::string_view Summary;
    std::span<const TCliOption> Options;
    void (*Run)(const TCommandCall&);
    /// A paragraph before the options in its usage.
    std::string_view Intro = {};
    std::span<const TCliNote> Notes = {};
};

/// Every command, in the order the usage lists them.
std::span<const TCliCommand> CliCommands();
/// The command called Name, or none.
const TCliCommand* FindCliCommand(std::string_view Name);
/// The option called Name of Command, or none.
const TCliOption* FindCliOption(const TCliCommand& Command, std::string_view Name);

/// The facts of the program that help texts name as ${name}, by name: ranges and lists drawn
/// from the program's own constants and tables, so that the texts follow them.
const std::map<std::string, std::string, std::less<>>& HelpFacts();

/// Text with every ${name} replaced by its fact, ${range} by Option's numbers and
/// ${COMMAND --OPTION} by that option's, each passed through Escape when given. Raises
/// std::logic_error for a name that has none.
std::string ExpandFacts(std::string_view Text, const TCliOption* Option = nullptr,
                        std::string (*Escape)(std::string_view) = nullptr);

/// The exit statuses, as the usage names them.
enum class TExitStatus { Done = 0, Failed = 1, Usage = 2 };
struct TExitMeaning {
    TExitStatus Status;
    std::string_view Meaning;
};
inline constexpr std::array<TExitMeaning, 3> ExitMeanings{{
    {TExitStatus::Done, "done"},
    {TExitStatus::Failed, "the work failed"},
    {TExitStatus::Usage, "a usage error"},
}};

/// The sizes of the demo installation, in TDemoScale's order.
inline constexpr std::array<std::string_view, 2> DemoScaleNames{"small", "full"};

} // namespace pelto::cli
