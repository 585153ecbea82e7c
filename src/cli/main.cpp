#include "cli/CliCommands.h"

#include <filesystem>
#include <iostream>

namespace {

/// The running program's file, which argv[0] gives only when it was started by its path.
std::string ExecutablePath(const char* Argv0) {
    std::error_code Error;
    const std::filesystem::path Path = std::filesystem::read_symlink("/proc/self/exe", Error);
    return Error ? std::string(Argv0 ? Argv0 : "") : Path.string();
}

} // namespace

int main(int argc, char** argv) {
    return pelto::cli::Run(std::vector<std::string>(argv + 1, argv + argc), ExecutablePath(argv[0]),
                           std::cout, std::cerr);
}
