#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantrel {

// What tells a file's content apart without reading it: replacing the file (a new inode),
// rewriting it (its modification time) or resizing it changes the stamp.
struct FileStamp {
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// The disk as the launcher sees it, addressed by host paths: absolute POSIX paths as the
// Mac shows them ("/Applications/Logic Pro.app"), where a leading "~" is the user's home.
// On a Mac the mapping to real files is the identity; the simulated Mac confines every
// path to its root folder. A path the implementation refuses (relative, with a NUL,
// reaching outside what it may touch) behaves as a file that does not exist and cannot
// be created. The const members may be called from several threads at once (the scans
// read many bundles in parallel).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;

    // What a whole read takes at most, unless the caller names less.
    static constexpr qint64 defaultReadLimit = 16 * 1024 * 1024;

    // The whole of a regular file of at most `maxBytes`. Anything else reads as no value and
    // never blocks or grows without bound: no file, a folder, a named pipe, a device (also
    // behind a link), a file larger than the limit (a sparse 100 GB one too).
    virtual std::optional<QByteArray> readAll(const QString& path, qint64 maxBytes = defaultReadLimit) const = 0;
    // At most `maxBytes` from the start of a regular file; never reads further. No value when
    // the file cannot be opened or read, or is not a regular file. `stamp`, when given,
    // receives the stamp of the file that was read.
    virtual std::optional<QByteArray> readPrefix(const QString& path, qint64 maxBytes,
                                                 FileStamp* stamp = nullptr) const = 0;
    // The stamp of what is at the path (a link's target); no value when nothing is there.
    virtual std::optional<FileStamp> stamp(const QString& path) const = 0;

    // Creates or replaces the file in place (not atomic).
    virtual bool write(const QString& path, const QByteArray& data) = 0;
    // Appends after the last byte; false when the file does not exist or cannot be opened.
    virtual bool append(const QString& path, const QByteArray& data) = 0;
    // Readers see the old content or the new one, never a mix.
    virtual bool writeAtomically(const QString& path, const QByteArray& data) = 0;
    virtual bool createDirectories(const QString& path) = 0;
    virtual bool remove(const QString& path) = 0;

    // The immediate children of a folder as host paths, hidden entries (names starting
    // with ".") left out, sorted by name. No value when the folder cannot be listed.
    virtual std::optional<QStringList> listDirectory(const QString& path) const = 0;

    // "/Users/<name>".
    virtual QString homeDirectory() const = 0;
    // Where the host path lives on this machine's disk; no value for a refused path.
    virtual std::optional<QString> nativePath(const QString& path) const = 0;
    // A path the platform handed over (a drop, a file dialog) as the host sees it: where
    // the host's disk is a folder of this machine's, a file inside it becomes its host
    // path; anything else is returned as it is.
    virtual QString fromPlatformPath(const QString& path) const { return path; }

    // The standard folders, derived from the home folder.
    QString applicationsDirectory() const { return QStringLiteral("/Applications"); }
    QString userApplicationsDirectory() const { return homeDirectory() + QStringLiteral("/Applications"); }
    QString libraryDirectory() const { return homeDirectory() + QStringLiteral("/Library"); }
    QString applicationSupportDirectory() const { return libraryDirectory() + QStringLiteral("/Application Support"); }
    QString cachesDirectory() const { return libraryDirectory() + QStringLiteral("/Caches"); }
    QString logsDirectory() const { return libraryDirectory() + QStringLiteral("/Logs"); }
    QString preferencesDirectory() const { return libraryDirectory() + QStringLiteral("/Preferences"); }

    // "~" and "~/…" become the home folder; the result is standardized. Other paths are
    // only standardized.
    QString expandTilde(const QString& path) const;
    // A path given on this machine's command line, as a host path: "~/…" is the host's
    // home; a relative path is one of this machine's, resolved against the working folder
    // (then, inside the simulated Mac's folder, its host path).
    QString fromArgument(const QString& argument) const;

protected:
    // The standardized absolute host path ("~" expanded), with no "." or ".." left: one
    // that tried to climb above "/" stops there. No value for a relative path or one
    // holding a NUL, which every disk refuses.
    std::optional<QString> absoluteHostPath(const QString& path) const;
};

} // namespace vantrel
