#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    pelto::fuzz::RunHttpHead({Data, Size});
    return 0;
}
