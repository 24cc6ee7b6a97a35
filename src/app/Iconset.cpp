#include "app/Iconset.h"

#include <QDir>
#include <QImage>
#include <QImageReader>

namespace vantrel {

bool writeIconset(const QString& svgPath, const QString& iconsetFolder)
{
    if (!QDir().mkpath(iconsetFolder)) {
        return false;
    }
    for (const int points : {16, 32, 128, 256, 512}) {
        for (const int scale : {1, 2}) {
            QImageReader reader(svgPath);
            reader.setScaledSize(QSize(points * scale, points * scale));
            const QImage image = reader.read();
            if (image.isNull()) {
                return false;
            }
            const QString name =
                QStringLiteral("icon_%1x%1%2.png").arg(points).arg(scale == 2 ? QStringLiteral("@2x") : QString());
            if (!image.save(iconsetFolder + u'/' + name, "PNG")) {
                return false;
            }
        }
    }
    return true;
}

} // namespace vantrel
