#pragma once

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

namespace pelto::test {

// Sets (or, with nullptr, removes) an environment variable for the lifetime of the object.
class TEnvironment {
public:
    TEnvironment(const char* Name, const char* Value) : FName(Name) {
        if (const char* Old = std::getenv(Name))
            FOld = Old;
        if (Value)
            ::setenv(Name, Value, 1);
        else
            ::unsetenv(Name);
    }
    ~TEnvironment() {
        if (FOld)
            ::setenv(FName.c_str(), FOld->c_str(), 1);
        else
            ::unsetenv(FName.c_str());
    }
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;

private:
    std::string FName;
    std::optional<std::string> FOld;
};

// Caps the size of files the process may write, standing in for a full disk (also as root).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        rlimit Limit = FOld;
        Limit.rlim_cur = Bytes;
        ::setrlimit(RLIMIT_FSIZE, &Limit);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

} // namespace pelto::test
