#include "service/WorkGate.h"

#include <algorithm>

namespace pelto::service {

TWorkGate::TWorkGate(const TWorkLimits& Limits) : FLimits(Limits) {}

TWorkGate::TTicket TWorkGate::Enter(std::chrono::steady_clock::time_point Since) {
    std::unique_lock Lock(FLock);
    const int Slots = std::max(1, FLimits.Slots);
    if (FRunning >= Slots) {
        if (FWaiting >= FLimits.MaxWaiting)
            throw EServiceBusy("too much work waiting");
        ++FWaiting;
        const bool Free =
            FChanged.wait_until(Lock, Since + FLimits.MaxWait, [&] { return FRunning < Slots; });
        --FWaiting;
        if (!Free)
            throw EServiceBusy("no turn within the time allowed");
    }
    ++FRunning;
    return TTicket(*this);
}

int TWorkGate::Running() const {
    const std::lock_guard Lock(FLock);
    return FRunning;
}

void TWorkGate::Leave(std::size_t Bytes) {
    {
        const std::lock_guard Lock(FLock);
        --FRunning;
        FHeld -= Bytes;
    }
    FChanged.notify_all();
}

void TWorkGate::TTicket::Reserve(std::size_t Bytes) {
    std::unique_lock Lock(FGate.FLock);
    // Only running works hold bytes, and each ends: the wait is as long as the works are.
    FGate.FChanged.wait(
        Lock, [&] { return FGate.FHeld == FBytes || FGate.FHeld + Bytes <= FGate.FLimits.Bytes; });
    FGate.FHeld += Bytes;
    FBytes += Bytes;
}

TWorkGate::TTicket::~TTicket() {
    FGate.Leave(FBytes);
}

} // namespace pelto::service
