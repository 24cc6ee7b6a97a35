#include "plugins/AudioUnitScanner.h"

#include "installations/ArchitectureDetector.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "plist/PropertyList.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QHash>

#include <array>

namespace vantrel {

namespace {

constexpr qint64 cacheFormat = 1;

bool isComponentName(QStringView path)
{
    const QStringView name = path.sliced(path.lastIndexOf(u'/') + 1);
    return name.size() > 10 && name.endsWith(u".component", Qt::CaseInsensitive);
}

QCborValue textOrNull(const std::optional<QString>& text)
{
    return text ? QCborValue(*text) : QCborValue(QCborValue::Null);
}

std::optional<QString> optionalText(const QCborValue& value)
{
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

QCborArray stampArray(const FileStamp& stamp)
{
    return {stamp.device, stamp.inode, stamp.size, stamp.modifiedNanoseconds};
}

std::optional<FileStamp> stampFrom(const QCborValue& value)
{
    const QCborArray fields = value.toArray();
    if (fields.size() != 4
        || !std::all_of(fields.cbegin(), fields.cend(), [](const QCborValue& v) { return v.isInteger(); })) {
        return std::nullopt;
    }
    return FileStamp{fields[0].toInteger(), fields[1].toInteger(), fields[2].toInteger(), fields[3].toInteger()};
}

} // namespace

// A component as the cache keeps it: what was read, and the executable it was read from.
struct AudioUnitScanner::Entry {
    AudioUnitPlugin plugin;
    QString executable;             // host path; empty when there is none to read
    std::optional<FileStamp> stamp; // the executable's, taken before it was read
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
    return fileSystem.cachesDirectory() + u'/' + ownBundleIdentifier + QStringLiteral("/AudioUnits.cbor");
}

AudioUnitPlugin AudioUnitScanner::readComponent(const QString& bundlePath, Entry& entry) const
{
    static constexpr std::array<const char*, 4> keys{"AudioComponents/0/name", "CFBundleName",
                                                     "CFBundleShortVersionString", "CFBundleExecutable"};
    const auto bytes = m_fileSystem.readAll(bundlePath + QStringLiteral("/Contents/Info.plist"), infoPlistLimit);
    const auto values = bytes ? PropertyList::dictionaryStrings(*bytes, keys) : std::nullopt;
    const auto value = [&](std::size_t i) { return values ? (*values)[i] : std::nullopt; };

    const PluginNames names = pluginNames(value(0), value(1), bundlePath);
    AudioUnitPlugin plugin{bundlePath, names.name, names.manufacturer, std::nullopt, {}, PluginLoadClass::unreadable};
    if (const auto version = value(2); version && !version->trimmed().isEmpty()) {
        plugin.version = version->trimmed();
    }
    entry = {};
    if (const auto executable = value(3); executable && !executable->isEmpty()) {
        entry.executable = HostPath::standardized(bundlePath + QStringLiteral("/Contents/MacOS/") + *executable);
        entry.stamp = m_fileSystem.stamp(entry.executable);
        const auto header = entry.stamp
                                ? m_fileSystem.readPrefix(entry.executable, ArchitectureDetector::maxHeaderBytes)
                                : std::nullopt;
        if (header) {
            plugin.slices = ArchitectureDetector::architecturesFromMachOHeader(*header);
        }
    }
    plugin.loadClass = classifySlices(plugin.slices);
    entry.plugin = plugin;
    return plugin;
}

AudioUnitReport AudioUnitScanner::scan() const
{
    // The cache: entries by bundle path. Anything that does not decode is read afresh.
    QHash<QString, Entry> cached;
    if (!m_cacheFile.isEmpty()) {
        const auto bytes = m_fileSystem.readAll(m_cacheFile, cacheLimit);
        const QCborMap root = bytes ? QCborValue::fromCbor(*bytes).toMap() : QCborMap();
        if (root.value(QStringLiteral("format")).toInteger() == cacheFormat) {
            const QCborArray entries = root.value(QStringLiteral("components")).toArray();
            for (const QCborValue& item : entries) {
                const QCborMap map = item.toMap();
                Entry entry;
                entry.plugin.path = map.value(QStringLiteral("path")).toString();
                entry.plugin.name = map.value(QStringLiteral("name")).toString();
                entry.plugin.manufacturer = optionalText(map.value(QStringLiteral("manufacturer")));
                entry.plugin.version = optionalText(map.value(QStringLiteral("version")));
                entry.executable = map.value(QStringLiteral("executable")).toString();
                entry.stamp = stampFrom(map.value(QStringLiteral("stamp")));
                bool slicesKnown = true;
                for (const QCborValue& slice : map.value(QStringLiteral("slices")).toArray()) {
                    const auto arch = fromRawValue<BinaryArchitecture>(slice.toString());
                    slicesKnown = slicesKnown && arch.has_value();
                    if (arch) {
                        entry.plugin.slices.insert(*arch);
                    }
                }
                entry.plugin.loadClass = classifySlices(entry.plugin.slices);
                if (slicesKnown && entry.stamp && !entry.executable.isEmpty() && !entry.plugin.path.isEmpty()
                    && !entry.plugin.name.isEmpty()) {
                    cached.insert(entry.plugin.path, std::move(entry));
                }
            }
        }
    }

    AudioUnitReport report;
    QCborArray kept;
    bool changed = false;
    QStringList folders = componentFolders();
    folders.removeDuplicates();
    for (const QString& folder : std::as_const(folders)) {
        const auto children = m_fileSystem.listDirectory(folder);
        for (const QString& child : children.value_or(QStringList())) {
            if (!isComponentName(child)) {
                continue;
            }
            const QString path = HostPath::standardized(child);
            Entry entry;
            const auto hit = cached.constFind(path);
            if (hit != cached.cend() && m_fileSystem.stamp(hit->executable) == hit->stamp) {
                entry = *hit;
                report.plugins.append(entry.plugin);
            } else {
                report.plugins.append(readComponent(path, entry));
                // A stale entry goes; a new one that can be kept comes.
                changed = changed || hit != cached.cend() || (!entry.executable.isEmpty() && entry.stamp);
            }
            cached.remove(path);
            if (!entry.executable.isEmpty() && entry.stamp) {
                const AudioUnitPlugin& plugin = entry.plugin;
                QCborArray slices;
                for (BinaryArchitecture arch : allCases<BinaryArchitecture>()) {
                    if (plugin.slices.contains(arch)) {
                        slices.append(rawValue(arch));
                    }
                }
                kept.append(QCborMap{{QStringLiteral("path"), plugin.path},
                                     {QStringLiteral("name"), plugin.name},
                                     {QStringLiteral("manufacturer"), textOrNull(plugin.manufacturer)},
                                     {QStringLiteral("version"), textOrNull(plugin.version)},
                                     {QStringLiteral("executable"), entry.executable},
                                     {QStringLiteral("stamp"), stampArray(*entry.stamp)},
                                     {QStringLiteral("slices"), slices}});
            }
        }
    }
    // A bundle that has gone leaves the cache.
    changed = changed || !cached.isEmpty();
    if (changed && !m_cacheFile.isEmpty()) {
        const QCborMap root{{QStringLiteral("format"), cacheFormat}, {QStringLiteral("components"), kept}};
        m_fileSystem.createDirectories(m_cacheFile.first(m_cacheFile.lastIndexOf(u'/')));
        m_fileSystem.writeAtomically(m_cacheFile, root.toCborValue().toCbor());
    }
    report.sort();
    return report;
}

} // namespace vantrel
