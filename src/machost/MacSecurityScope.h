#pragma once

#include "platform/SecurityScope.h"

namespace vantrel::mac {

// Security-scoped access to a file URL handed over from outside (a drop, the system).
class MacSecurityScope final : public SecurityScope {
public:
    bool startAccessing(const QUrl& url) override;
    void stopAccessing(const QUrl& url) override;
};

} // namespace vantrel::mac
