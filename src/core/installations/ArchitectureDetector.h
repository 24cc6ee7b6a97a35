#pragma once

#include "model/BinaryArchitecture.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <mutex>
#include <optional>

namespace vantrel {

class FileSystem;

// Which CPU architectures a bundle's main executable holds, read from its Mach-O header,
// and whether Rosetta 2 is installed. Each owner makes its own detector; the Rosetta
// answer is cached per detector, for good.
class ArchitectureDetector {
public:
    static constexpr qint64 maxHeaderBytes = 4096;

    // Over the current host's disk.
    ArchitectureDetector();
    explicit ArchitectureDetector(FileSystem& fileSystem);

    ArchitectureDetector(const ArchitectureDetector&) = delete;
    ArchitectureDetector& operator=(const ArchitectureDetector&) = delete;

    // <bundle>/Contents/MacOS/<CFBundleExecutable>, or nothing.
    std::optional<QUrl> executableURL(const QUrl& appURL) const;

    // The executable's slices; empty whenever anything fails. Never reads past the first
    // 4096 bytes.
    SliceSet architectures(const QUrl& appURL) const;
    // The same for the bundle at a host path whose info dictionary is already read.
    SliceSet architectures(const QString& bundlePath, const QVariantMap& info) const;

    // Thread-safe; the file system is asked at most once per detector.
    bool isRosettaInstalled();

    // The slices named by a Mach-O header (thin or universal, either byte order).
    static SliceSet architecturesFromMachOHeader(const QByteArray& header);

private:
    static std::optional<QString> executablePath(const QString& bundlePath, const QVariantMap& info);
    std::optional<QByteArray> readHeader(const QString& path, qint64 maxBytes) const;

    FileSystem& m_fileSystem;
    std::mutex m_lock;
    std::optional<bool> m_cachedRosettaInstalled;
};

} // namespace vantrel
