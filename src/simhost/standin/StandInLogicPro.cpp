#include "simhost/standin/StandInLogicPro.h"

#include "installations/InfoPlist.h"
#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/adapters/SimulatedKeyboard.h"
#include "simhost/adapters/SimulatedPreferences.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/machine/SimulatedMac.h"
#include "simhost/standin/StandInBehavior.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace vantrel::sim {

namespace {

volatile std::sig_atomic_t g_quitRequested = 0;

extern "C" void onTerminate(int)
{
    g_quitRequested = 1;
}

QString processNameOf(const RootedFileSystem& fs, const QString& bundlePath)
{
    const auto info = readInfoPlist(fs, bundlePath);
    const QString name = info ? info->value(QStringLiteral("CFBundleName")).toString() : QString();
    return name.isEmpty() ? HostPath::baseName(bundlePath) : name;
}

QString bundleIdentifierOf(const RootedFileSystem& fs, const QString& bundlePath)
{
    const auto info = readInfoPlist(fs, bundlePath);
    return info ? info->value(QStringLiteral("CFBundleIdentifier")).toString() : QString();
}

// Whether Control is held system-wide right now.
bool controlHeld(const HostState& state)
{
    const QMap<int, quint64> held = SimulatedKeyboard::heldKeys(state);
    return held.contains(59) || std::any_of(held.cbegin(), held.cend(), [](quint64 flags) {
               return (flags & KeyboardEvents::controlFlag) != 0;
           });
}

} // namespace

bool sendStandInCommand(const QString& root, qint64 pid, const QString& command, const QString& argument)
{
    const HostState state(root);
    const QString folder = state.inboxFolder(pid);
    if (!QDir().mkpath(folder)) {
        return false;
    }
    // Names sort in sending order; the stand-in reads them in that order.
    const QString name = QStringLiteral("%1-%2.cmd")
                             .arg(QDateTime::currentMSecsSinceEpoch(), 16, 10, QLatin1Char('0'))
                             .arg(QUuid::createUuid().toString(QUuid::Id128));
    const QByteArray body =
        QJsonDocument(QJsonObject{{QStringLiteral("command"), command}, {QStringLiteral("argument"), argument}})
            .toJson(QJsonDocument::Compact);
    return writeStateFile(folder + u'/' + name, body);
}

int runStandInLogicPro(const QString& root, const QString& bundlePath, const QString& architecture,
                       const QStringList& documents)
{
    // Before anything else: a quit request may come as soon as the copy is listed.
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);

    SimulatedMac mac(root);
    const HostState state(mac.root());
    const EventLog events(state);
    const ProcessRegistry registry(state);
    RootedFileSystem& fs = *mac.fileSystem();
    const StandInBehavior behavior = StandInBehavior::read(fs, bundlePath);
    const qint64 pid = QCoreApplication::applicationPid();
    const QString pidField = QStringLiteral("pid=") + QString::number(pid);

    QString runsAs = architecture;
    if (behavior.wrongArchitecture) {
        runsAs = architecture == u"x86_64" ? QStringLiteral("arm64") : QStringLiteral("x86_64");
    }
    const int cpuType = runsAs == u"x86_64" ? CpuType::x86_64 : CpuType::arm64;

    const QString identifier = bundleIdentifierOf(fs, bundlePath);
    const QString domain = identifier.isEmpty() ? QStringLiteral("com.apple.logic10") : identifier;
    auto preferences = mac.preferences()->suite(domain);
    const std::optional<QVariant> startupAction =
        preferences ? preferences->value(QStringLiteral("startupAction")) : std::nullopt;
    const bool safeModeOffered = controlHeld(state);

    RegistryEntry entry;
    entry.pid = pid;
    entry.bundleIdentifier = identifier;
    entry.bundlePath = bundlePath;
    entry.processName = processNameOf(fs, bundlePath);
    entry.activationPolicy = 0;
    entry.architecture = cpuType;
    entry.finishedLaunching = false;
    events.record(
        QStringLiteral("launch"),
        {pidField, QStringLiteral("arch=") + runsAs, QStringLiteral("requested=") + architecture,
         QStringLiteral("startupAction=") + (startupAction ? startupAction->toString() : QStringLiteral("absent")),
         QStringLiteral("control=") + (safeModeOffered ? QStringLiteral("true") : QStringLiteral("false")),
         QStringLiteral("bundle=") + bundlePath});
    registry.add(entry);

    if (safeModeOffered) {
        events.record(QStringLiteral("safe-mode-offered"), {pidField});
    }
    // Logic opens nothing at start when its startup action is 0; otherwise it reopens
    // its most recent project.
    if (!startupAction || startupAction->toLongLong() != 0) {
        events.record(QStringLiteral("startup-reopen"), {pidField});
    }

    auto openDocument = [&](const QString& path) {
        if (behavior.refusesDocuments) {
            events.record(QStringLiteral("document-refused"), {pidField, QStringLiteral("path=") + path});
        } else {
            events.record(QStringLiteral("document-open"), {pidField, QStringLiteral("path=") + path});
        }
    };

    // Set once the copy has deregistered: timers that fire while the event loop winds down
    // must not list it again.
    bool quitting = false;

    QTimer::singleShot(int(behavior.startupDelay * 1000), [&] {
        if (behavior.neverFinishesLaunching || quitting) {
            return;
        }
        entry.finishedLaunching = true;
        registry.update(entry);
        events.record(QStringLiteral("finished-launching"), {pidField});
        for (const QString& document : documents) {
            openDocument(document);
        }
    });

    if (behavior.crashAfter) {
        QTimer::singleShot(int(*behavior.crashAfter * 1000), [&] {
            if (quitting) {
                return;
            }
            events.record(QStringLiteral("crash"), {pidField});
            std::_Exit(134); // no deregistration: the entry goes stale
        });
    }

    QTimer poll;
    poll.setInterval(25);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (g_quitRequested) {
            g_quitRequested = 0;
            if (behavior.refusesToQuit) {
                events.record(QStringLiteral("quit-refused"), {pidField});
            } else {
                quitting = true;
                registry.remove(pid);
                QDir(state.inboxFolder(pid)).removeRecursively();
                events.record(QStringLiteral("quit"), {pidField});
                QCoreApplication::exit(0);
                return;
            }
        }
        QDir inbox(state.inboxFolder(pid));
        for (const QString& name : inbox.entryList({QStringLiteral("*.cmd")}, QDir::Files, QDir::Name)) {
            QFile file(inbox.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QJsonObject command = QJsonDocument::fromJson(file.readAll()).object();
            file.close();
            QFile::remove(inbox.filePath(name));
            const QString kind = command.value(QStringLiteral("command")).toString();
            if (kind == u"open-document") {
                openDocument(command.value(QStringLiteral("argument")).toString());
            } else if (kind == u"open-preferences") {
                events.record(QStringLiteral("open-preferences"), {pidField});
            }
        }
    });
    poll.start();
    return QCoreApplication::exec();
}

} // namespace vantrel::sim
