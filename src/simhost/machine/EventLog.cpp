#include "simhost/machine/EventLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vantrel::sim {

EventLog::EventLog(const HostState& state)
    : m_file(state.eventLogFile())
{
}

EventLog::EventLog(QString file)
    : m_file(std::move(file))
{
}

void EventLog::record(const QString& event, const QStringList& fields) const
{
    QString line = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs) + QStringLiteral("  ") + event;
    for (const QString& field : fields) {
        line += u' ' + field;
    }
    line.replace(u'\n', QStringLiteral("\\n"));
    QDir().mkpath(QFileInfo(m_file).path());
    QFile file(m_file);
    // One write per line with O_APPEND: lines from several processes never interleave.
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        file.write((line + u'\n').toUtf8());
    }
}

QStringList EventLog::lines() const
{
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList EventLog::events() const
{
    QStringList events;
    for (const QString& line : lines()) {
        const qsizetype gap = line.indexOf(QStringLiteral("  "));
        events << (gap < 0 ? line : line.mid(gap + 2));
    }
    return events;
}

} // namespace vantrel::sim
