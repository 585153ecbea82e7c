#include "platform/ShiftJis.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <stdexcept>

namespace pelto {
namespace {

class TConverter {
public:
    TConverter(const char* To, const char* From) : FHandle(::iconv_open(To, From)) {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + From);
    }
    ~TConverter() { ::iconv_close(FHandle); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // Converts Input; an unconvertible or incomplete sequence skips one input byte and
    // appends Replacement instead.
    std::string Convert(std::string_view Input, std::string_view Replacement) {
        ::iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        std::string Output;
        char* In = const_cast<char*>(Input.data());
        std::size_t InLeft = Input.size();
        char Buffer[256];
        while (InLeft > 0) {
            char* Out = Buffer;
            std::size_t OutLeft = sizeof Buffer;
            const std::size_t Result = ::iconv(FHandle, &In, &InLeft, &Out, &OutLeft);
            Output.append(Buffer, static_cast<std::size_t>(Out - Buffer));
            if (Result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                Output.append(Replacement);
                ++In;
                --InLeft;
                ::iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return Output;
    }

private:
    iconv_t FHandle;
};

} // namespace

std::string SjisToUtf8(std::string_view Sjis) {
    thread_local TConverter Converter("UTF-8", "CP932");
    return Converter.Convert(Sjis, "\xEF\xBF\xBD");
}

std::string Utf8ToSjis(std::string_view Utf8) {
    thread_local TConverter Converter("CP932", "UTF-8");
    return Converter.Convert(Utf8, "?");
}

} // namespace pelto
