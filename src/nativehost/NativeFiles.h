#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The file operations of the FileSystem port on paths of this machine's own disk, shared
// by the host whose paths are the machine's (the Mac) and the one that maps them into a
// folder first (the simulated Mac). The callers decide which paths may be touched.
namespace vantrel::native::NativeFiles {

bool exists(const QString& nativePath);
bool isDirectory(const QString& nativePath);
std::optional<QByteArray> readAll(const QString& nativePath);
// Never reads past `maxBytes` (unbuffered).
std::optional<QByteArray> readPrefix(const QString& nativePath, qint64 maxBytes);
bool write(const QString& nativePath, const QByteArray& data);
bool append(const QString& nativePath, const QByteArray& data);
bool writeAtomically(const QString& nativePath, const QByteArray& data);
bool createDirectories(const QString& nativePath);
// A folder goes with its contents; a link itself, never its target.
bool remove(const QString& nativePath);
// The names in a folder, hidden ones (starting with ".") left out, sorted; broken links
// included, as a Mac's listing shows them.
std::optional<QStringList> listNames(const QString& nativePath);

} // namespace vantrel::native::NativeFiles
