#include "async/Spawner.h"
#include "async/ManualClock.h"
#include "support/TaskTesting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace std::chrono_literals;
using vantrel::ManualClock;
using vantrel::Spawner;
using vantrel::Task;

namespace {

Task<> restoreLater(ManualClock& clock, bool& restored)
{
    co_await clock.sleep(6s);
    restored = true;
}

// Spawns and returns at once, like a launch that schedules a delayed restore.
void scheduleRestore(Spawner& spawner, ManualClock& clock, bool& restored)
{
    spawner.spawn(restoreLater(clock, restored), QStringLiteral("restore"));
}

} // namespace

TEST(Spawner, AnEscapedExceptionIsReportedWithItsLabel)
{
    ManualClock clock;
    std::vector<QString> reports;
    std::string message;
    Spawner spawner([&](const QString& label, std::exception_ptr error) {
        reports.push_back(label);
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = e.what();
        }
    });
    auto failing = [&]() -> Task<> {
        co_await clock.sleep(1s);
        throw std::runtime_error("lost restore");
    };
    spawner.spawn(failing(), QStringLiteral("restore startupAction"));
    // A task that already failed before it was handed over is reported too.
    auto failsAtOnce = []() -> Task<> {
        throw std::logic_error("at once");
        co_return;
    };
    spawner.spawn(failsAtOnce(), QStringLiteral("eager"));
    EXPECT_EQ(reports, (std::vector<QString>{QStringLiteral("eager")}));

    clock.advance(1s);
    EXPECT_EQ(reports, (std::vector<QString>{QStringLiteral("eager"), QStringLiteral("restore startupAction")}));
    EXPECT_EQ(message, "lost restore");
    EXPECT_EQ(spawner.escapedErrorCount(), 2u);
    EXPECT_EQ(spawner.pendingCount(), 0u);
}

TEST(Spawner, WaitForPendingCoversWorkSpawnedWhileWaiting)
{
    ManualClock clock;
    Spawner spawner;
    bool first = false;
    bool second = false;
    spawner.spawn(restoreLater(clock, first));
    auto chain = [&]() -> Task<> {
        co_await clock.sleep(2s);
        spawner.spawn(restoreLater(clock, second)); // due at 8 s
    };
    spawner.spawn(chain());

    vantrel::testing::TaskOutcome<void> idle;
    auto waiting = vantrel::testing::observe(spawner.waitForPending(), idle);
    clock.advance(6s);
    EXPECT_TRUE(first);
    EXPECT_FALSE(idle.finished) << "the restore spawned at 2 s is still pending";
    clock.advance(2s);
    EXPECT_TRUE(second);
    EXPECT_TRUE(idle.finished);
}

TEST(Spawner, WaitForPendingWithNothingPendingCompletesAtOnce)
{
    Spawner spawner;
    auto task = spawner.waitForPending();
    EXPECT_TRUE(task.isReady());
}

TEST(Spawner, WorkOutlivesTheSpawnerItself)
{
    ManualClock clock;
    bool restored = false;
    {
        Spawner spawner;
        scheduleRestore(spawner, clock, restored);
    }
    clock.advance(6s);
    EXPECT_TRUE(restored);
}
