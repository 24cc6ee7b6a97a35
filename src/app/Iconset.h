#pragma once

#include <QString>

namespace vantrel {

// The PNG images of a macOS .iconset folder (16 to 512 points, each also at twice the
// size), drawn from an SVG; `iconutil -c icns` makes the application icon from them.
// False when the SVG cannot be read or an image cannot be written.
bool writeIconset(const QString& svgPath, const QString& iconsetFolder);

} // namespace vantrel
