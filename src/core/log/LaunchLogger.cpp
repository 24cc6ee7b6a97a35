#include "log/LaunchLogger.h"

#include "platform/FileSystem.h"
#include "platform/Host.h"

#include <QDateTime>

#include <algorithm>

namespace vantrel {

LaunchLogger::LaunchLogger(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
    , m_folderPath(fileSystem.logsDirectory() + QStringLiteral("/Vantrel"))
    , m_filePath(m_folderPath + QStringLiteral("/launch.log"))
{
    // The folder is made once, here; a folder removed later stays missing until the next
    // start, and its records are lost.
    m_fileSystem.createDirectories(m_folderPath);
}

LaunchLogger::~LaunchLogger() = default; // the queue writes what is pending before it stops

LaunchLogger& LaunchLogger::of(Host& host)
{
    return host.shared<LaunchLogger>(
        [](Host& owner) { return std::unique_ptr<LaunchLogger>(new LaunchLogger(owner.fileSystem())); });
}

QString LaunchLogger::escapedControlCharacters(const QString& text)
{
    // Line breaks and other controls, and what reorders or hides text on screen (bidi
    // controls, zero-width characters); the escape character itself, so that a name
    // spelling "\n" never reads like an escaped line break.
    const auto isControl = [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == u'\\' || (u >= 0x200B && u <= 0x200F)
               || (u >= 0x2028 && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) || u == 0xFEFF;
    };
    if (std::none_of(text.cbegin(), text.cend(), isControl)) {
        return text;
    }
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (!isControl(c)) {
            escaped += c;
        } else if (c == u'\n') {
            escaped += QStringLiteral("\\n");
        } else if (c == u'\t') {
            escaped += QStringLiteral("\\t");
        } else if (c == u'\r') {
            escaped += QStringLiteral("\\r");
        } else if (c == u'\\') {
            escaped += QStringLiteral("\\\\");
        } else {
            escaped += QStringLiteral("\\u{%1}").arg(int(c.unicode()), 0, 16);
        }
    }
    return escaped;
}

QString LaunchLogger::formatLine(const QString& message)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    // One record a line: a value with a line break (a project's or a bundle's name) can
    // never start a line of its own.
    return stamp + QStringLiteral("  ") + escapedControlCharacters(message) + u'\n';
}

void LaunchLogger::log(const QString& message)
{
    const QString line = formatLine(message);
    {
        std::lock_guard lock(m_pendingLock);
        m_pending += line;
        // Lines logged while a write is queued ride along with it. The write is queued under
        // the lock, so a flush() after this call always finds it in the queue.
        if (!m_writeQueued) {
            m_writeQueued = true;
            m_queue.post([this] { writePending(); });
        }
    }
    if (m_observer) {
        m_observer(message);
    }
}

void LaunchLogger::writePending()
{
    QString lines;
    {
        std::lock_guard lock(m_pendingLock);
        lines.swap(m_pending);
        m_writeQueued = false;
    }
    write(lines);
}

void LaunchLogger::flush()
{
    m_queue.waitUntilIdle();
}

void LaunchLogger::write(const QString& lines)
{
    const QByteArray bytes = lines.toUtf8();
    if (bytes.isEmpty()) {
        return;
    }
    // Append to an existing file; otherwise create it with these first records. Every
    // failure is silent: the records are lost and the launch goes on.
    if (m_fileSystem.exists(m_filePath)) {
        m_fileSystem.append(m_filePath, bytes);
    } else {
        m_fileSystem.write(m_filePath, bytes);
    }
}

} // namespace vantrel
