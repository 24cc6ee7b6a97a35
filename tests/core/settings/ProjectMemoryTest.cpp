// Which copy last opened each project: bounds, what is dropped and what is kept aside.
#include "settings/ProjectMemory.h"
#include "support/HostObjects.h"
#include "support/LaunchLogReader.h"
#include "support/TempSimulatedMac.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;
using M = LaunchArchitecture;

namespace {

struct ProjectMemoryTest : ::testing::Test {
    TempSimulatedMac mac;
    std::shared_ptr<UserDefaults> defaults = mac.host().standardDefaults();
    ProjectMemory memory{defaults, mac.host().fileSystem(), test::logger()};
    const QDateTime when = QDateTime(QDate(2026, 12, 7), QTime(10, 0), QTimeZone::utc());

    QString project(int n)
    {
        const QString path = QStringLiteral("/Users/tester/Music/Song %1.logicx").arg(n);
        mac.writeFile(path + QStringLiteral("/Alternatives/000/ProjectData"), "x");
        return path;
    }
    static LaunchCard card(const QString& name, M mode, bool available = true)
    {
        LogicApp app{
            QUuid::createUuid(), name, QStringLiteral("/Applications/") + name + QStringLiteral(".app"), false, {}};
        return LaunchCard{LaunchCard::makeID(app, mode), app, {}, mode, available, std::nullopt};
    }
    QStringList log()
    {
        test::logger().flush();
        return vantrel::testing::launchLogMessages(mac.native(QStringLiteral("~/Library/Logs/Vantrel/launch.log")));
    }
};

} // namespace

TEST_F(ProjectMemoryTest, TheLatestCopyOfEachProjectIsKeptForTheTwoHundredMostRecent)
{
    const LaunchCard old = card(QStringLiteral("Logic Pro X"), M::rosetta);
    const LaunchCard current = card(QStringLiteral("Logic Pro"), M::native);
    const QString song = project(0);
    memory.remember(song, old, when);
    memory.remember(song + QStringLiteral("/"), current, when.addSecs(60)); // the same project
    ASSERT_EQ(memory.entries().size(), 1);
    EXPECT_EQ(memory.recall(song),
              (ProjectMemory::Entry{song, current.app.idText(), current.app.bundlePath, M::native, when.addSecs(60)}));

    for (int n = 1; n <= ProjectMemory::capacity; ++n) {
        memory.remember(project(n), old, when.addSecs(n));
    }
    const QList<ProjectMemory::Entry> kept = memory.entries();
    ASSERT_EQ(kept.size(), ProjectMemory::capacity);
    EXPECT_EQ(kept.first().projectPath, project(ProjectMemory::capacity)) << "most recent first";
    EXPECT_FALSE(memory.recall(song)) << "the oldest went";

    // A project that is gone is dropped when read, and from the store.
    const QString gone = project(7);
    mac.fs().remove(gone);
    EXPECT_FALSE(memory.recall(gone));
    EXPECT_EQ(memory.entries().size(), ProjectMemory::capacity - 1);
    EXPECT_EQ(ProjectMemory::decode(*defaults->data(QString::fromLatin1(ProjectMemory::historyKey)))->size(),
              ProjectMemory::capacity - 1);
}

TEST_F(ProjectMemoryTest, TheRememberedCardMustStillBeShownAndAbleToStart)
{
    const QString song = project(1);
    LaunchCard rosetta = card(QStringLiteral("Logic Pro X"), M::rosetta);
    memory.remember(song, rosetta, when);
    LaunchCard native = rosetta;
    native.architecture = M::native;
    native.id = LaunchCard::makeID(rosetta.app, M::native);
    EXPECT_EQ(memory.rememberedCard(song, {native, rosetta}), rosetta);
    EXPECT_FALSE(memory.rememberedCard(song, {native})) << "its mode hidden";
    rosetta.isAvailable = false;
    EXPECT_FALSE(memory.rememberedCard(song, {native, rosetta})) << "Rosetta gone";
    // Listed again under a new id at the same place: found by its path.
    LaunchCard readded = card(QStringLiteral("Logic Pro X"), M::rosetta);
    EXPECT_EQ(memory.rememberedCard(song, {readded}), readded);

    // "NO" written by hand reads as off, as the platform reads Booleans.
    defaults->setValue(QString::fromLatin1(ProjectMemory::enabledKey), QStringLiteral("NO"));
    EXPECT_FALSE(memory.isEnabled());
    defaults->removeValue(QString::fromLatin1(ProjectMemory::enabledKey));

    // Off: nothing is recalled, recorded or kept.
    memory.setEnabled(false);
    EXPECT_FALSE(memory.isEnabled());
    EXPECT_FALSE(memory.rememberedCard(song, {readded}));
    memory.remember(project(2), readded, when);
    EXPECT_EQ(defaults->value(QString::fromLatin1(ProjectMemory::historyKey)), std::nullopt);
    memory.setEnabled(true);
    EXPECT_TRUE(memory.entries().isEmpty()) << "turning it off forgot the history";
}

TEST_F(ProjectMemoryTest, AHistoryThatDoesNotDecodeIsKeptAsideBeforeItIsReplaced)
{
    const QString key = QString::fromLatin1(ProjectMemory::historyKey);
    for (const QVariant& stored : {QVariant(QByteArray("{\"from\": \"a newer version\"}")),
                                   QVariant(QByteArray("[1, 2")), QVariant(QStringLiteral("hand-written"))}) {
        defaults->setValue(key, stored);
        EXPECT_TRUE(memory.entries().isEmpty());
        EXPECT_EQ(defaults->value(key), stored) << "reading changes nothing";
        memory.remember(project(1), card(QStringLiteral("Logic Pro"), M::native), when);
        EXPECT_EQ(memory.entries().size(), 1);
        const QStringList aside =
            log().filter(QStringLiteral("stored project history could not be read — kept aside as "));
        ASSERT_FALSE(aside.isEmpty());
        const QString asideKey = aside.last().section(QStringLiteral(" as "), 1);
        const auto kept = defaults->value(asideKey);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->toByteArray(), stored.toByteArray());
        defaults->removeValue(asideKey);
    }
    // A history this version cannot read whole (a newer version's entry, too many) is
    // unreadable as a whole: kept aside, never thinned out.
    EXPECT_FALSE(ProjectMemory::decode(R"([{"project": "/c.logicx", "installationID": "x", "mode": "rosetta"},
                                           {"project": "/d.logicx", "installationID": "x", "mode": "turbo"}])"));
    EXPECT_FALSE(ProjectMemory::decode(R"([7])"));
    QByteArray many = "[";
    for (int n = 0; n <= ProjectMemory::capacity; ++n) {
        many += QByteArray(n ? "," : "") + R"({"project": "/a.logicx", "installationID": "x", "mode": "native"})";
    }
    EXPECT_FALSE(ProjectMemory::decode(many + "]"));
    EXPECT_EQ(ProjectMemory::decode(R"([{"project": "/c.logicx", "installationID": "x", "mode": "rosetta"}])")->size(),
              1);
    // A dictionary stored by hand is kept aside as it was, then forgetting may remove it.
    const QVariantMap dictionary{{QStringLiteral("a"), 1}};
    defaults->setValue(key, dictionary);
    memory.forget();
    const QStringList aside = log().filter(QStringLiteral("stored project history could not be read — kept aside as "));
    EXPECT_EQ(defaults->value(aside.last().section(QStringLiteral(" as "), 1)), QVariant(dictionary));
    EXPECT_EQ(defaults->value(key), std::nullopt);
}
