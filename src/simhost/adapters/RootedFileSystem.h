#pragma once

#include "nativehost/NativeFiles.h"
#include "platform/FileSystem.h"

#include <QString>

#include <atomic>
#include <mutex>

namespace vantrel::sim {

// The simulated Mac's disk: every host path lives under one root folder
// ("/Applications/X" ↔ "<root>/Applications/X", "~" ↔ "<root>/Users/<name>").
// The kernel resolves every path beneath the root, opened once, as if it were "/": ".."
// stops at it and a link's absolute target is a host path, so nothing reaches outside,
// not even through a link another process swaps between two accesses. A link that loops
// or leads nowhere is treated as absent. The host's own state ("/.simhost") is not on the
// disk. Writes fail in the folders the host state lists as full.
class RootedFileSystem final : public FileSystem {
public:
    RootedFileSystem(QString rootFolder, QString userName);
    ~RootedFileSystem() override;
    RootedFileSystem(const RootedFileSystem&) = delete;
    RootedFileSystem& operator=(const RootedFileSystem&) = delete;

    const QString& rootFolder() const { return m_root; }
    const QString& userName() const { return m_userName; }

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
    QString homeDirectory() const override;
    // Where the file really is, links resolved, for programs outside the launcher; for a
    // file that does not exist yet, its nearest existing folder resolved and the rest
    // added. No value when the path leads through a link that goes nowhere.
    std::optional<QString> nativePath(const QString& path) const override;

    // The host path of a file under the root; no value for anything outside it.
    std::optional<QString> hostPath(const QString& nativePath) const;
    QString fromPlatformPath(const QString& path) const override { return hostPath(path).value_or(path); }

    // For caches of file contents (the preferences): what identifies a file's content now,
    // a read that also tells it, and an atomic write that tells the new file's.
    std::optional<native::FileSignature> signature(const QString& path) const;
    std::optional<QByteArray> readAll(const QString& path, native::FileSignature& signature) const;
    bool writeAtomically(const QString& path, const QByteArray& data, native::FileSignature& signature);
    // A count that grows after every write to this disk through any RootedFileSystem over
    // the same root, in any process, whether the write succeeded or not (it lives in a
    // shared file of the host state): while it stays the same, no file here changed that
    // way. No value before the Mac exists.
    std::optional<quint64> writeCount() const;

private:
    // The host path as the kernel should resolve it beneath the root; no value for a
    // relative path or one with a NUL.
    std::optional<QByteArray> resolvable(const QString& path) const;
    // The root as the base of every open; every open fails while the root does not exist.
    native::PathBase base() const;
    // After a write: every reader's cache must look again.
    void countWrite();
    std::uint64_t* writeCounter() const;
    // Whether `path` lies in a folder the host says is full (HostState::fullFolders).
    bool onFullDisk(const QString& path) const;

    QString m_root;          // absolute, clean
    QString m_canonicalRoot; // links resolved, as the kernel names the root
    QString m_userName;
    mutable std::mutex m_openLock; // for opening the two below
    mutable std::atomic<int> m_rootDescriptor{-1};
    mutable std::atomic<std::uint64_t*> m_writeCounter{nullptr};
};

} // namespace vantrel::sim
