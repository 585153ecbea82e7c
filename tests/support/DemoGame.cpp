#include "support/DemoGame.h"

#include "support/TempDir.h"
#include "writers/DemoInstallation.h"

#include <cstdlib>
#include <filesystem>

namespace pelto::test {

const std::string& DemoGame() {
    static const std::string Folder = [] {
        const char* Shared = std::getenv("PELTO_TEST_DEMO");
        if (Shared && std::filesystem::is_directory(Shared))
            return std::string(Shared) + "/";
        static TTempDir Own;
        WriteDemoInstallation(Own.Path() + "game", TDemoScale::Small);
        return Own.Path() + "game/";
    }();
    return Folder;
}

} // namespace pelto::test
