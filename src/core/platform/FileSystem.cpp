#include "platform/FileSystem.h"

#include "platform/HostPath.h"

#include <QDir>

namespace vantrel {

QString FileSystem::expandTilde(const QString& path) const
{
    if (path == u"~") {
        return homeDirectory();
    }
    if (path.startsWith(u"~/")) {
        return HostPath::standardized(homeDirectory() + path.mid(1));
    }
    return HostPath::standardized(path);
}

QString FileSystem::fromArgument(const QString& argument) const
{
    if (argument.startsWith(u'~')) {
        return expandTilde(argument);
    }
    return expandTilde(fromPlatformPath(QDir::cleanPath(QDir::current().absoluteFilePath(argument))));
}

std::optional<QString> FileSystem::absoluteHostPath(const QString& path) const
{
    if (path.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    QString host = expandTilde(path);
    if (!host.startsWith(u'/')) {
        return std::nullopt;
    }
    return host;
}

} // namespace vantrel
