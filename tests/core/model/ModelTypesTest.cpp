#include "model/BinaryArchitecture.h"
#include "model/CpuType.h"
#include "model/LaunchAction.h"
#include "model/LaunchArchitecture.h"
#include "model/ParallelLaunchStatus.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(ModelTypes, DecodingIsStrict)
{
    EXPECT_EQ(fromRawValue<LaunchArchitecture>(u"native"), LaunchArchitecture::native);
    EXPECT_EQ(fromRawValue<LaunchAction>(u"launchSafeMode"), LaunchAction::launchSafeMode);
    EXPECT_EQ(fromRawValue<BinaryArchitecture>(u"x86_64"), BinaryArchitecture::x86_64);
    for (const QString& bad : {QStringLiteral("Native"), QStringLiteral(" native"), QStringLiteral("native "),
                               QStringLiteral(""), QStringLiteral("arm64"), QStringLiteral("intel")}) {
        EXPECT_EQ(fromRawValue<LaunchArchitecture>(bad), std::nullopt) << bad.toStdString();
    }
    EXPECT_EQ(fromRawValue<LaunchAction>(u"LAUNCH"), std::nullopt);
    EXPECT_EQ(fromRawValue<BinaryArchitecture>(u"arm64e"), std::nullopt);
    EXPECT_TRUE(isLaunchRequest(LaunchAction::launchSafeMode));
    EXPECT_FALSE(isLaunchRequest(LaunchAction::openPreferences));
}

TEST(ModelTypes, ModeCpuTypesAndArchitectureNames)
{
    EXPECT_EQ(modeCpuType(LaunchArchitecture::native), 16777228);
    EXPECT_EQ(modeCpuType(LaunchArchitecture::rosetta), 16777223);
    EXPECT_EQ(modeArchitectureName(LaunchArchitecture::native), QStringLiteral("arm64"));
    EXPECT_EQ(modeArchitectureName(LaunchArchitecture::rosetta), QStringLiteral("x86_64"));
    EXPECT_EQ(archName(0x0100000C), QStringLiteral("arm64 (Native)"));
    EXPECT_EQ(archName(0x01000007), QStringLiteral("x86_64 (Rosetta)"));
    EXPECT_EQ(archName(-1), QStringLiteral("unknown (-1)"));
    EXPECT_EQ(archName(7), QStringLiteral("unknown (7)"));
}
