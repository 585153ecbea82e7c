#include "cli/CliSynopsis.h"

namespace pelto::cli {
namespace {

using enum TSynopsisPiece::TKind;

void Append(TSynopsisUnit& Unit, const TSynopsisUnit& More) {
    Unit.insert(Unit.end(), More.begin(), More.end());
}

/// What Option takes, as the synopsis shows it: its placeholder, else its words "a|b|c".
TSynopsisUnit ValueOf(const TCliOption& Option) {
    if (!Option.Placeholder.empty())
        return {{Placeholder, std::string(Option.Placeholder)}};
    TSynopsisUnit Value;
    for (const std::string_view Word : Option.Words) {
        if (!Value.empty())
            Value.push_back({Mark, "|"});
        Value.push_back({Literal, std::string(Word)});
    }
    return Value;
}

/// The options of Command whose field Field names Name, in the table's order.
std::vector<const TCliOption*> Related(const TCliCommand& Command,
                                       std::string_view TCliOption::*Field, std::string_view Name) {
    std::vector<const TCliOption*> Found;
    for (const TCliOption& Option : Command.Options)
        if (Option.*Field == Name)
            Found.push_back(&Option);
    return Found;
}

/// Option with the options that go with it: "--group G --slot S".
TSynopsisUnit Together(const TCliCommand& Command, const TCliOption& Option) {
    TSynopsisUnit Unit = WithValue(Option);
    for (const TCliOption* With : Related(Command, &TCliOption::With, Option.Name)) {
        Unit.push_back({Mark, " "});
        Append(Unit, Together(Command, *With));
    }
    return Unit;
}

/// Option, its alternatives and the options within it, bracketed unless required.
TSynopsisUnit UnitOf(const TCliCommand& Command, const TCliOption& Option) {
    std::vector<const TCliOption*> Choices{&Option};
    for (const TCliOption* Other : Related(Command, &TCliOption::Or, Option.Name))
        Choices.push_back(Other);
    const std::vector<const TCliOption*> Within = Related(Command, &TCliOption::Under, Option.Name);
    const bool Alone = Choices.size() == 1 && Within.empty();

    TSynopsisUnit Inside;
    for (const TCliOption* Choice : Choices) {
        if (Choice != Choices.front())
            Inside.push_back({Mark, " | "});
        Append(Inside, Together(Command, *Choice));
        // The repetition marks the option itself where others share its brackets.
        if (Choice->Repeatable && !Alone)
            Inside.push_back({Mark, "..."});
    }
    for (const TCliOption* Inner : Within) {
        Inside.push_back({Mark, " "});
        Append(Inside, UnitOf(Command, *Inner));
    }

    TSynopsisUnit Unit;
    const bool Bracketed = !Option.Required || Choices.size() > 1;
    if (Bracketed)
        Unit.push_back({Mark, Option.Required ? "(" : "["});
    Append(Unit, Inside);
    if (Bracketed)
        Unit.push_back({Mark, Option.Required ? ")" : "]"});
    if (Option.Repeatable && Alone)
        Unit.push_back({Mark, "..."});
    return Unit;
}

} // namespace

TSynopsisUnit OptionTerm(const TCliOption& Option) {
    if (Option.Kind == TArgKind::Word)
        return {{Placeholder, std::string(Option.Placeholder)}};
    TSynopsisUnit Term{{Literal, "--" + std::string(Option.Name)}};
    if (Option.Kind == TArgKind::Value && !Option.Placeholder.empty())
        Term.insert(Term.end(), {{Mark, " "}, {Placeholder, std::string(Option.Placeholder)}});
    return Term;
}

TSynopsisUnit WithValue(const TCliOption& Option) {
    if (Option.Kind != TArgKind::Value)
        return OptionTerm(Option);
    TSynopsisUnit Unit{{Literal, "--" + std::string(Option.Name)}, {Mark, " "}};
    Append(Unit, ValueOf(Option));
    return Unit;
}

std::vector<TSynopsisUnit> Synopsis(const TCliCommand& Command) {
    std::vector<TSynopsisUnit> Units;
    for (const TCliOption& Option : Command.Options)
        if (Option.Under.empty() && Option.With.empty() && Option.Or.empty())
            Units.push_back(UnitOf(Command, Option));
    return Units;
}

std::string PlainText(const TSynopsisUnit& Unit) {
    std::string Text;
    for (const TSynopsisPiece& Piece : Unit)
        Text += Piece.Text;
    return Text;
}

} // namespace pelto::cli
