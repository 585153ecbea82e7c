#include "platform/Stream.h"

#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/LittleEndian.h"
#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace pelto {

void TStream::ReadBuffer(void* Buffer, std::size_t Count) {
    if (Count == 0)
        return;
    // The position is asked for only on failure: a file's may cost a system call.
    if (const std::size_t Got = Read(Buffer, Count); Got != Count)
        throw EReadError(Count, GetPosition() - static_cast<std::int64_t>(Got), GetSize());
}

std::uint8_t TStream::ReadU8() {
    std::uint8_t B = 0;
    ReadBuffer(&B, 1);
    return B;
}

std::uint16_t TStream::ReadU16() {
    std::uint8_t B[2];
    ReadBuffer(B, sizeof B);
    return LoadLE16(B);
}

std::uint32_t TStream::ReadU32() {
    std::uint8_t B[4];
    ReadBuffer(B, sizeof B);
    return LoadLE32(B);
}

void TStream::Skip(std::int64_t Delta) {
    const std::int64_t Target = GetPosition() + Delta;
    if (Target < 0)
        throw EReadError();
    SetPosition(Target);
}

std::int64_t TStream::Remaining() const {
    return std::max<std::int64_t>(0, GetSize() - GetPosition());
}

void TStream::CopyFrom(TStream& Source, std::int64_t Count) {
    if (Count < 0 || Count > Source.Remaining())
        throw EReadError(static_cast<std::uint64_t>(std::max<std::int64_t>(Count, 0)),
                         Source.GetPosition(), Source.GetSize());
    std::vector<std::uint8_t> Chunk(
        static_cast<std::size_t>(std::min<std::int64_t>(Count, 1 << 16)));
    while (Count > 0) {
        const auto Part = static_cast<std::size_t>(std::min<std::int64_t>(Count, Chunk.size()));
        Source.ReadBuffer(Chunk.data(), Part);
        WriteBuffer(Chunk.data(), Part);
        Count -= static_cast<std::int64_t>(Part);
    }
}

namespace {

/// Reads up to Count bytes of Data from Position on, and moves Position past them.
std::size_t ReadFrom(std::span<const std::uint8_t> Data, std::int64_t& Position, void* Buffer,
                     std::size_t Count) {
    const auto Start = static_cast<std::size_t>(Position);
    const std::size_t N = Start < Data.size() ? std::min(Count, Data.size() - Start) : 0;
    if (N > 0)
        std::memcpy(Buffer, Data.data() + Start, N);
    Position += static_cast<std::int64_t>(N);
    return N;
}

} // namespace

std::size_t TMemoryStream::Read(void* Buffer, std::size_t Count) {
    return ReadFrom(FData, FPosition, Buffer, Count);
}

void TMemoryStream::WriteBuffer(const void* Buffer, std::size_t Count) {
    if (Count == 0)
        return;
    const auto End = static_cast<std::size_t>(FPosition) + Count;
    if (End > FData.size())
        FData.resize(End);
    std::memcpy(FData.data() + FPosition, Buffer, Count);
    FPosition = static_cast<std::int64_t>(End);
}

void TMemoryStream::SetPosition(std::int64_t Position) {
    if (Position < 0)
        throw EReadError();
    FPosition = Position;
}

std::size_t TSpanStream::Read(void* Buffer, std::size_t Count) {
    return ReadFrom(FData, FPosition, Buffer, Count);
}

void TSpanStream::WriteBuffer(const void* /*Buffer*/, std::size_t /*Count*/) {
    throw EWriteError("Stream write error");
}

void TSpanStream::SetPosition(std::int64_t Position) {
    if (Position < 0)
        throw EReadError();
    FPosition = Position;
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode)
    : FFileName(FileName), FReading(Mode == TFileMode::OpenRead) {
    const bool Reading = FReading;
    const std::string Path = Reading ? ResolvePath(FileName) : FileName;
    FFile.reset(std::fopen(Path.c_str(), Reading ? "rb" : "wb"));
    struct stat St {};
    if (FFile && ::fstat(::fileno(FFile.get()), &St) == 0 && S_ISDIR(St.st_mode)) {
        FFile.reset();
        errno = EISDIR;
    }
    if (!FFile)
        throw EFOpenError(
            Format("Cannot open file \"%s\". %s", FileName.c_str(), std::strerror(errno)));
    FSize = Reading ? static_cast<std::int64_t>(St.st_size) : 0;
}

namespace {

constexpr std::size_t ReadAhead = std::size_t{64} << 10;

// Up to Count bytes of the file at Offset; fewer only at its end or on an error.
std::size_t ReadAt(int Fd, std::uint8_t* Out, std::size_t Count, std::int64_t Offset) {
    std::size_t Done = 0;
    while (Done < Count) {
        const ssize_t Got =
            ::pread(Fd, Out + Done, Count - Done, static_cast<off_t>(Offset + std::int64_t(Done)));
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0)
            break;
        Done += static_cast<std::size_t>(Got);
    }
    return Done;
}

} // namespace

std::size_t TFileStream::Read(void* Buffer, std::size_t Count) {
    // Read at the position kept, so that moving about costs nothing; a file opened for
    // writing gives nothing, as a stream opened "wb" does.
    if (!FReading)
        return 0;
    auto* Out = static_cast<std::uint8_t*>(Buffer);
    const int Fd = ::fileno(FFile.get());
    std::size_t Done = 0;
    while (Done < Count) {
        const std::int64_t Ahead = FPosition - FBufferStart;
        if (Ahead >= 0 && static_cast<std::size_t>(Ahead) < FBuffered) {
            const std::size_t Take =
                std::min(Count - Done, FBuffered - static_cast<std::size_t>(Ahead));
            std::memcpy(Out + Done, FBuffer.get() + Ahead, Take);
            Done += Take;
            FPosition += static_cast<std::int64_t>(Take);
            continue;
        }
        if (Count - Done >= ReadAhead) {
            const std::size_t Got = ReadAt(Fd, Out + Done, Count - Done, FPosition);
            Done += Got;
            FPosition += static_cast<std::int64_t>(Got);
            break;
        }
        if (!FBuffer) {
            // No bigger than the file: most of the game's files are small.
            FBufferSize = static_cast<std::size_t>(
                std::clamp<std::int64_t>(FSize, 1, static_cast<std::int64_t>(ReadAhead)));
            FBuffer.reset(new std::uint8_t[FBufferSize]); // not cleared: read into first
        }
        FBufferStart = FPosition;
        FBuffered = ReadAt(Fd, FBuffer.get(), FBufferSize, FPosition);
        if (FBuffered == 0)
            break;
    }
    return Done;
}

void TFileStream::WriteBuffer(const void* Buffer, std::size_t Count) {
    if (Count > 0 && std::fwrite(Buffer, 1, Count, FFile.get()) != Count)
        throw EWriteError(
            Format("Cannot write file \"%s\". %s", FFileName.c_str(), std::strerror(errno)));
    FPosition += static_cast<std::int64_t>(Count);
    FSize = std::max(FSize, FPosition);
}

std::int64_t TFileStream::GetPosition() const {
    return FPosition;
}

void TFileStream::SetPosition(std::int64_t Position) {
    if (Position < 0)
        throw EReadError();
    if (!FReading && ::fseeko(FFile.get(), static_cast<off_t>(Position), SEEK_SET) != 0)
        throw EReadError();
    FPosition = Position;
}

std::int64_t TFileStream::GetSize() const {
    return FSize;
}

void TFileStream::Close() {
    std::FILE* F = FFile.release();
    if (F && std::fclose(F) != 0)
        throw EWriteError(
            Format("Cannot write file \"%s\". %s", FFileName.c_str(), std::strerror(errno)));
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& FileName) {
    TFileStream File(FileName, TFileMode::OpenRead);
    std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(File.GetSize()));
    File.ReadBuffer(Bytes.data(), Bytes.size());
    return Bytes;
}

void WriteFileBytes(const std::string& FileName, std::span<const std::uint8_t> Bytes) {
    TFileStream File(FileName, TFileMode::Create);
    File.WriteBuffer(Bytes.data(), Bytes.size());
    File.Close();
}

} // namespace pelto
