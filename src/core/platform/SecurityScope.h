#pragma once

#include <QUrl>

namespace vantrel {

// Security-scoped access to a file handed over from outside (a sandbox facility of the
// Mac). Where the platform has no sandbox, starting gives no access (false) and stopping
// does nothing.
class SecurityScope {
public:
    virtual ~SecurityScope() = default;
    virtual bool startAccessing(const QUrl& url) = 0;
    virtual void stopAccessing(const QUrl& url) = 0;
};

} // namespace vantrel
