#include "installations/VersionReader.h"
#include "installations/ArchitectureDetector.h"
#include "platform/HostPath.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::testing::TempSimulatedMac;

namespace {

QUrl url(const QString& path)
{
    return HostPath::fileURL(path);
}

} // namespace

TEST(VersionReader, ReadsMetadataInOrderWithTrimmingAndFallbacks)
{
    TempSimulatedMac mac;
    VersionReader reader = test::versionReader();
    ArchitectureDetector detector(test::host().fileSystem());
    const QString path = QStringLiteral("/Applications/Logic Pro X.app");
    writeBundle(mac.fs(), {.path = path,
                           .identifier = QStringLiteral("com.apple.logic10"),
                           .shortVersion = QStringLiteral("  11.0.1\n"),
                           .buildVersion = QStringLiteral(" 6013 "),
                           .displayName = QStringLiteral("Logic Pro"),
                           .bundleName = QStringLiteral("Logic Pro Name"),
                           .slices = {{MachO::cpuTypeArm64}}});
    auto metadata = reader.metadata(url(path), detector);
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->shortVersion, QStringLiteral("11.0.1"));
    EXPECT_EQ(metadata->bundleIdentifier, QStringLiteral("com.apple.logic10"));
    EXPECT_EQ(metadata->buildVersion, QStringLiteral(" 6013 ")) << "the build is taken as found";
    EXPECT_EQ(metadata->displayName, QStringLiteral("Logic Pro"));
    EXPECT_EQ(metadata->executableArchitectures, SliceSet{BinaryArchitecture::arm64});
    EXPECT_EQ(metadata->icon, NSImageRef{path});
    EXPECT_EQ(reader.bundleIdentifier(url(path)), QStringLiteral("com.apple.logic10"));

    // The name falls back to CFBundleName, then to the file name; an empty string is kept.
    writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/A.app"),
                           .shortVersion = QStringLiteral("1"),
                           .bundleName = QStringLiteral("From Name")});
    EXPECT_EQ(reader.metadata(url(QStringLiteral("/Applications/A.app")), detector)->displayName,
              QStringLiteral("From Name"));
    writeBundle(mac.fs(),
                {.path = QStringLiteral("/Applications/Logic Pro 10.7.app"), .shortVersion = QStringLiteral("10.7")});
    auto byFile = reader.metadata(url(QStringLiteral("/Applications/Logic Pro 10.7.app")), detector);
    ASSERT_TRUE(byFile);
    EXPECT_EQ(byFile->displayName, QStringLiteral("Logic Pro 10.7"));
    EXPECT_EQ(byFile->bundleIdentifier, std::nullopt);
    EXPECT_EQ(byFile->buildVersion, std::nullopt);
    writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/B.app"),
                           .shortVersion = QStringLiteral("1"),
                           .displayName = QStringLiteral(""),
                           .bundleName = QStringLiteral("ignored")});
    EXPECT_EQ(reader.metadata(url(QStringLiteral("/Applications/B.app")), detector)->displayName, QString());
}

TEST(VersionReader, NoUsableShortVersionMeansNoMetadata)
{
    TempSimulatedMac mac;
    VersionReader reader = test::versionReader();
    ArchitectureDetector detector(test::host().fileSystem());
    writeBundle(mac.fs(),
                {.path = QStringLiteral("/Applications/Blank.app"), .shortVersion = QStringLiteral(" \t\n\u00a0")});
    writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/None.app")});
    writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Number.app"),
                           .extraInfo = {{QStringLiteral("CFBundleShortVersionString"), 11}}});
    for (const char* bundle : {"/Applications/Blank.app", "/Applications/None.app", "/Applications/Number.app",
                               "/Applications/Absent.app"}) {
        EXPECT_EQ(reader.metadata(url(QString::fromUtf8(bundle)), detector), std::nullopt) << bundle;
    }
    mac.writeFile(QStringLiteral("/Applications/Corrupt.app/Contents/Info.plist"), QByteArray(100, '\xff'));
    EXPECT_EQ(reader.metadata(url(QStringLiteral("/Applications/Corrupt.app")), detector), std::nullopt);
    EXPECT_EQ(reader.bundleIdentifier(url(QStringLiteral("/Applications/Corrupt.app"))), std::nullopt);
}

TEST(VersionReader, AMissingExecutableStillGivesMetadataWithoutSlices)
{
    TempSimulatedMac mac;
    VersionReader reader = test::versionReader();
    ArchitectureDetector detector(test::host().fileSystem());
    const QString path = QStringLiteral("/Applications/Логик «Про» 🎹 \"x\".app");
    writeBundle(mac.fs(), {.path = path, .shortVersion = QStringLiteral("11.2"), .writeExecutable = false});
    auto metadata = reader.metadata(url(path), detector);
    ASSERT_TRUE(metadata);
    EXPECT_TRUE(metadata->executableArchitectures.isEmpty());
    EXPECT_EQ(metadata->displayName, QStringLiteral("Логик «Про» 🎹 \"x\""));
}
