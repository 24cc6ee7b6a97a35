#include "installations/LogicScanner.h"

#include "installations/AppConstants.h"
#include "installations/ArchitectureDetector.h"
#include "installations/InfoPlist.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"

#include <QCollator>
#include <QHash>
#include <QSet>

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
    , m_ownBundlePath(std::move(ownBundlePath))
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

// Whether a standardized path's last component has the extension "app", in any case.
bool isBundleName(QStringView path)
{
    const QStringView name = path.sliced(path.lastIndexOf(u'/') + 1);
    return name.size() > 4 && name.endsWith(u".app", Qt::CaseInsensitive);
}

} // namespace

// Each bundle's Info.plist, read and parsed at most once per scan.
class LogicScanner::InfoDictionaries {
public:
    explicit InfoDictionaries(const FileSystem& fileSystem)
        : m_fileSystem(fileSystem)
    {
    }

    std::optional<BundleInfo> of(const QString& bundlePath)
    {
        const QString key = HostPath::standardized(bundlePath);
        auto it = m_byPath.constFind(key);
        if (it == m_byPath.cend()) {
            it = m_byPath.insert(key, readBundleInfo(m_fileSystem, key));
        }
        return *it;
    }

    std::optional<QString> identifierOf(const QString& bundlePath)
    {
        const auto info = of(bundlePath);
        return info ? info->identifier : std::nullopt;
    }

private:
    const FileSystem& m_fileSystem;
    QHash<QString, std::optional<BundleInfo>> m_byPath;
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

QList<LogicApp> LogicScanner::scanDirectory(const QString& directory, InfoDictionaries& infos) const
{
    QList<LogicApp> found;
    const auto children = m_fileSystem.listDirectory(directory);
    if (!children) {
        return found;
    }
    for (const QString& child : *children) {
        // Only a bundle has its info dictionary read.
        if (isBundleName(child) && isLogicProApp(child, infos.identifierOf(child))) {
            found.append(LogicApp::make(HostPath::baseName(child), child, false));
        }
    }
    return found;
}

QList<ResolvedLogicApp> LogicScanner::scan(const QList<LogicApp>& persistedApps) const
{
    InfoDictionaries infos(m_fileSystem);
    auto keyOf = [](const LogicApp& app) { return HostPath::standardized(app.bundlePath); };
    auto isOwn = [&](const LogicApp& app) {
        return AppConstants::isOwnBundle(app.bundlePath, infos.identifierOf(app.bundlePath), m_ownBundlePath);
    };

    QHash<QString, LogicApp> byKey;
    QStringList discoveryOrder;
    for (const QString& directory : searchDirectories()) {
        // scanDirectory keeps only Logic Pro bundles, which already excludes the launcher.
        for (const LogicApp& discovered : scanDirectory(directory, infos)) {
            const QString key = keyOf(discovered);
            if (!byKey.contains(key)) {
                discoveryOrder.append(key);
            }
            byKey.insert(key, discovered);
        }
    }
    for (const LogicApp& persisted : persistedApps) {
        if (isOwn(persisted)) {
            continue;
        }
        const QString key = keyOf(persisted);
        auto it = byKey.find(key);
        if (it != byKey.end()) {
            // The stored entry keeps its identity and the user's choices; the copy on disk
            // contributes only its path as listed.
            it->id = persisted.id;
            it->displayName = persisted.displayName;
            it->isUserDefined = persisted.isUserDefined;
            it->hiddenModes = persisted.hiddenModes;
        } else {
            byKey.insert(key, persisted);
        }
    }

    QList<LogicApp> ordered;
    QSet<QString> emitted;
    for (const LogicApp& persisted : persistedApps) {
        const QString key = keyOf(persisted);
        if (byKey.contains(key) && !emitted.contains(key)) {
            ordered.append(byKey.value(key));
            emitted.insert(key);
        }
    }
    // The copies found but not stored follow, sorted by name.
    QList<LogicApp> extras;
    for (const QString& key : discoveryOrder) {
        if (!emitted.contains(key)) {
            extras.append(byKey.value(key));
            emitted.insert(key);
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto byName = [&](const LogicApp& a, const LogicApp& b) {
        return collator.compare(a.displayName, b.displayName) < 0;
    };
    // Folders list their entries in order, so the copies found mostly come sorted already.
    if (!std::is_sorted(extras.cbegin(), extras.cend(), byName)) {
        std::stable_sort(extras.begin(), extras.end(), byName);
    }
    ordered.append(extras);

    QList<ResolvedLogicApp> resolved;
    resolved.reserve(ordered.size());
    for (const LogicApp& app : ordered) {
        ResolvedLogicApp entry{app, std::nullopt, true};
        // A bundle that is gone has no info dictionary either.
        if (const auto info = infos.of(app.bundlePath)) {
            entry.metadata = m_versionReader.metadata(app.bundlePath, *info, *m_architectureDetector);
        }
        entry.isMissing = !entry.metadata.has_value();
        resolved.append(entry);
    }
    return resolved;
}

} // namespace vantrel
