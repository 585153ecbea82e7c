// pelto_fuzz_answers <target> <folder>: runs each input of the folder once through a target's
// code and prints, in the order of their names, one line each: the name, then "ok" or the
// messages of the refusals the target met; an exception that escapes the target is answered
// "escaped: " and its message, and fails the program. The native and the WebAssembly build must
// answer every kept input alike (scripts/wasm-corpora). pelto_fuzz_answers --list: this build's
// targets.
#include "FuzzTargets.h"

#include "platform/Stream.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

// One line an input, whatever a message holds.
std::string OneLine(std::string Text) {
    std::replace(Text.begin(), Text.end(), '\n', ' ');
    return Text;
}

} // namespace

int main(int argc, char** argv) {
    using namespace pelto;
    if (argc == 2 && argv[1] == std::string_view("--list")) {
        for (const fuzz::TTarget& Target : fuzz::Targets)
            std::printf("%s\n", Target.Name);
        return 0;
    }
    const auto* Target = argc != 3
                             ? std::end(fuzz::Targets)
                             : std::find_if(std::begin(fuzz::Targets), std::end(fuzz::Targets),
                                            [argv](const fuzz::TTarget& T) {
                                                return argv[1] == std::string_view(T.Name);
                                            });
    if (Target == std::end(fuzz::Targets) || !std::filesystem::is_directory(argv[2])) {
        std::fprintf(stderr, "usage: pelto_fuzz_answers <target> <folder> | --list\n");
        return 2;
    }
    std::vector<std::filesystem::path> Inputs;
    for (const auto& Entry : std::filesystem::directory_iterator(argv[2]))
        if (Entry.is_regular_file())
            Inputs.push_back(Entry.path());
    std::sort(Inputs.begin(), Inputs.end());

    int Status = 0;
    std::vector<std::string> Refusals;
    fuzz::RefusalLog = &Refusals;
    for (const auto& Input : Inputs) {
        Refusals.clear();
        try {
            Target->Run(ReadFileBytes(Input.string()));
        } catch (const std::exception& Error) {
            Refusals = {std::string("escaped: ") + Error.what()};
            Status = 1;
        }
        if (Refusals.empty())
            Refusals.emplace_back("ok");
        std::string Line = Input.filename().string() + ":";
        for (std::size_t I = 0; I < Refusals.size(); ++I)
            Line += (I ? " | " : " ") + OneLine(Refusals[I]);
        std::printf("%s\n", Line.c_str());
    }
    return Status;
}
