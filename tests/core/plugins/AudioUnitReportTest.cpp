#include "plugins/AudioUnitReport.h"
#include "plugins/AudioUnitScanner.h"
#include "plugins/PluginInventory.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/RecordingFileSystem.h"
#include "support/TempSimulatedMac.h"

#include <QCollator>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::sim;
using vantrel::testing::RecordingFileSystem;
using vantrel::testing::TempSimulatedMac;

namespace {

const MachO::Slice arm{MachO::cpuTypeArm64};
const MachO::Slice intel{MachO::cpuTypeX86_64};

AudioUnitPlugin plugin(PluginLoadClass loadClass)
{
    return {QStringLiteral("/x.component"), QStringLiteral("x"), std::nullopt, std::nullopt, {}, loadClass};
}

struct AudioUnitScanTest : ::testing::Test {
    TempSimulatedMac mac;
    const QString cacheFile = QStringLiteral("~/Library/Caches/test/AudioUnits.cache");

    void component(ComponentSpec spec) { ASSERT_TRUE(writeComponent(mac.fs(), spec)); }
    AudioUnitReport scan(FileSystem& disk) { return AudioUnitScanner(disk, cacheFile).scan(); }
    AudioUnitReport scan() { return scan(mac.fs()); }
    static QStringList names(const AudioUnitReport& report)
    {
        QStringList out;
        for (const AudioUnitPlugin& p : report.plugins) {
            out << p.name + u' ' + rawValue(p.loadClass);
        }
        return out;
    }
};

} // namespace

TEST(AudioUnitReport, ClassesNamesLinesAndJson)
{
    EXPECT_EQ(classifySlices({BinaryArchitecture::arm64, BinaryArchitecture::x86_64}), PluginLoadClass::bothModes);
    EXPECT_EQ(classifySlices({BinaryArchitecture::x86_64}), PluginLoadClass::onlyRosetta);
    EXPECT_EQ(classifySlices({BinaryArchitecture::arm64}), PluginLoadClass::onlyNative);
    EXPECT_EQ(classifySlices({}), PluginLoadClass::unreadable);

    const auto names = [](std::optional<QString> component, std::optional<QString> bundle) -> QString {
        const PluginNames n = pluginNames(component, bundle, QStringLiteral("/C/Tape Echo.component"));
        return n.name + u'|' + n.manufacturer.value_or(QStringLiteral("-"));
    };
    using S = std::optional<QString>;
    EXPECT_EQ(names(S(QStringLiteral("Northwind: Tape Echo")), S(QStringLiteral("TE"))),
              u"Northwind: Tape Echo|Northwind");
    EXPECT_EQ(names(S(QStringLiteral(" A: B: C ")), std::nullopt), u"A: B: C|A");
    EXPECT_EQ(names(S(QStringLiteral("Maker:Name")), std::nullopt), u"Maker:Name|-");
    EXPECT_EQ(names(S(QStringLiteral(": Name")), std::nullopt), u": Name|-");
    EXPECT_EQ(names(S(QStringLiteral("Maker: ")), std::nullopt), u"Maker:|-");
    EXPECT_EQ(names(S(QStringLiteral("  ")), S(QStringLiteral("Echo"))), u"Echo|-");
    EXPECT_EQ(names(std::nullopt, S(QString())), u"Tape Echo|-");

    AudioUnitReport report;
    for (int i = 0; i < 3; ++i) {
        report.plugins << plugin(PluginLoadClass::bothModes);
    }
    EXPECT_EQ(report.lineForMode(LaunchArchitecture::native, AppLanguage::english), QString())
        << "every plug-in loads in both modes";
    report.plugins << plugin(PluginLoadClass::onlyRosetta) << plugin(PluginLoadClass::onlyRosetta)
                   << plugin(PluginLoadClass::unreadable);
    EXPECT_EQ(report.lineForMode(LaunchArchitecture::native, AppLanguage::english),
              u"3\u00A0load\u00A0here · 2\u00A0only\u00A0under\u00A0Rosetta");
    EXPECT_EQ(report.lineForMode(LaunchArchitecture::rosetta, AppLanguage::english), u"5\u00A0load\u00A0here");
    EXPECT_EQ(report.lineForMode(LaunchArchitecture::native, AppLanguage::russian),
              u"загружаются\u00A0здесь\u00A0—\u00A03 · только\u00A0под\u00A0Rosetta\u00A0—\u00A02");
    report.plugins = {plugin(PluginLoadClass::onlyNative)};
    EXPECT_EQ(report.lineForMode(LaunchArchitecture::rosetta, AppLanguage::english),
              u"0\u00A0load\u00A0here · 1\u00A0only\u00A0natively");
    EXPECT_EQ(report.lineForMode(LaunchArchitecture::native, AppLanguage::english), u"1\u00A0loads\u00A0here");

    report.plugins = {{QStringLiteral("/L/A.component"),
                       QStringLiteral("M: A"),
                       QStringLiteral("M"),
                       QStringLiteral("2.0"),
                       {BinaryArchitecture::x86_64, BinaryArchitecture::arm64},
                       PluginLoadClass::bothModes},
                      plugin(PluginLoadClass::unreadable)};
    const QJsonArray json = QJsonDocument::fromJson(report.toJson()).array();
    ASSERT_EQ(json.size(), 2);
    EXPECT_EQ(json[0].toObject(), (QJsonObject{{QStringLiteral("path"), QStringLiteral("/L/A.component")},
                                               {QStringLiteral("name"), QStringLiteral("M: A")},
                                               {QStringLiteral("manufacturer"), QStringLiteral("M")},
                                               {QStringLiteral("version"), QStringLiteral("2.0")},
                                               {QStringLiteral("slices"), QJsonArray{u"arm64"_qs, u"x86_64"_qs}},
                                               {QStringLiteral("class"), QStringLiteral("bothModes")}}));
    EXPECT_TRUE(json[1].toObject()[QStringLiteral("manufacturer")].isNull());
    EXPECT_EQ(json[1].toObject()[QStringLiteral("slices")].toArray(), QJsonArray());
}

TEST_F(AudioUnitScanTest, BothFoldersOneLevelDeepSortedByClassMakerAndName)
{
    component({.name = QStringLiteral("Tape Echo"), .manufacturer = QStringLiteral("northwind"), .version = u"2.4"_qs});
    component({.name = QStringLiteral("Bus Comp"), .manufacturer = QStringLiteral("Cobalt"), .inUserFolder = true});
    component({.name = QStringLiteral("Strings"), .manufacturer = QStringLiteral("Old Mill"), .slices = {intel}});
    component({.name = QStringLiteral("Amp"),
               .manufacturer = QStringLiteral("Redline"),
               .slices = {intel},
               .inUserFolder = true});
    component({.name = QStringLiteral("EQ"), .slices = {arm}});
    component({.name = QStringLiteral("Half"), .writeExecutable = false});
    // Not an Audio Unit bundle where the host looks: another extension, a deeper folder.
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = u"/Library/Audio/Plug-Ins/Components/Synth.vst3"_qs}));
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = u"/Library/Audio/Plug-Ins/Components/Sub/Deep.component"_qs}));
    // The extension in any case.
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = u"/Library/Audio/Plug-Ins/Components/Loud.COMPONENT"_qs,
                                       .shortVersion = u" 3.1 "_qs,
                                       .bundleName = u"Loud"_qs,
                                       .slices = {arm, intel}}));

    const AudioUnitReport report = scan();
    EXPECT_EQ(names(report), (QStringList{u"Cobalt: Bus Comp bothModes"_qs, u"Loud bothModes"_qs,
                                          u"northwind: Tape Echo bothModes"_qs, u"Old Mill: Strings onlyRosetta"_qs,
                                          u"Redline: Amp onlyRosetta"_qs, u"EQ onlyNative"_qs, u"Half unreadable"_qs}));
    EXPECT_EQ(report.plugins[0].path,
              mac.fs().expandTilde(u"~/Library/Audio/Plug-Ins/Components/Bus Comp.component"_qs));
    EXPECT_EQ(report.plugins[1].version, u"3.1"_qs);
    EXPECT_EQ(report.plugins[2].manufacturer, u"northwind"_qs);
    EXPECT_EQ(report.plugins[2].slices, (SliceSet{BinaryArchitecture::arm64, BinaryArchitecture::x86_64}));
    EXPECT_EQ(report.count(PluginLoadClass::onlyRosetta), 2);
}

TEST_F(AudioUnitScanTest, HostileBundlesAreUnreadableAndNeverStopTheScan)
{
    const QString folder = QStringLiteral("/Library/Audio/Plug-Ins/Components/");
    component({.name = QStringLiteral("Fine"), .manufacturer = QStringLiteral("Good")});
    // An Info.plist that is a named pipe with no writer, and one of 100 GB (sparse).
    ASSERT_TRUE(mac.fs().createDirectories(folder + u"Pipe.component/Contents"_qs));
    ASSERT_EQ(::mkfifo(QFile::encodeName(mac.native(folder + u"Pipe.component/Contents/Info.plist"_qs)), 0600), 0);
    mac.writeFile(folder + u"Huge.component/Contents/Info.plist"_qs, QByteArray());
    ASSERT_EQ(::truncate(QFile::encodeName(mac.native(folder + u"Huge.component/Contents/Info.plist"_qs)),
                         100LL * 1024 * 1024 * 1024),
              0);
    // Broken and odd property lists: not XML, entries of the wrong kinds.
    mac.writeFile(folder + u"Garbage.component/Contents/Info.plist"_qs, "<plist><dict><key>x</");
    ASSERT_TRUE(writeBundle(
        mac.fs(), {.path = folder + u"Odd.component"_qs, .extraInfo = {{u"AudioComponents"_qs, u"not an array"_qs}}}));
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = folder + u"Odder.component"_qs,
                                       .bundleName = u"Odder Name"_qs,
                                       .extraInfo = {{u"AudioComponents"_qs, QVariantList{u"no dict"_qs}}}}));
    // Executables that are a pipe, a folder, no Mach-O, or outside the bundle.
    ASSERT_TRUE(writeBundle(
        mac.fs(), {.path = folder + u"ExePipe.component"_qs, .executableName = u"x"_qs, .writeExecutable = false}));
    ASSERT_EQ(::mkfifo(QFile::encodeName(mac.native(folder + u"ExePipe.component/Contents/MacOS/x"_qs)), 0600), 0);
    ASSERT_TRUE(writeBundle(
        mac.fs(), {.path = folder + u"ExeDir.component"_qs, .executableName = u"x"_qs, .writeExecutable = false}));
    ASSERT_TRUE(mac.fs().createDirectories(folder + u"ExeDir.component/Contents/MacOS/x"_qs));
    ASSERT_TRUE(writeBundle(
        mac.fs(), {.path = folder + u"Script.component"_qs, .executableName = u"x"_qs, .writeExecutable = false}));
    mac.writeFile(folder + u"Script.component/Contents/MacOS/x"_qs, "#!/bin/sh\n");
    ASSERT_TRUE(writeBundle(mac.fs(), {.path = folder + u"Escape.component"_qs,
                                       .executableName = u"../../../../../../../etc/passwd"_qs,
                                       .writeExecutable = false}));
    // A link loop and a plain file named like a bundle: left out.
    ASSERT_TRUE(QFile::link(mac.native(folder + u"LoopB.component"_qs), mac.native(folder + u"LoopA.component"_qs)));
    ASSERT_TRUE(QFile::link(mac.native(folder + u"LoopA.component"_qs), mac.native(folder + u"LoopB.component"_qs)));
    mac.writeFile(folder + u"Flat.component"_qs, "just a file");

    const AudioUnitReport report = scan();
    ASSERT_EQ(report.plugins.size(), 10) << "a plain file or a link loop named like a bundle is none";
    // Odd AudioComponents entries fall back to the bundle's names.
    EXPECT_EQ(report.plugins[0].name, u"Good: Fine"_qs);
    EXPECT_EQ(report.plugins[1].name, u"Odd"_qs);
    EXPECT_EQ(report.plugins[2].name, u"Odder Name"_qs);
    EXPECT_EQ(report.count(PluginLoadClass::unreadable), 7);
    QStringList unreadable;
    for (const AudioUnitPlugin& p : report.plugins.sliced(3)) {
        unreadable << p.name;
    }
    EXPECT_EQ(unreadable, (QStringList{u"Escape"_qs, u"ExeDir"_qs, u"ExePipe"_qs, u"Garbage"_qs, u"Huge"_qs, u"Pipe"_qs,
                                       u"Script"_qs}));
}

TEST_F(AudioUnitScanTest, TheCacheSparesUnchangedExecutablesAndFollowsTheDisk)
{
    for (const char* name : {"One", "Two", "Three"}) {
        component({.name = QString::fromLatin1(name), .manufacturer = u"M"_qs});
    }
    component({.name = u"Gone Soon"_qs, .slices = {intel}});
    component({.name = u"No Exe"_qs, .writeExecutable = false});
    const AudioUnitReport first = scan();
    ASSERT_EQ(first.plugins.size(), 5);

    // Nothing changed: the cache alone answers; no executable and no Info.plist is read
    // but those of the bundle whose executable is missing.
    RecordingFileSystem recording(mac.fs());
    const auto executablesRead = [&] {
        QStringList read;
        for (const auto& [path, bytes] : std::as_const(recording.prefixReads)) {
            if (!path.contains(u"No Exe"_qs)) {
                read << path;
            }
        }
        recording.prefixReads.clear();
        return read;
    };
    EXPECT_EQ(scan(recording).plugins, first.plugins);
    EXPECT_EQ(executablesRead(), QStringList());
    EXPECT_EQ(recording.readAllPaths,
              (QStringList{cacheFile, u"/Library/Audio/Plug-Ins/Components/No Exe.component/Contents/Info.plist"_qs}));

    // A new executable is read again; a bundle that has gone leaves the report and the cache.
    component({.name = u"Two"_qs, .manufacturer = u"M"_qs, .slices = {arm}, .version = u"2.0"_qs});
    ASSERT_TRUE(mac.fs().remove(u"/Library/Audio/Plug-Ins/Components/Gone Soon.component"_qs));
    const AudioUnitReport second = scan(recording);
    EXPECT_EQ(executablesRead(),
              QStringList{u"/Library/Audio/Plug-Ins/Components/Two.component/Contents/MacOS/Two"_qs});
    EXPECT_EQ(names(second), (QStringList{u"M: One bothModes"_qs, u"M: Three bothModes"_qs, u"M: Two onlyNative"_qs,
                                          u"No Exe unreadable"_qs}));
    EXPECT_EQ(second.plugins[2].version, u"2.0"_qs);
    ASSERT_TRUE(writeComponent(mac.fs(), {.name = u"Gone Soon"_qs, .slices = {intel}}));
    EXPECT_EQ(scan(recording).count(PluginLoadClass::onlyRosetta), 1);
    EXPECT_EQ(executablesRead().size(), 1) << "the cache forgot the bundle that had gone";

    // A cache cut anywhere, or with its lengths made huge, is read past whole.
    const QByteArray whole = *mac.fs().readAll(cacheFile);
    const AudioUnitReport expected = scan();
    for (qsizetype cut = 0; cut < whole.size(); cut += 1 + whole.size() / 41) {
        QByteArray damaged = whole.left(cut);
        if (cut > 24) {
            damaged.replace(cut / 2, 4, QByteArray(4, '\x7f')); // a length, a count or a stamp
        }
        mac.writeFile(cacheFile, damaged);
        EXPECT_EQ(scan().plugins, expected.plugins) << "cut at " << cut;
    }

    // A cache that does not decode, or is no file, is read past and written anew.
    for (bool pipe : {false, true}) {
        ASSERT_TRUE(mac.fs().remove(cacheFile));
        if (pipe) {
            ASSERT_EQ(::mkfifo(QFile::encodeName(mac.native(cacheFile)), 0600), 0);
        } else {
            mac.writeFile(cacheFile, QByteArray(300, '\xff'));
        }
        EXPECT_EQ(scan(recording).plugins.size(), 5);
        EXPECT_EQ(executablesRead().size(), 4);
    }
    // The last scan put a cache where the pipe was.
    scan(recording);
    EXPECT_EQ(executablesRead(), QStringList());

    // A cancelled scan stops and keeps nothing of what it read.
    ASSERT_TRUE(mac.fs().remove(cacheFile));
    const std::atomic<bool> cancelled{true};
    EXPECT_TRUE(AudioUnitScanner(recording, cacheFile).scan(&cancelled).plugins.isEmpty());
    EXPECT_FALSE(mac.fs().exists(cacheFile));
}

TEST_F(AudioUnitScanTest, AFullFolderIsReadSeveralAtATimeWithTheSameAnswer)
{
    // Enough components for the scan to share them between threads.
    constexpr int count = 90;
    const QList<MachO::Slice> slices[] = {{intel}, {arm}, {arm, intel}};
    const PluginLoadClass classes[] = {PluginLoadClass::onlyRosetta, PluginLoadClass::onlyNative,
                                       PluginLoadClass::bothModes};
    for (int i = 0; i < count; ++i) {
        component({.name = u"Plug %1"_qs.arg(i),
                   .manufacturer = u"Maker %1"_qs.arg(i % 7),
                   .slices = slices[i % 3],
                   .version = u"1.%1"_qs.arg(i)});
    }
    const AudioUnitReport cold = scan();
    ASSERT_EQ(cold.plugins.size(), count);
    for (const PluginLoadClass loadClass : classes) {
        EXPECT_EQ(cold.count(loadClass), count / 3);
    }
    const QCollator collator = pluginCollator();
    for (qsizetype i = 1; i < cold.plugins.size(); ++i) {
        EXPECT_TRUE(listedBefore(collator, cold.plugins[i - 1], cold.plugins[i])) << i;
    }
    for (const AudioUnitPlugin& plugin : cold.plugins) {
        // Each component keeps its own reading: its version names it.
        const int i = plugin.name.sliced(plugin.name.lastIndexOf(u' ') + 1).toInt();
        EXPECT_EQ(plugin.version, u"1.%1"_qs.arg(i));
        EXPECT_EQ(plugin.loadClass, classes[i % 3]);
    }

    // The cache answers alike; a changed executable, and only it, is read again.
    RecordingFileSystem recording(mac.fs());
    EXPECT_EQ(scan(recording).plugins, cold.plugins);
    EXPECT_EQ(recording.prefixReads.size(), 0);
    EXPECT_EQ(recording.stampCalls, count);
    component({.name = u"Plug 0"_qs, .manufacturer = u"Maker 0"_qs, .slices = {arm}, .version = u"1.0"_qs});
    const AudioUnitReport changed = scan(recording);
    ASSERT_EQ(recording.prefixReads.size(), 1);
    EXPECT_TRUE(recording.prefixReads[0].first.endsWith(u"/Plug 0.component/Contents/MacOS/Plug 0"_qs));
    EXPECT_EQ(changed.count(PluginLoadClass::onlyNative), count / 3 + 1);
}

TEST_F(AudioUnitScanTest, TheInventoryScansOnAWorkerAndReportsOnItsOwnThread)
{
    component({.name = u"Amp"_qs, .slices = {intel}});
    PluginInventory inventory(std::make_shared<AudioUnitScanner>(mac.fs(), cacheFile));
    QSignalSpy ready(&inventory, &PluginInventory::ready);
    EXPECT_FALSE(inventory.report().has_value());
    inventory.start();
    inventory.start();
    inventory.waitForScan();
    EXPECT_FALSE(inventory.report().has_value()) << "the report arrives through the event loop";
    ASSERT_TRUE(ready.wait(5000));
    ASSERT_TRUE(inventory.report().has_value());
    EXPECT_EQ(inventory.report()->count(PluginLoadClass::onlyRosetta), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(ready.size(), 1) << "started once";
}
