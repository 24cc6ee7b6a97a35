#include "installations/AppConstants.h"

#include "installations/VersionReader.h"
#include "platform/HostPath.h"

namespace vantrel::AppConstants {

namespace {

bool hasOwnName(const QString& path)
{
    // The last component without its extension, as HostPath::baseName gives it.
    QStringView name = QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0) {
        name.truncate(dot);
    }
    return name.compare(appName, Qt::CaseInsensitive) == 0;
}

} // namespace

bool isOwnApplication(const QUrl& appURL, const VersionReader& versionReader, const QString& ownBundlePath)
{
    const QString path = HostPath::fromURL(appURL);
    if (path == HostPath::standardized(ownBundlePath)) {
        return true;
    }
    if (versionReader.bundleIdentifier(HostPath::fileURL(path)) == bundleIdentifier) {
        return true;
    }
    return hasOwnName(path);
}

bool isOwnBundle(const QString& bundlePath, const std::optional<QString>& identifier, const QString& ownBundlePath)
{
    const QString path = HostPath::standardized(bundlePath);
    return path == HostPath::standardized(ownBundlePath) || identifier == bundleIdentifier || hasOwnName(path);
}

} // namespace vantrel::AppConstants
