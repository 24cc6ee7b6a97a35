#pragma once

#include "plugins/AudioUnitReport.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

namespace vantrel {

class FileSystem;

// Reads the Audio Unit folders Logic Pro loads from, one level deep: every ".component"
// bundle's names, version and executable slices. What it learnt is kept in a cache file,
// keyed by the bundle's path and its executable's stamp: a component whose executable is
// unchanged is not read again. Safe to run off the main thread; nothing it reads can
// make it hang or fail (a missing, hostile or odd file gives an unreadable plug-in).
class AudioUnitScanner {
public:
    // `cacheFile`: a host path; empty for no cache.
    AudioUnitScanner(FileSystem& fileSystem, QString cacheFile);

    // "~/Library/Audio/Plug-Ins/Components", then "/Library/Audio/Plug-Ins/Components".
    QStringList componentFolders() const;
    // "~/Library/Caches/<identifier>/AudioUnits.cache".
    static QString defaultCacheFile(const FileSystem& fileSystem, const QString& ownBundleIdentifier);

    // Every component of both folders, in the report's order (listedBefore). Writes the cache
    // when anything differs from it. When `cancelled` turns true the scan stops at the next
    // component and returns what it has, leaving the cache as it was.
    AudioUnitReport scan(const std::atomic<bool>* cancelled = nullptr) const;

    // Limits on what is read: an Info.plist and the cache file.
    static constexpr qint64 infoPlistLimit = 8 * 1024 * 1024;
    static constexpr qint64 cacheLimit = 64 * 1024 * 1024;

private:
    struct Entry;
    // The component bundles of both folders, standardized, in the folders' order.
    std::vector<QString> listComponents(const std::atomic<bool>* cancelled) const;
    Entry readComponent(const QString& bundlePath) const;
    std::vector<Entry> readCache() const;
    void writeCache(const std::vector<Entry>& entries) const;

    FileSystem& m_fileSystem;
    QString m_cacheFile;
};

} // namespace vantrel
