#include "async/ParallelFor.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

using namespace vantrel;

TEST(ParallelFor, EveryIndexOnceAndFewIndicesOnTheCallersThreadInOrder)
{
    for (const std::size_t count : std::initializer_list<std::size_t>{0, 1, 63, 64, 65, 1000}) {
        for (const ParallelLimits limits : {ParallelLimits{}, ParallelLimits{4, 1}, ParallelLimits{1, 1}}) {
            std::vector<std::atomic<int>> calls(count);
            parallelFor(
                count, [&](std::size_t i) { calls[i].fetch_add(1); }, limits);
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_EQ(calls[i].load(), 1) << "index " << i << " of " << count;
            }
        }
    }

    // Under two indices' worth per extra thread, nothing leaves the caller's thread.
    std::vector<std::size_t> order;
    std::set<std::thread::id> threads;
    parallelFor(63, [&](std::size_t i) {
        order.push_back(i);
        threads.insert(std::this_thread::get_id());
    });
    EXPECT_EQ(order.size(), 63u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(threads, std::set<std::thread::id>{std::this_thread::get_id()});
}

TEST(ParallelFor, SlowIndicesAreSharedBetweenThreads)
{
    if (std::thread::hardware_concurrency() < 2) {
        GTEST_SKIP() << "one processor";
    }
    std::mutex lock;
    std::set<std::thread::id> threads;
    parallelFor(8,
                [&](std::size_t) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    const std::lock_guard guard(lock);
                    threads.insert(std::this_thread::get_id());
                },
                {.maximumThreads = 2, .minimumPerThread = 1});
    EXPECT_EQ(threads.size(), 2u);
    EXPECT_TRUE(threads.contains(std::this_thread::get_id())) << "the caller works too";
}
