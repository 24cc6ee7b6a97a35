#include "machost/MacSecurityScope.h"

#include "machost/MacConversions.h"

namespace vantrel::mac {

bool MacSecurityScope::startAccessing(const QUrl& url)
{
    return [fileURL(url.toLocalFile()) startAccessingSecurityScopedResource];
}

void MacSecurityScope::stopAccessing(const QUrl& url)
{
    [fileURL(url.toLocalFile()) stopAccessingSecurityScopedResource];
}

} // namespace vantrel::mac
