#pragma once

// Runs a program of ours as a shell would, for tests of what it prints and how it exits.

#include "support/TempDir.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace pelto::test {

struct TCliResult {
    int Status; // the exit status; -1 when the program did not exit
    std::string Out;
    std::string Err;
};

inline std::string ShellQuote(const std::string& S) {
    std::string Quoted = "'";
    for (const char C : S)
        Quoted += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Quoted + "'";
}

/// Program run with Args and no input; what it prints is kept in files of Scratch.
inline TCliResult RunProgram(const std::string& Program, const std::vector<std::string>& Args,
                             const TTempDir& Scratch) {
    std::string Command = ShellQuote(Program);
    for (const std::string& Arg : Args)
        Command += " " + ShellQuote(Arg);
    const std::string OutFile = Scratch.File("stdout"), ErrFile = Scratch.File("stderr");
    Command += " >" + ShellQuote(OutFile) + " 2>" + ShellQuote(ErrFile) + " </dev/null";
    const int Raw = std::system(Command.c_str());
    return {WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1, ReadText(OutFile), ReadText(ErrFile)};
}

} // namespace pelto::test
