#include "model/LauncherError.h"
#include "support/TempSimulatedMac.h"
#include "text/L10n.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::TempSimulatedMac;

namespace {

void useLanguage(TempSimulatedMac& mac, const char* code)
{
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QString::fromLatin1(code));
}

} // namespace

TEST(LauncherError, MessagesInBothLanguages)
{
    TempSimulatedMac mac;
    useLanguage(mac, "en");
    EXPECT_EQ(LauncherError::launchFailed(QStringLiteral("timed out")).errorDescription(),
              QStringLiteral("Launch failed: timed out"));
    EXPECT_EQ(LauncherError::architectureUnavailable(LaunchArchitecture::rosetta).errorDescription(),
              QStringLiteral("This copy of Logic Pro cannot launch in Rosetta mode."));
    EXPECT_EQ(LauncherError::architectureUnavailable(LaunchArchitecture::native).errorDescription(),
              QStringLiteral("This copy of Logic Pro cannot launch in Native mode."));
    EXPECT_EQ(LauncherError::appNotFound(QStringLiteral("/Applications/Logic Pro.app")).errorDescription(),
              QStringLiteral("Logic Pro was not found at “/Applications/Logic Pro.app”."));
    EXPECT_EQ(LauncherError::operationCancelled().errorDescription(), QStringLiteral("Operation cancelled."));
    EXPECT_EQ(LauncherError::notLogicPro().errorDescription(),
              QStringLiteral("Only Logic Pro apps can be added — Vantrel itself is not a target."));

    useLanguage(mac, "ru");
    EXPECT_EQ(LauncherError::launchFailed(QStringLiteral("timed out")).errorDescription(),
              QStringLiteral("Ошибка запуска: timed out"));
    EXPECT_EQ(LauncherError::architectureUnavailable(LaunchArchitecture::rosetta).errorDescription(),
              QStringLiteral("Эту копию Logic Pro нельзя запустить в режиме Rosetta."));
    EXPECT_EQ(LauncherError::architectureUnavailable(LaunchArchitecture::native).errorDescription(),
              QStringLiteral("Эту копию Logic Pro нельзя запустить в режиме Нативный."));
    EXPECT_EQ(LauncherError::appNotFound(QStringLiteral("/A.app")).errorDescription(),
              QStringLiteral("Logic Pro не найден по пути «/A.app»."));
    EXPECT_EQ(LauncherError::rosettaNotInstalled().errorDescription(),
              QStringLiteral("Rosetta 2 не установлена. Установите её в Системных настройках или выполните "
                             "`softwareupdate --install-rosetta`."));
}

TEST(LauncherError, AValueChangesLanguageWithTheInterfaceButItsPayloadDoesNot)
{
    TempSimulatedMac mac;
    useLanguage(mac, "ru");
    // A detail made while the interface was Russian stays Russian inside an English message.
    const QString detail =
        L10n::text(L10n::Key::errorDidNotStartMode, L10n::string(L10n::Key::native, AppLanguage::russian));
    const LauncherError error = LauncherError::launchFailed(detail);
    EXPECT_EQ(error.errorDescription(), QStringLiteral("Ошибка запуска: Logic Pro не запустился в режиме Нативный."));
    useLanguage(mac, "en");
    EXPECT_EQ(error.errorDescription(), QStringLiteral("Launch failed: Logic Pro не запустился в режиме Нативный."));

    const LauncherError unsupported = LauncherError::parallelLaunchUnsupported(QStringLiteral("x"));
    EXPECT_EQ(unsupported.errorDescription(), QStringLiteral("x"));
    useLanguage(mac, "ru");
    EXPECT_EQ(unsupported.errorDescription(), QStringLiteral("x"));

    const LauncherError unavailable = LauncherError::preferenceMutationFailed(QStringLiteral("100%@ %d"));
    EXPECT_EQ(unavailable.errorDescription(), QStringLiteral("Не удалось изменить настройки Logic Pro: 100%@ %d"));
}

TEST(LauncherError, EqualityIsByCaseAndPayload)
{
    EXPECT_EQ(LauncherError::appNotFound(QStringLiteral("/a")), LauncherError::appNotFound(QStringLiteral("/a")));
    EXPECT_NE(LauncherError::appNotFound(QStringLiteral("/a")), LauncherError::appNotFound(QStringLiteral("/b")));
    EXPECT_NE(LauncherError::launchFailed(QStringLiteral("x")),
              LauncherError::preferenceMutationFailed(QStringLiteral("x")));
    EXPECT_NE(LauncherError::architectureUnavailable(LaunchArchitecture::native),
              LauncherError::architectureUnavailable(LaunchArchitecture::rosetta));
    EXPECT_EQ(LauncherError::operationCancelled(), LauncherError::operationCancelled());
    EXPECT_NE(LauncherError::operationCancelled(), LauncherError::invalidBundle());
    EXPECT_NE(LauncherError::operationCancelled(), LauncherError::launchFailed(QString()));
}

TEST(LauncherError, TravelsAsAnExceptionByValue)
{
    try {
        throw LauncherError::architectureUnavailable(LaunchArchitecture::rosetta);
    } catch (const LauncherError& error) {
        EXPECT_EQ(error.kind(), LauncherError::Case::architectureUnavailable);
        EXPECT_EQ(error.architecture(), LaunchArchitecture::rosetta);
        EXPECT_STREQ(error.what(), "LauncherError.architectureUnavailable");
    }
}
