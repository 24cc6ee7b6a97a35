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

// The about section's links: Logic Pro in the Mac App Store (its own scheme, and the web
// page opened when that scheme cannot be), and Apple's Logic Pro release notes, which list
// every earlier version.
inline const QString logicProAppStoreURL = QStringLiteral("macappstore://apps.apple.com/app/logic-pro/id634148309");
inline const QString logicProAppStoreHTTPSURL = QStringLiteral("https://apps.apple.com/app/logic-pro/id634148309");
inline const QString contactURL = QStringLiteral("https://t.me/vantrel_app");
inline const QString previousVersionsURL = QStringLiteral("https://support.apple.com/en-us/HT203718");

// Whether a bundle is the launcher itself: the running launcher's own bundle (at
// `ownBundlePath`), any bundle whose identifier is "com.vantrel.app", or any bundle named
// Vantrel.app (in any case). The launcher never lists or accepts itself.
bool isOwnApplication(const QUrl& appURL, const VersionReader& versionReader, const QString& ownBundlePath);
// The same for a bundle at a host path whose identifier the caller has already read.
bool isOwnBundle(const QString& bundlePath, const std::optional<QString>& bundleIdentifier,
                 const QString& ownBundlePath);

} // namespace AppConstants

} // namespace vantrel
