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

} // namespace vantrel
