#pragma once

// Work made ahead on a few threads and taken in order, so that a file written from it is the
// same bytes as when it was made one piece after another.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace pelto {

/// The threads work that may use every core takes: one a core, at least one. A WebAssembly
/// build without threads works on the caller's thread alone.
unsigned WorkThreads();

/// Makes Make(0) .. Make(Count - 1) on Threads threads of its own, at most Ahead results ahead
/// of the one taken next, and hands them out in order through Next. With one thread, or where
/// there are none, nothing is made ahead: Next makes its result there and then. An exception of
/// Make is raised again by the Next that would have returned its result; leaving early stops the
/// threads.
template <class T> class TOrderedWork {
public:
    TOrderedWork(std::size_t Count, unsigned Threads, std::function<T(std::size_t)> Make)
        : FCount(Count), FAhead(2 * static_cast<std::size_t>(Threads)), FMake(std::move(Make)),
          FSlots(FAhead) {
        if (Threads <= 1 || WorkThreads() == 1)
            return;
        for (unsigned I = 0; I < Threads; ++I)
            FWorkers.emplace_back([this] { Work(); });
    }
    ~TOrderedWork() {
        {
            const std::lock_guard Lock(FMutex);
            FStopping = true;
        }
        FRoom.notify_all();
        for (std::thread& Worker : FWorkers)
            Worker.join();
    }
    TOrderedWork(const TOrderedWork&) = delete;
    TOrderedWork& operator=(const TOrderedWork&) = delete;

    /// The next result; only Count of them.
    T Next() {
        if (FWorkers.empty())
            return FMake(FTaken++);
        std::unique_lock Lock(FMutex);
        TSlot& Slot = FSlots[FTaken % FAhead];
        FReady.wait(Lock, [&] { return Slot.Value || Slot.Error; });
        std::optional<T> Value = std::exchange(Slot.Value, std::nullopt);
        const std::exception_ptr Error = std::exchange(Slot.Error, nullptr);
        ++FTaken;
        Lock.unlock();
        FRoom.notify_all();
        if (Error)
            std::rethrow_exception(Error);
        return std::move(*Value);
    }

private:
    struct TSlot {
        std::optional<T> Value;
        std::exception_ptr Error;
    };

    void Work() {
        for (;;) {
            std::unique_lock Lock(FMutex);
            FRoom.wait(Lock,
                       [&] { return FStopping || FMade >= FCount || FMade < FTaken + FAhead; });
            if (FStopping || FMade >= FCount)
                return;
            const std::size_t Index = FMade++;
            Lock.unlock();
            std::optional<T> Value;
            std::exception_ptr Error;
            try {
                Value.emplace(FMake(Index));
            } catch (...) {
                Error = std::current_exception();
            }
            Lock.lock();
            FSlots[Index % FAhead] = {std::move(Value), Error};
            Lock.unlock();
            FReady.notify_all();
        }
    }

    const std::size_t FCount;
    const std::size_t FAhead;
    const std::function<T(std::size_t)> FMake;
    std::mutex FMutex;
    std::condition_variable FReady; // a slot was filled
    std::condition_variable FRoom;  // a slot was taken, or the work stops
    std::vector<TSlot> FSlots;
    std::size_t FMade = 0;  // claimed by a worker
    std::size_t FTaken = 0; // handed out by Next
    bool FStopping = false;
    std::vector<std::thread> FWorkers; // last: they start once the rest is ready
};

/// Does Work beside the caller, on a thread of its own where there are threads, else when it
/// is waited for. Wait raises again what Work raised. Leaving without waiting tells Work to
/// stop, through the flag it is given, and waits for it.
class TWorkBeside {
public:
    explicit TWorkBeside(std::function<void(const std::atomic<bool>& Stop)> Work);
    ~TWorkBeside();
    TWorkBeside(const TWorkBeside&) = delete;
    TWorkBeside& operator=(const TWorkBeside&) = delete;

    void Wait();

private:
    void Run();

    std::function<void(const std::atomic<bool>&)> FWork;
    std::atomic<bool> FStop = false;
    std::exception_ptr FError;
    bool FDone = false;
    std::thread FThread;
};

} // namespace pelto
