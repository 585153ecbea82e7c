#include "platform/UnicodeFold.h"

#include <emscripten.h>

#include <cstdlib>
#include <memory>

namespace pelto {
namespace {

// NFKC, lower case, NFKC again and the default ignorables dropped: NFKC_Casefold but for the
// few letters whose case folding is not their lower case, written out here.
// clang-format off
EM_JS(char*, FoldUtf8InBrowser, (const char* Text, int Length), {
    var Ignorable = new RegExp("[\\u00AD\\u034F\\u061C\\u115F\\u1160\\u17B4\\u17B5\\u180B-\\u180F\\u200B-\\u200F\\u202A-\\u202E\\u2060-\\u206F\\u3164\\uFE00-\\uFE0F\\uFEFF\\uFFA0\\uFFF0-\\uFFF8]", "g");
    var Folded = UTF8ToString(Text, Length).normalize("NFKC").toLowerCase()
        .replace(new RegExp("\\u00DF|\\u1E9E", "g"), "ss").replace(new RegExp("\\u03C2", "g"), String.fromCharCode(0x3C3))
        .normalize("NFKC").replace(Ignorable, "");
    var Size = lengthBytesUTF8(Folded) + 1;
    var Out = _malloc(Size);
    if (Out)
        stringToUTF8(Folded, Out, Size);
    return Out;
});
// clang-format on

struct TFree {
    void operator()(char* Text) const { std::free(Text); }
};

} // namespace

std::string FoldForMatching(std::string_view Utf8) {
    const std::unique_ptr<char, TFree> Folded(
        FoldUtf8InBrowser(Utf8.data(), static_cast<int>(Utf8.size())));
    return Folded ? std::string(Folded.get()) : std::string(Utf8);
}

} // namespace pelto
