#include "platform/ZipWriter.h"

#include "platform/Errors.h"

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <utility>

namespace pelto {

namespace {
// Every entry's time, so that the same bundle is the same bytes: 2000-01-01 00:00 UTC.
constexpr std::time_t EntryTime = 946684800;
} // namespace

/// The archive's own bytes, going to the stream. The first exception raised below libzip is
/// kept, to be raised again once libzip has given up.
struct TZipWriter::TArchiveSink {
    TStream& Out;
    std::exception_ptr Failure;
    zip_error_t Error;

    explicit TArchiveSink(TStream& Stream) : Out(Stream) { zip_error_init(&Error); }
    ~TArchiveSink() { zip_error_fini(&Error); }

    static zip_int64_t Call(void* State, void* Data, zip_uint64_t Length, zip_source_cmd_t Cmd) {
        auto& Self = *static_cast<TArchiveSink*>(State);
        try {
            return Self.Do(Data, Length, Cmd);
        } catch (...) {
            if (!Self.Failure)
                Self.Failure = std::current_exception();
            zip_error_set(&Self.Error, ZIP_ER_WRITE, 0);
            return -1;
        }
    }

    zip_int64_t Do(void* Data, zip_uint64_t Length, zip_source_cmd_t Cmd) {
        switch (Cmd) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_STAT: { // a new, empty archive
            auto* Stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, Data, Length, &Error);
            if (!Stat)
                return -1;
            zip_stat_init(Stat);
            Stat->size = 0;
            Stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_READ:
            return 0;
        case ZIP_SOURCE_WRITE:
            Out.WriteBuffer(Data, Length);
            return static_cast<zip_int64_t>(Length);
        case ZIP_SOURCE_TELL:
        case ZIP_SOURCE_TELL_WRITE:
            return Out.GetPosition();
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_SEEK_WRITE: {
            auto* Seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, Data, Length, &Error);
            if (!Seek)
                return -1;
            const std::int64_t Base = Seek->whence == SEEK_SET   ? 0
                                      : Seek->whence == SEEK_CUR ? Out.GetPosition()
                                                                 : Out.GetSize();
            Out.SetPosition(Base + Seek->offset);
            return 0;
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&Error, Data, Length);
        default:
            zip_error_set(&Error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

/// One entry made by its producer when libzip opens it, dropped when libzip closes it.
struct TZipWriter::TEntry {
    TProducer Produce;
    std::exception_ptr* Failure;
    std::vector<std::uint8_t> Bytes;
    std::size_t Read = 0;
    zip_error_t Error;

    TEntry(TProducer P, std::exception_ptr* F) : Produce(std::move(P)), Failure(F) {
        zip_error_init(&Error);
    }
    ~TEntry() { zip_error_fini(&Error); }

    static zip_int64_t Call(void* State, void* Data, zip_uint64_t Length, zip_source_cmd_t Cmd) {
        auto& Self = *static_cast<TEntry*>(State);
        try {
            return Self.Do(Data, Length, Cmd);
        } catch (...) {
            if (!*Self.Failure)
                *Self.Failure = std::current_exception();
            zip_error_set(&Self.Error, ZIP_ER_CANCELLED, 0);
            return -1;
        }
    }

    zip_int64_t Do(void* Data, zip_uint64_t Length, zip_source_cmd_t Cmd) {
        switch (Cmd) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        case ZIP_SOURCE_STAT: { // the size is known only once made
            auto* Stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, Data, Length, &Error);
            if (!Stat)
                return -1;
            zip_stat_init(Stat);
            Stat->mtime = EntryTime;
            Stat->valid |= ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_OPEN:
            Bytes = Produce();
            Read = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const std::size_t Count = std::min<std::size_t>(Length, Bytes.size() - Read);
            std::memcpy(Data, Bytes.data() + Read, Count);
            Read += Count;
            return static_cast<zip_int64_t>(Count);
        }
        case ZIP_SOURCE_CLOSE:
            Bytes = {};
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&Error, Data, Length);
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            zip_error_set(&Error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

namespace {

zip_t* Zip(void* Handle) {
    return static_cast<zip_t*>(Handle);
}

[[noreturn]] void Fail(const char* What, zip_error_t* Error) {
    throw EWriteError(std::string(What) + ": " + zip_error_strerror(Error));
}

} // namespace

TZipWriter::TZipWriter(TStream& Out) : FSink(std::make_unique<TArchiveSink>(Out)) {
    zip_error_t Error;
    zip_error_init(&Error);
    zip_source_t* Source = zip_source_function_create(&TArchiveSink::Call, FSink.get(), &Error);
    if (!Source)
        Fail("cannot make a ZIP archive", &Error);
    FZip = zip_open_from_source(Source, ZIP_CREATE | ZIP_TRUNCATE, &Error);
    if (!FZip) {
        zip_source_free(Source);
        Fail("cannot make a ZIP archive", &Error);
    }
    zip_error_fini(&Error);
}

TZipWriter::~TZipWriter() {
    if (FZip)
        zip_discard(Zip(FZip));
}

void TZipWriter::Added(std::int64_t Index, const std::string& Name, bool Deflate) {
    if (Index < 0)
        throw EWriteError("cannot add " + Name + " to the ZIP archive: " + zip_strerror(Zip(FZip)));
    const auto Entry = static_cast<zip_uint64_t>(Index);
    zip_set_file_compression(Zip(FZip), Entry, Deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    zip_file_set_mtime(Zip(FZip), Entry, EntryTime, 0);
}

void TZipWriter::Add(const std::string& Name, TProducer Produce, bool Deflate) {
    FEntries.push_back(std::make_unique<TEntry>(std::move(Produce), &FSink->Failure));
    zip_error_t Error;
    zip_error_init(&Error);
    zip_source_t* Source = zip_source_function_create(&TEntry::Call, FEntries.back().get(), &Error);
    if (!Source)
        Fail("cannot add to the ZIP archive", &Error);
    zip_error_fini(&Error);
    const zip_int64_t Index = zip_file_add(Zip(FZip), Name.c_str(), Source, ZIP_FL_ENC_UTF_8);
    if (Index < 0)
        zip_source_free(Source);
    Added(Index, Name, Deflate);
}

void TZipWriter::AddFile(const std::string& Name, const std::string& Path, bool Deflate) {
    zip_source_t* Source = zip_source_file(Zip(FZip), Path.c_str(), 0, -1);
    if (!Source)
        throw EWriteError("cannot add " + Name + " to the ZIP archive: " + zip_strerror(Zip(FZip)));
    const zip_int64_t Index = zip_file_add(Zip(FZip), Name.c_str(), Source, ZIP_FL_ENC_UTF_8);
    if (Index < 0)
        zip_source_free(Source);
    Added(Index, Name, Deflate);
}

void TZipWriter::Finish() {
    if (zip_close(Zip(FZip)) == 0) {
        FZip = nullptr;
        return;
    }
    if (FSink->Failure)
        std::rethrow_exception(FSink->Failure);
    throw EWriteError(std::string("cannot write the ZIP archive: ") + zip_strerror(Zip(FZip)));
}

} // namespace pelto
