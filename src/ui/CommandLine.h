#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pelto {

/// What the viewer's command line asks for. It is read before the application object exists,
/// so that --help, --version and a usage error need no display.
struct TCommandLine {
    enum class EAction { Run, Help, Version, UsageError };
    EAction Action = EAction::Run;
    std::optional<std::string> SettingsFile;
    std::optional<std::string> GameFolder;
    /// A picture whose code the window opens at start (pelto FILE).
    std::optional<std::string> PictureFile;
    /// What is wrong, for a usage error.
    std::string Error;
    /// The program's name and Qt's own options (-platform, -style, ...) for the application
    /// object, in their order.
    std::vector<std::string> QtArguments;
};

/// Args as main receives them, the program's name first.
TCommandLine ParseCommandLine(const std::vector<std::string>& Args);

/// The text of pelto --help.
std::string ViewerUsage();

} // namespace pelto
