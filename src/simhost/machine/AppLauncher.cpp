#include "simhost/machine/AppLauncher.h"
#include "nativehost/PosixProcessProbe.h"

#include "installations/ArchitectureDetector.h"
#include "platform/HostPath.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/adapters/SimulatedLaunchServices.h"
#include "simhost/machine/ProcessRegistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace vantrel::sim {

AppLauncher::AppLauncher(std::shared_ptr<RootedFileSystem> fileSystem, HostState state)
    : m_fileSystem(std::move(fileSystem))
    , m_state(std::move(state))
{
}

QString AppLauncher::toolPath()
{
    QString fromEnvironment = qEnvironmentVariable("VANTREL_SIM_TOOL");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    if (QCoreApplication::instance()) {
        QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-sim");
        if (QFileInfo(beside).isExecutable()) {
            return beside;
        }
    }
    return QStringLiteral(VANTREL_SIM_TOOL_BUILD_PATH);
}

std::optional<QString> AppLauncher::chooseArchitecture(const QString& bundlePath,
                                                       const std::optional<QString>& requested, QString* error) const
{
    ArchitectureDetector detector(*m_fileSystem);
    const QUrl url = HostPath::fileURL(bundlePath);
    if (HostPath::extension(bundlePath).toLower() != u"app" || !m_fileSystem->isDirectory(bundlePath)
        || !detector.executableURL(url)) {
        *error = QStringLiteral("Unable to find application: ") + bundlePath;
        return std::nullopt;
    }
    const SliceSet slices = detector.architectures(url);
    const bool rosetta = detector.isRosettaInstalled();
    auto runnable = [&](const QString& arch) {
        if (arch == u"arm64") {
            return slices.contains(BinaryArchitecture::arm64);
        }
        return arch == u"x86_64" && slices.contains(BinaryArchitecture::x86_64) && rosetta;
    };
    if (requested) {
        if (*requested != u"arm64" && *requested != u"x86_64") {
            *error = QStringLiteral("Unknown architecture: ") + *requested;
            return std::nullopt;
        }
        if (*requested == u"x86_64" && slices.contains(BinaryArchitecture::x86_64) && !rosetta) {
            *error = QStringLiteral("Bad CPU type in executable: Rosetta 2 is not installed (") + bundlePath + u')';
            return std::nullopt;
        }
        if (!runnable(*requested)) {
            *error = QStringLiteral("Bad CPU type in executable: ") + bundlePath + QStringLiteral(" has no ")
                     + *requested + QStringLiteral(" slice");
            return std::nullopt;
        }
        return requested;
    }
    if (const QString preferred = SimulatedLaunchServices::preference(m_state, HostPath::standardized(bundlePath));
        !preferred.isEmpty() && runnable(preferred)) {
        return preferred;
    }
    for (const QString& arch : {QStringLiteral("arm64"), QStringLiteral("x86_64")}) {
        if (runnable(arch)) {
            return arch;
        }
    }
    *error = QStringLiteral("Bad CPU type in executable: ") + bundlePath;
    return std::nullopt;
}

std::optional<AppLauncher::Started> AppLauncher::start(const QString& bundlePath,
                                                       const std::optional<QString>& requested,
                                                       const QStringList& documents, QString* error) const
{
    const QString path = HostPath::standardized(bundlePath);
    auto arch = chooseArchitecture(path, requested, error);
    if (!arch) {
        return std::nullopt;
    }
    QStringList arguments{
        QStringLiteral("--root"), m_state.root(), QStringLiteral("app"), QStringLiteral("--bundle"), path,
        QStringLiteral("--arch"), *arch};
    arguments += documents;
    QProcess process;
    process.setProgram(toolPath());
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        *error = QStringLiteral("The application could not be launched: ") + process.errorString();
        return std::nullopt;
    }
    return Started{pid, *arch};
}

bool AppLauncher::waitForRegistration(qint64 pid, Duration timeout) const
{
    ProcessRegistry registry(m_state);
    for (Duration waited{}; waited <= timeout; waited += std::chrono::milliseconds(10)) {
        if (registry.entry(pid)) {
            return true;
        }
        if (!native::PosixProcessProbe::isLive(pid)) {
            return false;
        }
        QThread::msleep(10);
    }
    return false;
}

} // namespace vantrel::sim
