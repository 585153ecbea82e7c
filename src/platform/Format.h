#pragma once

#include <string>

namespace pelto {

/// printf-style formatting into a std::string ("%.4d.jmp", "%.2d-%d.bmp", ...).
std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));

} // namespace pelto
