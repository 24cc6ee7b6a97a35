#pragma once

#include "model/LaunchArchitecture.h"
#include "model/LaunchCard.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace vantrel {

class FileSystem;
class LaunchLogger;
class UserDefaults;

// Which copy, in which mode, last opened each project: recorded after every verified launch
// with a project, offered the next time that project is pending. Kept in the launcher's
// defaults under "projectHistory" as JSON data, most recent first, at most `capacity`
// projects; "rememberProjectCopies" (a Boolean, true when absent) turns it on and off.
//
// An entry whose project is gone is dropped when read. A stored value that does not decode
// (a hand edit, a newer version's) is never overwritten unseen: the next write first keeps
// its bytes under "projectHistoryUnreadable-<UTC time stamp>" and says so in the launch log.
// Main thread only.
class ProjectMemory {
public:
    static constexpr int capacity = 200;
    static constexpr const char* historyKey = "projectHistory";
    static constexpr const char* enabledKey = "rememberProjectCopies";

    struct Entry {
        QString projectPath; // standardized host path
        QString installationID;
        QString installationPath;
        LaunchArchitecture mode = LaunchArchitecture::native;
        QDateTime openedAt; // UTC

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    ProjectMemory(std::shared_ptr<UserDefaults> defaults, FileSystem& fileSystem, LaunchLogger& logger);

    bool isEnabled() const;
    // Off forgets everything and records nothing more.
    void setEnabled(bool enabled);

    // `project` was opened by `card`'s copy in its mode, verified, at `when`.
    void remember(const QString& projectPath, const LaunchCard& card, const QDateTime& when);
    // The projects remembered, most recent first, those no longer on disk left out (and
    // dropped from the store).
    QList<Entry> entries();
    // Looks at the disk for that project only.
    std::optional<Entry> recall(const QString& projectPath);
    // The card among `cards` that last opened `projectPath`, when it is still there and can
    // start: by installation id, else by the installation's path, in the remembered mode.
    std::optional<LaunchCard> rememberedCard(const QString& projectPath, const QList<LaunchCard>& cards);
    void forget();

    static QByteArray encode(const QList<Entry>& entries);
    // No value for bytes that are not a history this version reads whole: not a JSON array,
    // more than `capacity` entries, or an entry without a project path, an installation
    // id or a known mode (a newer version's is kept aside, not lost).
    static std::optional<QList<Entry>> decode(const QByteArray& bytes);

private:
    // What is stored now, with an undecodable value noted to be kept before a write.
    QList<Entry> read();
    void write(const QList<Entry>& entries);

    std::shared_ptr<UserDefaults> m_defaults;
    FileSystem& m_fileSystem;
    LaunchLogger& m_logger;
    std::optional<QVariant> m_unreadable; // kept as it was stored, whatever its type
};

} // namespace vantrel
