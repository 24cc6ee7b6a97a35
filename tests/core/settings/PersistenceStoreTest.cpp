#include "settings/PersistenceStore.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "log/LaunchLogger.h"
#include "settings/SettingsManager.h"
#include "support/HostObjects.h"
#include "support/LaunchLogReader.h"
#include "support/TempSimulatedMac.h"

#include <QDir>
#include <QSemaphore>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <thread>

using namespace vantrel;
using vantrel::testing::launchLogMessages;
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

// The simulated disk, with atomic writes held until the test lets them through.
class GatedFileSystem final : public FileSystem {
public:
    explicit GatedFileSystem(FileSystem& disk)
        : m_disk(disk)
    {
    }
    QSemaphore open;

    bool exists(const QString& p) const override { return m_disk.exists(p); }
    bool isDirectory(const QString& p) const override { return m_disk.isDirectory(p); }
    std::optional<QByteArray> readAll(const QString& p, qint64 maxBytes = defaultReadLimit) const override
    {
        return m_disk.readAll(p, maxBytes);
    }
    std::optional<QByteArray> readPrefix(const QString& p, qint64 n, FileStamp* stamp = nullptr) const override
    {
        return m_disk.readPrefix(p, n, stamp);
    }
    std::optional<FileStamp> stamp(const QString& p) const override { return m_disk.stamp(p); }
    bool write(const QString& p, const QByteArray& d) override { return m_disk.write(p, d); }
    bool append(const QString& p, const QByteArray& d) override { return m_disk.append(p, d); }
    bool writeAtomically(const QString& p, const QByteArray& d) override
    {
        open.acquire();
        return m_disk.writeAtomically(p, d);
    }
    bool createDirectories(const QString& p) override { return m_disk.createDirectories(p); }
    bool remove(const QString& p) override { return m_disk.remove(p); }
    std::optional<QStringList> listDirectory(const QString& p) const override { return m_disk.listDirectory(p); }
    QString homeDirectory() const override { return m_disk.homeDirectory(); }
    std::optional<QString> nativePath(const QString& p) const override { return m_disk.nativePath(p); }

private:
    FileSystem& m_disk;
};

} // namespace

TEST(PersistenceStore, ALoadRightAfterASaveWaitsForTheQueuedWrite)
{
    TempSimulatedMac mac;
    GatedFileSystem disk(mac.fs());
    PersistenceStore store(mac.host().standardDefaults(), disk, test::logger());
    const auto apps = twoApps();
    disk.open.release(); // the first write goes through
    store.saveApps(apps);
    EXPECT_EQ(store.loadApps(), apps);

    // The next write is held in the queue; the load must not read the file before it lands.
    const QList<LogicApp> next{apps[1]};
    store.saveApps(next);
    std::thread letThrough([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        disk.open.release();
    });
    EXPECT_EQ(store.loadApps(), next);
    letThrough.join();
}

TEST(PersistenceStore, AnUnreadableListIsKeptAsideBeforeAStartReplacesIt)
{
    TempSimulatedMac mac;
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    mac.addLogicBundle(QStringLiteral("/Applications/Logic Pro.app"));
    // A list a newer version (or a hand edit) left: an unknown mode and an external volume.
    const QByteArray stored = R"([
    {"bundlePath": "/Volumes/Studio SSD/Logic Pro 10.7.app", "displayName": "Studio «SSD»",
     "hiddenModes": ["intel"], "id": "D6A1B5E2-1C3F-4A7B-9E0D-2F4C6B8A1E3D", "isUserDefined": true}
]
)";
    mac.writeFile(filePath, stored);
    mac.host().standardDefaults()->setValue(QStringLiteral("logicApps"), stored);

    // A start: load, scan, seed from the scan (which saves).
    auto store = test::store();
    auto scanner = test::scanner(test::detector());
    SettingsManager settings(store, scanner);
    EXPECT_TRUE(settings.apps().isEmpty());
    settings.seedFromScanIfNeeded(scanner->scan(settings.apps()));
    ASSERT_EQ(settings.apps().size(), 1);
    EXPECT_EQ(store->loadApps(), settings.apps());

    const QDir folder(mac.native(QStringLiteral("~/Library/Application Support/Vantrel")));
    const QStringList aside = folder.entryList({QStringLiteral("logic-apps.json.unreadable-*")});
    ASSERT_EQ(aside.size(), 1) << "the file and its identical defaults copy are kept once";
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^logic-apps\\.json\\.unreadable-\\d{8}T\\d{6}Z$"))
                    .match(aside[0])
                    .hasMatch())
        << aside[0].toStdString();
    const QString asidePath = QStringLiteral("~/Library/Application Support/Vantrel/") + aside[0];
    EXPECT_EQ(mac.readFile(asidePath), stored) << "byte for byte";
    test::logger().flush();
    const QStringList lines = launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")));
    EXPECT_EQ(lines, QStringList{QStringLiteral("stored installation list could not be read — kept aside as ")
                                 + mac.fs().expandTilde(asidePath)});

    // Later saves have nothing more to keep.
    settings.renameApp(settings.apps()[0].id, QStringLiteral("Main"));
    EXPECT_EQ(folder.entryList({QStringLiteral("logic-apps.json.unreadable-*")}).size(), 1);

    // A good file does not make an unreadable defaults copy expendable.
    mac.host().standardDefaults()->setValue(QStringLiteral("logicApps"), QByteArray("[{\"id\": 1}]"));
    EXPECT_EQ(store->loadApps(), settings.apps());
    store->saveApps(settings.apps());
    EXPECT_EQ(folder.entryList({QStringLiteral("logic-apps.json.unreadable-*")}).size(), 2);
}

TEST(PersistenceStore, FirstStartLoadsNothingAndLeavesTheFolder)
{
    TempSimulatedMac mac;
    PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
    EXPECT_TRUE(store.loadApps().isEmpty());
    EXPECT_TRUE(mac.fs().isDirectory(QStringLiteral("~/Library/Application Support/Vantrel")));
    EXPECT_FALSE(mac.fs().exists(filePath));
}

TEST(PersistenceStore, WritesTheFileAndAnIdenticalDefaultsCopy)
{
    TempSimulatedMac mac;
    PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
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
    PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
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
        PersistenceStore store(test::host().standardDefaults(), test::host().fileSystem(), test::logger());
        for (int i = 0; i < 20; ++i) {
            store.saveApps(i % 2 ? apps : QList<LogicApp>{});
        }
        store.saveApps({apps[0]});
    } // the store finishes its queued writes before it goes
    EXPECT_EQ(LogicApp::decodeList(mac.readFile(filePath).value_or(QByteArray())), QList<LogicApp>{apps[0]});
    EXPECT_EQ(test::store()->loadApps(), QList<LogicApp>{apps[0]});
}
