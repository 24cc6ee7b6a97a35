#include "installations/ArchitectureDetector.h"
#include "platform/HostPath.h"
#include "plist/PropertyList.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/RecordingFileSystem.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::testing::RecordingFileSystem;
using vantrel::testing::TempSimulatedMac;
using A = BinaryArchitecture;

namespace {

SliceSet parse(const QByteArray& bytes)
{
    return ArchitectureDetector::architecturesFromMachOHeader(bytes);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values) {
        out.append(char(v));
    }
    return out;
}

QUrl url(const char* path)
{
    return HostPath::fileURL(QString::fromUtf8(path));
}

} // namespace

TEST(MachOHeader, ThinHeadersInBothByteOrders)
{
    EXPECT_EQ(parse(bytes({0xCF, 0xFA, 0xED, 0xFE, 0x0C, 0x00, 0x00, 0x01})), SliceSet{A::arm64});
    EXPECT_EQ(parse(bytes({0xCF, 0xFA, 0xED, 0xFE, 0x07, 0x00, 0x00, 0x01})), SliceSet{A::x86_64});
    EXPECT_EQ(parse(bytes({0xFE, 0xED, 0xFA, 0xCF, 0x01, 0x00, 0x00, 0x0C})), SliceSet{A::arm64});
    EXPECT_EQ(parse(bytes({0xCF, 0xFA, 0xED, 0xFE, 0x12, 0x00, 0x00, 0x00})), SliceSet{}) << "PowerPC and others";
    EXPECT_EQ(parse(MachO::header({{MachO::cpuTypeX86_64}}, MachO::ByteOrder::big)), SliceSet{A::x86_64});
}

TEST(MachOHeader, UniversalHeadersWalkTheirRecords)
{
    using MachO::ByteOrder;
    const QList<MachO::Slice> both = {{MachO::cpuTypeX86_64}, {MachO::cpuTypeArm64}};
    EXPECT_EQ(parse(MachO::header(both, ByteOrder::big)), (SliceSet{A::arm64, A::x86_64}));
    EXPECT_EQ(parse(MachO::header(both, ByteOrder::little)), (SliceSet{A::arm64, A::x86_64}));
    // arm64e shares arm64's CPU type; i386 is unknown and skipped.
    EXPECT_EQ(parse(MachO::header(
                  {{MachO::cpuTypeI386}, {MachO::cpuTypeArm64, MachO::cpuSubtypeArm64e}, {MachO::cpuTypeX86_64}})),
              (SliceSet{A::arm64, A::x86_64}));
    EXPECT_EQ(parse(MachO::header({{MachO::cpuTypeArm64}}, ByteOrder::big, true)), SliceSet{A::arm64});
    EXPECT_EQ(parse(MachO::header({}, ByteOrder::big, true)), SliceSet{}) << "a count of 0";

    // Three records declared, only the first record's leading 8 bytes present.
    QByteArray truncated =
        MachO::header({{MachO::cpuTypeX86_64}, {MachO::cpuTypeArm64}, {MachO::cpuTypeArm64}}, ByteOrder::big, true, 0);
    EXPECT_EQ(parse(truncated.left(16)), SliceSet{A::x86_64});
    EXPECT_EQ(parse(truncated.left(15)), SliceSet{});
    EXPECT_EQ(parse(truncated.left(8 + 20 + 8)), (SliceSet{A::arm64, A::x86_64}));

    // A declared count far beyond the data stops at the data.
    QByteArray huge = bytes({0xCA, 0xFE, 0xBA, 0xBE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x0C});
    huge.append(QByteArray(4096 - huge.size(), '\0'));
    EXPECT_EQ(parse(huge), SliceSet{A::arm64});
}

TEST(MachOHeader, EverythingElseIsEmpty)
{
    EXPECT_EQ(parse(QByteArray()), SliceSet{});
    EXPECT_EQ(parse(bytes({0xCF, 0xFA, 0xED, 0xFE, 0x0C, 0x00, 0x00})), SliceSet{}) << "7 bytes";
    EXPECT_EQ(parse(QByteArray("#!/bin/sh\nexec true\n")), SliceSet{});
    EXPECT_EQ(parse(bytes({0xCE, 0xFA, 0xED, 0xFE, 0x07, 0x00, 0x00, 0x00})), SliceSet{}) << "32-bit thin";
    EXPECT_EQ(parse(bytes({0xFE, 0xED, 0xFA, 0xCE, 0x00, 0x00, 0x00, 0x07})), SliceSet{}) << "32-bit thin, big-endian";
    EXPECT_EQ(parse(bytes({0xCA, 0xFE, 0xBA, 0xBF, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x0C, 0, 0, 0, 0})),
              SliceSet{})
        << "64-bit universal";
}

TEST(ArchitectureDetector, ReadsTheBundlesExecutableAndNothingBeyondItsHeader)
{
    TempSimulatedMac mac;
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Logic Pro X.app"),
                                       .executableName = QStringLiteral("Logic Pro X"),
                                       .executableSize = 64 * 1024 * 1024}));
    RecordingFileSystem recording(mac.fs());
    ArchitectureDetector detector(recording);
    EXPECT_EQ(detector.executableURL(url("/Applications/Logic Pro X.app")),
              url("/Applications/Logic Pro X.app/Contents/MacOS/Logic Pro X"));
    EXPECT_EQ(detector.architectures(url("/Applications/Logic Pro X.app")), (SliceSet{A::arm64, A::x86_64}));
    ASSERT_EQ(recording.prefixReads.size(), 1);
    EXPECT_EQ(recording.prefixReads[0].second, 4096);
    for (const QString& path : recording.readAllPaths) {
        EXPECT_FALSE(path.contains(QStringLiteral("MacOS"))) << "the 64 MiB executable must never be read whole";
    }
}

TEST(ArchitectureDetector, BrokenBundlesGiveNoSlices)
{
    TempSimulatedMac mac;
    auto& fs = mac.fs();
    ArchitectureDetector detector(fs);
    // The executable named in Info.plist does not exist.
    writeBundle(fs, {.path = QStringLiteral("/Applications/NoExe.app"), .writeExecutable = false});
    // An empty executable, and a script.
    writeBundle(fs, {.path = QStringLiteral("/Applications/Empty.app")});
    mac.writeFile(QStringLiteral("/Applications/Empty.app/Contents/MacOS/Logic Pro X"), QByteArray());
    writeBundle(fs, {.path = QStringLiteral("/Applications/Script.app")});
    mac.writeFile(QStringLiteral("/Applications/Script.app/Contents/MacOS/Logic Pro X"), "#!/bin/sh\n");
    // Info.plist corrupt, of the wrong type, without the executable key, or missing.
    mac.writeFile(QStringLiteral("/Applications/Corrupt.app/Contents/Info.plist"), "<plist><dict><key>");
    mac.writeFile(QStringLiteral("/Applications/Array.app/Contents/Info.plist"),
                  "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>");
    mac.writeFile(QStringLiteral("/Applications/NumberName.app/Contents/Info.plist"),
                  "<?xml version=\"1.0\"?><plist "
                  "version=\"1.0\"><dict><key>CFBundleExecutable</key><integer>5</integer></dict></plist>");
    fs.createDirectories(QStringLiteral("/Applications/NoPlist.app/Contents/MacOS"));
    // The executable is a folder.
    writeBundle(fs, {.path = QStringLiteral("/Applications/Folder.app"), .writeExecutable = false});
    fs.createDirectories(QStringLiteral("/Applications/Folder.app/Contents/MacOS/Logic Pro X"));

    for (const char* bundle : {"/Applications/NoExe.app", "/Applications/Empty.app", "/Applications/Script.app",
                               "/Applications/Corrupt.app", "/Applications/Array.app", "/Applications/NumberName.app",
                               "/Applications/NoPlist.app", "/Applications/Folder.app", "/Applications/Nothing.app"}) {
        EXPECT_EQ(detector.architectures(url(bundle)), SliceSet{}) << bundle;
    }
    EXPECT_EQ(detector.executableURL(url("/Applications/NoPlist.app")), std::nullopt);

    // A binary Info.plist is read like an XML one.
    writeBundle(fs, {.path = QStringLiteral("/Applications/Binary.app"), .slices = {{MachO::cpuTypeX86_64}}});
    auto info =
        PropertyList::serialize(QVariantMap{{QStringLiteral("CFBundleExecutable"), QStringLiteral("Logic Pro X")}},
                                PropertyList::Format::Binary);
    mac.writeFile(QStringLiteral("/Applications/Binary.app/Contents/Info.plist"), *info);
    EXPECT_EQ(detector.architectures(url("/Applications/Binary.app")), SliceSet{A::x86_64});
}

TEST(ArchitectureDetector, RosettaIsTestedOncePerDetector)
{
    TempSimulatedMac mac;
    RecordingFileSystem recording(mac.fs());
    ArchitectureDetector detector(recording);
    EXPECT_FALSE(detector.isRosettaInstalled());
    EXPECT_EQ(recording.existsCalls, 3) << "all three paths tried";
    mac.writeFile(QStringLiteral("/usr/libexec/rosetta/runtime"), "x");
    EXPECT_FALSE(detector.isRosettaInstalled()) << "a negative answer is cached too";
    EXPECT_EQ(recording.existsCalls, 3);
    EXPECT_TRUE(detector.recheckRosettaInstalled()) << "a launch asks the disk again";
    EXPECT_TRUE(detector.isRosettaInstalled()) << "and the new answer is kept";
    EXPECT_EQ(recording.existsCalls, 4);

    ArchitectureDetector fresh(recording);
    recording.existsCalls = 0;
    EXPECT_TRUE(fresh.isRosettaInstalled());
    EXPECT_EQ(recording.existsCalls, 1) << "stops at the first path that exists";

    mac.fs().remove(QStringLiteral("/usr/libexec/rosetta"));
    mac.writeFile(QStringLiteral("/Library/Apple/usr/libexec/oah/libRosettaRuntime"), "x");
    ArchitectureDetector second(mac.fs());
    EXPECT_TRUE(second.isRosettaInstalled());

    // Concurrent first calls test the disk once.
    RecordingFileSystem counting(mac.fs());
    ArchitectureDetector shared(counting);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] { EXPECT_TRUE(shared.isRosettaInstalled()); });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counting.existsCalls, 2);
}
