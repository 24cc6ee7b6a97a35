#include "simhost/adapters/SimulatedScripting.h"
#include "nativehost/PosixProcessProbe.h"

#include "platform/HostPath.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/standin/StandInLogicPro.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

namespace vantrel::sim {

namespace {

// Undoes the script's string escaping: \\ → \ and \" → ".
QString unescapeScriptString(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            out.append(text[++i]);
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

} // namespace

SimulatedScripting::SimulatedScripting(HostState state)
    : m_state(std::move(state))
{
}

std::optional<QString> SimulatedScripting::runScript(const QString& source)
{
    const EventLog events(m_state);
    static const QRegularExpression processCheck(QStringLiteral("exists process \"([^\"]*)\""));
    if (auto match = processCheck.match(source);
        match.hasMatch() && source.contains(QStringLiteral("keystroke \",\""))) {
        const QString name = match.captured(1);
        for (const RegistryEntry& entry : ProcessRegistry(m_state).entries()) {
            if (entry.processName == name && native::PosixProcessProbe::isLive(entry.pid)) {
                events.record(QStringLiteral("activate"), {QStringLiteral("pid=") + QString::number(entry.pid)});
                sendStandInCommand(m_state.root(), entry.pid, QStringLiteral("open-preferences"));
                events.record(QStringLiteral("script"),
                              {QStringLiteral("kind=preferences"), QStringLiteral("result=ok")});
                return QStringLiteral("ok");
            }
        }
        events.record(QStringLiteral("script"),
                      {QStringLiteral("kind=preferences"), QStringLiteral("result=not-running")});
        return QStringLiteral("not-running");
    }
    // The whole string literal, escapes included: it ends at the first quote that no
    // backslash escapes.
    static const QRegularExpression infoWindow(QStringLiteral("POSIX file \"((?:[^\"\\\\]|\\\\.)*)\"\\) as alias\\n"
                                                              "\\s*open information window of theItem"));
    if (auto match = infoWindow.match(source); match.hasMatch()) {
        events.record(QStringLiteral("script"), {QStringLiteral("kind=info-window"),
                                                 QStringLiteral("path=") + unescapeScriptString(match.captured(1))});
        return QString();
    }
    events.record(QStringLiteral("script"), {QStringLiteral("kind=unknown")});
    return std::nullopt;
}

bool SimulatedScripting::performService(const QString& serviceName, const QString& pasteboardName,
                                        const QList<QUrl>& urls)
{
    const bool available = serviceName == u"Finder/Show Info" && !QFile::exists(m_state.showInfoServiceOffFile());
    QStringList fields{QStringLiteral("name=") + serviceName, QStringLiteral("pasteboard=") + pasteboardName,
                       QStringLiteral("result=") + (available ? QStringLiteral("ok") : QStringLiteral("failed"))};
    for (const QUrl& url : urls) {
        fields.append(QStringLiteral("path=") + HostPath::fromURL(url));
    }
    EventLog(m_state).record(QStringLiteral("service"), fields);
    return available;
}

void SimulatedScripting::setShowInfoServiceAvailable(const HostState& state, bool available)
{
    setSwitchFile(state.showInfoServiceOffFile(), !available);
}

} // namespace vantrel::sim
