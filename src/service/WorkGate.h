#pragma once

#include "platform/Errors.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <stdexcept>

namespace pelto::service {

/// Raised when work cannot be taken now: the client is told to come back (503 Retry-After).
class EServiceBusy : public EWloError {
public:
    explicit EServiceBusy(const std::string& Message) : EWloError(Message, TFault::Busy) {}
};

struct TWorkLimits {
    int Slots = 1;                // works running at once
    int MaxWaiting = 1;           // works waiting for a slot; more are refused at once
    std::size_t Bytes = 64 << 20; // memory all running works may hold together
    std::chrono::milliseconds MaxWait{5000};
};

/// Admits the expensive works (pictures, lists) a few at a time and within a memory budget, so
/// that a flood of them neither takes the memory nor keeps every thread waiting: what cannot
/// have a turn soon is refused with EServiceBusy instead of queued without end.
class TWorkGate {
public:
    explicit TWorkGate(const TWorkLimits& Limits);

    /// A slot, and later the bytes, held until it is destroyed.
    class TTicket {
    public:
        ~TTicket();
        TTicket(const TTicket&) = delete;
        TTicket& operator=(const TTicket&) = delete;

        /// Waits until Bytes more fit the budget: a work larger than the whole budget runs
        /// once nothing else holds any.
        void Reserve(std::size_t Bytes);

    private:
        friend class TWorkGate;
        explicit TTicket(TWorkGate& Gate) : FGate(Gate) {}
        TWorkGate& FGate;
        std::size_t FBytes = 0;
    };

    /// A slot, waiting for one while few others wait; raises EServiceBusy when too many wait
    /// already or none is free within the limits' MaxWait of Since, when the request came:
    /// the time it waited for a thread counts too.
    TTicket Enter(std::chrono::steady_clock::time_point Since = std::chrono::steady_clock::now());

    int Running() const;
    /// The bytes all running works may hold together.
    std::size_t Budget() const { return FLimits.Bytes; }

private:
    void Leave(std::size_t Bytes);

    const TWorkLimits FLimits;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    int FRunning = 0;
    int FWaiting = 0;
    std::size_t FHeld = 0;
};

} // namespace pelto::service
