#include "cli/CliCommands.h"

#include <iostream>

int main(int argc, char** argv) {
    return pelto::cli::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
