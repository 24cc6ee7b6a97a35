#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// AppleScript and the system services.
class Scripting {
public:
    virtual ~Scripting() = default;
    // Compiles and runs a script; its string result, or nothing when it could not run.
    virtual std::optional<QString> runScript(const QString& source) = 0;
    // Calls a named system service ("Finder/Show Info") with `urls` written to the named
    // pasteboard; whether the service reported success.
    virtual bool performService(const QString& serviceName, const QString& pasteboardName, const QList<QUrl>& urls) = 0;
};

} // namespace vantrel
