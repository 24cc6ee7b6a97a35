#include "simhost/machine/SimulatedMac.h"

#include "nativehost/PosixProcessProbe.h"
#include "platform/HostPath.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/adapters/SimulatedCommandRunner.h"
#include "simhost/adapters/SimulatedKeyboard.h"
#include "simhost/adapters/SimulatedLaunchServices.h"
#include "simhost/adapters/SimulatedPreferences.h"
#include "simhost/adapters/SimulatedScripting.h"
#include "simhost/adapters/SimulatedWorkspace.h"
#include "simhost/machine/EventLog.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace vantrel::sim {

namespace {

// Linux has no sandbox, so nothing is really granted; the simulated Mac plays one so that
// tests can see access asked for and given back in pairs: access is granted to any file
// that exists, and each start and stop is an event.
class SimulatedSecurityScope final : public SecurityScope {
public:
    SimulatedSecurityScope(std::shared_ptr<RootedFileSystem> fileSystem, HostState state)
        : m_fileSystem(std::move(fileSystem))
        , m_state(std::move(state))
    {
    }

    bool startAccessing(const QUrl& url) override
    {
        const QString path = HostPath::fromURL(url);
        if (!url.isLocalFile() || !m_fileSystem->exists(path)) {
            return false;
        }
        EventLog(m_state).record(QStringLiteral("security-scope-start"), {QStringLiteral("path=") + path});
        return true;
    }

    void stopAccessing(const QUrl& url) override
    {
        EventLog(m_state).record(QStringLiteral("security-scope-stop"),
                                 {QStringLiteral("path=") + HostPath::fromURL(url)});
    }

private:
    std::shared_ptr<RootedFileSystem> m_fileSystem;
    HostState m_state;
};

// A character of a plain folder name: a letter or digit of ASCII, ".", "_" or "-".
bool isFolderNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'.' || u == u'_'
           || u == u'-';
}

QString userNameFile(const QString& root)
{
    return root + QStringLiteral("/.simhost/user");
}

QString sanitizedLoginName()
{
    QString name = qEnvironmentVariable("USER");
    name.removeIf([](QChar c) { return !isFolderNameCharacter(c); });
    if (name.isEmpty() || name.startsWith(u'.')) {
        name = QStringLiteral("mac");
    }
    return name;
}

QString recordedUserName(const QString& root)
{
    QFile file(userNameFile(root));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString name = QString::fromUtf8(file.readAll()).trimmed();
    // Only a plain folder name may become the home folder.
    const bool plain =
        !name.isEmpty() && name[0] != u'.' && std::all_of(name.cbegin(), name.cend(), isFolderNameCharacter);
    return plain ? name : QString();
}

} // namespace

QString SimulatedMac::defaultRoot()
{
    const QString fromEnvironment = qEnvironmentVariable(rootVariable);
    if (!fromEnvironment.isEmpty()) {
        return QDir(fromEnvironment).absolutePath();
    }
    return QDir::homePath() + QStringLiteral("/.local/share/vantrel/simulated-mac");
}

SimulatedMac::SimulatedMac(QString root, QString userName)
    : m_root(QDir::cleanPath(QDir(root).absolutePath()))
{
    m_userName = recordedUserName(m_root);
    if (m_userName.isEmpty()) {
        m_userName = userName.isEmpty() ? sanitizedLoginName() : userName;
    }
    m_fileSystem = std::make_shared<RootedFileSystem>(m_root, m_userName);
    m_preferences =
        std::make_shared<SimulatedPreferences>(m_fileSystem, QString::fromLatin1(ownBundleIdentifier),
                                               stateFolder() + QStringLiteral("/locks"), state().eventLogFile());
    m_workspace = std::make_shared<SimulatedWorkspace>(m_fileSystem, state());
}

SimulatedMac::~SimulatedMac() = default;

QString SimulatedMac::stateFolder() const
{
    return m_root + QStringLiteral("/.simhost");
}

bool SimulatedMac::isInitialized() const
{
    return QFile::exists(userNameFile(m_root));
}

bool SimulatedMac::setRosettaInstalled(bool installed)
{
    const QString runtime = QStringLiteral("/usr/libexec/rosetta/runtime");
    if (!installed) {
        return m_fileSystem->remove(QStringLiteral("/usr/libexec/rosetta")) || !m_fileSystem->exists(runtime);
    }
    return m_fileSystem->createDirectories(QStringLiteral("/usr/libexec/rosetta"))
           && m_fileSystem->write(runtime, QByteArrayLiteral("simulated Rosetta 2 runtime\n"));
}

bool SimulatedMac::initialize()
{
    const QStringList hostFolders = {
        m_fileSystem->applicationsDirectory(),       m_fileSystem->userApplicationsDirectory(),
        m_fileSystem->applicationSupportDirectory(), m_fileSystem->logsDirectory(),
        m_fileSystem->preferencesDirectory(),        QStringLiteral("/Library/Audio/Plug-Ins"),
    };
    bool ok = QDir().mkpath(stateFolder() + QStringLiteral("/locks"));
    for (const QString& folder : hostFolders) {
        ok = m_fileSystem->createDirectories(folder) && ok;
    }
    if (ok && !isInitialized()) {
        ok = writeStateFile(userNameFile(m_root), m_userName.toUtf8() + '\n');
    }
    return ok;
}

std::shared_ptr<Host> SimulatedMac::makeHost(std::shared_ptr<Clock> clock) const
{
    Host::Ports ports{m_fileSystem,
                      m_preferences,
                      std::move(clock),
                      m_workspace,
                      std::make_shared<native::PosixProcessProbe>(),
                      std::make_shared<SimulatedCommandRunner>(m_root),
                      std::make_shared<SimulatedLaunchServices>(state()),
                      std::make_shared<SimulatedKeyboard>(state()),
                      std::make_shared<SimulatedScripting>(state()),
                      std::make_shared<SimulatedSecurityScope>(m_fileSystem, state())};
    return std::make_shared<Host>(std::move(ports), QString::fromLatin1(ownBundlePath),
                                  QString::fromLatin1(ownBundleIdentifier));
}

} // namespace vantrel::sim
