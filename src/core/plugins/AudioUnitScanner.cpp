#include "plugins/AudioUnitScanner.h"

#include "installations/ArchitectureDetector.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "plist/PropertyList.h"

#include <QDataStream>
#include <QHash>
#include <QIODevice>

#include <array>

namespace vantrel {

namespace {

// The cache file: this magic number and format, then the entries in the order the report
// lists them. Anything else (an older format, a damaged or foreign file) is read past.
constexpr quint32 cacheMagic = 0x56415543; // "VAUC"
constexpr qint32 cacheFormat = 1;
constexpr quint32 cacheMaxEntries = 1'000'000;

enum : quint8 { hasManufacturer = 1, hasVersion = 2 };
enum : quint8 { arm64Slice = 1, x86_64Slice = 2 };

bool isComponentName(QStringView path)
{
    return HostPath::hasBundleExtension(path, u"component");
}

} // namespace

// A component with the executable it was read from and that file's stamp at the read:
// what the cache keeps. Without an executable to stamp, nothing is kept.
struct AudioUnitScanner::Entry {
    AudioUnitPlugin plugin;
    QString executable;
    std::optional<FileStamp> stamp;

    bool isKept() const { return !executable.isEmpty() && stamp.has_value(); }
};

AudioUnitScanner::AudioUnitScanner(FileSystem& fileSystem, QString cacheFile)
    : m_fileSystem(fileSystem)
    , m_cacheFile(std::move(cacheFile))
{
}

QStringList AudioUnitScanner::componentFolders() const
{
    return {HostPath::standardized(m_fileSystem.libraryDirectory() + QStringLiteral("/Audio/Plug-Ins/Components")),
            QStringLiteral("/Library/Audio/Plug-Ins/Components")};
}

QString AudioUnitScanner::defaultCacheFile(const FileSystem& fileSystem, const QString& ownBundleIdentifier)
{
    return fileSystem.cachesDirectory() + u'/' + ownBundleIdentifier + QStringLiteral("/AudioUnits.cache");
}

AudioUnitScanner::Entry AudioUnitScanner::readComponent(const QString& bundlePath) const
{
    static constexpr std::array<const char*, 4> keys{"AudioComponents/0/name", "CFBundleName",
                                                     "CFBundleShortVersionString", "CFBundleExecutable"};
    const auto bytes = m_fileSystem.readAll(bundlePath + QStringLiteral("/Contents/Info.plist"), infoPlistLimit);
    const auto values = bytes ? PropertyList::dictionaryStrings(*bytes, keys) : std::nullopt;
    const auto value = [&](std::size_t i) { return values ? (*values)[i] : std::nullopt; };

    const PluginNames names = pluginNames(value(0), value(1), bundlePath);
    Entry entry{{bundlePath, names.name, names.manufacturer, std::nullopt, {}, PluginLoadClass::unreadable}, {}, {}};
    if (const auto version = value(2); version && !version->trimmed().isEmpty()) {
        entry.plugin.version = version->trimmed();
    }
    if (const auto executable = value(3); executable && !executable->isEmpty()) {
        entry.executable = HostPath::standardized(bundlePath + QStringLiteral("/Contents/MacOS/") + *executable);
        FileStamp stamp;
        if (const auto header =
                m_fileSystem.readPrefix(entry.executable, ArchitectureDetector::maxHeaderBytes, &stamp)) {
            entry.stamp = stamp;
            entry.plugin.slices = ArchitectureDetector::architecturesFromMachOHeader(*header);
        }
    }
    entry.plugin.loadClass = classifySlices(entry.plugin.slices);
    return entry;
}

std::vector<AudioUnitScanner::Entry> AudioUnitScanner::readCache() const
{
    const auto bytes = m_cacheFile.isEmpty() ? std::nullopt : m_fileSystem.readAll(m_cacheFile, cacheLimit);
    if (!bytes) {
        return {};
    }
    QDataStream in(*bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    qint32 format = 0;
    quint32 count = 0;
    in >> magic >> format >> count;
    if (in.status() != QDataStream::Ok || magic != cacheMagic || format != cacheFormat || count > cacheMaxEntries) {
        return {};
    }
    std::vector<Entry> entries;
    entries.reserve(std::min<std::size_t>(count, std::size_t(bytes->size() / 64)));
    for (quint32 i = 0; i < count; ++i) {
        Entry entry;
        AudioUnitPlugin& plugin = entry.plugin;
        quint8 present = 0;
        quint8 slices = 0;
        FileStamp stamp;
        in >> plugin.path >> plugin.name >> present;
        if ((present & hasManufacturer) != 0) {
            plugin.manufacturer.emplace();
            in >> *plugin.manufacturer;
        }
        if ((present & hasVersion) != 0) {
            plugin.version.emplace();
            in >> *plugin.version;
        }
        in >> entry.executable >> stamp.device >> stamp.inode >> stamp.size >> stamp.modifiedNanoseconds >> slices;
        if (in.status() != QDataStream::Ok || plugin.path.isEmpty() || plugin.name.isEmpty()
            || entry.executable.isEmpty()) {
            return {};
        }
        if ((slices & arm64Slice) != 0) {
            plugin.slices.insert(BinaryArchitecture::arm64);
        }
        if ((slices & x86_64Slice) != 0) {
            plugin.slices.insert(BinaryArchitecture::x86_64);
        }
        plugin.loadClass = classifySlices(plugin.slices);
        entry.stamp = stamp;
        entries.push_back(std::move(entry));
    }
    return entries;
}

void AudioUnitScanner::writeCache(const std::vector<Entry>& entries) const
{
    if (m_cacheFile.isEmpty()) {
        return;
    }
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    const auto kept = std::count_if(entries.cbegin(), entries.cend(), [](const Entry& e) { return e.isKept(); });
    out << cacheMagic << cacheFormat << quint32(kept);
    for (const Entry& entry : entries) {
        if (!entry.isKept()) {
            continue;
        }
        const AudioUnitPlugin& plugin = entry.plugin;
        out << plugin.path << plugin.name
            << quint8((plugin.manufacturer ? hasManufacturer : 0) | (plugin.version ? hasVersion : 0));
        if (plugin.manufacturer) {
            out << *plugin.manufacturer;
        }
        if (plugin.version) {
            out << *plugin.version;
        }
        const FileStamp& stamp = *entry.stamp;
        out << entry.executable << stamp.device << stamp.inode << stamp.size << stamp.modifiedNanoseconds
            << quint8((plugin.slices.contains(BinaryArchitecture::arm64) ? arm64Slice : 0)
                      | (plugin.slices.contains(BinaryArchitecture::x86_64) ? x86_64Slice : 0));
    }
    m_fileSystem.createDirectories(m_cacheFile.first(m_cacheFile.lastIndexOf(u'/')));
    m_fileSystem.writeAtomically(m_cacheFile, bytes);
}

AudioUnitReport AudioUnitScanner::scan(const std::atomic<bool>* cancelled) const
{
    std::vector<Entry> cached = readCache();
    QHash<QString, std::size_t> cachedByPath;
    cachedByPath.reserve(qsizetype(cached.size()));
    for (std::size_t i = 0; i < cached.size(); ++i) {
        cachedByPath.insert(cached[i].plugin.path, i);
    }
    std::vector<bool> used(cached.size(), false);

    std::vector<Entry> entries;
    std::vector<std::size_t> fromCache; // each entry's place in the cache, when it came from there
    entries.reserve(cached.size());
    fromCache.reserve(cached.size());
    bool changed = false;  // the cache must be written anew
    bool allCached = true; // every component came from the cache
    const auto isCancelled = [cancelled] { return cancelled && cancelled->load(std::memory_order_relaxed); };
    QStringList folders = componentFolders();
    folders.removeDuplicates();
    for (const QString& folder : std::as_const(folders)) {
        if (isCancelled()) {
            break;
        }
        const auto children = m_fileSystem.listDirectory(folder);
        for (const QString& child : children.value_or(QStringList())) {
            if (isCancelled()) {
                break;
            }
            if (!isComponentName(child)) {
                continue;
            }
            const QString path = HostPath::standardized(child);
            const auto hit = cachedByPath.constFind(path);
            if (hit != cachedByPath.cend() && !used[*hit]) {
                used[*hit] = true;
                Entry& known = cached[*hit];
                if (m_fileSystem.stamp(known.executable) == known.stamp) {
                    entries.push_back(std::move(known));
                    fromCache.push_back(*hit);
                    continue;
                }
                changed = true; // a stale entry goes
            }
            Entry fresh = readComponent(path);
            // A file named like a bundle is none; a folder without its Info.plist is one.
            if (!fresh.isKept() && !m_fileSystem.isDirectory(path)) {
                continue;
            }
            entries.push_back(std::move(fresh));
            fromCache.push_back(cached.size());
            allCached = false;
            changed = changed || entries.back().isKept();
        }
    }
    AudioUnitReport report;
    report.plugins.reserve(qsizetype(entries.size()));
    if (isCancelled()) {
        // Half a scan is never kept.
        for (Entry& entry : entries) {
            report.plugins.append(std::move(entry.plugin));
        }
        return report;
    }
    // A bundle that has gone leaves the cache.
    changed = changed || std::find(used.cbegin(), used.cend(), false) != used.cend();

    if (allCached && !changed) {
        // The components are exactly the cache's, which lists them in the report's order.
        std::vector<Entry> ordered(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            ordered[fromCache[i]] = std::move(entries[i]);
        }
        entries = std::move(ordered);
    } else {
        const QCollator collator = pluginCollator();
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const Entry& a, const Entry& b) { return listedBefore(collator, a.plugin, b.plugin); });
    }
    if (changed) {
        writeCache(entries);
    }
    for (Entry& entry : entries) {
        report.plugins.append(std::move(entry.plugin));
    }
    return report;
}

} // namespace vantrel
