#include "cli/CliCompletion.h"

#include "cli/CliTable.h"

#include <stdexcept>

namespace pelto::cli {
namespace {

constexpr std::string_view TablesMark = "# @tables\n";

/// The most numbers offered for a value; a longer run helps no one choose.
constexpr long MaxOfferedNumbers = 20;

/// What the completion offers after Option: "@dirs" or "@files" for paths, else its numbers and
/// words; nothing leaves the word to the user.
std::string Offered(const TCliOption& Option) {
    if (Option.Paths != TPathKind::None)
        return Option.Paths == TPathKind::Folder ? "@dirs" : "@files";
    std::string Words;
    if (const auto Numbers = Option.Numbers;
        Numbers && Numbers->Max - Numbers->Min < MaxOfferedNumbers)
        for (long Number = Numbers->Min; Number <= Numbers->Max; ++Number)
            Words += (Words.empty() ? "" : " ") + std::to_string(Number);
    for (const std::string_view Word : Option.Words)
        Words += (Words.empty() ? "" : " ") + std::string(Word);
    return Words;
}

std::string Tables() {
    std::string Options = "# The options of each command.\ndeclare -gA _pelto_cli_options=(\n";
    std::string Repeatable = "# The options a command takes more than once, offered again after "
                             "they are given.\ndeclare -gA _pelto_cli_repeatable=(\n";
    std::string Values = "# What follows each command's options that take a value: \"@dirs\" "
                         "and \"@files\" complete\n# paths, words are offered, nothing leaves "
                         "the word to the user.\ndeclare -gA _pelto_cli_values=(\n";
    for (const TCliCommand& Command : CliCommands()) {
        const std::string Name(Command.Name);
        std::string Names;
        for (const TCliOption& Option : Command.Options) {
            if (Option.Kind == TArgKind::Word)
                continue;
            const std::string Key = Name + " --" + std::string(Option.Name);
            Names += (Names.empty() ? "--" : " --") + std::string(Option.Name);
            if (Option.Repeatable)
                Repeatable += "    [" + Key + "]=1\n";
            if (Option.Kind == TArgKind::Value)
                Values += "    [" + Key + "]=\"" + Offered(Option) + "\"\n";
        }
        Options += "    [" + Name + "]=\"" + Names + "\"\n";
    }
    return Options + ")\n" + Repeatable + ")\n" + Values + ")\n";
}

} // namespace

std::string CompletionScript(std::string_view Template) {
    const std::size_t Mark = Template.find(TablesMark);
    if (Mark == std::string_view::npos)
        throw std::runtime_error("the completion's template has no line \"# @tables\"");
    return std::string(Template.substr(0, Mark)) + Tables() +
           std::string(Template.substr(Mark + TablesMark.size()));
}

} // namespace pelto::cli
