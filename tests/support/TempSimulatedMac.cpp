#include "support/TempSimulatedMac.h"

#include "platform/HostPath.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/standin/StandInBehavior.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <csignal>

namespace vantrel::testing {

TempSimulatedMac::TempSimulatedMac(const QString& userName)
    : m_dir(QDir::tempPath() + QStringLiteral("/vantrel-test-XXXXXX"))
{
    if (!m_dir.isValid()) {
        ADD_FAILURE() << "cannot create a temporary folder";
    }
    m_root = m_dir.path() + QStringLiteral("/mac");
    m_mac = std::make_unique<sim::SimulatedMac>(m_root, userName);
    if (!m_mac->initialize()) {
        ADD_FAILURE() << "cannot initialise the simulated Mac at " << m_root.toStdString();
    }
    m_clock = std::make_shared<ManualClock>();
    m_host = m_mac->makeHost(m_clock);
    m_guard = std::make_unique<CurrentHostGuard>(m_host);
}

TempSimulatedMac::~TempSimulatedMac()
{
    endStandIns();
    m_guard.reset();
    m_host.reset();
}

void TempSimulatedMac::endStandIns() const
{
    // Every process this Mac started: the registry's entries and every launch the event
    // log saw. Only processes whose command line names this root are ended, so a reused
    // process identifier never hits a stranger.
    QSet<qint64> pids;
    for (const sim::RegistryEntry& entry : sim::ProcessRegistry(m_mac->state()).entries()) {
        pids.insert(entry.pid);
    }
    static const QRegularExpression launched(QStringLiteral("^launch pid=(\\d+)"));
    for (const QString& event : sim::EventLog(m_mac->state()).events()) {
        if (auto match = launched.match(event); match.hasMatch()) {
            pids.insert(match.captured(1).toLongLong());
        }
    }
    for (qint64 pid : pids) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(m_root.toUtf8())) {
            ::kill(pid_t(pid), SIGKILL);
        }
    }
}

QString TempSimulatedMac::native(const QString& hostPath) const
{
    const QString host = m_mac->fileSystem()->expandTilde(hostPath);
    return host == u"/" ? m_root : m_root + host;
}

void TempSimulatedMac::addLogicBundle(const QString& path, QVariantMap behavior, QList<sim::MachO::Slice> slices)
{
    behavior.insert(QStringLiteral("startupDelay"), behavior.value(QStringLiteral("startupDelay"), 0.05));
    ASSERT_TRUE(
        sim::writeBundle(fs(), {.path = path,
                                .identifier = QStringLiteral("com.apple.logic10"),
                                .shortVersion = QStringLiteral("11.0"),
                                .bundleName = HostPath::baseName(path),
                                .slices = std::move(slices),
                                .extraInfo = {{QString::fromLatin1(sim::StandInBehavior::infoKey), behavior}}}));
}

void TempSimulatedMac::writeFile(const QString& hostPath, const QByteArray& data)
{
    auto& disk = fs();
    const QString path = disk.expandTilde(hostPath);
    disk.createDirectories(path.left(path.lastIndexOf(u'/')));
    ASSERT_TRUE(disk.write(hostPath, data)) << hostPath.toStdString();
}

std::optional<QByteArray> TempSimulatedMac::readFile(const QString& hostPath) const
{
    QFile file(native(hostPath));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace vantrel::testing
