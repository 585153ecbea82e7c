#include "platform/AtomicFile.h"

#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

namespace pelto {
namespace {

constexpr std::size_t WriteBufferSize = 64 * 1024;

std::string CreateMessage(const std::string& FileName, int Error) {
    return Format("Cannot create file \"%s\". %s", FileName.c_str(), std::strerror(Error));
}

std::string WriteMessage(const std::string& FileName, const char* Reason) {
    return Format("Cannot write file \"%s\". %s", FileName.c_str(), Reason);
}

// The process umask, read without changing it where /proc allows, since umask() can only be
// queried by setting it, which races with other threads creating files.
mode_t CurrentUmask() {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line)) {
        if (Line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(Line.c_str() + 6, nullptr, 8) & 0777);
    }
    const mode_t Mask = ::umask(022);
    ::umask(Mask);
    return Mask;
}

// The temporary file: removed on destruction unless it has been renamed into place.
class TTempFile {
public:
    explicit TTempFile(const std::string& FileName) : FTarget(FileName) {
        const std::string Name = ExtractFileName(FileName);
        FPath = ExtractFilePath(FileName) + "." + Name + ".XXXXXX";
        FFd = ::mkostemp(FPath.data(), O_CLOEXEC);
        if (FFd < 0)
            throw EFOpenError(CreateMessage(FTarget, errno));
    }
    ~TTempFile() {
        if (FFd >= 0)
            ::close(FFd);
        if (!FRenamed)
            ::unlink(FPath.c_str());
    }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    int Fd() const { return FFd; }

    void SetMode(mode_t Mode) {
        // Some file systems have no permissions to set; the file is still usable then.
        (void)::fchmod(FFd, Mode);
    }

    void SyncAndClose() {
        if (::fsync(FFd) != 0)
            Fail(errno);
        const int Fd = FFd;
        FFd = -1;
        if (::close(Fd) != 0)
            Fail(errno);
    }

    void RenameOverTarget() {
        if (::rename(FPath.c_str(), FTarget.c_str()) != 0)
            Fail(errno);
        FRenamed = true;
        // Make the rename itself durable; a folder that refuses this is no reason to fail.
        const std::string Folder = ExtractFilePath(FTarget);
        const int Dir =
            ::open(Folder.empty() ? "." : Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (Dir >= 0) {
            (void)::fsync(Dir);
            ::close(Dir);
        }
    }

private:
    [[noreturn]] void Fail(int Error) const {
        throw EWriteError(WriteMessage(FTarget, std::strerror(Error)));
    }

    std::string FTarget;
    std::string FPath;
    int FFd = -1;
    bool FRenamed = false;
};

// A buffered stream over the temporary file's descriptor; its errors name the destination,
// the only file the user knows of.
class TTempFileStream final : public TStream {
public:
    TTempFileStream(int Fd, const std::string& Target) : FFd(Fd), FTarget(Target) {
        FPending.reserve(WriteBufferSize);
    }

    std::size_t Read(void* Buffer, std::size_t Count) override {
        FlushPending();
        auto* Out = static_cast<std::uint8_t*>(Buffer);
        std::size_t Done = 0;
        while (Done < Count) {
            const ssize_t N = ::read(FFd, Out + Done, Count - Done);
            if (N < 0 && errno == EINTR)
                continue;
            if (N <= 0)
                break;
            Done += static_cast<std::size_t>(N);
        }
        FFilePos += static_cast<std::int64_t>(Done);
        return Done;
    }

    void WriteBuffer(const void* Buffer, std::size_t Count) override {
        const auto* Bytes = static_cast<const std::uint8_t*>(Buffer);
        if (FPending.size() + Count > WriteBufferSize)
            FlushPending();
        if (Count >= WriteBufferSize)
            WriteAll(Bytes, Count);
        else
            FPending.insert(FPending.end(), Bytes, Bytes + Count);
    }

    std::int64_t GetPosition() const override {
        return FFilePos + static_cast<std::int64_t>(FPending.size());
    }

    void SetPosition(std::int64_t Position) override {
        if (Position < 0)
            throw EReadError();
        FlushPending();
        if (::lseek(FFd, static_cast<off_t>(Position), SEEK_SET) < 0)
            throw EReadError();
        FFilePos = Position;
    }

    std::int64_t GetSize() const override {
        return FPending.empty() ? FSize : std::max(FSize, GetPosition());
    }

    void FlushPending() {
        if (FPending.empty())
            return;
        WriteAll(FPending.data(), FPending.size());
        FPending.clear();
    }

private:
    void WriteAll(const std::uint8_t* Bytes, std::size_t Count) {
        while (Count > 0) {
            const ssize_t N = ::write(FFd, Bytes, Count);
            if (N < 0 && errno == EINTR)
                continue;
            if (N <= 0)
                throw EWriteError(
                    WriteMessage(FTarget, N == 0 ? std::strerror(ENOSPC) : std::strerror(errno)));
            Bytes += N;
            Count -= static_cast<std::size_t>(N);
            FFilePos += N;
        }
        FSize = std::max(FSize, FFilePos);
    }

    int FFd;
    const std::string& FTarget;
    std::vector<std::uint8_t> FPending;
    std::int64_t FFilePos = 0;
    std::int64_t FSize = 0;
};

} // namespace

void WriteFileAtomically(const std::string& FileName, const std::function<void(TStream&)>& Write) {
    if (FileName.empty())
        throw EFOpenError(CreateMessage(FileName, ENOENT));
    struct stat Existing {};
    const bool Exists = ::stat(FileName.c_str(), &Existing) == 0;
    // Refused before anything is created: a rename would fail only after all the work.
    if ((Exists && S_ISDIR(Existing.st_mode)) || ExtractFileName(FileName).empty())
        throw EFOpenError(CreateMessage(FileName, EISDIR));
    const mode_t Mode = Exists ? (Existing.st_mode & 07777) : (0666 & ~CurrentUmask());

    TTempFile Temp(FileName);
    Temp.SetMode(Mode);
    TTempFileStream Stream(Temp.Fd(), FileName);
    try {
        Write(Stream);
    } catch (const EWriteError& E) {
        if (std::string_view(E.what()).find("\"" + FileName + "\"") != std::string_view::npos)
            throw;
        throw EWriteError(WriteMessage(FileName, E.what()));
    }
    Stream.FlushPending();
    Temp.SyncAndClose();
    Temp.RenameOverTarget();
}

} // namespace pelto
