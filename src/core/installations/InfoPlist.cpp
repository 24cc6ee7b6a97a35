#include "installations/InfoPlist.h"

#include "platform/FileSystem.h"
#include "plist/PropertyList.h"

namespace vantrel {

std::optional<QVariantMap> readInfoPlist(const FileSystem& fileSystem, const QString& bundlePath)
{
    // A bundle's Info.plist is a few kilobytes; one of megabytes is no bundle's.
    constexpr qint64 infoPlistLimit = 8 * 1024 * 1024;
    auto bytes = fileSystem.readAll(bundlePath + QStringLiteral("/Contents/Info.plist"), infoPlistLimit);
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
