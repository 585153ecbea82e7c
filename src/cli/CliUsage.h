#pragma once

#include "cli/CliTable.h"

#include <string>
#include <string_view>

namespace pelto::cli {

/// The columns the usage fills at most.
inline constexpr int UsageWidth = 80;

/// What "pelto-cli --help" prints: every command with its synopsis and summary.
std::string WholeUsage();

/// What "pelto-cli COMMAND --help" prints: its synopsis, summary, options and notes.
std::string CommandUsage(const TCliCommand& Command);

/// The columns Text takes on a terminal: a character beyond U+07FF (CJK) takes two.
int TextWidth(std::string_view Text);

} // namespace pelto::cli
