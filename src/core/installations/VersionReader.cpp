#include "installations/VersionReader.h"

#include "installations/ArchitectureDetector.h"
#include "installations/InfoPlist.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/HostPath.h"

namespace vantrel {

namespace {

std::optional<QString> stringValue(const QVariantMap& info, const char* key)
{
    const QVariant value = info.value(QString::fromLatin1(key));
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

} // namespace

VersionReader::VersionReader()
    : VersionReader(Host::current().fileSystem())
{
}

VersionReader::VersionReader(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
{
}

std::optional<QVariantMap> VersionReader::infoDictionary(const QUrl& appURL) const
{
    return readInfoPlist(m_fileSystem, HostPath::fromURL(appURL));
}

std::optional<QString> VersionReader::bundleIdentifier(const QUrl& appURL) const
{
    auto info = infoDictionary(appURL);
    return info ? stringValue(*info, "CFBundleIdentifier") : std::nullopt;
}

std::optional<LogicAppMetadata> VersionReader::metadata(const QUrl& appURL,
                                                        const ArchitectureDetector& architectureDetector) const
{
    const QString path = HostPath::fromURL(appURL);
    if (!m_fileSystem.exists(path)) {
        return std::nullopt;
    }
    auto info = infoDictionary(appURL);
    if (!info) {
        return std::nullopt;
    }
    auto shortVersion = stringValue(*info, "CFBundleShortVersionString");
    if (!shortVersion) {
        return std::nullopt;
    }
    const QString trimmed = shortVersion->trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }

    LogicAppMetadata metadata;
    metadata.shortVersion = trimmed;
    metadata.bundleIdentifier = stringValue(*info, "CFBundleIdentifier");
    metadata.buildVersion = stringValue(*info, "CFBundleVersion");
    if (auto name = stringValue(*info, "CFBundleDisplayName")) {
        metadata.displayName = *name;
    } else if (auto bundleName = stringValue(*info, "CFBundleName")) {
        metadata.displayName = *bundleName;
    } else {
        metadata.displayName = HostPath::baseName(path);
    }
    metadata.executableArchitectures = architectureDetector.architectures(appURL);
    metadata.icon = NSImageRef{path};
    return metadata;
}

} // namespace vantrel
