#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

class VersionReader;

// The launcher's own name and identity.
namespace AppConstants {

inline const QString appName = QStringLiteral("Vantrel");
inline const QString bundleIdentifier = QStringLiteral("com.vantrel.app");

// Whether a bundle is the launcher itself: the running launcher's own bundle, any bundle
// whose identifier is "com.vantrel.app", or any bundle named Vantrel.app (in any case).
// The launcher never lists or accepts itself.
bool isOwnApplication(const QUrl& appURL, const VersionReader& versionReader);
// The same test for a caller that has already read the bundle's identifier.
bool isOwnApplication(const QUrl& appURL, const std::optional<QString>& bundleIdentifier);
bool isOwnApplication(const QUrl& appURL);

} // namespace AppConstants

} // namespace vantrel
