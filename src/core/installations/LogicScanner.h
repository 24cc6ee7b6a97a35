#pragma once

#include "installations/VersionReader.h"
#include "model/LogicApp.h"
#include "model/ResolvedLogicApp.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace vantrel {

class ArchitectureDetector;
class FileSystem;

// Finds Logic Pro copies in the Applications folders, merges them with the user's stored
// list and resolves every entry against the disk.
class LogicScanner {
public:
    // `ownBundlePath`: the running launcher's own bundle, which is never listed.
    LogicScanner(FileSystem& fileSystem, VersionReader versionReader,
                 std::shared_ptr<ArchitectureDetector> architectureDetector, QString ownBundlePath);

    // Stored entries first, in the user's order, keeping their identity, name, flags and
    // hidden modes; copies found on disk that are not stored follow, sorted by name. One
    // result per standardized path; the launcher itself never appears.
    QList<ResolvedLogicApp> scan(const QList<LogicApp>& persistedApps) const;

    // Whether a bundle is a Logic Pro application (and not the launcher).
    bool isLogicProApp(const QUrl& appURL) const;
    // Whether a bundle is the launcher itself (see AppConstants::isOwnApplication).
    bool isOwnApplication(const QUrl& appURL) const;

    FileSystem& fileSystem() const { return m_fileSystem; }

    static const QStringList knownBundleIdentifiers;
    static const QStringList nameHints;

private:
    struct Candidate;

    QStringList searchDirectories() const;
    bool isLogicProApp(const QString& path, const std::optional<QString>& identifier) const;
    void scanDirectory(const QString& directory, std::vector<Candidate>& found) const;
    static LogicApp mergedRecord(const Candidate& kept, const LogicApp& persisted);

    FileSystem& m_fileSystem;
    VersionReader m_versionReader;
    std::shared_ptr<ArchitectureDetector> m_architectureDetector;
    QString m_ownBundlePath;
};

} // namespace vantrel
