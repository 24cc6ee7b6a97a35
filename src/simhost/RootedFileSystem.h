#pragma once

#include "platform/FileSystem.h"

#include <QString>

namespace vantrel::sim {

// The simulated Mac's disk: every host path lives under one root folder
// ("/Applications/X" ↔ "<root>/Applications/X", "~" ↔ "<root>/Users/<name>").
// Nothing reaches outside the root: ".." cannot climb above it, and a symbolic link whose
// target lies outside it (or that loops) is treated as absent. Writes fail in the folders
// the host state lists as full.
class RootedFileSystem final : public FileSystem {
public:
    RootedFileSystem(QString rootFolder, QString userName);

    const QString& rootFolder() const { return m_root; }
    const QString& userName() const { return m_userName; }

    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    std::optional<QByteArray> readAll(const QString& path) const override;
    std::optional<QByteArray> readPrefix(const QString& path, qint64 maxBytes) const override;
    bool write(const QString& path, const QByteArray& data) override;
    bool append(const QString& path, const QByteArray& data) override;
    bool writeAtomically(const QString& path, const QByteArray& data) override;
    bool createDirectories(const QString& path) override;
    bool remove(const QString& path) override;
    std::optional<QStringList> listDirectory(const QString& path) const override;
    QString homeDirectory() const override;
    std::optional<QString> nativePath(const QString& path) const override;

    // The host path of a file under the root; no value for anything outside it.
    std::optional<QString> hostPath(const QString& nativePath) const;
    QString fromPlatformPath(const QString& path) const override { return hostPath(path).value_or(path); }

private:
    // The native path of `path` if it is a well-formed host path; links are not checked.
    std::optional<QString> mapped(const QString& path) const;
    // The native path if the file, or for one that does not exist yet its nearest
    // existing ancestor, resolves inside the root.
    std::optional<QString> confined(const QString& path) const;
    bool insideRoot(const QString& canonical) const;
    // Whether `path` lies in a folder the host says is full (HostState::fullFolders).
    bool onFullDisk(const QString& path) const;

    QString m_root;          // absolute, clean
    QString m_canonicalRoot; // links resolved, for confinement checks
    QString m_userName;
};

} // namespace vantrel::sim
