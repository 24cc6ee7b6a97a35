#include "launch/ArchitecturePreferenceMutator.h"
#include "launch/LaunchTesting.h"
#include "launch/LogicPreferenceMutator.h"
#include "model/LauncherError.h"
#include "platform/LaunchServices.h"
#include "support/HostObjects.h"
#include "text/L10n.h"

#include <QDateTime>
#include <QTimeZone>

using namespace vantrel;
using namespace vantrel::testing;
using namespace std::chrono_literals;

namespace {

// Launch Services that records every call it receives.
class RecordingLaunchServices final : public LaunchServices {
public:
    struct Setter final : ArchitecturePreferenceSetter {
        QStringList& calls;
        explicit Setter(QStringList& c)
            : calls(c)
        {
        }
        bool canMakeBundleURL(const QString& path) const override
        {
            return !path.contains(QStringLiteral("unmakeable"));
        }
        void setPreference(const QString& path, const QString& arch) override { calls << path + u' ' + arch; }
    };

    bool present = true;
    QStringList calls;
    std::shared_ptr<ArchitecturePreferenceSetter> lookUpArchitecturePreferenceSetter() override
    {
        return present ? std::make_shared<Setter>(calls) : nullptr;
    }
};

QUrl url(const char* path)
{
    return HostPath::fileURL(QString::fromUtf8(path));
}

std::optional<LauncherError> thrownBy(const std::function<void()>& action)
{
    try {
        action();
    } catch (const LauncherError& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

TEST(ArchitecturePreferenceMutator, OverridesRecordAndRestore)
{
    TempSimulatedMac mac;
    RecordingLaunchServices services;
    ArchitecturePreferenceMutator mutator(services);
    const QUrl logic = url("/Applications/Logic Pro.app");
    EXPECT_EQ(mutator.currentPreference(logic), std::nullopt);

    auto first = mutator.beginOverride(logic, LaunchArchitecture::rosetta, true);
    EXPECT_EQ(first, (ArchitecturePreferenceMutator::Token{logic, std::nullopt, true}));
    EXPECT_EQ(services.calls, QStringList{QStringLiteral("/Applications/Logic Pro.app x86_64")});
    EXPECT_EQ(mutator.currentPreference(logic), QStringLiteral("x86_64"));

    // The same mode again: no call, nothing changed; ending it changes nothing.
    const QUrl dotted = url("/Applications/./Logic Pro.app");
    auto again = mutator.beginOverride(dotted, LaunchArchitecture::rosetta, true);
    EXPECT_FALSE(again.didChange);
    EXPECT_EQ(again.previousPreference, QStringLiteral("x86_64"));
    mutator.endOverride(again);
    EXPECT_EQ(services.calls.size(), 1);

    // Native after rosetta, and back.
    auto native = mutator.beginOverride(dotted, LaunchArchitecture::native, true);
    EXPECT_EQ(native.previousPreference, QStringLiteral("x86_64"));
    EXPECT_EQ(services.calls.last(), QStringLiteral("/Applications/Logic Pro.app arm64"))
        << "dot segments share one entry";
    mutator.endOverride(native);
    EXPECT_EQ(services.calls.last(), QStringLiteral("/Applications/Logic Pro.app x86_64"));

    // Ending the first override: nothing was recorded before it, so arm64.
    mutator.endOverride(first);
    EXPECT_EQ(services.calls.last(), QStringLiteral("/Applications/Logic Pro.app arm64"));
    EXPECT_EQ(mutator.currentPreference(logic), QStringLiteral("arm64"));

    // native off Apple Silicon is x86_64.
    mutator.beginOverride(url("/Applications/Other.app"), LaunchArchitecture::native, false);
    EXPECT_EQ(services.calls.last(), QStringLiteral("/Applications/Other.app x86_64"));
}

TEST(ArchitecturePreferenceMutator, MissingSetterOrBundleURLFails)
{
    TempSimulatedMac mac;
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    RecordingLaunchServices services;
    services.present = false;
    ArchitecturePreferenceMutator absent(services);
    EXPECT_FALSE(absent.hasSetter());
    for (LaunchArchitecture mode : allCases<LaunchArchitecture>()) {
        EXPECT_EQ(thrownBy([&] { absent.beginOverride(url("/Applications/Logic Pro.app"), mode, true); }),
                  LauncherError::preferenceMutationFailed(
                      QStringLiteral("Cannot force Rosetta: Launch Services architecture preference is unavailable.")));
    }
    absent.endOverride({url("/Applications/Logic Pro.app"), std::nullopt, true});
    EXPECT_TRUE(services.calls.isEmpty());

    services.present = true;
    ArchitecturePreferenceMutator present(services);
    EXPECT_EQ(thrownBy([&] {
                  present.beginOverride(url("/Applications/unmakeable.app"), LaunchArchitecture::rosetta, true);
              }),
              LauncherError::preferenceMutationFailed(
                  QStringLiteral("Could not set Launch Services architecture preference to x86_64.")));
    EXPECT_TRUE(services.calls.isEmpty());
}

TEST(LogicPreferenceMutator, RestoresExactlyWhatWasThere)
{
    TempSimulatedMac mac;
    const auto ownMutator = test::preferenceMutator();
    LogicPreferenceMutator& mutator = *ownMutator;
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));

    // Absent: 0 during, gone again afterwards.
    auto token = mutator.beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
    EXPECT_FALSE(token.hadValue);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0);
    mutator.endOverride(token);
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), std::nullopt);

    // An integer comes back as an integer, a string as a string, a date as a date.
    const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone::utc());
    for (const QVariant& previous :
         {QVariant(qint64(1)), QVariant(QStringLiteral("1")), QVariant(when), QVariant(true)}) {
        logic->setValue(QStringLiteral("startupAction"), previous);
        auto t = mutator.beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
        EXPECT_EQ(t.previousValue, previous);
        EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0);
        mutator.endOverride(t);
        auto restored = logic->value(QStringLiteral("startupAction"));
        ASSERT_TRUE(restored);
        EXPECT_EQ(restored->typeId(), previous.typeId() == QMetaType::Int ? QMetaType::LongLong : previous.typeId());
        EXPECT_EQ(*restored, previous);
    }

    // Two overlapping overrides: both remember the user's 2, and only the last end puts it
    // back, whichever order they end in.
    logic->setValue(QStringLiteral("startupAction"), 2);
    auto a = mutator.beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
    auto b = mutator.beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
    EXPECT_EQ(b.previousValue, QVariant(qint64(2)));
    mutator.endOverride(b);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0) << "the first launch still needs the 0";
    mutator.endOverride(a);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 2);
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt)
        << "no record outlives its override";
}

TEST(LogicPreferenceMutator, OverridesLeftByDeadProcessesAreRestoredNewestFirst)
{
    TempSimulatedMac mac;
    auto& preferences = mac.host().preferences();
    const QString logic10 = QStringLiteral("com.apple.logic10");
    const QString beta = QStringLiteral("com.apple.logic.beta");
    auto domain = [&](const QString& name) { return preferences.suite(name); };
    domain(logic10)->setValue(QStringLiteral("startupAction"), QStringLiteral("1"));

    // Two launchers that overlap on one domain and die without restoring; a third, still
    // running, is in the middle of a launch of another copy.
    LogicPreferenceMutator(preferences, 901).beginStartupActionOverride(logic10, 0);
    LogicPreferenceMutator(preferences, 902).beginStartupActionOverride(logic10, 0);
    LogicPreferenceMutator running(preferences, 903);
    running.beginStartupActionOverride(beta, 0);
    LogicPreferenceMutator(preferences, 905).beginStartupActionOverride(beta, 0); // dies too
    EXPECT_EQ(domain(logic10)->integer(QStringLiteral("startupAction")), 0);

    LogicPreferenceMutator next(preferences, 904);
    const auto restored = next.restoreAbandonedOverrides(
        [](qint64 pid, const std::optional<QString>&) { return pid == 903 || pid == 904; });
    ASSERT_EQ(restored.size(), 3);
    EXPECT_EQ(restored[0].pid, 905);
    EXPECT_EQ(restored[0].fate, LogicPreferenceMutator::AbandonedOverride::Fate::leftToRunningLaunch)
        << "the running launch still needs its 0, and will restore";
    EXPECT_EQ(restored[1].pid, 902);
    EXPECT_EQ(restored[2].pid, 901);
    EXPECT_EQ(domain(logic10)->value(QStringLiteral("startupAction")), QVariant(QStringLiteral("1")))
        << "the user's value, with its type, although the second process found 0";
    EXPECT_EQ(domain(beta)->integer(QStringLiteral("startupAction")), 0);
    EXPECT_TRUE(next.restoreAbandonedOverrides([](qint64, const std::optional<QString>&) { return true; }).isEmpty());

    // The running one ends normally: the key was absent, so it is removed.
    running.endOverride({beta, QStringLiteral("startupAction"), std::nullopt, false});
    EXPECT_EQ(domain(beta)->value(QStringLiteral("startupAction")), std::nullopt);

    // A record under this process's own id is an earlier process's (the id was reused):
    // its value is the original, and it does not outlive the new override.
    domain(logic10)->setValue(QStringLiteral("startupAction"), qint64(3));
    LogicPreferenceMutator(preferences, 906).beginStartupActionOverride(logic10, 0);
    LogicPreferenceMutator reused(preferences, 906);
    const auto token = reused.beginStartupActionOverride(logic10, 0);
    EXPECT_EQ(token.previousValue, QVariant(qint64(3)));
    reused.endOverride(token);
    EXPECT_EQ(domain(logic10)->integer(QStringLiteral("startupAction")), 3);
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
}

TEST(LogicPreferenceMutator, ARestoreNeverOverwritesTheUsersLaterValueOrAForeignDomain)
{
    TempSimulatedMac mac;
    auto& preferences = mac.host().preferences();
    const QString logic10 = QStringLiteral("com.apple.logic10");
    auto logic = preferences.suite(logic10);
    logic->setValue(QStringLiteral("startupAction"), qint64(1));
    LogicPreferenceMutator(preferences, 911).beginStartupActionOverride(logic10, 0); // killed
    logic->setValue(QStringLiteral("startupAction"), qint64(3));                     // the user, before the next start

    // A record planted for another application's domain.
    QVariantList records = mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides"))->toList();
    records.append(QVariantMap{{QStringLiteral("domain"), QStringLiteral("com.apple.finder")},
                               {QStringLiteral("pid"), qint64(912)},
                               {QStringLiteral("wrote"), qint64(0)},
                               {QStringLiteral("value"), qint64(7)}});
    mac.host().standardDefaults()->setValue(QStringLiteral("startupActionOverrides"), records);
    preferences.suite(QStringLiteral("com.apple.finder"))->setValue(QStringLiteral("startupAction"), qint64(0));

    using Fate = LogicPreferenceMutator::AbandonedOverride::Fate;
    const auto restored =
        LogicPreferenceMutator(preferences, 913).restoreAbandonedOverrides([](qint64, const std::optional<QString>&) {
            return false;
        });
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(restored[0].fate, Fate::notLogicDomain);
    EXPECT_EQ(restored[1].fate, Fate::keptUsersValue);
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(3))) << "the user's own value";
    EXPECT_EQ(preferences.suite(QStringLiteral("com.apple.finder"))->value(QStringLiteral("startupAction")),
              QVariant(qint64(0)))
        << "never written";
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt)
        << "both records dropped";

    // The same at a launch's normal end: a value the user set while Logic started stays.
    LogicPreferenceMutator mutator(preferences, 914);
    const auto token = mutator.beginStartupActionOverride(logic10, 0);
    logic->setValue(QStringLiteral("startupAction"), qint64(2));
    EXPECT_EQ(mutator.endOverride(token), LogicPreferenceMutator::EndOutcome::keptUsersValue);
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(2)));
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
    EXPECT_EQ(mutator.endOverride(mutator.beginStartupActionOverride(logic10, 0)),
              LogicPreferenceMutator::EndOutcome::restored);
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(2)));
}

TEST(LogicPreferenceMutator, TwoLaunchersOverlapAndTheLastOneOutRestores)
{
    TempSimulatedMac mac;
    auto& preferences = mac.host().preferences();
    const QString logic10 = QStringLiteral("com.apple.logic10");
    auto logic = preferences.suite(logic10);
    logic->setValue(QStringLiteral("startupAction"), qint64(2));
    LogicPreferenceMutator first(preferences, 921);
    LogicPreferenceMutator second(preferences, 922);
    const auto a = first.beginStartupActionOverride(logic10, 0);
    const auto b = second.beginStartupActionOverride(logic10, 0);
    EXPECT_EQ(b.previousValue, QVariant(qint64(2))) << "the first one's record holds the user's value";
    first.endOverride(a);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0) << "the second launch still needs its 0";
    second.endOverride(b);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 2);

    // A record left behind while the user has changed the value since: not the original.
    LogicPreferenceMutator(preferences, 923).beginStartupActionOverride(logic10, 0); // killed
    logic->setValue(QStringLiteral("startupAction"), qint64(3));
    const auto c = second.beginStartupActionOverride(logic10, 0);
    EXPECT_EQ(c.previousValue, QVariant(qint64(3)));
}

TEST(LogicPreferenceMutator, AnOverrideThatCannotBeRecordedChangesNothing)
{
    TempSimulatedMac mac;
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), qint64(2));
    const auto ownMutator = test::preferenceMutator();
    LogicPreferenceMutator& mutator = *ownMutator;
    // The launcher's own domain cannot be written (its file a folder now).
    mac.fs().remove(QStringLiteral("~/Library/Preferences/com.vantrel.app.plist"));
    mac.fs().createDirectories(QStringLiteral("~/Library/Preferences/com.vantrel.app.plist"));
    try {
        mutator.beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
        ADD_FAILURE() << "the override went ahead without its record";
    } catch (const LauncherError& error) {
        EXPECT_EQ(error.kind(), LauncherError::Case::preferenceMutationFailed);
    }
    EXPECT_EQ(logic->value(QStringLiteral("startupAction")), QVariant(qint64(2)));

    // Logic's own file cannot be read: it is never rewritten (it may hold what the reader
    // does not know), the override fails, and no record of it stays.
    mac.fs().remove(QStringLiteral("~/Library/Preferences/com.vantrel.app.plist"));
    const QString logicFile = QStringLiteral("~/Library/Preferences/com.apple.logic10.plist");
    const QByteArray unreadable = "<?xml version=\"1.0\"?><plist><dict><key>startupAction</key><integer>1";
    mac.writeFile(logicFile, unreadable);
    try {
        mutator.beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
        ADD_FAILURE() << "the override went ahead over an unreadable file";
    } catch (const LauncherError& error) {
        EXPECT_TRUE(error.errorDescription().contains(L10n::text(L10n::Key::errorLogicPreferencesUnreadable)))
            << error.errorDescription().toStdString();
    }
    EXPECT_EQ(mac.readFile(logicFile), std::optional(unreadable));
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupActionOverrides")), std::nullopt);
}

TEST(LogicPreferenceMutator, AnUnopenableDomainFallsBackToTheStandardDefaults)
{
    TempSimulatedMac mac;
    const auto ownMutator = test::preferenceMutator();
    LogicPreferenceMutator& mutator = *ownMutator;
    auto token = mutator.beginStartupActionOverride(QStringLiteral("bad/domain"), 0);
    EXPECT_EQ(token.suiteName, QStringLiteral("bad/domain"));
    EXPECT_EQ(mac.host().standardDefaults()->integer(QStringLiteral("startupAction")), 0);
    mutator.endOverride(token);
    EXPECT_EQ(mac.host().standardDefaults()->value(QStringLiteral("startupAction")), std::nullopt);
}

struct RestoreTest : LaunchTest {};

TEST_F(RestoreTest, DelayedRestoresRunAfterTheCallerAndArePendingWork)
{
    auto logic = mac.host().preferences().suite(QStringLiteral("com.apple.logic10"));
    logic->setValue(QStringLiteral("startupAction"), 1);
    auto mutator = manager->collaborators().preferenceMutator;
    StartupActionRestorer& restorer = manager->startupActionRestorer();

    restorer.restoreStartupAction(std::nullopt, 6s);
    EXPECT_EQ(manager->pendingWork().pendingCount(), 0u);

    auto token = mutator->beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
    restorer.restoreStartupAction(token, 0s);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 0) << "not restored inside the call";
    mac.clock().advance(0ms);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
    EXPECT_EQ(log().last(), QStringLiteral("startupAction restored after document open"));

    token = mutator->beginStartupActionOverride(QStringLiteral("com.apple.logic10"), 0);
    restorer.restoreStartupAction(token, 6s);
    EXPECT_EQ(manager->pendingWork().pendingCount(), 1u);
    // The shell awaits pending work before the process ends: that runs the restore.
    auto outcome = run(manager->pendingWork().waitForPending());
    EXPECT_TRUE(outcome.finished);
    EXPECT_EQ(logic->integer(QStringLiteral("startupAction")), 1);
    EXPECT_EQ(log().filter(QStringLiteral("startupAction restored")).size(), 2);
}
