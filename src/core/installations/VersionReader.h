#pragma once

#include "model/LogicAppMetadata.h"

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <optional>

namespace vantrel {

class ArchitectureDetector;
class FileSystem;

// Reads a bundle's Info.plist. Never fails loudly: absence is the only failure signal.
class VersionReader {
public:
    // Over the current host's disk.
    explicit VersionReader(FileSystem& fileSystem);

    // "CFBundleIdentifier", when the info dictionary has it as a string.
    std::optional<QString> bundleIdentifier(const QUrl& appURL) const;

    // No metadata when nothing exists at the URL, the info dictionary cannot be read, or
    // it has no non-blank string short version. A missing or unreadable executable still
    // gives metadata, with no slices.
    std::optional<LogicAppMetadata> metadata(const QUrl& appURL,
                                             const ArchitectureDetector& architectureDetector) const;
    // The same for the bundle at a host path whose info dictionary is already read.
    std::optional<LogicAppMetadata> metadata(const QString& bundlePath, const QVariantMap& info,
                                             const ArchitectureDetector& architectureDetector) const;

    // The bundle's Contents/Info.plist as a dictionary, or nothing.
    std::optional<QVariantMap> infoDictionary(const QUrl& appURL) const;
    static std::optional<QString> bundleIdentifier(const QVariantMap& info);

private:
    FileSystem& m_fileSystem;
};

} // namespace vantrel
