#pragma once

#include "platform/FileSystem.h"

#include <QList>
#include <QPair>

#include <mutex>

namespace vantrel::testing {

// Passes everything on to another disk, recording what is read through it: how much of
// a file is touched, and how often. Reads may come from several threads at once; the
// records are read once they are done.
class RecordingFileSystem final : public FileSystem {
public:
    explicit RecordingFileSystem(FileSystem& inner)
        : m_inner(inner)
    {
    }
    bool exists(const QString& p) const override
    {
        record([&] { ++existsCalls; });
        return m_inner.exists(p);
    }
    bool isDirectory(const QString& p) const override { return m_inner.isDirectory(p); }
    std::optional<QByteArray> readAll(const QString& p, qint64 maxBytes = defaultReadLimit) const override
    {
        record([&] { readAllPaths.append(p); });
        return m_inner.readAll(p, maxBytes);
    }
    std::optional<QByteArray> readPrefix(const QString& p, qint64 n, FileStamp* stamp = nullptr) const override
    {
        record([&] { prefixReads.append({p, n}); });
        return m_inner.readPrefix(p, n, stamp);
    }
    std::optional<FileStamp> stamp(const QString& p) const override
    {
        record([&] { ++stampCalls; });
        return m_inner.stamp(p);
    }
    bool write(const QString& p, const QByteArray& d) override { return m_inner.write(p, d); }
    bool append(const QString& p, const QByteArray& d) override { return m_inner.append(p, d); }
    bool writeAtomically(const QString& p, const QByteArray& d) override { return m_inner.writeAtomically(p, d); }
    bool createDirectories(const QString& p) override { return m_inner.createDirectories(p); }
    bool remove(const QString& p) override { return m_inner.remove(p); }
    std::optional<QStringList> listDirectory(const QString& p) const override { return m_inner.listDirectory(p); }
    QString homeDirectory() const override { return m_inner.homeDirectory(); }
    std::optional<QString> nativePath(const QString& p) const override { return m_inner.nativePath(p); }

    mutable QStringList readAllPaths;
    mutable QList<QPair<QString, qint64>> prefixReads;
    mutable int existsCalls = 0;
    mutable int stampCalls = 0;

private:
    template <typename Change>
    void record(Change change) const
    {
        const std::lock_guard guard(m_lock);
        change();
    }

    FileSystem& m_inner;
    mutable std::mutex m_lock;
};

} // namespace vantrel::testing
