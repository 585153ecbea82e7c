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

void LinkTree(const std::string& From, const std::string& To) {
    namespace fs = std::filesystem;
    fs::create_directories(To);
    for (const auto& Entry : fs::recursive_directory_iterator(From)) {
        const fs::path Target = fs::path(To) / fs::relative(Entry.path(), From);
        if (Entry.is_directory())
            fs::create_directories(Target);
        else
            fs::create_symlink(Entry.path(), Target);
    }
}

} // namespace pelto::test
