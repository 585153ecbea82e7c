#include "platform/MappedFile.h"

#include "platform/Errors.h"
#include "platform/Format.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelto {

namespace {

[[noreturn]] void RaiseOpenError(const std::string& FileName, int Error) {
    throw EFOpenError(
        Format("Cannot open file \"%s\". %s", FileName.c_str(), std::strerror(Error)));
}

struct TDescriptor {
    int Fd;
    ~TDescriptor() {
        if (Fd >= 0)
            ::close(Fd);
    }
};

} // namespace

TMappedFile::TMappedFile(const std::string& FileName, TMapAccess Access) {
    const std::string Path = ResolvePath(FileName);
    const TDescriptor File{::open(Path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (File.Fd < 0)
        RaiseOpenError(FileName, errno);
    struct stat St {};
    if (::fstat(File.Fd, &St) != 0)
        RaiseOpenError(FileName, errno);
    if (S_ISDIR(St.st_mode))
        RaiseOpenError(FileName, EISDIR);
    if (!S_ISREG(St.st_mode))
        RaiseOpenError(FileName, ENODEV);
    if (St.st_size == 0)
        return; // nothing to map: an empty span
    const int Flags = MAP_PRIVATE | (Access == TMapAccess::Whole ? MAP_POPULATE : 0);
    void* Mapped =
        ::mmap(nullptr, static_cast<std::size_t>(St.st_size), PROT_READ, Flags, File.Fd, 0);
    if (Mapped == MAP_FAILED)
        RaiseOpenError(FileName, errno);
    FData = static_cast<const std::uint8_t*>(Mapped);
    FSize = static_cast<std::size_t>(St.st_size);
}

TMappedFile::TMappedFile(TMappedFile&& Other) noexcept
    : FData(std::exchange(Other.FData, nullptr)), FSize(std::exchange(Other.FSize, 0)) {}

TMappedFile& TMappedFile::operator=(TMappedFile&& Other) noexcept {
    if (this != &Other) {
        TMappedFile Old(std::move(*this));
        FData = std::exchange(Other.FData, nullptr);
        FSize = std::exchange(Other.FSize, 0);
    }
    return *this;
}

TMappedFile::~TMappedFile() {
    if (FData)
        ::munmap(const_cast<std::uint8_t*>(FData), FSize);
}

} // namespace pelto
