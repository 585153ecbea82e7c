#include "platform/UnicodeFold.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>

#include <stdexcept>

namespace pelto {
namespace {

const icu::Normalizer2& NfkcCasefold() {
    static const icu::Normalizer2& Instance = []() -> const icu::Normalizer2& {
        UErrorCode Status = U_ZERO_ERROR;
        const icu::Normalizer2* Found = icu::Normalizer2::getNFKCCasefoldInstance(Status);
        if (U_FAILURE(Status) || !Found)
            throw std::runtime_error("The Unicode normalization data cannot be loaded.");
        return *Found;
    }();
    return Instance;
}

} // namespace

std::string FoldForMatching(std::string_view Utf8) {
    std::string Folded;
    icu::StringByteSink<std::string> Sink(&Folded, static_cast<int32_t>(Utf8.size()));
    UErrorCode Status = U_ZERO_ERROR;
    NfkcCasefold().normalizeUTF8(
        0, icu::StringPiece(Utf8.data(), static_cast<int32_t>(Utf8.size())), Sink, nullptr, Status);
    if (U_FAILURE(Status))
        return std::string(Utf8);
    return Folded;
}

} // namespace pelto
