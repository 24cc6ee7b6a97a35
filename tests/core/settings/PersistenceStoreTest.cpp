#include "settings/PersistenceStore.h"
#include "helpers/BurstLists.h"
#include "support/TempSimulatedMac.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;

namespace {

const QString filePath = QStringLiteral("~/Library/Application Support/Vantrel/logic-apps.json");

QList<LogicApp> twoApps()
{
    LogicApp a = LogicApp::make(QStringLiteral("Logic Pro"), QStringLiteral("/Applications/Logic Pro.app"), false);
    LogicApp b = LogicApp::make(QStringLiteral("Логик «X»"), QStringLiteral("/Applications/Логик X.app"), true);
    b.hiddenModes = {LaunchArchitecture::rosetta};
    return {a, b};
}

std::optional<QByteArray> defaultsCopy(TempSimulatedMac& mac)
{
    return mac.host().standardDefaults()->data(QStringLiteral("logicApps"));
}

} // namespace

TEST(PersistenceStore, FirstStartLoadsNothingAndLeavesTheFolder)
{
    TempSimulatedMac mac;
    PersistenceStore store;
    EXPECT_TRUE(store.loadApps().isEmpty());
    EXPECT_TRUE(mac.fs().isDirectory(QStringLiteral("~/Library/Application Support/Vantrel")));
    EXPECT_FALSE(mac.fs().exists(filePath));
}

TEST(PersistenceStore, WritesTheFileAndAnIdenticalDefaultsCopy)
{
    TempSimulatedMac mac;
    PersistenceStore store;
    const auto apps = twoApps();
    store.saveApps(apps);
    EXPECT_EQ(store.loadApps(), apps) << "a load right after a save sees the new list";
    auto file = mac.readFile(filePath);
    ASSERT_TRUE(file);
    EXPECT_EQ(defaultsCopy(mac), *file);
    const QJsonArray array = QJsonDocument::fromJson(*file).array();
    ASSERT_EQ(array.size(), 2);
    for (const QJsonValue& record : array) {
        EXPECT_EQ(record.toObject().keys(),
                  (QStringList{QStringLiteral("bundlePath"), QStringLiteral("displayName"),
                               QStringLiteral("hiddenModes"), QStringLiteral("id"), QStringLiteral("isUserDefined")}));
    }
    // Sorted keys in the text itself, not only in the parsed object.
    const qsizetype bundle = file->indexOf("\"bundlePath\"");
    const qsizetype user = file->indexOf("\"isUserDefined\"");
    EXPECT_TRUE(bundle >= 0 && user > bundle);
    EXPECT_TRUE(file->contains("\n")) << "pretty-printed";
}

TEST(PersistenceStore, FallsBackToTheDefaultsCopyAndTheNextSaveRepairsTheFile)
{
    TempSimulatedMac mac;
    PersistenceStore store;
    const auto apps = twoApps();
    store.saveApps(apps);
    store.loadApps();

    ASSERT_TRUE(mac.fs().remove(filePath));
    EXPECT_EQ(store.loadApps(), apps);
    EXPECT_FALSE(mac.fs().exists(filePath)) << "loading never rewrites the file";

    const QList<QByteArray> broken = {
        "{ not json",
        "[{\"id\":\"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D\",\"displayName\":\"x\",\"bundlePath\":\"/"
        "x\",\"hiddenModes\":[\"intel\"]}]",
        "{\"id\":\"D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D\"}",
        QByteArray(),
    };
    for (const QByteArray& content : broken) {
        mac.writeFile(filePath, content);
        EXPECT_EQ(store.loadApps(), apps) << content.toStdString();
    }
    const auto next = QList<LogicApp>{apps[1]};
    store.saveApps(next);
    EXPECT_EQ(store.loadApps(), next); // a load also waits for the queued write
    EXPECT_EQ(LogicApp::decodeList(mac.readFile(filePath).value_or(QByteArray())), next);

    // An empty array in the file wins over a non-empty defaults copy.
    mac.writeFile(filePath, "[ ]");
    EXPECT_TRUE(store.loadApps().isEmpty());

    // Both copies unusable: an empty list.
    mac.writeFile(filePath, "garbage");
    mac.host().standardDefaults()->setValue(QStringLiteral("logicApps"), QByteArray("also garbage"));
    EXPECT_TRUE(store.loadApps().isEmpty());
    mac.host().standardDefaults()->setValue(QStringLiteral("logicApps"), QStringLiteral("a string, not data"));
    EXPECT_TRUE(store.loadApps().isEmpty());
}

TEST(PersistenceStore, QuickSavesEndWithTheLastList)
{
    TempSimulatedMac mac;
    const auto apps = twoApps();
    {
        PersistenceStore store;
        for (int i = 0; i < 20; ++i) {
            store.saveApps(i % 2 ? apps : QList<LogicApp>{});
        }
        store.saveApps({apps[0]});
    } // the store finishes its queued writes before it goes
    EXPECT_EQ(LogicApp::decodeList(mac.readFile(filePath).value_or(QByteArray())), QList<LogicApp>{apps[0]});
    EXPECT_EQ(PersistenceStore().loadApps(), QList<LogicApp>{apps[0]});
}

TEST(PersistenceStore, AProcessKilledInMidBurstLeavesAWholeList)
{
    const QList<LogicApp> candidates[2] = {burstList(0), burstList(1)};
    for (int round = 0; round < 3; ++round) {
        TempSimulatedMac mac;
        QProcess burst;
        burst.start(QStringLiteral(VANTREL_STORE_BURST_HELPER), {mac.root()});
        ASSERT_TRUE(burst.waitForStarted());
        ASSERT_TRUE(burst.waitForReadyRead(10000));
        QThread::msleep(150 + 70 * round);
        burst.kill(); // SIGKILL: no chance to finish anything
        burst.waitForFinished();

        const auto file = LogicApp::decodeList(mac.readFile(filePath).value_or(QByteArray()));
        ASSERT_TRUE(file) << "the file must be a whole list";
        EXPECT_TRUE(*file == candidates[0] || *file == candidates[1]);
        const auto copy = LogicApp::decodeList(defaultsCopy(mac).value_or(QByteArray()));
        ASSERT_TRUE(copy) << "the defaults copy must be a whole list";
        EXPECT_TRUE(*copy == candidates[0] || *copy == candidates[1]);
        const auto loaded = PersistenceStore().loadApps();
        EXPECT_TRUE(loaded == candidates[0] || loaded == candidates[1]);
    }
}
