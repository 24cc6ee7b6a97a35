#include "simhost/standin/StandInBehavior.h"

#include "installations/InfoPlist.h"
#include "simhost/adapters/RootedFileSystem.h"

namespace vantrel::sim {

StandInBehavior StandInBehavior::read(const RootedFileSystem& fileSystem, const QString& bundlePath)
{
    StandInBehavior behavior;
    const auto info = readInfoPlist(fileSystem, bundlePath);
    if (!info) {
        return behavior;
    }
    const QVariantMap switches = info->value(QString::fromLatin1(infoKey)).toMap();
    behavior.wrongArchitecture = switches.value(QStringLiteral("wrongArchitecture")).toBool();
    behavior.neverFinishesLaunching = switches.value(QStringLiteral("neverFinishesLaunching")).toBool();
    behavior.refusesToQuit = switches.value(QStringLiteral("refusesToQuit")).toBool();
    behavior.refusesDocuments = switches.value(QStringLiteral("refusesDocuments")).toBool();
    if (switches.contains(QStringLiteral("startupDelay"))) {
        behavior.startupDelay = std::max(0.0, switches.value(QStringLiteral("startupDelay")).toDouble());
    }
    if (switches.contains(QStringLiteral("crashAfter"))) {
        behavior.crashAfter = std::max(0.0, switches.value(QStringLiteral("crashAfter")).toDouble());
    }
    return behavior;
}

} // namespace vantrel::sim
