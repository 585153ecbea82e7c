// Prints the code of a dressed character of a game, for tests outside C++: character CHARA
// wearing the NTH item of every list it has.
#include "model/DressingSession.h"
#include "model/GameData.h"

#include <cstdlib>
#include <exception>
#include <iostream>

int main(int Argc, char** Argv) {
    if (Argc != 4) {
        std::cerr << "usage: make_code GAME_FOLDER CHARA NTH\n";
        return 2;
    }
    try {
        pelto::TGameData Game(Argv[1]);
        Game.LoadAll();
        pelto::TDressingSession Session(Game);
        Session.SetChara(std::atoi(Argv[2]));
        const int Nth = std::atoi(Argv[3]);
        for (int Slot = 1; Slot <= 6; ++Slot)
            if (static_cast<int>(Session.List(Slot).size()) > Nth)
                Session.Pick(Slot, Nth);
        std::cout << Session.Code() << "\n";
        return 0;
    } catch (const std::exception& Error) {
        std::cerr << Error.what() << "\n";
        return 1;
    }
}
