#include "service/WorkGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace pelto::service;
using namespace std::chrono_literals;

TEST(WorkGate, WorkBeyondTheWaitingBoundIsRefusedAtOnce) {
    TWorkGate Gate({.Slots = 1, .MaxWaiting = 0, .Bytes = 100, .MaxWait = 5s});
    const auto Held = Gate.Enter();
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_THROW(Gate.Enter(), EServiceBusy);
    EXPECT_LT(std::chrono::steady_clock::now() - Start, 1s) << "no wait for a refusal";
}

TEST(WorkGate, AWaitLongerThanAllowedIsRefusedAndFreesItsPlace) {
    TWorkGate Gate({.Slots = 1, .MaxWaiting = 1, .Bytes = 100, .MaxWait = 50ms});
    {
        const auto Held = Gate.Enter();
        EXPECT_THROW(Gate.Enter(), EServiceBusy);
        EXPECT_THROW(Gate.Enter(), EServiceBusy) << "the place in the queue was given back";
    }
    EXPECT_NO_THROW(Gate.Enter()) << "the slot was given back";
    EXPECT_EQ(Gate.Running(), 0);
}

TEST(WorkGate, AWaiterGetsTheSlotOnceItIsLeft) {
    TWorkGate Gate({.Slots = 1, .MaxWaiting = 1, .Bytes = 100, .MaxWait = 5s});
    std::atomic<bool> Ran{false};
    std::thread Waiter;
    {
        const auto Held = Gate.Enter();
        Waiter = std::thread([&] {
            const auto Mine = Gate.Enter();
            Ran = true;
        });
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(Ran);
    }
    Waiter.join();
    EXPECT_TRUE(Ran);
}

namespace {

// Whether a second work reserving Asked waits while a first holds Held, and gets through once
// the first ends.
bool SecondWaitsForTheFirst(std::size_t Held, std::size_t Asked) {
    TWorkGate Gate({.Slots = 2, .MaxWaiting = 0, .Bytes = 100, .MaxWait = 5s});
    std::atomic<bool> Reserved{false};
    std::thread Second;
    bool Waited = false;
    {
        auto First = Gate.Enter();
        First.Reserve(Held); // does not wait for ever, even beyond the budget
        Second = std::thread([&] {
            auto Mine = Gate.Enter();
            Mine.Reserve(Asked);
            Reserved = true;
        });
        std::this_thread::sleep_for(50ms);
        Waited = !Reserved;
    }
    Second.join();
    return Waited && Reserved;
}

} // namespace

TEST(WorkGate, BytesBeyondTheBudgetWaitForOthersToEnd) {
    EXPECT_TRUE(SecondWaitsForTheFirst(80, 30)) << "80 + 30 is over the budget";
}

TEST(WorkGate, AWorkLargerThanTheBudgetRunsAlone) {
    EXPECT_TRUE(SecondWaitsForTheFirst(1000, 1)) << "nothing else runs beside it";
}

TEST(WorkGate, TheTimeARequestWaitedForAThreadCountsAgainstItsTurn) {
    TWorkGate Gate({.Slots = 1, .MaxWaiting = 4, .Bytes = 100, .MaxWait = 5s});
    const auto Held = Gate.Enter();
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_THROW(Gate.Enter(Start - 5s), EServiceBusy);
    EXPECT_LT(std::chrono::steady_clock::now() - Start, 1s) << "its time was up already";
}
