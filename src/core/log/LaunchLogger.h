#pragma once

#include "async/SerialQueue.h"

#include <QString>

#include <functional>
#include <mutex>

namespace vantrel {

class FileSystem;
class Host;

// The launch log, "~/Library/Logs/Vantrel/launch.log": one line per launch step,
// "<ISO 8601 UTC time stamp>  <message>\n". log() stamps the time on the caller's thread
// and adds the line to the pending text, which one serial writer thread appends, so it
// never blocks on the disk; the writer takes whatever is pending at once (opening and
// closing the file per batch, in order) and drops any failure silently.
//
// Records are never lost at a normal end: flush() waits until everything logged so far is
// on disk, and the logger flushes when it is destroyed with its host.
class Host;

class LaunchLogger {
public:
    ~LaunchLogger();

    LaunchLogger(const LaunchLogger&) = delete;
    LaunchLogger& operator=(const LaunchLogger&) = delete;

    // The host's logger, made on first use: one per host, whatever asks for it.
    static LaunchLogger& of(Host& host);

    // Appends one record; returns at once and never fails.
    void log(const QString& message);

    // Hears every record as it is logged, on the thread that logs it (a command line shows
    // the steps as they happen). Set before anything is logged.
    void setObserver(std::function<void(const QString& message)> observer) { m_observer = std::move(observer); }

    // Blocks until every record logged before the call has been written (or dropped).
    void flush();

    // The log file, as a host path.
    const QString& filePath() const { return m_filePath; }

    // "2026-03-14T09:26:53Z  message\n" for the current moment.
    static QString formatLine(const QString& message);
    // Line breaks, tabs and other control characters as "\n", "\t", "\u{1b}" (bidi and
    // zero-width characters too), and "\" as "\\".
    static QString escapedControlCharacters(const QString& text);

private:
    explicit LaunchLogger(FileSystem& fileSystem);
    void writePending();
    void write(const QString& lines);

    FileSystem& m_fileSystem;
    std::function<void(const QString&)> m_observer;
    QString m_folderPath;
    QString m_filePath;
    std::mutex m_pendingLock;
    QString m_pending;          // lines logged and not yet taken by the writer
    bool m_writeQueued = false; // a writePending is posted and has not taken them yet
    SerialQueue m_queue;        // last: it drains, and stops, before the paths it uses go away
};

} // namespace vantrel
