// Prints distinct codes of dressed characters of a game, for load tests: each a character of
// the 15 wearing random items its body group can wear, in random colours.
#include "model/GameData.h"
#include "model/UDraw.h"
#include "sprites/wlojmajmp.h"

#include <cstdio>
#include <exception>
#include <random>
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
        std::mt19937 Random(argc == 4 ? static_cast<unsigned>(std::stoul(argv[3])) : 1u);
        std::unordered_set<std::string> Made;
        while (static_cast<long>(Made.size()) < Count) {
            pelto::TCharaDesign Design;
            Design.Chara = static_cast<int>(Random() % pelto::CharaData.size());
            const int Group = pelto::CharaData[static_cast<std::size_t>(Design.Chara)].BodyGroup;
            for (int Slot = 1; Slot <= pelto::SlotCount; ++Slot) {
                const auto& List = Game.EquipList()->GetList(Group, Slot);
                const auto& Entry = List[Random() % List.size()];
                Design.Parts[static_cast<std::size_t>(Slot - 1)] =
                    Entry.Item ? Entry.Item->ItemID() : 0;
            }
            for (auto& Position : Design.Color)
                for (auto& Level : Position)
                    Level = static_cast<std::uint8_t>(Random() % 10);
            const std::string Code = pelto::EncodeCharaCode(Design);
            if (Made.insert(Code).second)
                std::printf("%s\n", Code.c_str());
        }
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
}
