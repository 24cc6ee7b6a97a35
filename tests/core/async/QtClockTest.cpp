#include "async/QtClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <qcoro/qcorotask.h>

using namespace std::chrono_literals;

TEST(QtClock, SleepWaitsAtLeastTheDurationOnTheEventLoop)
{
    vantrel::QtClock clock;
    const auto start = clock.now();
    bool resumedInsideCall = true;
    // The closure must outlive the coroutine, which reads its captures.
    auto body = [&]() -> vantrel::Task<vantrel::Duration> {
        auto sleeping = clock.sleep(30ms);
        resumedInsideCall = sleeping.isReady();
        co_await std::move(sleeping);
        co_return clock.now() - start;
    };
    auto task = body();
    EXPECT_FALSE(resumedInsideCall);
    const auto elapsed = QCoro::waitFor(task);
    EXPECT_GE(elapsed, 30ms);
}

TEST(QtClock, ZeroSleepResumesOnALaterTurn)
{
    vantrel::QtClock clock;
    int order = 0;
    int sleeperTurn = -1;
    auto body = [&]() -> vantrel::Task<> {
        co_await clock.sleep(0ms);
        sleeperTurn = ++order;
    };
    auto task = body();
    EXPECT_EQ(sleeperTurn, -1);
    ++order; // this code runs before the sleeper resumes
    QCoro::waitFor(task);
    EXPECT_EQ(sleeperTurn, 2);
}

TEST(QtClock, ACancelledSleepResumesAtOnceAndItsTimerIsGone)
{
    vantrel::QtClock clock;
    auto cancellation = std::make_shared<vantrel::Clock::Cancellation>();
    std::optional<bool> elapsed;
    auto body = [&]() -> vantrel::Task<> { elapsed = co_await clock.sleep(10s, cancellation); };
    auto task = body();
    QCoreApplication::processEvents();
    EXPECT_FALSE(elapsed);
    cancellation->cancel();
    EXPECT_EQ(elapsed, false) << "resumed inside cancel(), reporting the cancellation";
    cancellation->cancel(); // a second cancel does nothing

    auto full = std::make_shared<vantrel::Clock::Cancellation>();
    auto whole = [&]() -> vantrel::Task<bool> { co_return co_await clock.sleep(5ms, full); };
    auto wholeTask = whole();
    EXPECT_TRUE(QCoro::waitFor(wholeTask));
    full->cancel(); // after the end: nothing to resume
    auto already = [&]() -> vantrel::Task<bool> { co_return co_await clock.sleep(10s, full); };
    auto alreadyTask = already();
    EXPECT_TRUE(alreadyTask.isReady()) << "cancelled before it began: no wait at all";
    EXPECT_FALSE(QCoro::waitFor(alreadyTask));
}
