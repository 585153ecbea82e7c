#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pelto::cli {

/// Runs one pelto-cli command line (without the program name). ExecutablePath is the running
/// pelto-cli; the viewer lives beside it. Standard output receives the result only when the
/// command succeeds; returns the exit status (0, 1 or 2).
int Run(const std::vector<std::string>& Args, const std::string& ExecutablePath, std::ostream& Out,
        std::ostream& Err);

} // namespace pelto::cli
