#include "installations/AppConstants.h"

#include "installations/VersionReader.h"
#include "platform/Host.h"
#include "platform/HostPath.h"

namespace vantrel::AppConstants {

namespace {

bool isOwnBundlePath(const QString& path)
{
    return path == HostPath::standardized(Host::current().ownBundlePath());
}

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

bool isOwnApplication(const QUrl& appURL, const VersionReader& versionReader)
{
    const QString path = HostPath::fromURL(appURL);
    if (isOwnBundlePath(path)) {
        return true;
    }
    if (versionReader.bundleIdentifier(HostPath::fileURL(path)) == bundleIdentifier) {
        return true;
    }
    return hasOwnName(path);
}

bool isOwnApplication(const QUrl& appURL, const std::optional<QString>& identifier)
{
    return isOwnBundle(HostPath::fromURL(appURL), identifier);
}

bool isOwnBundle(const QString& bundlePath, const std::optional<QString>& identifier)
{
    const QString path = HostPath::standardized(bundlePath);
    return isOwnBundlePath(path) || identifier == bundleIdentifier || hasOwnName(path);
}

bool isOwnApplication(const QUrl& appURL)
{
    return isOwnApplication(appURL, VersionReader());
}

} // namespace vantrel::AppConstants
