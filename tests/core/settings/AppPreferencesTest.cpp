#include "settings/AppPreferences.h"
#include "support/TempSimulatedMac.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;

TEST(AppPreferences, DefaultToTrueAndSurviveARestart)
{
    TempSimulatedMac mac;
    auto defaults = mac.host().standardDefaults();
    {
        AppPreferences preferences(defaults, &LocalizationStore::shared());
        EXPECT_TRUE(preferences.closeOnFocusLoss());
        EXPECT_TRUE(preferences.closeOtherLogicOnLaunch());
        EXPECT_EQ(defaults->value(QStringLiteral("closeOnFocusLoss")), std::nullopt) << "construction writes nothing";
        int changes = 0;
        QObject::connect(&preferences, &AppPreferences::closeOnFocusLossChanged, [&] { ++changes; });
        preferences.setCloseOnFocusLoss(false);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(defaults->boolean(QStringLiteral("closeOnFocusLoss")), false);
    }
    AppPreferences restarted(mac.host().standardDefaults(), &LocalizationStore::shared());
    EXPECT_FALSE(restarted.closeOnFocusLoss());
    EXPECT_TRUE(restarted.closeOtherLogicOnLaunch());
    EXPECT_EQ(restarted.localization(), &LocalizationStore::shared());
}

TEST(AppPreferences, EveryReaderAgreesOnTheDefault)
{
    TempSimulatedMac mac;
    auto defaults = mac.host().standardDefaults();
    EXPECT_TRUE(AppPreferences::flag(*defaults, AppPreferences::closeOtherLogicOnLaunchKey));
    defaults->setValue(QStringLiteral("closeOtherLogicOnLaunch"), QStringLiteral("NO"));
    EXPECT_TRUE(AppPreferences::flag(*defaults, AppPreferences::closeOtherLogicOnLaunchKey)) << "not a Boolean";
    EXPECT_TRUE(AppPreferences(defaults, &LocalizationStore::shared()).closeOtherLogicOnLaunch());
    defaults->setValue(QStringLiteral("closeOtherLogicOnLaunch"), false);
    EXPECT_FALSE(AppPreferences::flag(*defaults, AppPreferences::closeOtherLogicOnLaunchKey));
}
