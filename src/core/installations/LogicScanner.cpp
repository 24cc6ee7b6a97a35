#include "installations/LogicScanner.h"

#include "async/ParallelFor.h"
#include "installations/AppConstants.h"
#include "installations/ArchitectureDetector.h"
#include "installations/InfoPlist.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace vantrel {

const QStringList LogicScanner::knownBundleIdentifiers = {
    QStringLiteral("com.apple.logic10"),
    QStringLiteral("com.apple.logic"),
    QStringLiteral("com.apple.logicpro"),
    QStringLiteral("com.apple.mobilelogic"),
};

const QStringList LogicScanner::nameHints = {
    QStringLiteral("Logic Pro"),
    QStringLiteral("Logic Pro X"),
    QStringLiteral("Logic Beta"),
};

LogicScanner::LogicScanner(FileSystem& fileSystem, VersionReader versionReader,
                           std::shared_ptr<ArchitectureDetector> architectureDetector, QString ownBundlePath)
    : m_fileSystem(fileSystem)
    , m_versionReader(versionReader)
    , m_architectureDetector(std::move(architectureDetector))
    , m_ownBundlePath(HostPath::standardized(ownBundlePath))
{
}

bool LogicScanner::isOwnApplication(const QUrl& appURL) const
{
    return AppConstants::isOwnApplication(appURL, m_versionReader, m_ownBundlePath);
}

QStringList LogicScanner::searchDirectories() const
{
    return {m_fileSystem.applicationsDirectory(), m_fileSystem.userApplicationsDirectory()};
}

namespace {

bool isBundleName(QStringView path)
{
    return HostPath::hasBundleExtension(path, u"app");
}

} // namespace

// A copy found on disk or kept in the stored list, with its standardized path and its info
// dictionary, read once per scan. A copy found on disk has its metadata read with it.
struct LogicScanner::Candidate {
    LogicApp app;
    QString key;
    std::optional<BundleInfo> info;
    bool onDisk = false; // found in an Applications folder
    bool taken = false;  // found, and claimed by a stored entry
    std::optional<LogicAppMetadata> metadata;
};

bool LogicScanner::isLogicProApp(const QUrl& appURL) const
{
    // Only a bundle has its info dictionary read.
    const QString path = HostPath::fromURL(appURL);
    return isBundleName(path) && isLogicProApp(path, m_versionReader.bundleIdentifier(appURL));
}

bool LogicScanner::isLogicProApp(const QString& path, const std::optional<QString>& identifier) const
{
    if (!isBundleName(path)) {
        return false;
    }
    // The identifier serves both the own-application test and this one.
    if (AppConstants::isOwnBundle(path, identifier, m_ownBundlePath)) {
        return false;
    }
    if (identifier) {
        if (knownBundleIdentifiers.contains(*identifier)) {
            return true;
        }
        if (!identifier->startsWith(QStringLiteral("com.apple."))) {
            return false;
        }
        return identifier->toLower().contains(QStringLiteral("logic"));
    }
    const QString name = HostPath::baseName(path);
    if (name.compare(QStringLiteral("Logic"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    return std::any_of(nameHints.cbegin(), nameHints.cend(),
                       [&](const QString& hint) { return name.contains(hint, Qt::CaseInsensitive); });
}

void LogicScanner::scanDirectory(const QString& directory, std::vector<Candidate>& found) const
{
    const auto children = m_fileSystem.listDirectory(directory);
    if (!children) {
        return;
    }
    // Only a bundle has its info dictionary read.
    std::vector<QString> bundles;
    for (const QString& child : *children) {
        if (isBundleName(child)) {
            bundles.push_back(child);
        }
    }
    // Each bundle is read on its own, several at a time: its info dictionary, and for a copy
    // of Logic Pro the slices of its executable.
    struct Read {
        QString key;
        std::optional<BundleInfo> info;
        bool isLogicPro = false;
        std::optional<LogicAppMetadata> metadata;
    };
    std::vector<Read> reads(bundles.size());
    found.reserve(found.size() + bundles.size());
    parallelFor(bundles.size(), [&](std::size_t i) {
        Read& read = reads[i];
        read.key = HostPath::standardized(bundles[i]);
        read.info = readBundleInfo(m_fileSystem, read.key);
        read.isLogicPro = isLogicProApp(read.key, read.info ? read.info->identifier : std::nullopt);
        if (read.isLogicPro && read.info) {
            read.metadata = m_versionReader.metadata(read.key, *read.info, *m_architectureDetector);
        }
    });
    for (std::size_t i = 0; i < bundles.size(); ++i) {
        Read& read = reads[i];
        if (read.isLogicPro) {
            // The name without ".app": the bundle's base name.
            QString name = read.key.sliced(read.key.lastIndexOf(u'/') + 1).chopped(4);
            found.push_back({LogicApp::make(std::move(name), bundles[i], false), std::move(read.key),
                             std::move(read.info), true, false, std::move(read.metadata)});
        }
    }
}

QList<ResolvedLogicApp> LogicScanner::scan(const QList<LogicApp>& persistedApps) const
{
    std::vector<Candidate> found;
    QStringList directories = searchDirectories();
    for (QString& directory : directories) {
        directory = HostPath::standardized(directory);
    }
    directories.removeDuplicates(); // a home folder at "/" lists /Applications once
    for (const QString& directory : std::as_const(directories)) {
        // scanDirectory keeps only Logic Pro bundles, which already excludes the launcher.
        scanDirectory(directory, found);
    }

    // The stored entries, in the user's order: one per path, where the path first appears,
    // with the fields of the last entry that has it.
    std::vector<Candidate> ordered;
    if (!persistedApps.isEmpty()) {
        QHash<QString, qsizetype> foundByKey;
        foundByKey.reserve(qsizetype(found.size()));
        for (qsizetype i = 0; i < qsizetype(found.size()); ++i) {
            foundByKey.insert(found[std::size_t(i)].key, i);
        }
        QHash<QString, qsizetype> orderedByKey;
        for (const LogicApp& persisted : persistedApps) {
            QString key = HostPath::standardized(persisted.bundlePath);
            if (const auto it = orderedByKey.constFind(key); it != orderedByKey.cend()) {
                Candidate& kept = ordered[std::size_t(*it)];
                kept.app = mergedRecord(kept, persisted);
                continue;
            }
            if (const auto it = foundByKey.constFind(key); it != foundByKey.cend()) {
                // A copy found on disk is never the launcher.
                Candidate& copy = found[std::size_t(*it)];
                copy.taken = true;
                Candidate entry{copy.app, copy.key, copy.info, true, false, copy.metadata};
                entry.app = mergedRecord(entry, persisted);
                orderedByKey.insert(key, qsizetype(ordered.size()));
                ordered.push_back(std::move(entry));
                continue;
            }
            auto info = readBundleInfo(m_fileSystem, key);
            if (AppConstants::isOwnBundle(key, info ? info->identifier : std::nullopt, m_ownBundlePath)) {
                continue;
            }
            orderedByKey.insert(key, qsizetype(ordered.size()));
            ordered.push_back({persisted, std::move(key), std::move(info), false, false, std::nullopt});
        }
    }

    // The copies found but not stored follow, sorted by name.
    const auto storedCount = std::ptrdiff_t(ordered.size());
    ordered.reserve(ordered.size() + found.size());
    for (Candidate& copy : found) {
        if (!copy.taken) {
            ordered.push_back(std::move(copy));
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto byName = [&](const Candidate& a, const Candidate& b) {
        return collator.compare(a.app.displayName, b.app.displayName) < 0;
    };
    // Folders list their entries in order, so the copies found mostly come sorted already.
    const auto extras = ordered.begin() + storedCount;
    if (!std::is_sorted(extras, ordered.end(), byName)) {
        std::stable_sort(extras, ordered.end(), byName);
    }

    QList<ResolvedLogicApp> resolved;
    resolved.reserve(qsizetype(ordered.size()));
    for (Candidate& entry : ordered) {
        // A stored copy outside the Applications folders is read now; a bundle that is gone
        // has no info dictionary either.
        if (!entry.onDisk && entry.info) {
            entry.metadata = m_versionReader.metadata(entry.key, *entry.info, *m_architectureDetector);
        }
        const bool isMissing = !entry.metadata.has_value();
        resolved.append({std::move(entry.app), std::move(entry.metadata), isMissing});
    }
    return resolved;
}

// A stored entry keeps its identity and the user's choices; a copy on disk contributes only
// its path as listed. Of several stored entries for one path, the last one's fields hold.
LogicApp LogicScanner::mergedRecord(const Candidate& kept, const LogicApp& persisted)
{
    LogicApp merged = persisted;
    if (kept.onDisk) {
        merged.bundlePath = kept.app.bundlePath;
    }
    return merged;
}

} // namespace vantrel
