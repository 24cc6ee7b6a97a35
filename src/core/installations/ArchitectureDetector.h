#pragma once

#include "installations/InfoPlist.h"
#include "model/BinaryArchitecture.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <mutex>
#include <optional>

namespace vantrel {

class FileSystem;

// Which CPU architectures a bundle's main executable holds, read from its Mach-O header,
// and whether Rosetta 2 is installed. One detector serves the whole process; the Rosetta
// answer is cached until a launch asks the disk again.
class ArchitectureDetector {
public:
    static constexpr qint64 maxHeaderBytes = 4096;

    explicit ArchitectureDetector(FileSystem& fileSystem);

    ArchitectureDetector(const ArchitectureDetector&) = delete;
    ArchitectureDetector& operator=(const ArchitectureDetector&) = delete;

    // <bundle>/Contents/MacOS/<CFBundleExecutable>, or nothing.
    std::optional<QUrl> executableURL(const QUrl& appURL) const;

    // The executable's slices; empty whenever anything fails. Never reads past the first
    // 4096 bytes.
    SliceSet architectures(const QUrl& appURL) const;
    // The same for the bundle at a host path whose info dictionary is already read.
    SliceSet architectures(const QString& bundlePath, const BundleInfo& info) const;

    // Thread-safe; the file system is asked once, then the answer is kept.
    bool isRosettaInstalled();
    // Asks the file system again and keeps the new answer (a launch's preflight: Rosetta
    // may have been removed since the cards were made).
    bool recheckRosettaInstalled();

    // The slices named by a Mach-O header (thin or universal, either byte order).
    static SliceSet architecturesFromMachOHeader(const QByteArray& header);

private:
    static std::optional<QString> executablePath(const QString& bundlePath, const BundleInfo& info);
    bool rosettaOnDisk() const;
    std::optional<QByteArray> readHeader(const QString& path, qint64 maxBytes) const;

    FileSystem& m_fileSystem;
    std::mutex m_lock;
    std::optional<bool> m_cachedRosettaInstalled;
};

} // namespace vantrel
