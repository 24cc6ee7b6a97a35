#pragma once

// Shared set-up of the launch-engine unit tests: a temporary simulated Mac (disk,
// preferences, Launch Services, ManualClock) with a fake workspace and process probe.
#include "async/Spawner.h"
#include "launch/LaunchManager.h"
#include "log/LaunchLogger.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/FakeWorkspace.h"
#include "support/HostObjects.h"
#include "support/LaunchLogReader.h"
#include "support/TaskTesting.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

namespace vantrel::testing {

struct LaunchTest : ::testing::Test {
    TempSimulatedMac mac;
    FakeWorkspace workspace{mac.clock()};
    FakeCommandRunner commands{workspace.journal};
    FakeKeyboard keyboard{workspace.journal};
    FakeSecurityScope scope{workspace.journal};
    std::unique_ptr<LaunchManager> manager;

    const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
    const QString otherPath = QStringLiteral("/Applications/Logic Pro X.app");
    const QUrl logicURL = HostPath::fileURL(logicPath);

    void SetUp() override
    {
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        for (const QString& path : {logicPath, otherPath}) {
            ASSERT_TRUE(sim::writeBundle(mac.fs(), {.path = path,
                                                    .identifier = QStringLiteral("com.apple.logic10"),
                                                    .shortVersion = QStringLiteral("11.0")}));
        }
        mac.mac().setRosettaInstalled(true);
        rebuildManager();
    }

    void TearDown() override { mac.clock().runUntilIdle(std::chrono::hours(1)); }

    // Makes a new manager (and with it new mutators) over the current state of the Mac.
    void rebuildManager()
    {
        auto collaborators = test::launchCollaborators();
        collaborators.workspace = &workspace;
        collaborators.processProbe = &workspace.probe;
        collaborators.commandRunner = &commands;
        collaborators.keyboard = &keyboard;
        collaborators.securityScope = &scope;
        manager = std::make_unique<LaunchManager>(collaborators);
    }

    QStringList log() { return launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log"))); }
    // The log without the per-entry lines of the running-instance scans.
    QStringList steps()
    {
        QStringList kept;
        for (const QString& line : log()) {
            if (!line.startsWith(QStringLiteral("detected running Logic"))
                && !line.startsWith(QStringLiteral("ignoring stale"))) {
                kept << line;
            }
        }
        return kept;
    }

    // Runs a task to its end in virtual time and returns what it ended with.
    template <typename T>
    TaskOutcome<T> run(Task<T> task)
    {
        TaskOutcome<T> outcome;
        auto observer = observe(std::move(task), outcome);
        mac.clock().runUntilDone(observer, std::chrono::hours(1));
        return outcome;
    }

    static std::optional<LauncherError> launcherError(const std::exception_ptr& error)
    {
        if (!error) {
            return std::nullopt;
        }
        try {
            std::rethrow_exception(error);
        } catch (const LauncherError& e) {
            return e;
        } catch (...) {
            return std::nullopt;
        }
    }
};

} // namespace vantrel::testing
