#include "cli/CliUsage.h"

#include "cli/CliSynopsis.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace pelto::cli {
namespace {

/// Where a synopsis goes on when it takes more than one line, under the first in the list of
/// all commands.
constexpr int SynopsisIndent = 14;
/// Where a command's summary stands in the list of all commands.
constexpr int SummaryIndent = 18;
/// Options and entries are indented by two, and their texts follow three columns after the
/// longest term of their list; a longer term than this keeps its text on its line without
/// pushing the others' far to the right.
constexpr int ListIndent = 2;
constexpr int TermGap = 3;
constexpr int LongestAlignedTerm = 20;

std::string Spaces(int Count) {
    return std::string(static_cast<std::size_t>(std::max(Count, 0)), ' ');
}

/// The words of Text filled into lines, the first going on from column Start, the others
/// indented by Indent; with its line break.
std::string Filled(std::string_view Text, int Start, int Indent) {
    std::string Out;
    int Column = Start;
    bool LineEmpty = true;
    std::size_t Begin = 0;
    while (Begin < Text.size()) {
        std::size_t End = Text.find(' ', Begin);
        if (End == std::string_view::npos)
            End = Text.size();
        const std::string_view Word = Text.substr(Begin, End - Begin);
        Begin = End + 1;
        if (Word.empty())
            continue;
        const int Width = TextWidth(Word);
        if (!LineEmpty && Column + 1 + Width > UsageWidth) {
            Out += "\n" + Spaces(Indent);
            Column = Indent;
            LineEmpty = true;
        }
        if (!LineEmpty) {
            Out += ' ';
            ++Column;
        }
        Out += Word;
        Column += Width;
        LineEmpty = false;
    }
    return Out + "\n";
}

/// Unit at Column, broken at the bars of its list of words where the list is too long for the
/// line, the rest under its first word.
std::string BrokenUnit(const TSynopsisUnit& Unit, int& Column) {
    std::string Out;
    int ListColumn = -1;
    for (std::size_t I = 0; I < Unit.size(); ++I) {
        const bool Bar = Unit[I].Kind == TSynopsisPiece::Mark && Unit[I].Text == "|";
        if (Bar && I + 1 < Unit.size() && ListColumn >= 0 &&
            Column + TextWidth(Unit[I].Text + Unit[I + 1].Text) > UsageWidth) {
            Out += "\n" + Spaces(ListColumn);
            Column = ListColumn;
        }
        if (!Bar && ListColumn < 0 && I + 1 < Unit.size() && Unit[I + 1].Text == "|")
            ListColumn = Column;
        Out += Unit[I].Text;
        Column += TextWidth(Unit[I].Text);
    }
    return Out;
}

/// Units filled into lines as Filled fills words, the first line going on from column Start.
std::string FilledSynopsis(const std::vector<TSynopsisUnit>& Units, int Start) {
    std::string Out;
    int Column = Start;
    bool LineEmpty = true;
    for (const TSynopsisUnit& Unit : Units) {
        const int Width = TextWidth(PlainText(Unit));
        if (!LineEmpty && Column + 1 + Width > UsageWidth) {
            Out += "\n" + Spaces(SynopsisIndent);
            Column = SynopsisIndent;
            LineEmpty = true;
        }
        if (!LineEmpty) {
            Out += ' ';
            ++Column;
        }
        Out += BrokenUnit(Unit, Column);
        LineEmpty = false;
    }
    return Out + "\n";
}

/// The column the texts of a list with Terms start at.
int TextColumn(const std::vector<std::string>& Terms) {
    int Longest = 0;
    for (const std::string& Term : Terms)
        if (const int Width = TextWidth(Term); Width <= LongestAlignedTerm)
            Longest = std::max(Longest, Width);
    return ListIndent + (Terms.empty() ? LongestAlignedTerm : Longest) + TermGap;
}

std::string Entry(const std::string& Term, std::string_view Text, int Column) {
    const int End = ListIndent + TextWidth(Term);
    const int Start = std::max(End + TermGap, Column);
    return Spaces(ListIndent) + Term + Spaces(Start - End) + Filled(Text, Start, Column);
}

std::string OptionLines(const TCliCommand& Command) {
    std::vector<std::string> Terms;
    for (const TCliOption& Option : Command.Options)
        if (!Option.Help.empty())
            Terms.push_back(PlainText(OptionTerm(Option)));
    const int Column = TextColumn(Terms);
    std::string Out;
    for (const TCliOption& Option : Command.Options) {
        if (!Option.Heading.empty())
            Out += Filled(Option.Heading, 0, 0);
        if (!Option.Help.empty())
            Out += Entry(PlainText(OptionTerm(Option)), ExpandFacts(Option.Help, &Option), Column);
    }
    return Out;
}

std::string NoteLines(const TCliCommand& Command) {
    std::vector<std::string> Terms;
    for (const TCliNote& Note : Command.Notes)
        if (!Note.Term.empty())
            Terms.emplace_back(Note.Term);
    const int Column = TextColumn(Terms);
    std::string Out;
    for (const TCliNote& Note : Command.Notes)
        Out += Note.Term.empty() ? Filled(ExpandFacts(Note.Text), 0, 0)
                                 : Entry(std::string(Note.Term), ExpandFacts(Note.Text), Column);
    return Out;
}

} // namespace

int TextWidth(std::string_view Text) {
    int Width = 0;
    for (const char C : Text) {
        const auto Byte = static_cast<unsigned char>(C);
        if (Byte < 0x80 || (Byte >= 0xC0 && Byte < 0xE0))
            Width += 1;
        else if (Byte >= 0xE0)
            Width += 2;
    }
    return Width;
}

std::string WholeUsage() {
    const std::string Program(ProgramName);
    std::string Usage = "usage: " + Program + " COMMAND [options]\n       " + Program +
                        " COMMAND --help    the options of one command\n       " + Program +
                        " --help | --version\n\ncommands:\n";
    for (const TCliCommand& Command : CliCommands()) {
        const std::string Name(Command.Name);
        const int Column = std::max(SynopsisIndent, ListIndent + TextWidth(Name) + 1);
        Usage += Spaces(ListIndent) + Name + Spaces(Column - ListIndent - TextWidth(Name));
        Usage += FilledSynopsis(Synopsis(Command), Column);
        Usage += Spaces(SummaryIndent) + Filled(Command.Summary, SummaryIndent, SummaryIndent);
    }
    Usage += "\nexit status:";
    for (const TExitMeaning& Exit : ExitMeanings)
        Usage += std::string(&Exit == ExitMeanings.data() ? " " : ", ") +
                 std::to_string(static_cast<int>(Exit.Status)) + " " + std::string(Exit.Meaning);
    return Usage + "\n";
}

std::string CommandUsage(const TCliCommand& Command) {
    const std::string Head = "usage: " + std::string(ProgramName) + " " + std::string(Command.Name);
    std::string Usage = Head + " " + FilledSynopsis(Synopsis(Command), TextWidth(Head) + 1) +
                        std::string(Command.Summary) + "\n";
    std::string Details;
    if (!Command.Intro.empty())
        Details += Filled(ExpandFacts(Command.Intro), 0, 0);
    Details += OptionLines(Command) + NoteLines(Command);
    if (!Details.empty())
        Usage += "\n" + Details;
    return Usage;
}

} // namespace pelto::cli
