// Prints distinct codes of dressed characters of a game, for load tests: each a character of
// the 15 wearing random items its body group can wear, in random colours.
#include "model/CharaCode.h"
#include "model/CharaDesign.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "sprites/wlojmajmp.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <unordered_set>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: make_codes GAME_FOLDER COUNT [SEED]\n");
        return 2;
    }
    try {
        pelto::TGameData Game(argv[1]);
        Game.LoadItemTable();
        Game.BuildEquipList();
        const long Count = std::stol(argv[2]);
        const std::uint64_t Seed = argc == 4 ? std::stoull(argv[3]) : 1u;
        std::unordered_set<std::string> Made;
        // Any character, any item its group can wear in each slot or none, any colours.
        const pelto::TRandomOptions Options{
            .Vary = pelto::TRandomVary::All, .Chara = true, .AllowEmpty = true};
        for (std::uint64_t Draw = 0; static_cast<long>(Made.size()) < Count; ++Draw) {
            auto Drawn = Options;
            Drawn.Seed = Seed * 1'000'003u + Draw;
            const std::string Code = pelto::EncodeCharaCode(pelto::RandomDesign({}, Game, Drawn));
            if (Made.insert(Code).second)
                std::printf("%s\n", Code.c_str());
        }
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
}
