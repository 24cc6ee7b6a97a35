#pragma once

#include "async/SerialQueue.h"
#include "settings/LogicAppStoring.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace vantrel {

class FileSystem;
class LaunchLogger;
class UserDefaults;

// The installation list, kept twice: "~/Library/Application Support/Vantrel/logic-apps.json"
// (the primary copy, written atomically on a background queue) and the same bytes as data
// under "logicApps" in the launcher's defaults (written at once; the fallback).
//
// A load waits for queued file writes first, so it never returns a list older than the
// last save.
//
// A copy that exists but cannot be decoded (a hand edit, a record from a newer version) is
// never overwritten unseen: the first save after such a load first keeps its bytes in
// "logic-apps.json.unreadable-<UTC time stamp>" beside the file and says so in the launch
// log. If they cannot be kept, that save writes nothing.
//
// A file write that fails (a full disk) leaves the previous file, older than the defaults
// copy; "logicAppsFileIsStale" in the defaults says so until a write succeeds, and loads
// take the copy meanwhile, so the last saved list is what the next start sees.
class PersistenceStore final : public LogicAppStoring {
public:
    static constexpr const char* defaultsKey = "logicApps";
    static constexpr const char* staleFileKey = "logicAppsFileIsStale";

    // Over the standard defaults and the disk; what it sets aside is said in `logger`.
    PersistenceStore(std::shared_ptr<UserDefaults> defaults, FileSystem& fileSystem, LaunchLogger& logger);
    ~PersistenceStore() override;

    QList<LogicApp> loadApps() override;
    void saveApps(const QList<LogicApp>& apps) override;

    // The file's host path; computing it creates its folder when missing.
    QString fileURL();

    // The stored form: a pretty-printed JSON array, keys sorted within each record.
    static QByteArray encode(const QList<LogicApp>& apps);

private:
    // Writes the undecodable copies found by the last load beside the file; false when
    // one of them could not be written.
    bool keepUnreadableCopies(const QString& path);

    std::shared_ptr<UserDefaults> m_defaults;
    FileSystem& m_fileSystem;
    LaunchLogger& m_logger;
    SerialQueue m_ioQueue;
    QList<QByteArray> m_unreadable; // the last load's undecodable copies, not yet kept
};

} // namespace vantrel
