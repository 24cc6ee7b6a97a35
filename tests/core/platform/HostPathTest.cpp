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

    // A bundle's extension: in any case, after a name of at least one character.
    for (const char16_t* yes : {u"/A/Logic Pro.app", u"Logic.APP", u"/A/x..App", u"/A/\u00e9.app"}) {
        EXPECT_TRUE(HostPath::hasBundleExtension(QStringView(yes), u"app")) << QString::fromUtf16(yes).toStdString();
    }
    for (const char16_t* no : {u"/A/.app", u".app", u"/A/Logic.app/", u"/A/Logicapp", u"/A/Logic.ap", u"/A/x.\u00e1pp",
                               u"/A/x.appx", u"/A/x.component"}) {
        EXPECT_FALSE(HostPath::hasBundleExtension(QStringView(no), u"app")) << QString::fromUtf16(no).toStdString();
    }
    EXPECT_TRUE(HostPath::hasBundleExtension(u"/C/Amp.COMPONENT", u"component"));
}
