#include "support/TempSimulatedMac.h"

#include "plist/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using vantrel::PropertyList;
using vantrel::sim::SimulatedMac;
using vantrel::testing::TempSimulatedMac;

namespace {

QString standardFile()
{
    return QStringLiteral("~/Library/Preferences/com.vantrel.app.plist");
}

} // namespace

TEST(SimulatedPreferences, TypedValuesSurviveARestart)
{
    TempSimulatedMac mac;
    const QDateTime when(QDate(2026, 12, 6), QTime(7, 35, 0), QTimeZone::utc());
    {
        auto defaults = mac.host().standardDefaults();
        EXPECT_EQ(defaults->domain(), QStringLiteral("com.vantrel.app"));
        defaults->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        defaults->setValue(QStringLiteral("closeOnFocusLoss"), false);
        defaults->setValue(QStringLiteral("count"), 3);
        defaults->setValue(QStringLiteral("numericText"), QStringLiteral("1"));
        defaults->setValue(QStringLiteral("logicApps"), QByteArray("[{\"id\":1}]"));
        defaults->setValue(QStringLiteral("when"), when);
        EXPECT_TRUE(defaults->synchronize());
    }
    // A second Mac object over the same folder is a new process's view of it.
    SimulatedMac again(mac.root());
    EXPECT_EQ(again.userName(), QStringLiteral("tester"));
    auto defaults = again.preferences()->standard();
    EXPECT_EQ(defaults->string(QStringLiteral("appLanguage")), QStringLiteral("en"));
    EXPECT_EQ(defaults->boolean(QStringLiteral("closeOnFocusLoss")), false);
    EXPECT_EQ(defaults->integer(QStringLiteral("count")), 3);
    EXPECT_EQ(defaults->string(QStringLiteral("numericText")), QStringLiteral("1"));
    EXPECT_EQ(defaults->integer(QStringLiteral("numericText")), std::nullopt) << "a string never reads as a number";
    EXPECT_EQ(defaults->boolean(QStringLiteral("count")), std::nullopt) << "an integer never reads as a boolean";
    EXPECT_EQ(defaults->data(QStringLiteral("logicApps")), QByteArray("[{\"id\":1}]"));
    EXPECT_EQ(defaults->value(QStringLiteral("when")), QVariant(when));
    EXPECT_EQ(defaults->value(QStringLiteral("absent")), std::nullopt);

    defaults->removeValue(QStringLiteral("count"));
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("count")), std::nullopt);
}

TEST(SimulatedPreferences, ReadsComeFromMemoryUntilTheFileChanges)
{
    TempSimulatedMac mac;
    SimulatedMac other(mac.root()); // another process's view of the same disk
    auto mine = mac.host().standardDefaults();
    auto theirs = other.preferences()->standard();
    mine->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    EXPECT_EQ(theirs->string(QStringLiteral("appLanguage")), QStringLiteral("ru"));
    theirs->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    EXPECT_EQ(mine->string(QStringLiteral("appLanguage")), QStringLiteral("en")) << "another writer is seen at once";

    // An edit behind the disk's back is not seen while nothing is written through it, as
    // the Mac's preferences daemon keeps serving what it holds; after any write the file's
    // changed signature makes the next read go to the file.
    QFile file(mac.native(standardFile()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(*PropertyList::serialize(QVariantMap{{QStringLiteral("appLanguage"), QStringLiteral("edited")}},
                                        PropertyList::Format::Xml));
    file.close();
    EXPECT_EQ(mine->string(QStringLiteral("appLanguage")), QStringLiteral("en"));
    mac.writeFile(QStringLiteral("/Applications/unrelated.txt"), "x");
    EXPECT_EQ(mine->string(QStringLiteral("appLanguage")), QStringLiteral("edited"));
    EXPECT_EQ(theirs->string(QStringLiteral("appLanguage")), QStringLiteral("edited"));
}

TEST(SimulatedPreferences, ConcurrentWritersLoseNoKeys)
{
    TempSimulatedMac mac;
    SimulatedMac other(mac.root());
    auto a = mac.mac().preferences()->suite(QStringLiteral("com.apple.logic10"));
    auto b = other.preferences()->suite(QStringLiteral("com.apple.logic10"));
    std::thread first([&] {
        for (int i = 0; i < 40; ++i) {
            a->setValue(QStringLiteral("a%1").arg(i), i);
        }
    });
    std::thread second([&] {
        for (int i = 0; i < 40; ++i) {
            b->setValue(QStringLiteral("b%1").arg(i), i);
        }
    });
    first.join();
    second.join();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(a->integer(QStringLiteral("a%1").arg(i)), i);
        EXPECT_EQ(a->integer(QStringLiteral("b%1").arg(i)), i);
    }
}

TEST(SimulatedPreferences, BadDomainFilesReadAsEmptyAndAreNeverRewritten)
{
    TempSimulatedMac mac;
    // An empty file holds nothing to lose: the first write replaces it.
    mac.writeFile(standardFile(), QByteArray());
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    EXPECT_EQ(mac.host().standardDefaults()->string(QStringLiteral("appLanguage")), QStringLiteral("ru"));

    // What cannot be read (or is no dictionary) may hold what the reader does not know: it
    // reads as empty, and a write leaves it byte for byte.
    auto bin = PropertyList::serialize(QVariantList{QStringLiteral("not a dict")}, PropertyList::Format::Binary);
    ASSERT_TRUE(bin);
    const QList<QByteArray> contents = {QByteArray("garbage that is no plist"),
                                        QByteArray("<?xml version=\"1.0\"?><plist><dict><key>a</key>"), *bin};
    for (const QByteArray& content : contents) {
        mac.writeFile(standardFile(), content);
        auto defaults = mac.host().standardDefaults();
        EXPECT_EQ(defaults->value(QStringLiteral("appLanguage")), std::nullopt);
        defaults->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        defaults->removeValue(QStringLiteral("other"));
        EXPECT_EQ(mac.readFile(standardFile()), std::optional(content)) << "the file is as it was";
        EXPECT_EQ(defaults->value(QStringLiteral("appLanguage")), std::nullopt) << "the write failed, as a read shows";
    }

    // A folder where the file should be cannot be read or replaced; reads stay empty.
    ASSERT_TRUE(mac.fs().remove(standardFile()));
    ASSERT_TRUE(mac.fs().createDirectories(standardFile()));
    auto defaults = mac.host().standardDefaults();
    EXPECT_EQ(defaults->value(QStringLiteral("appLanguage")), std::nullopt);
    defaults->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    EXPECT_EQ(defaults->value(QStringLiteral("appLanguage")), std::nullopt);
}

TEST(SimulatedPreferences, SuitesThatCannotBeOpenedSaySo)
{
    TempSimulatedMac mac;
    auto& prefs = mac.host().preferences();
    QString withNul = QStringLiteral("com.apple");
    withNul.append(QChar(u'\0'));
    for (const QString& name : {QString(), QStringLiteral("../../etc/passwd"), QStringLiteral("a/b"),
                                QStringLiteral(".."), QStringLiteral("."), withNul}) {
        EXPECT_EQ(prefs.suite(name), nullptr) << name.toStdString();
        prefs.setAppValue(QStringLiteral("startupAction"), QVariant(0), name);
        EXPECT_FALSE(prefs.appSynchronize(name));
    }
    EXPECT_EQ(QDir(mac.native(QStringLiteral("~/Library/Preferences"))).entryList(QDir::Files), QStringList{});
    EXPECT_NE(prefs.suite(QStringLiteral("com.apple.logic10")), nullptr);
}

TEST(SimulatedPreferences, TheApplicationValueChannelWritesTheSameDomain)
{
    TempSimulatedMac mac;
    auto& prefs = mac.host().preferences();
    auto suite = prefs.suite(QStringLiteral("com.apple.logic10"));
    ASSERT_TRUE(suite);
    prefs.setAppValue(QStringLiteral("startupAction"), QVariant(0), QStringLiteral("com.apple.logic10"));
    EXPECT_TRUE(prefs.appSynchronize(QStringLiteral("com.apple.logic10")));
    EXPECT_EQ(suite->integer(QStringLiteral("startupAction")), 0);
    EXPECT_TRUE(mac.readFile(QStringLiteral("~/Library/Preferences/com.apple.logic10.plist")).has_value());
    prefs.setAppValue(QStringLiteral("startupAction"), std::nullopt, QStringLiteral("com.apple.logic10"));
    EXPECT_EQ(suite->value(QStringLiteral("startupAction")), std::nullopt);
}
