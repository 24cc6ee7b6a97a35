#include "launch/LaunchTesting.h"
#include "simhost/adapters/SimulatedLaunchServices.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

struct PreflightTest : LaunchTest {
    std::optional<LauncherError> check(const QString& path, LaunchArchitecture mode)
    {
        return manager->canLaunch(HostPath::fileURL(path), mode);
    }
};

} // namespace

TEST_F(PreflightTest, ChecksInOrder)
{
    sim::writeBundle(mac.fs(),
                     {.path = QStringLiteral("/Applications/Arm.app"), .slices = {{sim::MachO::cpuTypeArm64}}});
    sim::writeBundle(mac.fs(),
                     {.path = QStringLiteral("/Applications/Intel.app"), .slices = {{sim::MachO::cpuTypeX86_64}}});
    sim::writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Broken.app"), .writeExecutable = false});

    EXPECT_EQ(check(QStringLiteral("/Applications/Gone.app"), LaunchArchitecture::native),
              LauncherError::appNotFound(QStringLiteral("/Applications/Gone.app")));
    EXPECT_EQ(check(logicPath, LaunchArchitecture::native), std::nullopt);
    EXPECT_EQ(check(logicPath, LaunchArchitecture::rosetta), std::nullopt);
    EXPECT_EQ(check(QStringLiteral("/Applications/Arm.app"), LaunchArchitecture::rosetta),
              LauncherError::architectureUnavailable(LaunchArchitecture::rosetta));
    EXPECT_EQ(check(QStringLiteral("/Applications/Intel.app"), LaunchArchitecture::native),
              LauncherError::architectureUnavailable(LaunchArchitecture::native));
    for (LaunchArchitecture mode : allCases<LaunchArchitecture>()) {
        EXPECT_EQ(check(QStringLiteral("/Applications/Broken.app"), mode),
                  LauncherError::architectureUnavailable(mode));
    }

    // Without Rosetta (a new detector: the answer is cached per detector).
    mac.mac().setRosettaInstalled(false);
    rebuildManager();
    EXPECT_EQ(check(QStringLiteral("/Applications/Arm.app"), LaunchArchitecture::rosetta),
              LauncherError::architectureUnavailable(LaunchArchitecture::rosetta))
        << "the slice is checked first";
    EXPECT_EQ(check(logicPath, LaunchArchitecture::rosetta), LauncherError::rosettaNotInstalled());
    EXPECT_EQ(check(logicPath, LaunchArchitecture::native), std::nullopt);

    // Rosetta but no Launch Services setter: only rosetta requests fail.
    mac.mac().setRosettaInstalled(true);
    sim::SimulatedLaunchServices::setAvailable(mac.mac().state(), false);
    rebuildManager();
    EXPECT_EQ(check(logicPath, LaunchArchitecture::rosetta),
              LauncherError::preferenceMutationFailed(
                  QStringLiteral("Cannot force Rosetta: Launch Services architecture preference is unavailable.")));
    EXPECT_EQ(check(logicPath, LaunchArchitecture::native), std::nullopt);
}
