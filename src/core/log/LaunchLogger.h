#pragma once

#include "async/SerialQueue.h"

#include <QString>

namespace vantrel {

class FileSystem;
class Host;

// The launch log, "~/Library/Logs/Vantrel/launch.log": one line per launch step,
// "<ISO 8601 UTC time stamp>  <message>\n". log() stamps the time on the caller's thread
// and hands the line to one serial writer thread, so it never blocks on the disk; the
// writer appends (opening and closing the file per record) and drops any failure silently.
//
// Records are never lost at a normal end: flush() waits until everything logged so far is
// on disk, and the logger flushes when it is destroyed with its host.
class LaunchLogger {
public:
    ~LaunchLogger();

    LaunchLogger(const LaunchLogger&) = delete;
    LaunchLogger& operator=(const LaunchLogger&) = delete;

    // The current host's logger, made on first use.
    static LaunchLogger& shared();

    // Appends one record; returns at once and never fails.
    void log(const QString& message);

    // Blocks until every record logged before the call has been written (or dropped).
    void flush();

    // The log file, as a host path.
    const QString& filePath() const { return m_filePath; }

    // "2026-03-14T09:26:53Z  message\n" for the current moment.
    static QString formatLine(const QString& message);

private:
    explicit LaunchLogger(FileSystem& fileSystem);
    void write(const QString& line);

    FileSystem& m_fileSystem;
    QString m_folderPath;
    QString m_filePath;
    SerialQueue m_queue; // last: it drains, and stops, before the paths it uses go away
};

} // namespace vantrel
