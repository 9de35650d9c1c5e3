// The pool that runs the jobs of a sequence ahead of the thread that takes their
// outcomes in order: each outcome under its key, no job started more than the window
// ahead of the last one taken, and the jobs passed over never run and let go of what
// they hold at once.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "common/WorkAheadPool.h"

namespace {

TEST(WorkAheadPool, HandsOverEachOutcomeInOrderAndRunsNoFurtherAheadThanItsWindow) {
    constexpr size_t kWindow = 3;
    constexpr size_t kJobs = 200;
    std::atomic<size_t> asked{0};  // raised before each Take, so never behind the pool's count
    std::atomic<bool> tooFarAhead{false};
    CWorkAheadPool<size_t> pool(4, kWindow);
    for (size_t key = 0; key < kJobs; ++key)
        pool.Submit(key * 2, [key, &asked, &tooFarAhead](size_t, const std::atomic<bool>&) {
            if (key >= asked.load() + kWindow)
                tooFarAhead = true;
            return std::make_unique<size_t>(key * key);
        });
    for (size_t key = 0; key < kJobs; ++key) {
        asked = key + 1;
        std::unique_ptr<size_t> outcome = pool.Take(key * 2);
        ASSERT_NE(nullptr, outcome);
        EXPECT_EQ(key * key, *outcome);
        EXPECT_EQ(nullptr, pool.Take(key * 2 + 1)) << "nothing was queued under " << key * 2 + 1;
    }
    EXPECT_FALSE(tooFarAhead.load());
}

TEST(WorkAheadPool, JobsPassedOverNeverRunAndLetGoOfWhatTheyHold) {
    CWorkAheadPool<int> pool(1, 1);
    std::atomic<bool> firstStarted{false};
    std::atomic<bool> release{false};
    std::atomic<int> ran{0};
    std::vector<std::weak_ptr<int>> held;
    for (size_t key = 0; key < 4; ++key) {
        auto data = std::make_shared<int>(static_cast<int>(key));
        held.push_back(data);
        pool.Submit(key, [data, key, &firstStarted, &release, &ran](size_t, const std::atomic<bool>&) {
            ++ran;
            firstStarted = true;
            while (key == 0 && !release)
                std::this_thread::yield();
            return std::make_unique<int>(*data);
        });
    }
    while (!firstStarted)
        std::this_thread::yield();
    EXPECT_FALSE(held[1].expired());
    release = true;
    std::unique_ptr<int> last = pool.Take(3);
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(3, *last);
    EXPECT_TRUE(held[1].expired());
    EXPECT_TRUE(held[2].expired());
    EXPECT_EQ(2, ran.load()) << "only the first job and the one taken ran";
}

TEST(WorkAheadPool, AJobThatThrowsGivesNoOutcomeAndAGoingPoolStopsWhatRuns) {
    std::atomic<bool> stopped{false};
    std::atomic<bool> started{false};
    {
        CWorkAheadPool<int> pool(2, 4);
        pool.Submit(0, [](size_t, const std::atomic<bool>&) -> std::unique_ptr<int> { throw std::bad_alloc(); });
        pool.Submit(1, [&](size_t, const std::atomic<bool>& stop) {
            started = true;
            while (!stop)
                std::this_thread::yield();
            stopped = true;
            return std::make_unique<int>(1);
        });
        EXPECT_EQ(nullptr, pool.Take(0));
        while (!started)
            std::this_thread::yield();
    }
    EXPECT_TRUE(stopped.load());
}

}  // namespace
