// Crash safety: processes SIGKILLed at random moments, hundreds of times. A burst of list
// saves must never leave a torn list, and a launch that overrides Logic's startup action
// must never leave it changed once the next start has run. The random seed is printed, so
// a failing run can be repeated.
#include "helpers/BurstLists.h"
#include "launch/LaunchManager.h"
#include "settings/PersistenceStore.h"
#include "simhost/machine/AppLauncher.h"
#include "support/HostObjects.h"
#include "support/LaunchLogReader.h"
#include "support/TempSimulatedMac.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

using namespace vantrel;
using namespace vantrel::testing;
using vantrel::sim::AppLauncher;

namespace {

QRandomGenerator seeded(const char* what)
{
    const quint32 seed = QRandomGenerator::global()->generate();
    std::cout << what << ": seed " << seed << '\n';
    return QRandomGenerator(seed);
}

} // namespace

TEST(CrashSafety, SavesKilledAtRandomNeverTearTheList)
{
    constexpr int kills = 250;
    const QString filePath = QStringLiteral("~/Library/Application Support/Vantrel/logic-apps.json");
    const QList<LogicApp> candidates[2] = {burstList(0), burstList(1)};
    QRandomGenerator random = seeded("store kills");
    TempSimulatedMac mac;
    int held[2] = {0, 0};
    bool fileSeen = false;
    bool copySeen = false;
    // The kills land within this long of the burst's start. A machine busy enough to take
    // longer than that for two saves gets more time, so that the kills still land at
    // different points of the burst.
    quint32 latestKillMicroseconds = 40000;
    for (int kill = 0; kill < kills; ++kill) {
        if (kill > 0 && kill % 50 == 0 && (held[0] == 0 || held[1] == 0)) {
            latestKillMicroseconds = std::min<quint32>(latestKillMicroseconds * 2, 1000000);
        }
        QProcess burst;
        burst.start(QStringLiteral(VANTREL_STORE_BURST_HELPER), {mac.root()});
        ASSERT_TRUE(burst.waitForStarted());
        ASSERT_TRUE(burst.waitForReadyRead(10000)); // saving has begun
        QThread::usleep(random.bounded(latestKillMicroseconds));
        burst.kill(); // SIGKILL: no chance to finish anything
        burst.waitForFinished();

        // Until the first save has finished, either copy may still be missing; once written,
        // neither ever goes missing again.
        const auto file = mac.readFile(filePath);
        const auto copy = mac.host().standardDefaults()->data(QStringLiteral("logicApps"));
        ASSERT_TRUE(file || !fileSeen) << "kill " << kill;
        ASSERT_TRUE(copy || !copySeen) << "kill " << kill;
        fileSeen = fileSeen || file;
        copySeen = copySeen || copy;
        if (file) {
            const auto fromFile = LogicApp::decodeList(*file);
            ASSERT_TRUE(fromFile) << "kill " << kill << ": the file must be a whole list";
            ASSERT_TRUE(*fromFile == candidates[0] || *fromFile == candidates[1]);
            ++held[*fromFile == candidates[1]];
        }
        if (copy) {
            const auto fromCopy = LogicApp::decodeList(*copy);
            ASSERT_TRUE(fromCopy && (*fromCopy == candidates[0] || *fromCopy == candidates[1]))
                << "kill " << kill << ": the defaults copy must be a whole list";
        }
        const auto loaded = test::store()->loadApps();
        ASSERT_TRUE(loaded == candidates[0] || loaded == candidates[1] || (!file && !copy && loaded.isEmpty()));
    }
    std::cout << kills << " kills: the file held the first list " << held[0] << " times, the second " << held[1]
              << " times, never anything else\n";
    EXPECT_TRUE(held[0] > 0 && held[1] > 0) << "the kills must land at different points of the burst";
}

TEST(CrashSafety, LaunchesKilledAtRandomLeaveTheStartupActionAsItWasAfterTheNextStart)
{
    constexpr int kills = 24;
    const QString logicPath = QStringLiteral("/Applications/Logic Pro.app");
    QRandomGenerator random = seeded("launch kills");
    TempSimulatedMac mac;
    mac.mac().setRosettaInstalled(true);
    mac.addLogicBundle(logicPath, {});
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), QStringLiteral("2")); // a string, as a script may leave it
    const QString logPath = mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log"));

    int restoredAtStart = 0;
    for (int kill = 0; kill < kills; ++kill) {
        QProcess launch;
        launch.start(QStringLiteral(VANTREL_CLI_PATH),
                     {QStringLiteral("--root"), mac.root(), QStringLiteral("launch"),
                      QStringLiteral("--without-recent-project"), QStringLiteral("--path"), logicPath});
        ASSERT_TRUE(launch.waitForStarted());
        // A whole launch without the recent project takes about 2.5 s: open, 0.45 s of
        // settling, 1.5 s with the override in place, the restore.
        QThread::msleep(random.bounded(2400));
        launch.kill();
        launch.waitForFinished();
        mac.endStandIns();

        // The next start.
        const qsizetype before = launchLogMessages(logPath).size();
        test::launchManager()->restoreAbandonedStartupActions();
        const QStringList restored = launchLogMessages(logPath).mid(before).filter(
            QStringLiteral("startupAction restored after an interrupted"));
        restoredAtStart += int(restored.size());
        ASSERT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(QStringLiteral("2")))
            << "kill " << kill << ": value and type";
        ASSERT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
    }
    std::cout << kills << " kills: " << restoredAtStart
              << " left the override in place and the next start restored it; the others ended before or after it\n";
    EXPECT_GT(restoredAtStart, 0) << "some kills must land while the override is in place";
}
