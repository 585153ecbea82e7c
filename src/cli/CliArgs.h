#pragma once

#include "platform/Errors.h"

#include <cstddef>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelto::cli {

struct TCliCommand;

/// A malformed command line; reported with a pointer to --help and exit status 2.
class EUsageError : public EWloError {
public:
    explicit EUsageError(const std::string& Message) : EWloError(Message, TFault::Usage) {}
};

/// "--help" or "-h" among the options: the command's usage is wanted, not its work.
class EHelpRequested {};

/// "--name value" options, "--flag" switches and positional words of one subcommand.
class TCliArgs {
public:
    /// ValueOptions take a value; Flags do not. Anything else starting with "--" is an error,
    /// and so are an option given twice (unless it is one of the value options Repeatable) and
    /// more than MaxPositional words that are not options.
    TCliArgs(const std::vector<std::string>& Args, const std::vector<std::string>& ValueOptions,
             const std::vector<std::string>& Flags, std::size_t MaxPositional = 0,
             const std::vector<std::string>& Repeatable = {});
    /// The options, words and ranges Command declares.
    TCliArgs(const std::vector<std::string>& Args, const TCliCommand& Command);

    /// The value of an option, the first of a repeatable one.
    std::optional<std::string> Value(const std::string& Name) const;
    /// Every value of an option, in the order given.
    std::vector<std::string> Values(const std::string& Name) const;
    std::string Required(const std::string& Name) const;
    bool Flag(const std::string& Name) const;
    /// The value of an option as a whole number within its declared range; none when not given.
    std::optional<long> Number(const std::string& Name) const;
    long RequiredNumber(const std::string& Name) const;
    const std::vector<std::string>& Positional() const { return FPositional; }

private:
    long InRange(const std::string& Name, const std::string& Text) const;

    const TCliCommand* FCommand = nullptr;
    std::multimap<std::string, std::string> FValues;
    std::vector<std::string> FFlags;
    std::vector<std::string> FPositional;
};

} // namespace pelto::cli
