#include "settings/SettingsManager.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "model/LauncherError.h"
#include "settings/LogicAppStoring.h"
#include "settings/PersistenceStore.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;

namespace {

// Keeps the list in memory and counts saves.
class MemoryStore final : public LogicAppStoring {
public:
    QList<LogicApp> stored;
    int saves = 0;
    QList<LogicApp> loadApps() override { return stored; }
    void saveApps(const QList<LogicApp>& apps) override
    {
        stored = apps;
        ++saves;
    }
};

struct SettingsTest : ::testing::Test {
    TempSimulatedMac mac;
    std::shared_ptr<MemoryStore> store = std::make_shared<MemoryStore>();
    std::shared_ptr<LogicScanner> scanner = test::scanner(test::detector());

    void SetUp() override
    {
        for (const char* path :
             {"/Applications/Logic Pro.app", "/Applications/Logic Pro X.app", "/Applications/Логик Про.app"}) {
            ASSERT_TRUE(sim::writeBundle(mac.fs(), {.path = QString::fromUtf8(path),
                                                    .identifier = QStringLiteral("com.apple.logic10"),
                                                    .shortVersion = QStringLiteral("11.0")}));
        }
        sim::writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Notes.app"),
                                    .identifier = QStringLiteral("com.apple.Notes"),
                                    .shortVersion = QStringLiteral("4.0")});
        sim::writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Vantrel.app"),
                                    .identifier = QStringLiteral("com.vantrel.app"),
                                    .shortVersion = QStringLiteral("1.0")});
    }

    std::unique_ptr<SettingsManager> manager() { return std::make_unique<SettingsManager>(store, scanner); }

    static LauncherError::Case refusal(const std::function<void()>& edit)
    {
        try {
            edit();
        } catch (const LauncherError& error) {
            return error.kind();
        }
        ADD_FAILURE() << "the edit was not refused";
        return LauncherError::Case::operationCancelled;
    }
};

LogicApp record(const QString& name, const QString& path)
{
    return LogicApp::make(name, path, false);
}

QStringList names(const QList<LogicApp>& apps)
{
    QStringList out;
    for (const auto& app : apps) {
        out << app.displayName;
    }
    return out;
}

} // namespace

TEST_F(SettingsTest, ReloadDropsTheLauncherItselfAndCleansTheStore)
{
    store->stored = {record(QStringLiteral("Logic"), QStringLiteral("/Applications/Logic Pro.app")),
                     record(QStringLiteral("Me"), QStringLiteral("/Applications/./Vantrel.app")),
                     record(QStringLiteral("Me too"), QStringLiteral("/Volumes/USB/vantrel.app"))};
    auto settings = manager();
    EXPECT_EQ(names(settings->apps()), QStringList{QStringLiteral("Logic")});
    EXPECT_EQ(store->saves, 1);
    EXPECT_EQ(names(store->stored), QStringList{QStringLiteral("Logic")});

    settings->reload();
    EXPECT_EQ(store->saves, 1) << "nothing dropped, nothing saved";
}

TEST_F(SettingsTest, SeedsOnlyAnEmptyList)
{
    auto settings = manager();
    const auto scanned = scanner->scan({});
    ASSERT_EQ(scanned.size(), 3);
    int changes = 0;
    QObject::connect(settings.get(), &SettingsManager::appsChanged, [&] { ++changes; });
    settings->seedFromScanIfNeeded({});
    EXPECT_EQ(store->saves, 0);
    settings->seedFromScanIfNeeded(scanned);
    EXPECT_EQ(store->saves, 1);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(settings->apps().size(), 3);
    EXPECT_EQ(settings->apps()[0].id, scanned[0].app.id) << "persisted with this scan's identifiers, in scan order";
    settings->seedFromScanIfNeeded(scanner->scan(settings->apps()));
    EXPECT_EQ(store->saves, 1);
}

TEST_F(SettingsTest, AddingValidatesAndReplacesTheSameBundle)
{
    auto settings = manager();
    EXPECT_EQ(refusal([&] { settings->addApp({}, QStringLiteral("/Applications/Missing.app")); }),
              LauncherError::Case::invalidBundle);
    EXPECT_EQ(refusal([&] { settings->addApp({}, QStringLiteral("/Applications/Logic Pro.zip")); }),
              LauncherError::Case::invalidBundle);
    EXPECT_EQ(refusal([&] { settings->addApp({}, QStringLiteral("/Applications/Notes.app")); }),
              LauncherError::Case::notLogicPro);
    EXPECT_EQ(refusal([&] { settings->addApp({}, QStringLiteral("/Applications/Vantrel.app")); }),
              LauncherError::Case::notLogicPro);
    EXPECT_EQ(store->saves, 0);
    EXPECT_TRUE(settings->apps().isEmpty());

    settings->addApp(QStringLiteral("  "), QStringLiteral("/Applications/../Applications/Logic Pro X.app/"));
    ASSERT_EQ(settings->apps().size(), 1);
    EXPECT_EQ(settings->apps()[0].displayName, QStringLiteral("Logic Pro X")) << "a blank name takes the bundle's name";
    EXPECT_EQ(settings->apps()[0].bundlePath, QStringLiteral("/Applications/Logic Pro X.app"));
    EXPECT_TRUE(settings->apps()[0].isUserDefined);

    settings->addApp(QStringLiteral(" Main "), QStringLiteral("/Applications/Логик Про.app"));
    EXPECT_EQ(settings->apps()[1].displayName, QStringLiteral(" Main ")) << "added names are kept as typed";

    const QUuid firstID = settings->apps()[0].id;
    settings->setModeHidden(firstID, LaunchArchitecture::rosetta, true);
    settings->addApp(QStringLiteral("Again"), QStringLiteral("/Applications/./Logic Pro X.app"));
    ASSERT_EQ(settings->apps().size(), 2);
    EXPECT_EQ(names(settings->apps()), (QStringList{QStringLiteral(" Main "), QStringLiteral("Again")}));
    EXPECT_NE(settings->apps()[1].id, firstID);
    EXPECT_TRUE(settings->apps()[1].hiddenModes.isEmpty());
    EXPECT_EQ(store->stored, settings->apps());
}

TEST_F(SettingsTest, ATypedHomePathIsTheSameInstallationAsTheScannedOne)
{
    ASSERT_TRUE(sim::writeBundle(mac.fs(), {.path = QStringLiteral("~/Applications/Mine.app"),
                                            .identifier = QStringLiteral("com.apple.logic10"),
                                            .shortVersion = QStringLiteral("11.0")}));
    auto settings = manager();
    settings->addApp({}, QStringLiteral("~/Applications/Mine.app"));
    ASSERT_EQ(settings->apps().size(), 1);
    EXPECT_EQ(settings->apps()[0].bundlePath, QStringLiteral("/Users/tester/Applications/Mine.app"));
    // The scan finds it under the same key: one installation, not two.
    EXPECT_EQ(scanner->scan(settings->apps()).size(), 4);
    settings->addApp({}, QStringLiteral("/Users/tester/Applications/Mine.app"));
    EXPECT_EQ(settings->apps().size(), 1) << "the absolute path replaces it";

    const QUuid id = settings->apps()[0].id;
    settings->updatePath(id, QStringLiteral("~/Applications/../../../Applications/Logic Pro.app"));
    EXPECT_EQ(settings->apps()[0].bundlePath, QStringLiteral("/Applications/Logic Pro.app"));
    for (const char* relative : {"Applications/Logic Pro.app", "./Logic Pro.app", "~nobody/Applications/Mine.app"}) {
        EXPECT_EQ(refusal([&] { settings->addApp({}, QString::fromUtf8(relative)); }),
                  LauncherError::Case::invalidBundle)
            << relative;
    }
}

TEST_F(SettingsTest, RecordsSharingAnIdGetIdsOfTheirOwnOnLoad)
{
    LogicApp first = record(QStringLiteral("One"), QStringLiteral("/Applications/Logic Pro.app"));
    LogicApp second = record(QStringLiteral("Two"), QStringLiteral("/Applications/Logic Pro X.app"));
    LogicApp third = record(QStringLiteral("Three"), QStringLiteral("/Applications/Логик Про.app"));
    second.id = first.id;
    third.id = first.id;
    store->stored = {first, second, third};
    auto settings = manager();
    ASSERT_EQ(settings->apps().size(), 3);
    EXPECT_EQ(settings->apps()[0], first) << "the first keeps its id";
    const QSet<QUuid> ids{settings->apps()[0].id, settings->apps()[1].id, settings->apps()[2].id};
    EXPECT_EQ(ids.size(), 3);
    EXPECT_EQ(names(settings->apps()),
              (QStringList{QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")}));
    EXPECT_EQ(store->saves, 1);
    EXPECT_EQ(store->stored, settings->apps());
    settings->reload();
    EXPECT_EQ(store->saves, 1) << "a clean list is not saved again";
}

TEST_F(SettingsTest, RepointingRenamingRemovingAndHiding)
{
    auto settings = manager();
    settings->addApp(QStringLiteral("One"), QStringLiteral("/Applications/Logic Pro.app"));
    const QUuid id = settings->apps()[0].id;
    settings->setModeHidden(id, LaunchArchitecture::native, true);
    const int saves = store->saves;

    EXPECT_EQ(refusal([&] { settings->updatePath(id, QStringLiteral("/Applications/Notes.app")); }),
              LauncherError::Case::notLogicPro);
    EXPECT_EQ(store->saves, saves);
    settings->updatePath(QUuid::createUuid(), QStringLiteral("/Applications/Logic Pro X.app"));
    EXPECT_EQ(store->saves, saves) << "an unknown entry is ignored";

    settings->updatePath(id, QStringLiteral("/Applications/Logic Pro X.app"));
    EXPECT_EQ(settings->apps()[0].id, id);
    EXPECT_EQ(settings->apps()[0].displayName, QStringLiteral("One"));
    EXPECT_EQ(settings->apps()[0].bundlePath, QStringLiteral("/Applications/Logic Pro X.app"));
    EXPECT_EQ(settings->apps()[0].hiddenModes, QSet<LaunchArchitecture>{LaunchArchitecture::native});

    const int beforeRename = store->saves;
    settings->renameApp(id, QStringLiteral(" \n "));
    EXPECT_EQ(store->saves, beforeRename) << "a blank name changes nothing";
    settings->renameApp(id, QStringLiteral(" Main "));
    EXPECT_EQ(settings->apps()[0].displayName, QStringLiteral("Main")) << "renames are trimmed";

    const int beforeHide = store->saves;
    settings->setModeHidden(id, LaunchArchitecture::rosetta, true);
    settings->setModeHidden(id, LaunchArchitecture::rosetta, true);
    EXPECT_EQ(store->saves, beforeHide + 2);
    EXPECT_EQ(settings->apps()[0].hiddenModes.size(), 2);
    settings->setModeHidden(id, LaunchArchitecture::native, false);
    EXPECT_EQ(settings->apps()[0].hiddenModes, QSet<LaunchArchitecture>{LaunchArchitecture::rosetta});

    const int beforeRemove = store->saves;
    settings->removeApp(QUuid::createUuid());
    EXPECT_EQ(store->saves, beforeRemove + 1) << "remove saves even when nothing went";
    settings->removeApp(id);
    EXPECT_TRUE(settings->apps().isEmpty());
}

TEST_F(SettingsTest, MovesFollowListMoveOffsets)
{
    store->stored = {record(QStringLiteral("A"), QStringLiteral("/a.app")),
                     record(QStringLiteral("B"), QStringLiteral("/b.app")),
                     record(QStringLiteral("C"), QStringLiteral("/c.app"))};
    auto settings = manager();
    settings->moveApps({0}, 3);
    EXPECT_EQ(names(settings->apps()), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    settings->moveApps({1}, 0);
    EXPECT_EQ(names(settings->apps()), (QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));
    settings->moveApps({0, 2}, 2);
    EXPECT_EQ(names(settings->apps()), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    settings->moveApps({0}, 0);
    EXPECT_EQ(names(settings->apps()), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    settings->moveApps({7, -1}, 99);
    EXPECT_EQ(names(settings->apps()), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}))
        << "offsets outside the list are ignored";
    EXPECT_EQ(names(store->stored), names(settings->apps()));
}
