#pragma once

#include <string>
#include <string_view>

namespace pelto::cli {

/// The manual page of pelto-cli made from Template (src/cli/pelto-cli.1.in): each line
/// ".\" @command NAME" becomes that command's synopsis and each ".\" @option NAME..." those
/// options' names and what they take, as the table of the command line declares them, and
/// every ${fact} is expanded. Raises std::runtime_error for a command or option the template
/// names twice, names but the table lacks, or lacks.
std::string ManPage(std::string_view Template);

} // namespace pelto::cli
