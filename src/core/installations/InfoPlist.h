#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace vantrel {

class FileSystem;

// The keys of a bundle's Info.plist the launcher reads, each when it holds a string.
struct BundleInfo {
    std::optional<QString> identifier;   // CFBundleIdentifier
    std::optional<QString> shortVersion; // CFBundleShortVersionString
    std::optional<QString> buildVersion; // CFBundleVersion
    std::optional<QString> displayName;  // CFBundleDisplayName
    std::optional<QString> name;         // CFBundleName
    std::optional<QString> executable;   // CFBundleExecutable

    friend bool operator==(const BundleInfo&, const BundleInfo&) = default;
};

// Those keys of a bundle's Contents/Info.plist (XML or binary), read straight from the
// parsed property list; nothing when it is missing, unreadable, malformed or not a
// dictionary.
std::optional<BundleInfo> readBundleInfo(const FileSystem& fileSystem, const QString& bundlePath);

// A bundle's whole Contents/Info.plist as a dictionary, under the same rules.
std::optional<QVariantMap> readInfoPlist(const FileSystem& fileSystem, const QString& bundlePath);

} // namespace vantrel
