#pragma once

#include "nativehost/NativeFiles.h"
#include "platform/FileSystem.h"

namespace vantrel::native {

// The machine's own disk, where a host path is the real path: the Mac's file system. A
// relative path or one with a NUL is refused (it behaves as a file that does not exist).
class NativeFileSystem final : public FileSystem {
public:
    explicit NativeFileSystem(QString homeDirectory);

    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes = defaultReadLimit) const override;
    std::optional<QByteArray> readPrefix(const QString& path, qint64 maxBytes,
                                         FileStamp* stamp = nullptr) const override;
    std::optional<FileStamp> stamp(const QString& path) const override;
    bool write(const QString& path, const QByteArray& data) override;
    bool append(const QString& path, const QByteArray& data) override;
    bool writeAtomically(const QString& path, const QByteArray& data) override;
    bool createDirectories(const QString& path) override;
    bool remove(const QString& path) override;
    std::optional<QStringList> listDirectory(const QString& path) const override;
    QString homeDirectory() const override { return m_home; }
    std::optional<QString> nativePath(const QString& path) const override;

private:
    std::optional<QByteArray> encoded(const QString& path) const;

    PathBase m_base = PathBase::wholeDisk();
    QString m_home;
};

} // namespace vantrel::native
