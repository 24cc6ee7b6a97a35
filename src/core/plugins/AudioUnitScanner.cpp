#include "plugins/AudioUnitScanner.h"

#include "async/ParallelFor.h"
#include "installations/ArchitectureDetector.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "plist/PropertyList.h"

#include <QHash>
#include <QtEndian>

#include <array>
#include <functional>
#include <numeric>

namespace vantrel {

namespace {

// The cache file: this magic number and format, then the entries in the order the report
// lists them. Numbers are little-endian; a text is its length in bytes, then its UTF-8.
// Anything else (an older format, a damaged or foreign file) is read past.
constexpr quint32 cacheMagic = 0x56415543; // "VAUC" as a number ("CUAV" on disk)
constexpr quint32 cacheFormat = 2;
constexpr quint32 cacheMaxEntries = 1'000'000;

// Reads the cache's fields in turn; past the end, or at a length that does not fit, every
// later field reads as empty and ok() is false.
class CacheReader {
public:
    explicit CacheReader(const QByteArray& bytes)
        : m_at(bytes.constData())
        , m_end(bytes.constData() + bytes.size())
    {
    }

    bool ok() const { return m_ok; }

    template <typename T>
    T number()
    {
        if (!take(sizeof(T))) {
            return T{};
        }
        return qFromLittleEndian<T>(m_at - sizeof(T));
    }

    QString text()
    {
        const auto length = number<quint32>();
        if (!take(length)) {
            return {};
        }
        return QString::fromUtf8(m_at - length, qsizetype(length));
    }

private:
    bool take(std::size_t count)
    {
        m_ok = m_ok && count <= std::size_t(m_end - m_at);
        if (m_ok) {
            m_at += count;
        }
        return m_ok;
    }

    const char* m_at;
    const char* m_end;
    bool m_ok = true;
};

struct CacheWriter {
    QByteArray bytes;

    template <typename T>
    void number(T value)
    {
        char buffer[sizeof(T)];
        qToLittleEndian(value, buffer);
        bytes.append(buffer, qsizetype(sizeof(T)));
    }

    void text(const QString& value)
    {
        const QByteArray utf8 = value.toUtf8();
        number(quint32(utf8.size()));
        bytes.append(utf8);
    }
};

enum : quint8 { hasManufacturer = 1, hasVersion = 2 };
enum : quint8 { arm64Slice = 1, x86_64Slice = 2 };

bool isSet(const std::atomic<bool>* flag)
{
    return flag && flag->load(std::memory_order_relaxed);
}

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
    CacheReader in(*bytes);
    const quint32 magic = in.number<quint32>();
    const quint32 format = in.number<quint32>();
    const quint32 count = in.number<quint32>();
    if (!in.ok() || magic != cacheMagic || format != cacheFormat || count > cacheMaxEntries) {
        return {};
    }
    std::vector<Entry> entries;
    entries.reserve(std::min<std::size_t>(count, std::size_t(bytes->size() / 64)));
    for (quint32 i = 0; i < count; ++i) {
        Entry entry;
        AudioUnitPlugin& plugin = entry.plugin;
        plugin.path = in.text();
        plugin.name = in.text();
        const auto present = in.number<quint8>();
        if ((present & hasManufacturer) != 0) {
            plugin.manufacturer = in.text();
        }
        if ((present & hasVersion) != 0) {
            plugin.version = in.text();
        }
        entry.executable = in.text();
        FileStamp stamp;
        stamp.device = in.number<qint64>();
        stamp.inode = in.number<qint64>();
        stamp.size = in.number<qint64>();
        stamp.modifiedNanoseconds = in.number<qint64>();
        const auto slices = in.number<quint8>();
        if (!in.ok() || plugin.path.isEmpty() || plugin.name.isEmpty() || entry.executable.isEmpty()) {
            return {};
        }
        plugin.slices = sharedSliceSet((slices & arm64Slice) != 0, (slices & x86_64Slice) != 0);
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
    CacheWriter out;
    const auto kept = std::count_if(entries.cbegin(), entries.cend(), [](const Entry& e) { return e.isKept(); });
    out.number(cacheMagic);
    out.number(cacheFormat);
    out.number(quint32(kept));
    for (const Entry& entry : entries) {
        if (!entry.isKept()) {
            continue;
        }
        const AudioUnitPlugin& plugin = entry.plugin;
        out.text(plugin.path);
        out.text(plugin.name);
        out.number(quint8((plugin.manufacturer ? hasManufacturer : 0) | (plugin.version ? hasVersion : 0)));
        if (plugin.manufacturer) {
            out.text(*plugin.manufacturer);
        }
        if (plugin.version) {
            out.text(*plugin.version);
        }
        out.text(entry.executable);
        const FileStamp& stamp = *entry.stamp;
        for (const qint64 field : {stamp.device, stamp.inode, stamp.size, stamp.modifiedNanoseconds}) {
            out.number(field);
        }
        out.number(quint8((plugin.slices.contains(BinaryArchitecture::arm64) ? arm64Slice : 0)
                          | (plugin.slices.contains(BinaryArchitecture::x86_64) ? x86_64Slice : 0)));
    }
    m_fileSystem.createDirectories(m_cacheFile.first(m_cacheFile.lastIndexOf(u'/')));
    m_fileSystem.writeAtomically(m_cacheFile, out.bytes);
}

std::vector<QString> AudioUnitScanner::listComponents(const std::atomic<bool>* cancelled) const
{
    std::vector<QString> paths;
    QStringList folders = componentFolders();
    folders.removeDuplicates();
    for (const QString& folder : std::as_const(folders)) {
        const auto children = isSet(cancelled) ? std::nullopt : m_fileSystem.listDirectory(folder);
        for (const QString& child : children.value_or(QStringList())) {
            if (isComponentName(child)) {
                paths.push_back(HostPath::standardized(child));
            }
        }
    }
    return paths;
}

AudioUnitReport AudioUnitScanner::scan(const std::atomic<bool>* cancelled) const
{
    const auto isCancelled = [cancelled] { return isSet(cancelled); };
    // The cache is read while the folders are listed.
    std::vector<Entry> cached;
    std::vector<QString> paths; // the components, in the folders' order
    const std::function<void()> halves[] = {[&] { cached = readCache(); }, [&] { paths = listComponents(cancelled); }};
    parallelFor(2, [&](std::size_t half) { halves[half](); }, {.minimumPerThread = 1});

    // Each component's entry in the cache, when it has one.
    QHash<QString, std::size_t> cachedByPath;
    cachedByPath.reserve(qsizetype(cached.size()));
    for (std::size_t i = 0; i < cached.size(); ++i) {
        cachedByPath.insert(cached[i].plugin.path, i);
    }
    std::vector<bool> used(cached.size(), false);
    std::vector<std::size_t> fromCache(paths.size(), cached.size()); // a place in the cache, or cached.size()
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto hit = cachedByPath.constFind(paths[i]);
        if (hit != cachedByPath.cend() && !used[*hit]) {
            used[*hit] = true;
            fromCache[i] = *hit;
        }
    }

    // A cached entry whose executable is unchanged is taken as it is; anything else is read.
    enum class Outcome : quint8 { skipped, cached, read };
    struct Found {
        Outcome outcome = Outcome::skipped;
        bool stale = false; // its cache entry is out of date
        Entry entry;
    };
    std::vector<Found> found(paths.size());
    parallelFor(paths.size(), [&](std::size_t i) {
        if (isCancelled()) {
            return;
        }
        Found& component = found[i];
        if (fromCache[i] < cached.size()) {
            const Entry& known = cached[fromCache[i]];
            if (m_fileSystem.stamp(known.executable) == known.stamp) {
                component.outcome = Outcome::cached;
                return;
            }
            component.stale = true;
        }
        component.entry = readComponent(paths[i]);
        // A file named like a bundle is none; a folder without its Info.plist is one.
        if (component.entry.isKept() || m_fileSystem.isDirectory(paths[i])) {
            component.outcome = Outcome::read;
        }
    });

    std::vector<Entry> entries;
    std::vector<std::size_t> places; // each entry's place in the cache, when it came from there
    entries.reserve(paths.size());
    places.reserve(paths.size());
    bool changed = false;  // the cache must be written anew
    bool allCached = true; // every component came from the cache
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Found& component = found[i];
        changed = changed || component.stale; // a stale entry goes
        if (component.outcome == Outcome::cached) {
            entries.push_back(std::move(cached[fromCache[i]]));
            places.push_back(fromCache[i]);
        } else if (component.outcome == Outcome::read) {
            entries.push_back(std::move(component.entry));
            places.push_back(cached.size());
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
            ordered[places[i]] = std::move(entries[i]);
        }
        entries = std::move(ordered);
    } else {
        // Sorted by place, so that the entries themselves move once.
        const QCollator collator = pluginCollator();
        std::vector<std::size_t> order(entries.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return listedBefore(collator, entries[a].plugin, entries[b].plugin);
        });
        std::vector<Entry> sorted;
        sorted.reserve(entries.size());
        for (const std::size_t place : order) {
            sorted.push_back(std::move(entries[place]));
        }
        entries = std::move(sorted);
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
