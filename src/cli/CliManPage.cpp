#include "cli/CliManPage.h"

#include "cli/CliSynopsis.h"
#include "cli/CliTable.h"

#include <set>
#include <stdexcept>
#include <vector>

namespace pelto::cli {
namespace {

constexpr std::string_view Comment = ".\\\"";
constexpr std::string_view CommandMark = ".\\\" @command ";
constexpr std::string_view OptionMark = ".\\\" @option ";

/// Text as roff sets it as it stands: a hyphen is a minus, which a reader can type.
std::string Escaped(std::string_view Text) {
    std::string Out;
    for (const char C : Text) {
        if (C == '-' || C == '\\')
            Out += '\\';
        Out += C == '\\' ? 'e' : C;
    }
    return Out;
}

/// Unit in roff's fonts: what is typed in bold, the placeholders' capitals in italics; spaces
/// within it do not break, a list of words may break after a bar.
std::string Roff(const TSynopsisUnit& Unit) {
    std::string Out;
    for (const TSynopsisPiece& Piece : Unit) {
        switch (Piece.Kind) {
        case TSynopsisPiece::Literal:
            Out += "\\fB" + Escaped(Piece.Text) + "\\fR";
            break;
        case TSynopsisPiece::Placeholder:
            for (std::size_t I = 0; I < Piece.Text.size();) {
                const bool Capital = Piece.Text[I] >= 'A' && Piece.Text[I] <= 'Z';
                std::size_t End = I;
                while (End < Piece.Text.size() &&
                       (Piece.Text[End] >= 'A' && Piece.Text[End] <= 'Z') == Capital)
                    ++End;
                const std::string Run = Escaped(Piece.Text.substr(I, End - I));
                Out += Capital ? "\\fI" + Run + "\\fR" : Run;
                I = End;
            }
            break;
        case TSynopsisPiece::Mark:
            for (const char C : Piece.Text)
                Out += C == ' ' ? "\\ " : C == '|' ? "|\\:" : std::string(1, C);
            break;
        }
    }
    return Out;
}

std::string CommandHead(const TCliCommand& Command) {
    std::string Head = "\\fB" + Escaped(Command.Name) + "\\fR";
    for (const TSynopsisUnit& Unit : Synopsis(Command))
        Head += " " + Roff(Unit);
    return Head;
}

/// The first declaration of the option called Name, in the table's order.
const TCliOption* OptionNamed(std::string_view Name) {
    for (const TCliCommand& Command : CliCommands())
        if (const TCliOption* Option = FindCliOption(Command, Name);
            Option && Option->Kind != TArgKind::Word)
            return Option;
    return nullptr;
}

std::vector<std::string_view> Words(std::string_view Text) {
    std::vector<std::string_view> Found;
    for (std::size_t Begin = 0; Begin < Text.size();) {
        std::size_t End = Text.find(' ', Begin);
        if (End == std::string_view::npos)
            End = Text.size();
        if (End > Begin)
            Found.push_back(Text.substr(Begin, End - Begin));
        Begin = End + 1;
    }
    return Found;
}

/// Names, once each, as the table has them; what went wrong otherwise.
class TNamesSeen {
public:
    explicit TNamesSeen(std::string_view What) : FWhat(What) {}

    void See(std::string_view Name, bool Known) {
        if (!Known)
            throw std::runtime_error("the manual page names " + FWhat + " " + std::string(Name) +
                                     ", which the command line lacks");
        if (!FSeen.emplace(Name).second)
            throw std::runtime_error("the manual page names " + FWhat + " " + std::string(Name) +
                                     " twice");
    }

    void CheckAll(const std::set<std::string>& All) const {
        for (const std::string& Name : All)
            if (!FSeen.contains(Name))
                throw std::runtime_error("the manual page lacks " + FWhat + " " + Name);
    }

private:
    std::string FWhat;
    std::set<std::string> FSeen;
};

} // namespace

std::string ManPage(std::string_view Template) {
    TNamesSeen Commands("the command"), Options("the option");
    std::set<std::string> AllCommands, AllOptions;
    for (const TCliCommand& Command : CliCommands()) {
        AllCommands.emplace(Command.Name);
        for (const TCliOption& Option : Command.Options)
            if (Option.Kind != TArgKind::Word)
                AllOptions.emplace(Option.Name);
    }

    std::string Page =
        ".\\\" Made by pelto_make_cli_docs from src/cli/pelto-cli.1.in: edit that.\n";
    for (std::size_t Begin = 0; Begin < Template.size();) {
        std::size_t End = Template.find('\n', Begin);
        if (End == std::string_view::npos)
            End = Template.size();
        const std::string_view Line = Template.substr(Begin, End - Begin);
        Begin = End + 1;
        if (Line.starts_with(CommandMark)) {
            const std::string_view Name = Line.substr(CommandMark.size());
            const TCliCommand* Command = FindCliCommand(Name);
            Commands.See(Name, Command);
            Page += ".TP\n" + CommandHead(*Command) + "\n";
        } else if (Line.starts_with(OptionMark)) {
            std::string Head;
            for (const std::string_view Name : Words(Line.substr(OptionMark.size()))) {
                const TCliOption* Option = OptionNamed(Name);
                Options.See(Name, Option);
                Head += (Head.empty() ? "" : ", ") + Roff(WithValue(*Option));
            }
            Page += ".TP\n" + Head + "\n";
        } else if (!Line.starts_with(Comment)) { // the template's own are about the template
            Page += ExpandFacts(Line, nullptr, Escaped) + "\n";
        }
    }
    Commands.CheckAll(AllCommands);
    Options.CheckAll(AllOptions);
    return Page;
}

} // namespace pelto::cli
