#include "simhost/DemoMac.h"

#include "simhost/BundleWriter.h"
#include "simhost/RootedFileSystem.h"
#include "simhost/SimulatedMac.h"
#include "simhost/SimulatedPreferences.h"
#include "simhost/StandInBehavior.h"

namespace vantrel::sim {

bool populateDemo(SimulatedMac& mac)
{
    RootedFileSystem& fs = *mac.fileSystem();
    const MachO::Slice arm{MachO::cpuTypeArm64};
    const MachO::Slice intel{MachO::cpuTypeX86_64};
    const QVariantMap gentleStart{
        {QString::fromLatin1(StandInBehavior::infoKey), QVariantMap{{QStringLiteral("startupDelay"), 1.0}}}};

    QList<BundleSpec> bundles;
    bundles.append({.path = QStringLiteral("/Applications/Logic Pro.app"),
                    .identifier = QStringLiteral("com.apple.logic10"),
                    .shortVersion = QStringLiteral("11.1.2"),
                    .buildVersion = QStringLiteral("6214"),
                    .bundleName = QStringLiteral("Logic Pro"),
                    .executableName = QStringLiteral("Logic Pro"),
                    .slices = {arm, intel},
                    .extraInfo = gentleStart});
    bundles.append({.path = QStringLiteral("/Applications/Logic Pro X.app"),
                    .identifier = QStringLiteral("com.apple.logic10"),
                    .shortVersion = QStringLiteral("10.7.9"),
                    .buildVersion = QStringLiteral("5989"),
                    .bundleName = QStringLiteral("Logic Pro X"),
                    .executableName = QStringLiteral("Logic Pro X"),
                    .slices = {intel, arm},
                    .byteOrder = MachO::ByteOrder::little,
                    .extraInfo = gentleStart});
    bundles.append({.path = QStringLiteral("/Applications/Logic Pro Beta.app"),
                    .identifier = QStringLiteral("com.apple.logic10.beta"),
                    .shortVersion = QStringLiteral("11.2 beta 3"),
                    .buildVersion = QStringLiteral("6301.0.3"),
                    .bundleName = QStringLiteral("Logic Pro Beta"),
                    .executableName = QStringLiteral("Logic Pro"),
                    .slices = {arm},
                    .extraInfo = gentleStart});
    bundles.append({.path = fs.userApplicationsDirectory() + QStringLiteral("/Logic Pro X 10.4.app"),
                    .identifier = QStringLiteral("com.apple.logic10"),
                    .shortVersion = QStringLiteral("10.4.8"),
                    .buildVersion = QStringLiteral("5206"),
                    .bundleName = QStringLiteral("Logic Pro X"),
                    .executableName = QStringLiteral("Logic Pro X"),
                    .slices = {intel},
                    .byteOrder = MachO::ByteOrder::big,
                    .extraInfo = gentleStart});
    bundles.append({.path = QString::fromLatin1(SimulatedMac::ownBundlePath),
                    .identifier = QString::fromLatin1(SimulatedMac::ownBundleIdentifier),
                    .shortVersion = QStringLiteral("1.0"),
                    .bundleName = QStringLiteral("Vantrel"),
                    .executableName = QStringLiteral("Vantrel"),
                    .slices = {arm}});
    bool ok = true;
    for (const BundleSpec& spec : bundles) {
        ok = writeBundle(fs, spec) && ok;
    }
    for (const char* folder : {"~/Library/Audio/Plug-Ins/Components", "/Library/Audio/Plug-Ins/VST3",
                               "~/Music/Logic/Demo Song.logicx/Alternatives/000"}) {
        ok = fs.createDirectories(QString::fromUtf8(folder)) && ok;
    }
    ok =
        fs.write(QStringLiteral("~/Music/Logic/Demo Song.logicx/Alternatives/000/ProjectData"), "demo project\n") && ok;
    if (auto logic = mac.preferences()->suite(QStringLiteral("com.apple.logic10"))) {
        logic->setValue(QStringLiteral("startupAction"), 1);
    }
    return mac.setRosettaInstalled(true) && ok;
}

} // namespace vantrel::sim
