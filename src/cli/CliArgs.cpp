#include "cli/CliArgs.h"

#include "cli/CliTable.h"

#include <algorithm>
#include <stdexcept>

namespace pelto::cli {

namespace {
bool Contains(const std::vector<std::string>& List, const std::string& S) {
    return std::find(List.begin(), List.end(), S) != List.end();
}

/// The names of Command's options of Kind, or of those repeatable.
std::vector<std::string> NamesOf(const TCliCommand& Command, TArgKind Kind,
                                 bool Repeatable = false) {
    std::vector<std::string> Names;
    for (const TCliOption& Option : Command.Options)
        if (Option.Kind == Kind && (!Repeatable || Option.Repeatable))
            Names.emplace_back(Option.Name);
    return Names;
}
} // namespace

TCliArgs::TCliArgs(const std::vector<std::string>& Args,
                   const std::vector<std::string>& ValueOptions,
                   const std::vector<std::string>& Flags, std::size_t MaxPositional,
                   const std::vector<std::string>& Repeatable) {
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        if (Arg == "--help" || Arg == "-h")
            throw EHelpRequested();
        if (Arg.size() > 2 && Arg.compare(0, 2, "--") == 0) {
            const std::string Name = Arg.substr(2);
            // Taking the first or the last of two would silently drop the other.
            if (Contains(FFlags, Name) || (FValues.count(Name) && !Contains(Repeatable, Name)))
                throw EUsageError("option " + Arg + " given twice");
            if (Contains(Flags, Name)) {
                FFlags.push_back(Name);
            } else if (Contains(ValueOptions, Name)) {
                if (I + 1 >= Args.size())
                    throw EUsageError("option " + Arg + " needs a value");
                FValues.emplace(Name, Args[++I]);
            } else {
                throw EUsageError("unknown option " + Arg);
            }
        } else {
            FPositional.push_back(Arg);
        }
    }
    // A word no command asked for is a mistake (a value given to a switch, a lost option).
    if (FPositional.size() > MaxPositional)
        throw EUsageError("unexpected word '" + FPositional[MaxPositional] + "'");
}

TCliArgs::TCliArgs(const std::vector<std::string>& Args, const TCliCommand& Command)
    : TCliArgs(Args, NamesOf(Command, TArgKind::Value), NamesOf(Command, TArgKind::Switch),
               NamesOf(Command, TArgKind::Word).size(),
               NamesOf(Command, TArgKind::Value, /*Repeatable=*/true)) {
    FCommand = &Command;
}

std::optional<std::string> TCliArgs::Value(const std::string& Name) const {
    const auto It = FValues.find(Name);
    if (It == FValues.end())
        return std::nullopt;
    return It->second;
}

std::vector<std::string> TCliArgs::Values(const std::string& Name) const {
    std::vector<std::string> All;
    const auto [First, End] = FValues.equal_range(Name);
    for (auto It = First; It != End; ++It)
        All.push_back(It->second);
    return All;
}

std::string TCliArgs::Required(const std::string& Name) const {
    const auto V = Value(Name);
    if (!V)
        throw EUsageError("option --" + Name + " is required");
    return *V;
}

bool TCliArgs::Flag(const std::string& Name) const {
    return Contains(FFlags, Name);
}

std::optional<long> TCliArgs::Number(const std::string& Name) const {
    const auto Text = Value(Name);
    if (!Text)
        return std::nullopt;
    return InRange(Name, *Text);
}

long TCliArgs::RequiredNumber(const std::string& Name) const {
    return InRange(Name, Required(Name));
}

long TCliArgs::InRange(const std::string& Name, const std::string& Text) const {
    const TCliOption* Option = FCommand ? FindCliOption(*FCommand, Name) : nullptr;
    if (!Option || !Option->Numbers)
        throw std::logic_error("--" + Name + " declares no range of numbers");
    return ReadNumber("--" + Name, Text, *Option->Numbers);
}

} // namespace pelto::cli
