#include "platform/FileSystem.h"

#include "platform/HostPath.h"

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
