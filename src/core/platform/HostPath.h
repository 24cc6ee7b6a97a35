#pragma once

#include <QString>
#include <QUrl>

namespace vantrel::HostPath {

// The one way paths are compared and stored: "." segments removed, ".." resolved
// textually, repeated and trailing slashes dropped. Links are never followed.
// "/Applications/./Logic Pro.app/" and "/Applications/Logic Pro.app" are the same path.
QString standardized(const QString& path);

// The file URL of a host path, and the standardized host path of a file URL.
QUrl fileURL(const QString& path);
QString fromURL(const QUrl& url);

// The last path component, and that component without its extension
// ("/Applications/Logic Pro X.app" → "Logic Pro X.app", "Logic Pro X").
QString lastComponent(const QString& path);
// Whether the last component of a standardized path is a name with the extension
// `extension` ("app", "component"), in any case: "Logic Pro.APP" is, ".app" is not.
bool hasBundleExtension(QStringView path, QStringView extension);
QString baseName(const QString& path);
// The extension of the last component, without the dot; empty when there is none.
QString extension(const QString& path);

} // namespace vantrel::HostPath
