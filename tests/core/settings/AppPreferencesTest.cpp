#include "settings/AppPreferences.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;

TEST(AppPreferences, DefaultToTrueAndSurviveARestart)
{
    TempSimulatedMac mac;
    auto defaults = mac.host().standardDefaults();
    {
        AppPreferences preferences(defaults, &test::localization());
        EXPECT_TRUE(preferences.closeOnFocusLoss());
        EXPECT_TRUE(preferences.closeOtherLogicOnLaunch());
        EXPECT_EQ(defaults->value(QStringLiteral("closeOnFocusLoss")), std::nullopt) << "construction writes nothing";
        int changes = 0;
        QObject::connect(&preferences, &AppPreferences::closeOnFocusLossChanged, [&] { ++changes; });
        preferences.setCloseOnFocusLoss(false);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(defaults->boolean(QStringLiteral("closeOnFocusLoss")), false);
    }
    AppPreferences restarted(mac.host().standardDefaults(), &test::localization());
    EXPECT_FALSE(restarted.closeOnFocusLoss());
    EXPECT_TRUE(restarted.closeOtherLogicOnLaunch());
    EXPECT_EQ(restarted.localization(), &test::localization());
}

TEST(AppPreferences, StoredValuesReadAsThePlatformReadsABoolean)
{
    TempSimulatedMac mac;
    auto defaults = mac.host().standardDefaults();
    const QString key = QStringLiteral("closeOtherLogicOnLaunch");
    auto flag = [&] { return AppPreferences::flag(*defaults, AppPreferences::closeOtherLogicOnLaunchKey); };
    EXPECT_TRUE(flag()) << "only an absent key reads as true";

    // What a script or `defaults write` may leave behind.
    const QList<std::pair<QVariant, bool>> stored = {
        {false, false},
        {true, true},
        {qint64(0), false},
        {qint64(1), true},
        {qint64(-3), true},
        {0.0, false},
        {0.5, true},
        {QStringLiteral("0"), false},
        {QStringLiteral("1"), true},
        {QStringLiteral("NO"), false},
        {QStringLiteral("no"), false},
        {QStringLiteral("false"), false},
        {QStringLiteral("YES"), true},
        {QStringLiteral(" true "), true},
        {QStringLiteral("maybe"), false},
        {QStringLiteral(""), false},
        {QByteArray("\x01"), false},
        {QVariantList{true}, false},
    };
    for (const auto& [value, expected] : stored) {
        defaults->setValue(key, value);
        EXPECT_EQ(flag(), expected) << value.toString().toStdString() << " (" << value.typeName() << ")";
        // The settings window and the launch engine read the same way.
        EXPECT_EQ(AppPreferences(defaults, &test::localization()).closeOtherLogicOnLaunch(), expected);
    }
    defaults->setValue(QStringLiteral("closeOnFocusLoss"), qint64(0));
    EXPECT_FALSE(AppPreferences(defaults, &test::localization()).closeOnFocusLoss());
}
