#include "nativehost/NativeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vantrel::native::NativeFiles {

bool exists(const QString& nativePath)
{
    return QFileInfo::exists(nativePath);
}

bool isDirectory(const QString& nativePath)
{
    return QFileInfo(nativePath).isDir();
}

std::optional<QByteArray> readAll(const QString& nativePath)
{
    QFile file(nativePath);
    if (QFileInfo(nativePath).isDir() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return data;
}

std::optional<QByteArray> readPrefix(const QString& nativePath, qint64 maxBytes)
{
    if (maxBytes < 0) {
        return std::nullopt;
    }
    QFile file(nativePath);
    // Unbuffered: a buffered QFile reads ahead (16 KiB), and a prefix read promises to
    // touch nothing past `maxBytes`.
    if (QFileInfo(nativePath).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return std::nullopt;
    }
    QByteArray data;
    while (data.size() < maxBytes) {
        const QByteArray chunk = file.read(maxBytes - data.size());
        if (file.error() != QFileDevice::NoError) {
            return std::nullopt;
        }
        if (chunk.isEmpty()) {
            break; // end of file
        }
        data += chunk;
    }
    return data;
}

bool write(const QString& nativePath, const QByteArray& data)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(data) == data.size() && file.flush();
}

bool append(const QString& nativePath, const QByteArray& data)
{
    if (!QFileInfo(nativePath).isFile()) {
        return false;
    }
    QFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    return file.write(data) == data.size() && file.flush();
}

bool writeAtomically(const QString& nativePath, const QByteArray& data)
{
    QSaveFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool createDirectories(const QString& nativePath)
{
    return QDir().mkpath(nativePath);
}

bool remove(const QString& nativePath)
{
    const QFileInfo info(nativePath);
    if (info.isDir() && !info.isSymLink()) {
        return QDir(nativePath).removeRecursively();
    }
    return QFile::remove(nativePath);
}

std::optional<QStringList> listNames(const QString& nativePath)
{
    QDir dir(nativePath);
    if (!QFileInfo(nativePath).isDir() || !dir.isReadable()) {
        return std::nullopt;
    }
    // System takes in broken links.
    return dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace vantrel::native::NativeFiles
