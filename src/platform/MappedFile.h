#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pelto {

/// How a mapping is to be read.
enum class TMapAccess {
    AsTouched, // pages come in as they are read: for a few places in a big file
    Whole,     // every page brought in at once: for a file that is read from end to end
};

/// A file mapped read-only for the object's lifetime: its bytes are read in place, never
/// copied. A file that shrinks while mapped would fault on its lost pages, so this is for a
/// short-lived process reading a game at rest; what runs for long reads its files whole.
class TMappedFile {
public:
    /// Raises EFOpenError naming the file and the system's reason, as TFileStream does; the
    /// name's letter case is matched as for reading.
    explicit TMappedFile(const std::string& FileName, TMapAccess Access = TMapAccess::AsTouched);
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;
    TMappedFile(TMappedFile&& Other) noexcept;
    TMappedFile& operator=(TMappedFile&& Other) noexcept;
    ~TMappedFile();

    std::span<const std::uint8_t> Bytes() const { return {FData, FSize}; }

private:
    const std::uint8_t* FData = nullptr;
    std::size_t FSize = 0;
};

} // namespace pelto
