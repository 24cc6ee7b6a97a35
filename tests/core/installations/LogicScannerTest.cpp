#include "installations/LogicScanner.h"
#include "installations/AppConstants.h"
#include "installations/ArchitectureDetector.h"
#include "platform/HostPath.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/HostObjects.h"
#include "support/RecordingFileSystem.h"
#include "support/TempSimulatedMac.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::testing::RecordingFileSystem;
using vantrel::testing::TempSimulatedMac;

namespace {

void app(TempSimulatedMac& mac, const QString& path, std::optional<QString> identifier,
         const QString& version = QStringLiteral("11.0"))
{
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = path, .identifier = std::move(identifier), .shortVersion = version}));
}

QStringList names(const QList<ResolvedLogicApp>& apps)
{
    QStringList out;
    for (const auto& r : apps) {
        out << r.app.displayName;
    }
    return out;
}

struct ScannerTest : ::testing::Test {
    TempSimulatedMac mac;
    std::shared_ptr<LogicScanner> scannerObject = test::scanner();
    LogicScanner& scanner = *scannerObject;

    bool isLogic(const char* path) const { return scanner.isLogicProApp(HostPath::fileURL(QString::fromUtf8(path))); }
};

} // namespace

TEST_F(ScannerTest, TellsLogicProByIdentifierAndByName)
{
    app(mac, QStringLiteral("/Applications/GarageBand.app"), QStringLiteral("com.apple.garageband10"));
    app(mac, QStringLiteral("/Applications/Beta.app"), QStringLiteral("com.apple.LogicProBeta"));
    app(mac, QStringLiteral("/Applications/Foreign Logic.app"), QStringLiteral("com.example.logic"));
    app(mac, QStringLiteral("/Applications/Known.app"), QStringLiteral("com.apple.mobilelogic"));
    app(mac, QStringLiteral("/Applications/logic.app"), std::nullopt);
    app(mac, QStringLiteral("/Applications/My Logic Pro X Copy.app"), std::nullopt);
    app(mac, QStringLiteral("/Applications/Logician.app"), std::nullopt);
    app(mac, QStringLiteral("/Applications/Logic Pro.APP"), std::nullopt);
    app(mac, QStringLiteral("/Applications/Logic Pro.zip"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/Renamed.app"), QStringLiteral("com.vantrel.app"));
    app(mac, QStringLiteral("/Applications/VANTREL.app"), QStringLiteral("com.apple.logic10"));

    EXPECT_FALSE(isLogic("/Applications/GarageBand.app"));
    EXPECT_TRUE(isLogic("/Applications/Beta.app"));
    EXPECT_FALSE(isLogic("/Applications/Foreign Logic.app")) << "a foreign prefix decides before the name";
    EXPECT_TRUE(isLogic("/Applications/Known.app"));
    EXPECT_TRUE(isLogic("/Applications/logic.app"));
    EXPECT_TRUE(isLogic("/Applications/My Logic Pro X Copy.app"));
    EXPECT_FALSE(isLogic("/Applications/Logician.app"));
    EXPECT_TRUE(isLogic("/Applications/Logic Pro.APP"));
    EXPECT_FALSE(isLogic("/Applications/Logic Pro.zip"));
    EXPECT_FALSE(isLogic("/Applications/Renamed.app")) << "the launcher under another name";
    EXPECT_FALSE(isLogic("/Applications/VANTREL.app")) << "any bundle named Vantrel.app";
    EXPECT_FALSE(isLogic("/Applications/Vantrel.app")) << "the launcher's own bundle";
}

TEST_F(ScannerTest, FindsCopiesInBothFoldersSortedByNameWhenNothingIsStored)
{
    app(mac, QStringLiteral("/Applications/Logic Pro X.app"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/Logic Pro Beta.app"), QStringLiteral("com.apple.LogicProBeta"));
    app(mac, QStringLiteral("~/Applications/logic pro 10.4.app"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/Audio/Logic Pro Nested.app"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/.Logic Hidden.app"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/Vantrel.app"), QStringLiteral("com.vantrel.app"));

    const auto result = scanner.scan({});
    // Localized, case-insensitive: digits before letters, case ignored.
    EXPECT_EQ(names(result), (QStringList{QStringLiteral("logic pro 10.4"), QStringLiteral("Logic Pro Beta"),
                                          QStringLiteral("Logic Pro X")}));
    for (const auto& r : result) {
        EXPECT_FALSE(r.isMissing);
        EXPECT_TRUE(r.metadata.has_value());
        EXPECT_FALSE(r.app.isUserDefined);
        EXPECT_TRUE(r.app.hiddenModes.isEmpty());
    }
    EXPECT_EQ(result[0].app.bundlePath, QStringLiteral("/Users/tester/Applications/logic pro 10.4.app"));
    // Discovered copies get fresh identities on every scan until they are stored.
    EXPECT_NE(scanner.scan({})[0].app.id, result[0].app.id);
}

TEST_F(ScannerTest, AFullFolderIsReadSeveralAtATimeWithTheSameAnswer)
{
    // Enough bundles for the scan to share them between threads; every other one is Logic Pro.
    constexpr int count = 100;
    for (int i = 0; i < count; ++i) {
        const QString path = u"/Applications/App %1.app"_qs.arg(i, 3, 10, QLatin1Char('0'));
        ASSERT_TRUE(writeBundle(mac.fs(), {.path = path,
                                           .identifier = i % 2 == 0 ? u"com.apple.logic10"_qs : u"com.example.app"_qs,
                                           .shortVersion = u"11.%1"_qs.arg(i),
                                           .slices = i % 4 == 0 ? QList<MachO::Slice>{{MachO::cpuTypeArm64}}
                                                                : QList<MachO::Slice>{{MachO::cpuTypeX86_64}}}));
    }
    const auto result = scanner.scan({});
    ASSERT_EQ(result.size(), count / 2);
    for (qsizetype k = 0; k < result.size(); ++k) {
        const int i = int(k) * 2;
        EXPECT_EQ(result[k].app.displayName, u"App %1"_qs.arg(i, 3, 10, QLatin1Char('0')));
        ASSERT_TRUE(result[k].metadata.has_value());
        EXPECT_EQ(result[k].metadata->shortVersion, u"11.%1"_qs.arg(i));
        EXPECT_EQ(result[k].metadata->executableArchitectures,
                  SliceSet{i % 4 == 0 ? BinaryArchitecture::arm64 : BinaryArchitecture::x86_64});
    }
}

TEST_F(ScannerTest, StoredEntriesKeepTheirOrderAndIdentity)
{
    app(mac, QStringLiteral("/Applications/Logic Pro.app"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/Logic Pro X.app"), QStringLiteral("com.apple.logic10"));
    app(mac, QStringLiteral("/Applications/Alpha Logic Pro.app"), QStringLiteral("com.apple.logic10"));
    writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Logic Pro Broken.app"),
                           .identifier = QStringLiteral("com.apple.logic10")});

    LogicApp dotted{QUuid::createUuid(),
                    QStringLiteral("My Main Logic"),
                    QStringLiteral("/Applications/./Logic Pro.app"),
                    true,
                    {LaunchArchitecture::rosetta}};
    LogicApp gone{
        QUuid::createUuid(), QStringLiteral("Moved Away"), QStringLiteral("/Volumes/Old/Logic Pro.app"), true, {}};
    LogicApp first{
        QUuid::createUuid(), QStringLiteral("First X"), QStringLiteral("/Applications/Logic Pro X.app"), false, {}};
    LogicApp second{
        QUuid::createUuid(), QStringLiteral("Second X"), QStringLiteral("/Applications/Logic Pro X.app/"), true, {}};
    LogicApp broken{
        QUuid::createUuid(), QStringLiteral("Broken"), QStringLiteral("/Applications/Logic Pro Broken.app"), false, {}};
    LogicApp own{QUuid::createUuid(), QStringLiteral("Me"), QStringLiteral("/Applications/Vantrel.app"), true, {}};
    LogicApp goneAgain{QUuid::createUuid(),
                       QStringLiteral("Moved Away Again"),
                       QStringLiteral("/Volumes/Old/../Old/Logic Pro.app"),
                       false,
                       {}};

    // Over a disk that records its reads: every Info.plist is read once in the whole scan
    // (discovery, the own-application test, metadata, slices).
    RecordingFileSystem recording(mac.fs());
    const LogicScanner recorded(recording, VersionReader(recording), std::make_shared<ArchitectureDetector>(recording),
                                mac.host().ownBundlePath());
    const auto result = recorded.scan({gone, first, dotted, second, own, broken, goneAgain});
    QStringList reads = recording.readAllPaths;
    reads.removeDuplicates();
    EXPECT_EQ(reads.size(), recording.readAllPaths.size()) << recording.readAllPaths.join(u'\n').toStdString();
    ASSERT_EQ(result.size(), 5);
    EXPECT_EQ(names(result), (QStringList{QStringLiteral("Moved Away Again"), QStringLiteral("Second X"),
                                          QStringLiteral("My Main Logic"), QStringLiteral("Broken"),
                                          QStringLiteral("Alpha Logic Pro")}));
    // A stored bundle that has gone stays, marked missing; stored twice, the last entry holds.
    EXPECT_TRUE(result[0].isMissing);
    EXPECT_EQ(result[0].app, goneAgain);
    EXPECT_EQ(result[0].metadata, std::nullopt);
    // Two stored entries for one path: one result at the first's place, with the second's identity.
    EXPECT_EQ(result[1].app.id, second.id);
    EXPECT_TRUE(result[1].app.isUserDefined);
    EXPECT_EQ(result[1].app.bundlePath, QStringLiteral("/Applications/Logic Pro X.app")) << "the path as discovered";
    // The stored identity and choices with the discovered path string.
    EXPECT_EQ(result[2].app.id, dotted.id);
    EXPECT_EQ(result[2].app.hiddenModes, QSet<LaunchArchitecture>{LaunchArchitecture::rosetta});
    EXPECT_EQ(result[2].app.bundlePath, QStringLiteral("/Applications/Logic Pro.app"));
    // A bundle without a short version exists but counts as missing.
    EXPECT_TRUE(result[3].isMissing);
    EXPECT_EQ(result[3].metadata, std::nullopt);
    EXPECT_FALSE(result[4].isMissing);
}

TEST_F(ScannerTest, HostileFoldersAndNamesNeverStopTheScan)
{
    app(mac, QStringLiteral("/Applications/Logic Pro «Тест» 🎹 \"q\".app"), QStringLiteral("com.apple.logic10"));
    // A link loop, a link out of the simulated disk and a dangling link in /Applications.
    ASSERT_TRUE(QFile::link(mac.native(QStringLiteral("/Applications/Logic Pro Loop B.app")),
                            mac.native(QStringLiteral("/Applications/Logic Pro Loop A.app"))));
    ASSERT_TRUE(QFile::link(mac.native(QStringLiteral("/Applications/Logic Pro Loop A.app")),
                            mac.native(QStringLiteral("/Applications/Logic Pro Loop B.app"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr"), mac.native(QStringLiteral("/Applications/Logic Pro Outside.app"))));
    // The user's Applications folder is a file: it cannot be listed.
    mac.fs().remove(QStringLiteral("~/Applications"));
    mac.writeFile(QStringLiteral("~/Applications"), "not a folder");

    const auto result = scanner.scan({});
    // Links without a readable bundle behind them are discovered by name, then resolve as missing.
    QStringList readable;
    for (const auto& r : result) {
        if (!r.isMissing) {
            readable << r.app.displayName;
        }
    }
    EXPECT_EQ(readable, QStringList{QStringLiteral("Logic Pro «Тест» 🎹 \"q\"")});
    EXPECT_EQ(result.size(), 4);
}

TEST(AppConstants, TheLaunchersOwnBundleUnderAnyName)
{
    TempSimulatedMac mac;
    writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Tools/Launcher Copy.app"),
                           .identifier = QStringLiteral("com.vantrel.app")});
    EXPECT_TRUE(test::scanner()->isOwnApplication(HostPath::fileURL(QStringLiteral("/Applications/./Vantrel.app"))));
    EXPECT_TRUE(
        test::scanner()->isOwnApplication(HostPath::fileURL(QStringLiteral("/Applications/Tools/Launcher Copy.app"))));
    EXPECT_TRUE(test::scanner()->isOwnApplication(HostPath::fileURL(QStringLiteral("/Volumes/X/vantrel.APP"))));
    EXPECT_FALSE(
        test::scanner()->isOwnApplication(HostPath::fileURL(QStringLiteral("/Applications/Vantrel Helper.app"))));
}
