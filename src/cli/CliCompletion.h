#pragma once

#include <string>
#include <string_view>

namespace pelto::cli {

/// The bash completion of pelto-cli made from Template (src/cli/pelto-cli.bash.in), its line
/// "# @tables" replaced by the commands, their options and the values each takes, as the table
/// of the command line declares them. Raises std::runtime_error when Template lacks the line.
std::string CompletionScript(std::string_view Template);

} // namespace pelto::cli
