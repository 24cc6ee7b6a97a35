#include "log/LaunchLogger.h"

#include "platform/FileSystem.h"
#include "platform/Host.h"

#include <QDateTime>

namespace vantrel {

LaunchLogger::LaunchLogger(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
    , m_folderPath(fileSystem.logsDirectory() + QStringLiteral("/Vantrel"))
    , m_filePath(m_folderPath + QStringLiteral("/launch.log"))
{
    // The folder is made once, here; a folder removed later stays missing until the next
    // start, and its records are lost.
    m_fileSystem.createDirectories(m_folderPath);
    m_writer = std::thread([this] { run(); });
}

LaunchLogger::~LaunchLogger()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join(); // the writer drains the queue before it stops
}

LaunchLogger& LaunchLogger::shared()
{
    return Host::current().shared<LaunchLogger>(
        [](Host& host) { return std::unique_ptr<LaunchLogger>(new LaunchLogger(host.fileSystem())); });
}

QString LaunchLogger::formatLine(const QString& message)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    return stamp + QStringLiteral("  ") + message + u'\n';
}

void LaunchLogger::log(const QString& message)
{
    QString line = formatLine(message);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(line));
        ++m_submitted;
    }
    m_wake.notify_one();
}

void LaunchLogger::flush()
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_submitted;
    m_written.wait(lock, [&] { return m_done >= target; });
}

void LaunchLogger::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
        while (!m_queue.empty()) {
            QString line = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            write(line);
            lock.lock();
            ++m_done;
            m_written.notify_all();
        }
        if (m_stopping) {
            return;
        }
    }
}

void LaunchLogger::write(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    if (bytes.isEmpty()) {
        return;
    }
    // Append to an existing file; otherwise create it with this first record. Every
    // failure is silent: the record is lost and the launch goes on.
    if (m_fileSystem.exists(m_filePath)) {
        m_fileSystem.append(m_filePath, bytes);
    } else {
        m_fileSystem.write(m_filePath, bytes);
    }
}

} // namespace vantrel
