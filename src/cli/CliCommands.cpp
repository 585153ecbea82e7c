#include "cli/CliCommands.h"

#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CliUsage.h"
#include "platform/Errors.h"
#include "platform/Version.h"

#include <exception>
#include <ostream>
#include <sstream>

namespace pelto::cli {
namespace {

bool IsHelpWord(const std::string& Word) {
    return Word == "--help" || Word == "-h";
}

/// Runs what Args ask for; raises for every error.
void Dispatch(const std::vector<std::string>& Args, const TCliCommand* Command,
              const std::string& ExecutablePath, std::ostream& Out) {
    if (Args.empty())
        throw EUsageError("no command given");
    if (IsHelpWord(Args[0])) {
        Out << WholeUsage();
        return;
    }
    if (Args[0] == "--version") {
        if (Args.size() > 1)
            throw EUsageError("unexpected word '" + Args[1] + "'");
        Out << ProgramName << " " << ProgramVersion << "\n";
        return;
    }
    if (!Command)
        throw EUsageError("unknown command " + Args[0]);
    const TCliArgs Parsed({Args.begin() + 1, Args.end()}, *Command);
    std::ostringstream Result; // shown only when the whole command succeeds
    Command->Run({Parsed, ExecutablePath, Result, Out});
    Out << Result.str();
}

/// One line: a message holds a line break only if a file name does.
std::string OneLine(std::string Text) {
    for (char& C : Text)
        if (C == '\n' || C == '\r')
            C = ' ';
    return Text;
}

/// The error on the error stream, and the exit status for it: a usage error with a pointer to
/// the command's help, anything else as the work failing.
TExitStatus ReportError(const std::exception& Error, const TCliCommand* Command,
                        std::ostream& Err) {
    if (FaultOf(Error) == TFault::Usage) {
        const std::string HelpCommand =
            std::string(ProgramName) + (Command ? " " + std::string(Command->Name) : "");
        Err << ProgramName << ": " << OneLine(Error.what()) << "\nTry '" << HelpCommand
            << " --help'.\n";
        return TExitStatus::Usage;
    }
    Err << ProgramName << ": " << OneLine(ErrorText(Error, ": ")) << "\n";
    return TExitStatus::Failed;
}

} // namespace

int Run(const std::vector<std::string>& Args, const std::string& ExecutablePath, std::ostream& Out,
        std::ostream& Err) {
    const TCliCommand* Command = Args.empty() ? nullptr : FindCliCommand(Args[0]);
    TExitStatus Status = TExitStatus::Done;
    try {
        Dispatch(Args, Command, ExecutablePath, Out);
        Out << std::flush;
    } catch (const EHelpRequested&) {
        Out << (Command ? CommandUsage(*Command) : WholeUsage()) << std::flush;
    } catch (const std::exception& E) {
        Status = ReportError(E, Command, Err);
    }
    return static_cast<int>(Status);
}

} // namespace pelto::cli
