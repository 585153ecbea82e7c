#include "codecs/ZipWriter.h"

#include "platform/Errors.h"
#include "platform/LittleEndian.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <memory>
#include <span>
#include <utility>

namespace pelto {

namespace {

constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
constexpr std::uint32_t CentralHeaderSignature = 0x02014B50;
constexpr std::uint32_t EndOfDirectorySignature = 0x06054B50;
constexpr std::size_t LocalHeaderSize = 30;
constexpr std::size_t CentralHeaderSize = 46;
constexpr std::size_t EndOfDirectorySize = 22;

constexpr std::uint16_t VersionNeeded = 20; // deflate
constexpr std::uint16_t MadeByUnix = (3 << 8) | VersionNeeded;
constexpr std::uint16_t Utf8NameFlag = 1 << 11;
constexpr std::uint16_t Stored = 0;
constexpr std::uint16_t Deflated = 8;
constexpr std::uint32_t RegularFileMode = 0100644; // in the high half of the external attributes

// 2000-01-01 00:00 in MS-DOS form: the day with the year from 1980, the time 0.
constexpr std::uint16_t EntryDosDate = ((2000 - 1980) << 9) | (1 << 5) | 1;
constexpr std::uint16_t EntryDosTime = 0;

constexpr std::uint64_t MaxField32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t MaxEntries = std::numeric_limits<std::uint16_t>::max();

/// A little-endian record built field by field.
class TRecord {
public:
    explicit TRecord(std::size_t Size) : FBytes(Size) {}
    TRecord& U16(std::uint16_t V) {
        StoreLE16(FBytes.data() + FAt, V);
        FAt += 2;
        return *this;
    }
    TRecord& U32(std::uint32_t V) {
        StoreLE32(FBytes.data() + FAt, V);
        FAt += 4;
        return *this;
    }
    void WriteTo(TStream& Out) const { Out.WriteBuffer(FBytes.data(), FBytes.size()); }

private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FAt = 0;
};

std::uint32_t Field32(std::uint64_t Value, const std::string& What) {
    if (Value > MaxField32)
        throw EWriteError("cannot write the ZIP archive: " + What + " is beyond 4 GiB");
    return static_cast<std::uint32_t>(Value);
}

std::uint16_t NameLength(const std::string& Name) {
    if (Name.size() > std::numeric_limits<std::uint16_t>::max())
        throw EWriteError("cannot add an entry of a name that long to the ZIP archive");
    return static_cast<std::uint16_t>(Name.size());
}

std::uint16_t NameFlags(const std::string& Name) {
    const bool Ascii = std::all_of(Name.begin(), Name.end(),
                                   [](char C) { return static_cast<unsigned char>(C) < 0x80; });
    return Ascii ? 0 : Utf8NameFlag;
}

std::uint32_t Crc32(std::span<const std::uint8_t> Bytes) {
    uLong Crc = crc32(0L, Z_NULL, 0);
    for (std::size_t At = 0; At < Bytes.size();) {
        const auto Step = static_cast<uInt>(std::min<std::size_t>(Bytes.size() - At, 1u << 30));
        Crc = crc32(Crc, Bytes.data() + At, Step);
        At += Step;
    }
    return static_cast<std::uint32_t>(Crc);
}

/// Bytes as a raw deflate stream, the form ZIP entries hold.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> Bytes) {
    z_stream Z{};
    if (deflateInit2(&Z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw EWriteError("cannot write the ZIP archive: zlib cannot start");
    const std::unique_ptr<z_stream, decltype(&deflateEnd)> End(&Z, &deflateEnd);
    std::vector<std::uint8_t> Out(deflateBound(&Z, static_cast<uLong>(Bytes.size())));
    Z.next_in = const_cast<Bytef*>(Bytes.data());
    Z.avail_in = static_cast<uInt>(Bytes.size());
    Z.next_out = Out.data();
    Z.avail_out = static_cast<uInt>(Out.size());
    if (deflate(&Z, Z_FINISH) != Z_STREAM_END)
        throw EWriteError("cannot write the ZIP archive: zlib cannot compress");
    Out.resize(Z.total_out);
    return Out;
}

} // namespace

void TZipWriter::Add(const std::string& Name, TProducer Produce, bool Deflate) {
    FPending.push_back({Name, std::move(Produce), Deflate});
}

void TZipWriter::AddFile(const std::string& Name, const std::string& Path, bool Deflate) {
    FPending.push_back({Name, [Path] { return ReadFileBytes(Path); }, Deflate});
}

void TZipWriter::WriteEntry(TPending& Entry) {
    const std::vector<std::uint8_t> Bytes = std::exchange(Entry.Produce, nullptr)();
    if (Bytes.size() > std::numeric_limits<uInt>::max())
        throw EWriteError("cannot write the ZIP archive: " + Entry.Name + " is beyond 4 GiB");
    std::vector<std::uint8_t> Packed;
    if (Entry.Deflate)
        Packed = Deflate(Bytes);
    const std::span<const std::uint8_t> Data = Entry.Deflate ? Packed : Bytes;

    const TWritten Written{
        .Name = Entry.Name,
        .Method = Entry.Deflate ? Deflated : Stored,
        .Crc = Crc32(Bytes),
        .PackedSize = Field32(Data.size(), Entry.Name),
        .Size = Field32(Bytes.size(), Entry.Name),
        .Offset = Field32(static_cast<std::uint64_t>(FOut.GetPosition()), "the archive"),
    };
    TRecord(LocalHeaderSize)
        .U32(LocalHeaderSignature)
        .U16(VersionNeeded)
        .U16(NameFlags(Written.Name))
        .U16(Written.Method)
        .U16(EntryDosTime)
        .U16(EntryDosDate)
        .U32(Written.Crc)
        .U32(Written.PackedSize)
        .U32(Written.Size)
        .U16(NameLength(Written.Name))
        .U16(0)
        .WriteTo(FOut);
    FOut.WriteBuffer(Written.Name.data(), Written.Name.size());
    FOut.WriteBuffer(Data.data(), Data.size());
    FWritten.push_back(Written);
}

void TZipWriter::WriteDirectory() {
    const std::uint64_t Start = static_cast<std::uint64_t>(FOut.GetPosition());
    for (const TWritten& Entry : FWritten) {
        TRecord(CentralHeaderSize)
            .U32(CentralHeaderSignature)
            .U16(MadeByUnix)
            .U16(VersionNeeded)
            .U16(NameFlags(Entry.Name))
            .U16(Entry.Method)
            .U16(EntryDosTime)
            .U16(EntryDosDate)
            .U32(Entry.Crc)
            .U32(Entry.PackedSize)
            .U32(Entry.Size)
            .U16(NameLength(Entry.Name))
            .U16(0) // extra field
            .U16(0) // comment
            .U16(0) // disk
            .U16(0) // internal attributes
            .U32(RegularFileMode << 16)
            .U32(Entry.Offset)
            .WriteTo(FOut);
        FOut.WriteBuffer(Entry.Name.data(), Entry.Name.size());
    }
    const std::uint64_t End = static_cast<std::uint64_t>(FOut.GetPosition());
    const auto Count = static_cast<std::uint16_t>(FWritten.size());
    TRecord(EndOfDirectorySize)
        .U32(EndOfDirectorySignature)
        .U16(0) // this disk
        .U16(0) // the directory's disk
        .U16(Count)
        .U16(Count)
        .U32(Field32(End - Start, "the directory"))
        .U32(Field32(Start, "the archive"))
        .U16(0) // comment
        .WriteTo(FOut);
}

void TZipWriter::Finish() {
    if (FFinished)
        return;
    if (FPending.size() > MaxEntries)
        throw EWriteError("cannot write the ZIP archive: more than 65,535 entries");
    for (TPending& Entry : FPending)
        WriteEntry(Entry);
    WriteDirectory();
    FFinished = true;
}

} // namespace pelto
