#include "installations/InfoPlist.h"

#include "platform/FileSystem.h"
#include "plist/PropertyList.h"

#include <array>

namespace vantrel {

namespace {

std::optional<QByteArray> infoPlistBytes(const FileSystem& fileSystem, const QString& bundlePath)
{
    // A bundle's Info.plist is a few kilobytes; one of megabytes is no bundle's.
    constexpr qint64 infoPlistLimit = 8 * 1024 * 1024;
    return fileSystem.readAll(bundlePath + QStringLiteral("/Contents/Info.plist"), infoPlistLimit);
}

} // namespace

std::optional<BundleInfo> readBundleInfo(const FileSystem& fileSystem, const QString& bundlePath)
{
    const auto bytes = infoPlistBytes(fileSystem, bundlePath);
    if (!bytes) {
        return std::nullopt;
    }
    static constexpr std::array<const char*, 6> keys{
        "CFBundleIdentifier", "CFBundleShortVersionString", "CFBundleVersion", "CFBundleDisplayName",
        "CFBundleName",       "CFBundleExecutable",
    };
    auto values = PropertyList::dictionaryStrings(*bytes, keys);
    if (!values) {
        return std::nullopt;
    }
    auto& v = *values;
    return BundleInfo{std::move(v[0]), std::move(v[1]), std::move(v[2]),
                      std::move(v[3]), std::move(v[4]), std::move(v[5])};
}

std::optional<QVariantMap> readInfoPlist(const FileSystem& fileSystem, const QString& bundlePath)
{
    const auto bytes = infoPlistBytes(fileSystem, bundlePath);
    if (!bytes) {
        return std::nullopt;
    }
    auto parsed = PropertyList::parse(*bytes);
    if (!parsed || parsed->typeId() != QMetaType::QVariantMap) {
        return std::nullopt;
    }
    return parsed->toMap();
}

} // namespace vantrel
