#include "ui/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace pelto {

namespace {

// Qt's own options, which QApplication takes out of the arguments: with a value, then flags.
constexpr std::array QtValueOptions{
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array QtFlags{"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <std::size_t N>
bool Among(const std::array<const char*, N>& Names, std::string_view Name) {
    return std::find(Names.begin(), Names.end(), Name) != Names.end();
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& Args) {
    TCommandLine Line;
    Line.QtArguments.push_back(Args.empty() ? std::string("pelto") : Args[0]);
    const auto Fail = [&Line](std::string Error) {
        Line.Action = TCommandLine::EAction::UsageError;
        Line.Error = std::move(Error);
        return Line;
    };
    bool Help = false, Version = false;
    for (std::size_t I = 1; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        if (Arg == "--help" || Arg == "-h") {
            Help = true;
            continue;
        }
        if (Arg == "--version") {
            Version = true;
            continue;
        }
        if (Arg.size() < 2 || Arg[0] != '-') {
            if (Line.PictureFile)
                return Fail("unexpected word '" + Arg + "'");
            Line.PictureFile = Arg;
            continue;
        }
        // Qt takes its options with one dash or two, ours "--name VALUE" or "--name=VALUE".
        const std::string_view Body = std::string_view(Arg).substr(Arg[1] == '-' ? 2 : 1);
        const std::size_t Equals = Body.find('=');
        const std::string Name(Body.substr(0, Equals));
        std::optional<std::string> Value;
        if (Equals != std::string_view::npos)
            Value = std::string(Body.substr(Equals + 1));
        const auto TakeValue = [&]() -> bool {
            if (Value)
                return true;
            if (I + 1 >= Args.size())
                return false;
            Value = Args[++I];
            return true;
        };
        if (Arg[1] == '-' && (Name == "settings" || Name == "game")) {
            std::optional<std::string>& Target =
                Name == "settings" ? Line.SettingsFile : Line.GameFolder;
            if (Target)
                return Fail("option --" + Name + " given twice");
            if (!TakeValue() || Value->empty())
                return Fail("option --" + Name + " needs a value");
            Target = *Value;
        } else if (Among(QtValueOptions, Name)) {
            Line.QtArguments.push_back(Arg);
            if (!Value) {
                if (I + 1 >= Args.size())
                    return Fail("option " + Arg + " needs a value");
                Line.QtArguments.push_back(Args[++I]);
            }
        } else if (Among(QtFlags, Name) && !Value) {
            Line.QtArguments.push_back(Arg);
        } else {
            return Fail("unknown option " + Arg);
        }
    }
    if (Help)
        Line.Action = TCommandLine::EAction::Help;
    else if (Version)
        Line.Action = TCommandLine::EAction::Version;
    return Line;
}

std::string ViewerUsage() {
    return R"(usage: pelto [--settings FILE] [--game DIR] [Qt options] [PICTURE]
       pelto --help | --version
The dress-up viewer for the characters of Wonderland ONLINE.

  PICTURE           a picture the viewer exported: the character whose code it
                    carries is shown at start
  --settings FILE   the settings file to read and write instead of pelto.ini beside
                    the program (or ~/.config/pelto/pelto.ini when that folder is not
                    writable or lies under /usr); it is created when missing
  --game DIR        the game folder for this run; the settings file keeps its own
                    unless the game folder is changed in the window
  --help            prints this text
  --version         prints the program's version
Qt's own options (-platform, -style, -reverse, ...) are passed to Qt.

Without --game, the game folder is the one in the settings file, else the one the
Wine registry names, else a default folder of the game on the Wine prefix's drive C:,
else the one picked in a folder chooser.

exit status: 0 done, 1 start-up failed, 2 a usage error
)";
}

} // namespace pelto
