#pragma once

#include "platform/PreferencesSystem.h"

#include <QString>

#include <memory>

namespace vantrel::sim {

class RootedFileSystem;

// Preference domains of the simulated Mac: one property-list file per domain,
// "~/Library/Preferences/<domain>.plist". Reads are served from memory, as the Mac's
// preferences daemon serves them, as long as the file is what was read last: nothing was
// written to the disk since (any process's write through the disk counts), or the file's
// inode, size and modification time are unchanged; a changed file is read again, so two
// processes (the launcher and a stand-in Logic Pro) see each other's writes at once. Every
// write is a locked read-modify-write followed by an atomic replace, so concurrent
// writers never lose each other's keys or leave a torn file. A file that is corrupt,
// empty or not a dictionary reads as an empty domain, and the next write replaces it
// with a valid one.
class SimulatedPreferences final : public PreferencesSystem {
public:
    // Writes are recorded in the host's event log at `eventLogFile` (none when empty).
    SimulatedPreferences(std::shared_ptr<RootedFileSystem> fileSystem, QString standardDomain, QString lockFolder,
                         QString eventLogFile = {});

    std::shared_ptr<UserDefaults> standard() override;
    std::shared_ptr<UserDefaults> suite(const QString& name) override;
    void setAppValue(const QString& key, const std::optional<QVariant>& value, const QString& applicationID) override;
    bool appSynchronize(const QString& applicationID) override;

    // The host path of a domain's file.
    QString domainFilePath(const QString& domain) const;

private:
    class Domain;
    struct CachedDomain;
    struct Cache;

    std::shared_ptr<RootedFileSystem> m_fileSystem;
    std::shared_ptr<Cache> m_cache; // shared by every domain object made here
    std::shared_ptr<Domain> m_standard;
    QString m_standardDomain;
    QString m_lockFolder;
    QString m_eventLogFile;
};

} // namespace vantrel::sim
