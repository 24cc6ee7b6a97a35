#pragma once

#include "installations/InfoPlist.h"
#include "model/LogicAppMetadata.h"

#include <QString>
#include <QUrl>

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
    std::optional<LogicAppMetadata> metadata(const QString& bundlePath, const BundleInfo& info,
                                             const ArchitectureDetector& architectureDetector) const;

    // The keys of the bundle's Contents/Info.plist, or nothing.
    std::optional<BundleInfo> bundleInfo(const QUrl& appURL) const;

private:
    FileSystem& m_fileSystem;
};

} // namespace vantrel
