#include "support/DemoGame.h"

#include "demo/DemoInstallation.h"
#include "model/GameData.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

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

const TGameData& LoadedDemoGame() {
    static const auto Game = [] {
        auto Loaded = std::make_unique<TGameData>(DemoGame());
        Loaded->LoadAll();
        return Loaded;
    }();
    return *Game;
}

} // namespace pelto::test
