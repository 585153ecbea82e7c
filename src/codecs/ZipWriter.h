#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pelto {

/// A ZIP archive written into a stream (the temporary file of WriteFileAtomically) when Finish
/// is called: entries stored or deflated by zlib, names in UTF-8, every entry dated 2000-01-01
/// 00:00 so that the same bundle is the same bytes. Entries are produced one at a time while it
/// is written, so that an archive of thousands of pictures holds only one of them in memory.
/// No ZIP64: an archive beyond 65,535 entries or 4 GiB is refused, not written damaged.
class TZipWriter {
public:
    /// Makes an entry's bytes; called once, when the entry is written.
    using TProducer = std::function<std::vector<std::uint8_t>()>;

    explicit TZipWriter(TStream& Out) : FOut(Out) {}
    TZipWriter(const TZipWriter&) = delete;
    TZipWriter& operator=(const TZipWriter&) = delete;

    /// Entries are written in the order added; Deflate compresses them (text), else they are
    /// stored (pictures compressed already).
    void Add(const std::string& Name, TProducer Produce, bool Deflate);
    /// An entry read from the file Path while it is written.
    void AddFile(const std::string& Name, const std::string& Path, bool Deflate);
    /// Writes the archive. An exception of a producer or of the stream propagates as it was
    /// raised; an archive too big for the format raises EWriteError.
    void Finish();

private:
    struct TPending {
        std::string Name;
        TProducer Produce;
        bool Deflate;
    };
    struct TWritten {
        std::string Name;
        std::uint16_t Method;
        std::uint32_t Crc;
        std::uint32_t PackedSize;
        std::uint32_t Size;
        std::uint32_t Offset;
    };

    void WriteEntry(TPending& Entry);
    void WriteDirectory();

    TStream& FOut;
    std::vector<TPending> FPending;
    std::vector<TWritten> FWritten;
    bool FFinished = false;
};

} // namespace pelto
