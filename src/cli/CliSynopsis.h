#pragma once

#include "cli/CliTable.h"

#include <string>
#include <vector>

namespace pelto::cli {

/// A piece of a synopsis, kept apart by what it is so that the usage and the manual page can
/// each set it in their own way.
struct TSynopsisPiece {
    enum TKind {
        Literal,     // typed as it stands: "--chara", a fixed word
        Placeholder, // stands for what the user types: "N", "CODE[~M[~D]]"
        Mark,        // brackets, bars, spaces, "..."
    };
    TKind Kind;
    std::string Text;
};

/// One option of a synopsis with its brackets, what goes with it and what it holds: a unit the
/// usage breaks lines between, not within (but at the bars of a long list of words).
using TSynopsisUnit = std::vector<TSynopsisPiece>;

/// Command's options as its synopsis lists them: "[--random SEED [--lock SLOTS]]".
std::vector<TSynopsisUnit> Synopsis(const TCliCommand& Command);

/// Option as its usage names it before its help: "--chara N", "--scope", "CODE".
TSynopsisUnit OptionTerm(const TCliOption& Option);

/// Option and what it takes, as the synopsis shows it: "--scope action|directions|all".
TSynopsisUnit WithValue(const TCliOption& Option);

/// The pieces' texts, one after the other.
std::string PlainText(const TSynopsisUnit& Unit);

} // namespace pelto::cli
