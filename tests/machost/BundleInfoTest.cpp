// The application bundle's Info.plist as the build makes it: what the Mac reads from it
// to run Vantrel, to offer it Logic Pro's documents and to hand it vantrel:// links.
#include "plist/PropertyList.h"

#include <QFile>

#include <gtest/gtest.h>

using vantrel::PropertyList;

TEST(BundleInfo, IdentifiesTheLauncherAndTakesLogicDocumentsAsAViewer)
{
    QFile file(QStringLiteral(VANTREL_INFO_PLIST));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto parsed = PropertyList::parse(file.readAll());
    ASSERT_TRUE(parsed.has_value()) << "a well-formed property list";
    const QVariantMap info = parsed->toMap();

    EXPECT_EQ(info.value(QStringLiteral("CFBundleInfoDictionaryVersion")), QStringLiteral("6.0"));
    EXPECT_EQ(info.value(QStringLiteral("CFBundleIdentifier")), QStringLiteral("com.vantrel.app"));
    EXPECT_EQ(info.value(QStringLiteral("CFBundleShortVersionString")), QStringLiteral(VANTREL_VERSION));
    EXPECT_EQ(info.value(QStringLiteral("CFBundleExecutable")), QStringLiteral("Vantrel"));
    EXPECT_EQ(info.value(QStringLiteral("LSMinimumSystemVersion")), QStringLiteral("14.0"));
    EXPECT_EQ(info.value(QStringLiteral("LSArchitecturePriority")), QVariantList{QStringLiteral("arm64")});
    EXPECT_FALSE(info.value(QStringLiteral("NSAppleEventsUsageDescription")).toString().isEmpty());

    QMap<QString, bool> packages; // extension → is a package
    for (const QVariant& entry : info.value(QStringLiteral("CFBundleDocumentTypes")).toList()) {
        const QVariantMap type = entry.toMap();
        EXPECT_EQ(type.value(QStringLiteral("CFBundleTypeRole")), QStringLiteral("Viewer"));
        // Never the default opener of Logic's projects: Logic Pro stays that.
        EXPECT_EQ(type.value(QStringLiteral("LSHandlerRank")), QStringLiteral("Alternate"));
        for (const QVariant& extension : type.value(QStringLiteral("CFBundleTypeExtensions")).toList()) {
            packages.insert(extension.toString(), type.value(QStringLiteral("LSTypeIsPackage")).toBool());
        }
    }
    EXPECT_EQ(packages,
              (QMap<QString, bool>{
                  {QStringLiteral("logicx"), true}, {QStringLiteral("logic"), false}, {QStringLiteral("lso"), false}}));

    // vantrel:// links come to the launcher.
    const QVariantList urlTypes = info.value(QStringLiteral("CFBundleURLTypes")).toList();
    ASSERT_EQ(urlTypes.size(), 1);
    EXPECT_EQ(urlTypes.first().toMap().value(QStringLiteral("CFBundleURLSchemes")),
              QVariantList{QStringLiteral("vantrel")});
}

TEST(BundleInfo, TheEntitlementsLetAHardenedBuildSendAppleEventsAndRunQml)
{
    QFile file(QStringLiteral(VANTREL_ENTITLEMENTS));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto parsed = PropertyList::parse(file.readAll());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->toMap(), (QVariantMap{{QStringLiteral("com.apple.security.automation.apple-events"), true},
                                            {QStringLiteral("com.apple.security.cs.allow-jit"), true}}));
}
