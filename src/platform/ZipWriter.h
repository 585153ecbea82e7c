#pragma once

#include "platform/Stream.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelto {

/// A ZIP archive written by libzip into a stream (the temporary file of WriteFileAtomically)
/// when Finish is called. Entries are produced one at a time while it is written, so that an
/// archive of thousands of pictures holds only one of them in memory.
class TZipWriter {
public:
    /// Makes an entry's bytes; called once, when the entry is written.
    using TProducer = std::function<std::vector<std::uint8_t>()>;

    explicit TZipWriter(TStream& Out);
    ~TZipWriter();
    TZipWriter(const TZipWriter&) = delete;
    TZipWriter& operator=(const TZipWriter&) = delete;

    /// Entries are written in the order added; Deflate compresses them (text), else they are
    /// stored (pictures compressed already).
    void Add(const std::string& Name, TProducer Produce, bool Deflate);
    /// An entry read from the file Path while it is written.
    void AddFile(const std::string& Name, const std::string& Path, bool Deflate);
    /// Writes the archive. An exception of a producer propagates as it was raised; libzip's
    /// failures raise EWriteError.
    void Finish();

    struct TEntry;
    struct TArchiveSink;

private:
    void Added(std::int64_t Index, const std::string& Name, bool Deflate);

    std::unique_ptr<TArchiveSink> FSink;
    std::vector<std::unique_ptr<TEntry>> FEntries;
    void* FZip = nullptr; // libzip's zip_t, kept out of this header
};

} // namespace pelto
