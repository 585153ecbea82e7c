#include "platform/OrderedWork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace pelto;
using namespace std::chrono_literals;

TEST(OrderedWork, HandsOutEveryResultInOrderWhateverTheThreadsAndTheirPace) {
    for (const unsigned Threads : {1u, 2u, 5u}) {
        // Later pieces finish first, so a result taken out of order would show.
        TOrderedWork<std::string> Work(40, Threads, [](std::size_t I) {
            std::this_thread::sleep_for(std::chrono::microseconds((40 - I) * 50));
            return std::to_string(I * I);
        });
        for (std::size_t I = 0; I < 40; ++I)
            ASSERT_EQ(Work.Next(), std::to_string(I * I)) << Threads << " threads";
    }
}

TEST(OrderedWork, AFailureComesOutWhereItsResultWouldHaveAndLeavingEarlyStopsTheRest) {
    std::atomic<int> Made = 0;
    {
        TOrderedWork<int> Work(1000, 2, [&](std::size_t I) {
            ++Made;
            if (I == 3)
                throw std::runtime_error("piece 3");
            return static_cast<int>(I);
        });
        for (int I = 0; I < 3; ++I)
            EXPECT_EQ(Work.Next(), I);
        EXPECT_THROW(Work.Next(), std::runtime_error);
    }
    // Never more than a few pieces ahead of the one taken.
    EXPECT_LT(Made.load(), 20);
}

TEST(WorkBeside, WaitRaisesWhatTheWorkRaisedAndLeavingTellsItToStop) {
    TWorkBeside Failing([](const std::atomic<bool>&) { throw std::runtime_error("no room"); });
    EXPECT_THROW(Failing.Wait(), std::runtime_error);

    std::atomic<bool> Stopped = false;
    {
        const TWorkBeside Endless([&](const std::atomic<bool>& Stop) {
            while (!Stop)
                std::this_thread::sleep_for(1ms);
            Stopped = true;
        });
        if (WorkThreads() == 1)
            GTEST_SKIP() << "without threads the work runs only when waited for";
    }
    EXPECT_TRUE(Stopped);
}
