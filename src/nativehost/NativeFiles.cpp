#include "nativehost/NativeFiles.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

namespace vantrel::native {

namespace {

// An open that only names the file: enough to stat it, or to resolve names under it.
#if defined(O_PATH)
constexpr int pathOnly = O_PATH;
#elif defined(O_SEARCH)
constexpr int pathOnly = O_SEARCH;
#else
constexpr int pathOnly = O_RDONLY;
#endif

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd;
};

FileSignature signatureOf(const struct stat& info)
{
#if defined(__APPLE__)
    const auto& modified = info.st_mtimespec;
#else
    const auto& modified = info.st_mtim;
#endif
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
            qint64(modified.tv_sec) * 1'000'000'000 + modified.tv_nsec};
}

// The folder part and the last name of an absolute path ("/a/b" → "/a", "b").
std::pair<QByteArray, QByteArray> split(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return {QByteArrayLiteral("."), path};
    }
    return {slash == 0 ? QByteArrayLiteral("/") : path.left(slash), path.mid(slash + 1)};
}

bool isPlainName(const QByteArray& name)
{
    return !name.isEmpty() && name != "." && name != "..";
}

bool writeFully(int fd, const QByteArray& data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, std::size_t(data.size() - done));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += written;
    }
    return true;
}

// Reads until `limit` bytes (or the end when negative) into `data`.
bool readInto(int fd, QByteArray& data, qint64 limit)
{
    constexpr qint64 chunk = 64 * 1024;
    for (;;) {
        const qint64 wanted = limit < 0 ? chunk : std::min(chunk, limit - data.size());
        if (wanted <= 0) {
            return true;
        }
        const qsizetype start = data.size();
        data.resize(start + wanted);
        const ssize_t got = ::read(fd, data.data() + start, std::size_t(wanted));
        if (got < 0 && errno == EINTR) {
            data.resize(start);
            continue;
        }
        data.resize(start + std::max<ssize_t>(got, 0));
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
    }
}

// Removes the entry `name` of the open folder `folder`: a folder with everything in it
// (links are removed, never followed), anything else alone.
bool removeEntry(int folder, const char* name)
{
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        return ::unlinkat(folder, name, 0) == 0;
    }
    const int fd = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    // The names first: a folder changed while it is being read may skip entries.
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    bool removed = true;
    for (const QByteArray& entry : names) {
        removed = removeEntry(fd, entry.constData()) && removed;
    }
    ::closedir(dir);
    return removed && ::unlinkat(folder, name, AT_REMOVEDIR) == 0;
}

} // namespace

PathBase PathBase::wholeDisk()
{
    return PathBase(AT_FDCWD, false);
}

PathBase PathBase::confinedTo(int folder)
{
    return PathBase(folder, true);
}

int PathBase::open(const QByteArray& path, int flags, mode_t mode) const
{
    if (!m_confined) {
        return ::openat(m_folder, path.constData(), flags | O_CLOEXEC, mode);
    }
#if defined(__linux__)
    open_how how{};
    how.flags = std::uint64_t(flags | O_CLOEXEC);
    how.mode = (flags & O_CREAT) != 0 ? mode : 0;
    how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
    // EAGAIN: a rename elsewhere raced with a ".." of the path; the kernel asks to retry.
    for (int attempt = 0;; ++attempt) {
        const long fd = ::syscall(SYS_openat2, m_folder, path.constData(), &how, sizeof how);
        if (fd >= 0 || errno != EAGAIN || attempt == 16) {
            return int(fd);
        }
    }
#else
    errno = ENOSYS;
    return -1;
#endif
}

bool PathBase::stat(const QByteArray& path, struct stat& info) const
{
    if (!m_confined) {
        return ::fstatat(m_folder, path.constData(), &info, 0) == 0;
    }
    const Descriptor file(open(path, pathOnly));
    return file.isOpen() && ::fstat(file.get(), &info) == 0;
}

namespace NativeFiles {

namespace {
// Replaces `name` in the open folder `folder` atomically; `existing` is the regular file
// there now, if any, whose permissions the new one keeps.
bool replaceIn(int folder, const QByteArray& name, const struct stat* existing, const QByteArray& data,
               FileSignature* signature);
} // namespace

bool exists(const PathBase& base, const QByteArray& path)
{
    struct stat info {};
    return base.stat(path, info);
}

bool isDirectory(const PathBase& base, const QByteArray& path)
{
    struct stat info {};
    return base.stat(path, info) && S_ISDIR(info.st_mode);
}

std::optional<FileSignature> signature(const PathBase& base, const QByteArray& path)
{
    struct stat info {};
    if (!base.stat(path, info)) {
        return std::nullopt;
    }
    return signatureOf(info);
}

std::optional<QByteArray> readAll(const PathBase& base, const QByteArray& path, FileSignature* signature,
                                  qint64 maxBytes)
{
    // Opened without waiting (a named pipe with no writer would block the open itself), and
    // read only when it is a regular file no larger than the limit: a pipe, a device behind a
    // link or a huge sparse file is no file to read.
    const Descriptor file(base.open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes) {
        return std::nullopt;
    }
    QByteArray data;
    // Read as long as it is now, and never past the limit should it grow meanwhile.
    data.reserve(qsizetype(info.st_size));
    if (!readInto(file.get(), data, info.st_size)) {
        return std::nullopt;
    }
    if (signature) {
        *signature = signatureOf(info);
    }
    return data;
}

std::optional<QByteArray> readPrefix(const PathBase& base, const QByteArray& path, qint64 maxBytes, FileStamp* stamp)
{
    if (maxBytes < 0) {
        return std::nullopt;
    }
    const Descriptor file(base.open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    QByteArray data;
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // No further than the file's end as it is now: a short file is read in one call.
    const qint64 wanted = std::min<qint64>(maxBytes, info.st_size);
    data.reserve(qsizetype(wanted));
    if (!readInto(file.get(), data, wanted)) {
        return std::nullopt;
    }
    if (stamp) {
        *stamp = signatureOf(info);
    }
    return data;
}

// Writes open without blocking: a FIFO put where a file was expected fails at once
// instead of waiting for a reader. On a regular file the flag changes nothing.
bool write(const PathBase& base, const QByteArray& path, const QByteArray& data)
{
    const Descriptor file(base.open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK, 0666));
    struct stat info {};
    return file.isOpen() && ::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && writeFully(file.get(), data);
}

bool append(const PathBase& base, const QByteArray& path, const QByteArray& data)
{
    const Descriptor file(base.open(path, O_WRONLY | O_APPEND | O_NONBLOCK));
    struct stat info {};
    return file.isOpen() && ::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && writeFully(file.get(), data);
}

bool writeAtomically(const PathBase& base, const QByteArray& path, const QByteArray& data, FileSignature* signature)
{
    // A link is written through, to the file it leads to (resolved the base's way), and
    // stays a link; a chain of them ends somewhere within a few steps or the write fails.
    QByteArray target = path;
    for (int links = 0; links <= 8; ++links) {
        const auto [folderPath, name] = split(target);
        if (!isPlainName(name)) {
            return false;
        }
        const Descriptor folder(base.open(folderPath, pathOnly | O_DIRECTORY));
        if (!folder.isOpen()) {
            return false;
        }
        struct stat existing {};
        const bool found = ::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
        if (!found || !S_ISLNK(existing.st_mode)) {
            return replaceIn(folder.get(), name, found && S_ISREG(existing.st_mode) ? &existing : nullptr, data,
                             signature);
        }
        char link[4096];
        const ssize_t length = ::readlinkat(folder.get(), name.constData(), link, sizeof link);
        if (length <= 0 || length == ssize_t(sizeof link)) {
            return false;
        }
        const QByteArray leadsTo(link, length);
        target = leadsTo.startsWith('/') ? leadsTo
                                         : QByteArray(folderPath + (folderPath.endsWith('/') ? "" : "/") + leadsTo);
    }
    return false;
}

namespace {
bool replaceIn(int folder, const QByteArray& name, const struct stat* existing, const QByteArray& data,
               FileSignature* signature)
{
    // Only the single name is resolved here, and the temporary file is created new
    // (O_EXCL never follows a link).
    const bool replacing = existing != nullptr;
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        temporary = '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    const Descriptor file(fd);
    struct stat written {};
    const bool ready = file.isOpen() && (!replacing || ::fchmod(fd, existing->st_mode & 07777) == 0)
                       && writeFully(fd, data) && ::fsync(fd) == 0 && ::fstat(fd, &written) == 0;
    if (!ready || ::renameat(folder, temporary.constData(), folder, name.constData()) != 0) {
        if (file.isOpen()) {
            ::unlinkat(folder, temporary.constData(), 0);
        }
        return false;
    }
    if (signature) {
        *signature = signatureOf(written);
    }
    return true;
}
} // namespace

bool createDirectories(const PathBase& base, const QByteArray& path)
{
    if (isDirectory(base, path)) {
        return true;
    }
    // Each missing folder is made in its parent, opened anew, so that every step is
    // resolved the base's way.
    QByteArray prefix;
    for (const QByteArray& name : path.split('/')) {
        if (name.isEmpty() || name == ".") {
            continue;
        }
        const QByteArray parent = prefix.isEmpty() ? QByteArrayLiteral("/") : prefix;
        prefix += '/' + name;
        const Descriptor folder(base.open(parent, pathOnly | O_DIRECTORY));
        if (!folder.isOpen() || (::mkdirat(folder.get(), name.constData(), 0777) != 0 && errno != EEXIST)) {
            return false;
        }
    }
    return isDirectory(base, path);
}

bool remove(const PathBase& base, const QByteArray& path)
{
    const auto [folderPath, name] = split(path);
    if (!isPlainName(name)) {
        return false;
    }
    const Descriptor folder(base.open(folderPath, pathOnly | O_DIRECTORY));
    return folder.isOpen() && removeEntry(folder.get(), name.constData());
}

std::optional<QStringList> listNames(const PathBase& base, const QByteArray& path)
{
    const int fd = base.open(path, O_RDONLY | O_DIRECTORY);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0) {
            ::close(fd);
        }
        return std::nullopt;
    }
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            break;
        }
        if (entry->d_name[0] != '.') {
            names.append(QFile::decodeName(entry->d_name));
        }
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    if (!complete) {
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace NativeFiles

} // namespace vantrel::native
