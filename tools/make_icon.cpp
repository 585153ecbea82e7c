// Writes the program's icon as a PNG for the desktop, at build time.
#include "codecs/ImageEncoders.h"
#include "resources/ProgramBitmaps.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon SIZE FILE\n");
        return 2;
    }
    try {
        pelto::SavePngRgbaFile(pelto::ProgramIcon(std::atoi(argv[1])), argv[2]);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
    return 0;
}
