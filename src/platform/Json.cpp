#include "platform/Json.h"

#include "platform/Format.h"

// Boost.JSON's implementation, once for the whole program.
#include <boost/json/src.hpp>

namespace pelto {

std::string JsonString(std::string_view Utf8) {
    std::string Out = "\"";
    for (const char C : Utf8) {
        switch (C) {
        case '"':
            Out += "\\\"";
            break;
        case '\\':
            Out += "\\\\";
            break;
        case '\n':
            Out += "\\n";
            break;
        case '\r':
            Out += "\\r";
            break;
        case '\t':
            Out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(C) < 0x20)
                Out += Format("\\u%04x", static_cast<unsigned>(C));
            else
                Out += C;
        }
    }
    return Out + "\"";
}

} // namespace pelto
