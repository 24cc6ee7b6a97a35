// The application icon's .iconset images, drawn from our SVG.
#include "app/Iconset.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Iconset, EverySizeAndScaleIsDrawnFromTheSvg)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/Vantrel.iconset");
    ASSERT_TRUE(vantrel::writeIconset(QStringLiteral(VANTREL_APP_ICON_SVG), folder));
    for (const int points : {16, 32, 128, 256, 512}) {
        for (const int scale : {1, 2}) {
            const QString name =
                QStringLiteral("icon_%1x%1%2.png").arg(points).arg(scale == 2 ? QStringLiteral("@2x") : QString());
            const QImage image(folder + u'/' + name);
            ASSERT_FALSE(image.isNull()) << name.toStdString();
            EXPECT_EQ(image.size(), QSize(points * scale, points * scale)) << name.toStdString();
            const int side = points * scale;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "transparent outside the rounded square";
            EXPECT_EQ(qAlpha(image.pixel(side / 2, side / 4)), 255) << "drawn inside it";
        }
    }
    EXPECT_FALSE(vantrel::writeIconset(QStringLiteral("/nonexistent.svg"), folder));
}
