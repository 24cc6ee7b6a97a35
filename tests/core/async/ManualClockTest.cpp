#include "async/ManualClock.h"
#include "support/TaskTesting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::chrono_literals;
using vantrel::ManualClock;
using vantrel::Task;

namespace {

Task<> sleepThenRecord(ManualClock& clock, vantrel::Duration d, std::string name, std::vector<std::string>& log)
{
    co_await clock.sleep(d);
    log.push_back(name);
}

} // namespace

TEST(ManualClock, SleepersWakeInDeadlineOrderAndEqualDeadlinesInSleepOrder)
{
    ManualClock clock;
    std::vector<std::string> log;
    auto a = sleepThenRecord(clock, 3s, "a", log);
    auto b = sleepThenRecord(clock, 1s, "b", log);
    auto c = sleepThenRecord(clock, 2s, "c1", log);
    auto d = sleepThenRecord(clock, 2s, "c2", log);
    auto e = sleepThenRecord(clock, 2s, "c3", log);
    EXPECT_TRUE(log.empty());

    clock.advance(1500ms);
    EXPECT_EQ(log, (std::vector<std::string>{"b"}));
    clock.advance(10s);
    EXPECT_EQ(log, (std::vector<std::string>{"b", "c1", "c2", "c3", "a"}));
    EXPECT_EQ(clock.sleeperCount(), 0u);
}

TEST(ManualClock, ResumedCoroutineSeesItsOwnDeadlineAndChainedSleepsRunWithinOneAdvance)
{
    ManualClock clock;
    const auto start = clock.now();
    std::vector<vantrel::Duration> seen;
    auto poller = [&]() -> Task<> {
        for (int i = 0; i < 4; ++i) {
            co_await clock.sleep(300ms);
            seen.push_back(clock.now() - start);
        }
    };
    auto task = poller();
    clock.advance(1s); // three polls fit, the fourth is due at 1.2 s
    EXPECT_EQ(seen, (std::vector<vantrel::Duration>{300ms, 600ms, 900ms}));
    EXPECT_EQ(clock.now() - start, 1s);
    EXPECT_FALSE(task.isReady());
    clock.advance(200ms);
    EXPECT_TRUE(task.isReady());
}

TEST(ManualClock, ZeroAndNegativeSleepsStillSuspend)
{
    ManualClock clock;
    std::vector<std::string> log;
    const auto before = clock.now();
    auto zero = sleepThenRecord(clock, 0s, "zero", log);
    auto negative = sleepThenRecord(clock, -5s, "negative", log);
    EXPECT_TRUE(log.empty()) << "a zero sleep must not resume inside the call";
    EXPECT_FALSE(zero.isReady());

    clock.advance(0s);
    EXPECT_EQ(log, (std::vector<std::string>{"zero", "negative"}));
    EXPECT_EQ(clock.now(), before) << "a negative sleep never moves time backwards";
}

TEST(ManualClock, RunUntilDoneStopsAtTheTaskAndLeavesOtherSleepersAlone)
{
    ManualClock clock;
    std::vector<std::string> log;
    auto later = sleepThenRecord(clock, 120s, "later", log);
    auto soon = sleepThenRecord(clock, 5s, "soon", log);
    EXPECT_TRUE(clock.runUntilDone(soon));
    EXPECT_EQ(log, (std::vector<std::string>{"soon"}));
    EXPECT_EQ(clock.sleeperCount(), 1u);

    // A limit shorter than the remaining wait reports failure without running past it.
    EXPECT_FALSE(clock.runUntilDone(later, 60s));
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"soon", "later"}));
}

TEST(ManualClock, RunUntilIdleGivesUpOnAnEndlessPoller)
{
    ManualClock clock;
    bool stop = false;
    int polls = 0;
    auto poller = [&]() -> Task<> {
        while (!stop) {
            co_await clock.sleep(250ms);
            ++polls;
        }
    };
    auto task = poller();
    EXPECT_FALSE(clock.runUntilIdle(10s));
    EXPECT_EQ(polls, 40);
    stop = true;
    EXPECT_TRUE(clock.runUntilIdle());
    EXPECT_TRUE(task.isReady());
}

TEST(ManualClock, RunUntilDoneReportsATaskThatWaitsOnNothingTheClockDrives)
{
    ManualClock clock;
    // A task blocked on something other than the clock cannot be finished by advancing it.
    std::coroutine_handle<> parked;
    struct Never {
        std::coroutine_handle<>* slot;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> h) const noexcept { *slot = h; }
        void await_resume() const noexcept {}
    };
    auto stuck = [&]() -> Task<> { co_await Never{&parked}; };
    auto task = stuck();
    EXPECT_FALSE(clock.runUntilDone(task));
    ASSERT_TRUE(parked);
    parked.resume(); // let the frame finish so the test leaves nothing behind
    EXPECT_TRUE(task.isReady());
}
