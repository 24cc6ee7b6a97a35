#include "platform/HostPath.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(HostPath, StandardizesTextuallyWithoutTouchingTheDisk)
{
    EXPECT_EQ(HostPath::standardized(QStringLiteral("/Applications/./Logic Pro.app")),
              QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(HostPath::standardized(QStringLiteral("/Applications/Old/../Logic Pro.app/")),
              QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(HostPath::standardized(QStringLiteral("//Applications///Logic Pro.app")),
              QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(HostPath::standardized(QStringLiteral("/../../etc/passwd")), QStringLiteral("/etc/passwd"));
    EXPECT_EQ(HostPath::standardized(QStringLiteral("/Программы/Логик.app/.")), QStringLiteral("/Программы/Логик.app"));
    EXPECT_EQ(HostPath::standardized(QString()), QString());
    EXPECT_EQ(HostPath::standardized(QStringLiteral("/")), QStringLiteral("/"));
}

TEST(HostPath, FileURLsRoundTripPathsWithSpecialCharacters)
{
    for (const QString& path :
         {QStringLiteral("/Applications/Logic Pro X.app"), QStringLiteral("/tmp/100%@ mix #1?.logicx"),
          QStringLiteral("/Users/тест/🎹 \"quoted\".logicx")}) {
        const QUrl url = HostPath::fileURL(path);
        EXPECT_TRUE(url.isLocalFile());
        EXPECT_EQ(HostPath::fromURL(url), path);
    }
    EXPECT_EQ(HostPath::fromURL(QUrl::fromLocalFile(QStringLiteral("/Applications/./Logic Pro.app/"))),
              QStringLiteral("/Applications/Logic Pro.app"));
}

TEST(HostPath, NamesAndExtensions)
{
    EXPECT_EQ(HostPath::lastComponent(QStringLiteral("/Applications/Logic Pro X.app/")),
              QStringLiteral("Logic Pro X.app"));
    EXPECT_EQ(HostPath::baseName(QStringLiteral("/Applications/Logic Pro X.app")), QStringLiteral("Logic Pro X"));
    EXPECT_EQ(HostPath::baseName(QStringLiteral("/Applications/Logic Pro 10.7.app")), QStringLiteral("Logic Pro 10.7"));
    EXPECT_EQ(HostPath::extension(QStringLiteral("/Applications/Logic Pro.APP")), QStringLiteral("APP"));
    EXPECT_EQ(HostPath::extension(QStringLiteral("/Applications/Logic")), QString());
    EXPECT_EQ(HostPath::extension(QStringLiteral("/Users/me/.hidden")), QString());
    EXPECT_EQ(HostPath::baseName(QStringLiteral("/Users/me/.hidden")), QStringLiteral(".hidden"));
}
