#pragma once

#include "platform/Scripting.h"

namespace vantrel::mac {

// AppleScript (NSAppleScript) and the system services (NSPerformService with a named
// pasteboard). Apple events to System Events and the Finder need the Automation
// permission, which the system asks for on first use.
class MacScripting final : public Scripting {
public:
    std::optional<QString> runScript(const QString& source) override;
    bool performService(const QString& serviceName, const QString& pasteboardName, const QList<QUrl>& urls) override;
};

} // namespace vantrel::mac
