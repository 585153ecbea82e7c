#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pelto {

/// A positioned byte stream, the common ground of files and memory.
class TStream {
public:
    virtual ~TStream() = default;

    /// Reads up to Count bytes; returns how many were read (fewer only at the end).
    virtual std::size_t Read(void* Buffer, std::size_t Count) = 0;
    /// Writes all Count bytes or raises EWriteError.
    virtual void WriteBuffer(const void* Buffer, std::size_t Count) = 0;
    virtual std::int64_t GetPosition() const = 0;
    /// Positions past the end are allowed for writing; reading there delivers nothing.
    virtual void SetPosition(std::int64_t Position) = 0;
    virtual std::int64_t GetSize() const = 0;

    /// Reads exactly Count bytes or raises EReadError.
    void ReadBuffer(void* Buffer, std::size_t Count);
    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    /// Moves the position by Delta; raises EReadError for a position before the start.
    void Skip(std::int64_t Delta);
    std::int64_t Remaining() const;

    /// Copies exactly Count bytes from Source's position. Raises EReadError, writing
    /// nothing, when Source holds fewer.
    void CopyFrom(TStream& Source, std::int64_t Count);
};

/// A growable stream in memory.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> Bytes) : FData(std::move(Bytes)) {}

    std::size_t Read(void* Buffer, std::size_t Count) override;
    void WriteBuffer(const void* Buffer, std::size_t Count) override;
    std::int64_t GetPosition() const override { return FPosition; }
    void SetPosition(std::int64_t Position) override;
    std::int64_t GetSize() const override { return static_cast<std::int64_t>(FData.size()); }

    std::span<const std::uint8_t> Memory() const { return FData; }
    std::vector<std::uint8_t>& Bytes() { return FData; }
    void Clear();

private:
    std::vector<std::uint8_t> FData;
    std::int64_t FPosition = 0;
};

/// Bytes that outlive the stream, read in place; writing raises EWriteError.
class TSpanStream final : public TStream {
public:
    explicit TSpanStream(std::span<const std::uint8_t> Bytes) : FData(Bytes) {}

    std::size_t Read(void* Buffer, std::size_t Count) override;
    void WriteBuffer(const void* Buffer, std::size_t Count) override;
    std::int64_t GetPosition() const override { return FPosition; }
    void SetPosition(std::int64_t Position) override;
    std::int64_t GetSize() const override { return static_cast<std::int64_t>(FData.size()); }

private:
    std::span<const std::uint8_t> FData;
    std::int64_t FPosition = 0;
};

enum class TFileMode {
    OpenRead, // an existing file, its name matched without regard to letter case
    Create,   // a new or truncated file, named exactly as given
};

/// A file on disk, open for the lifetime of the object.
class TFileStream final : public TStream {
public:
    /// Raises EFOpenError naming the file and the system's reason.
    TFileStream(const std::string& FileName, TFileMode Mode);

    std::size_t Read(void* Buffer, std::size_t Count) override;
    void WriteBuffer(const void* Buffer, std::size_t Count) override;
    std::int64_t GetPosition() const override;
    void SetPosition(std::int64_t Position) override;
    std::int64_t GetSize() const override;

    /// Flushes and closes; raises EWriteError when buffered data cannot be written.
    void Close();
    const std::string& FileName() const { return FFileName; }

private:
    struct Closer {
        void operator()(std::FILE* F) const { std::fclose(F); }
    };
    std::unique_ptr<std::FILE, Closer> FFile;
    std::string FFileName;
    std::int64_t FSize = 0;
    // Kept here rather than asked of the system: readers move about a file far more often
    // than they read it, and each question would be a system call.
    std::int64_t FPosition = 0;
    bool FReading = false;
    // Bytes read ahead from FBufferStart: readers take a file in many small pieces.
    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::size_t FBufferSize = 0;
    std::int64_t FBufferStart = 0;
    std::size_t FBuffered = 0;
};

/// Reads a whole file into memory.
std::vector<std::uint8_t> ReadFileBytes(const std::string& FileName);
/// Creates (or truncates) FileName and writes Bytes to it.
void WriteFileBytes(const std::string& FileName, std::span<const std::uint8_t> Bytes);

} // namespace pelto
