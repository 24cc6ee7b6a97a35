#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/FileSystem.h"

#include <limits>
#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

namespace vantrel::native {

// Where the file operations resolve their paths. Paths are absolute either way.
// - The machine's whole disk, as the system resolves paths: the Mac's own files.
// - Beneath one open folder, taken for "/": the kernel resolves every component, ".." and
//   link inside it (Linux's openat2 with RESOLVE_IN_ROOT), so no path, and no link that
//   another process swaps between two calls, leads out of it. The simulated Mac's disk.
class PathBase {
public:
    static PathBase wholeDisk();
    // `folder` stays open as long as the base is used; the caller owns it. Linux only:
    // elsewhere every open fails with ENOSYS.
    static PathBase confinedTo(int folder);

    // open(2) of `path` with `flags` (O_CLOEXEC added); -1 with errno set on failure.
    int open(const QByteArray& path, int flags, mode_t mode = 0) const;
    // stat(2) of what `path` leads to; false with errno set when nothing does.
    bool stat(const QByteArray& path, struct stat& info) const;

private:
    PathBase(int folder, bool confined)
        : m_folder(folder)
        , m_confined(confined)
    {
    }

    int m_folder;
    bool m_confined;
};

// What identifies a file's content without reading it: the port's stamp.
using FileSignature = FileStamp;

// The file operations of the FileSystem port over real files, shared by the host whose
// paths are the machine's (the Mac) and the one that confines them to a folder (the
// simulated Mac). Paths are native bytes (QFile::encodeName); the callers decide which
// paths may be touched.
namespace NativeFiles {

bool exists(const PathBase& base, const QByteArray& path);
bool isDirectory(const PathBase& base, const QByteArray& path);
std::optional<FileSignature> signature(const PathBase& base, const QByteArray& path);
// A regular file of at most `maxBytes` whole (as long as it was when opened); no value for
// anything else, and no wait: the file is opened without blocking. `signature`, when given,
// receives what was read's.
std::optional<QByteArray> readAll(const PathBase& base, const QByteArray& path, FileSignature* signature = nullptr,
                                  qint64 maxBytes = std::numeric_limits<qint32>::max());
// At most `maxBytes` of a regular file (opened without blocking); never reads past them.
std::optional<QByteArray> readPrefix(const PathBase& base, const QByteArray& path, qint64 maxBytes,
                                     FileStamp* stamp = nullptr);
bool write(const PathBase& base, const QByteArray& path, const QByteArray& data);
// Only to a regular file that exists.
bool append(const PathBase& base, const QByteArray& path, const QByteArray& data);
// A hidden temporary file beside the target, written, synced and renamed over it: readers
// see the old content or the new, never a mix. The file keeps an existing file's
// permissions. `signature`, when given, receives the new file's.
bool writeAtomically(const PathBase& base, const QByteArray& path, const QByteArray& data,
                     FileSignature* signature = nullptr);
bool createDirectories(const PathBase& base, const QByteArray& path);
// A folder goes with its contents; a link itself, never its target; never "/".
bool remove(const PathBase& base, const QByteArray& path);
// The names in a folder, hidden ones (starting with ".") left out, sorted; broken links
// included, as a Mac's listing shows them.
std::optional<QStringList> listNames(const PathBase& base, const QByteArray& path);

} // namespace NativeFiles

} // namespace vantrel::native
