#include "platform/Format.h"

#include <cstdarg>
#include <cstdio>

namespace pelto {

std::string Format(const char* Fmt, ...) {
    va_list Args;
    va_start(Args, Fmt);
    va_list Copy;
    va_copy(Copy, Args);
    const int Length = std::vsnprintf(nullptr, 0, Fmt, Copy);
    va_end(Copy);
    std::string Result;
    if (Length > 0) {
        Result.resize(static_cast<std::size_t>(Length));
        std::vsnprintf(Result.data(), Result.size() + 1, Fmt, Args);
    }
    va_end(Args);
    return Result;
}

} // namespace pelto
