#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace vantrel {

class FileSystem;

// A bundle's Contents/Info.plist as a dictionary (XML or binary); nothing when it is
// missing, unreadable, malformed or not a dictionary.
std::optional<QVariantMap> readInfoPlist(const FileSystem& fileSystem, const QString& bundlePath);

} // namespace vantrel
