#include "installations/InfoPlist.h"

#include "platform/FileSystem.h"
#include "plist/PropertyList.h"

namespace vantrel {

std::optional<QVariantMap> readInfoPlist(const FileSystem& fileSystem, const QString& bundlePath)
{
    auto bytes = fileSystem.readAll(bundlePath + QStringLiteral("/Contents/Info.plist"));
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
