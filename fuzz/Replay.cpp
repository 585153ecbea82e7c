// pelto_fuzz_replay <target> <file or folder>...: runs every input once through a target's
// code, without fuzzing, for the coverage report: one program for all targets, so that their
// coverage adds up in one profile.
#include "FuzzTargets.h"

#include "platform/Stream.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    using namespace pelto;
    const auto* Target = argc < 2 ? std::end(fuzz::Targets)
                                  : std::find_if(std::begin(fuzz::Targets), std::end(fuzz::Targets),
                                                 [argv](const fuzz::TTarget& T) {
                                                     return argv[1] == std::string_view(T.Name);
                                                 });
    if (Target == std::end(fuzz::Targets)) {
        std::fprintf(stderr, "usage: pelto_fuzz_replay <target> <file or folder>...\n");
        return 2;
    }
    std::vector<std::filesystem::path> Inputs;
    for (int I = 2; I < argc; ++I) {
        if (std::filesystem::is_directory(argv[I])) {
            for (const auto& Entry : std::filesystem::directory_iterator(argv[I]))
                if (Entry.is_regular_file())
                    Inputs.push_back(Entry.path());
        } else {
            Inputs.emplace_back(argv[I]);
        }
    }
    std::sort(Inputs.begin(), Inputs.end());
    try {
        for (const auto& Input : Inputs)
            Target->Run(ReadFileBytes(Input.string()));
    } catch (const std::exception& E) {
        std::fprintf(stderr, "pelto_fuzz_replay: %s\n", E.what());
        return 1;
    }
    std::printf("%s: %zu inputs\n", Target->Name, Inputs.size());
    return 0;
}
