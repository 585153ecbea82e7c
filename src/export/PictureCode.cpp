#include "export/PictureCode.h"

#include "codecs/PictureText.h"
#include "platform/Errors.h"
#include "platform/Stream.h"

#include <algorithm>
#include <vector>

namespace pelto {

std::optional<std::string> ReadPictureCode(std::span<const std::uint8_t> Picture) {
    return FindPictureText(Picture, PictureCodeKeyword);
}

std::optional<std::string> ReadPictureCodeFile(const std::string& FileName) {
    return WithFileName(FileName, [&] {
        TFileStream File(FileName, TFileMode::OpenRead);
        // A dropped file may be anything: no more than the scan is read of it.
        std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(std::clamp<std::int64_t>(
            File.GetSize(), 0, static_cast<std::int64_t>(PictureCodeScanBytes))));
        Bytes.resize(File.Read(Bytes.data(), Bytes.size()));
        return ReadPictureCode(Bytes);
    });
}

} // namespace pelto
