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
