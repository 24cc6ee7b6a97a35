#include "model/LaunchCard.h"
#include "platform/HostPath.h"
#include "simhost/adapters/SimulatedScripting.h"
#include "simhost/machine/EventLog.h"
#include "support/FakeWorkspace.h"
#include "support/TempSimulatedMac.h"
#include "viewmodels/ActionMenuPresenter.h"
#include "viewmodels/LogicSupportActions.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

LaunchCard armOnlyCard()
{
    LogicApp app =
        LogicApp::make(QStringLiteral("Logic Pro Beta"), QStringLiteral("/Applications/Logic Pro Beta.app"), false);
    LogicAppMetadata metadata{QStringLiteral("com.apple.logic10"), QStringLiteral("11.2"),           std::nullopt,
                              {BinaryArchitecture::arm64},         QStringLiteral("Logic Pro Beta"), std::nullopt};
    return {LaunchCard::makeID(app, LaunchArchitecture::native),
            app,
            metadata,
            LaunchArchitecture::native,
            true,
            std::nullopt};
}

} // namespace

TEST(ActionMenu, HeaderSeparatorsAndSevenEnabledActions)
{
    TempSimulatedMac mac;
    LaunchCard card = armOnlyCard();
    card.isAvailable = false;
    const Menu menu = ActionMenuPresenter::menu(card);
    EXPECT_EQ(menu.title, QStringLiteral("Logic Pro Beta"));
    ASSERT_EQ(menu.items.size(), 10);
    EXPECT_EQ(menu.items[0].kind, MenuItem::Kind::header);
    EXPECT_EQ(menu.items[0].title, QStringLiteral("Logic Pro Beta — 11.2 · только arm64"));
    EXPECT_FALSE(menu.items[0].enabled);
    EXPECT_EQ(menu.items[1].kind, MenuItem::Kind::separator);
    EXPECT_EQ(menu.items[5].kind, MenuItem::Kind::separator);
    QStringList objects;
    for (const MenuItem& item : menu.items) {
        if (item.kind == MenuItem::Kind::action) {
            objects << item.representedObject.toString();
            EXPECT_TRUE(item.enabled) << "every action is offered, also on an unavailable card";
        }
    }
    QStringList rawValues;
    for (LaunchAction action : allCases<LaunchAction>()) {
        rawValues << rawValue(action);
    }
    EXPECT_EQ(objects, rawValues);
}

TEST(ActionMenu, EnglishTitlesAndTheSevenSymbols)
{
    TempSimulatedMac mac;
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
    QStringList titles;
    QStringList symbols;
    for (const MenuItem& item : ActionMenuPresenter::menu(armOnlyCard()).items) {
        if (item.kind == MenuItem::Kind::action) {
            titles << item.title;
            symbols << item.symbolName;
        }
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Launch"), QStringLiteral("Launch without Recent Project"),
                                   QStringLiteral("Launch in Safe Mode"), QStringLiteral("Open Plug-ins Folder"),
                                   QStringLiteral("Open Preferences"), QStringLiteral("Reveal in Finder"),
                                   QStringLiteral("Show Info")}));
    EXPECT_EQ(symbols,
              (QStringList{QStringLiteral("play.fill"), QStringLiteral("doc.badge.plus"),
                           QStringLiteral("shield.lefthalf.filled"), QStringLiteral("folder"),
                           QStringLiteral("gearshape"), QStringLiteral("eye"), QStringLiteral("info.circle")}));
    EXPECT_EQ(ActionMenuPresenter::menu(armOnlyCard()).items[0].title,
              QStringLiteral("Logic Pro Beta — 11.2 · arm64 only"));
}

TEST(ActionMenu, OnlyKnownRawValuesCallBack)
{
    TempSimulatedMac mac;
    ActionMenuPresenter presenter;
    QList<LaunchAction> chosen;
    presenter.present(armOnlyCard(), nullptr, [&](LaunchAction action) { chosen << action; });
    presenter.handle(QStringLiteral("launchSafeMode"));
    presenter.handle(QStringLiteral("LAUNCH"));
    presenter.handle(QVariant(3));
    presenter.handle(QVariant());
    EXPECT_EQ(chosen, QList<LaunchAction>{LaunchAction::launchSafeMode});
}

TEST(SupportActions, PluginFolders)
{
    TempSimulatedMac mac;
    FakeWorkspace workspace(mac.clock());
    LogicSupportActions actions(workspace, mac.fs(), mac.host().scripting());
    const QStringList folders = {
        QStringLiteral("/Users/tester/Library/Audio/Plug-Ins/Components"),
        QStringLiteral("/Library/Audio/Plug-Ins/Components"),
        QStringLiteral("/Users/tester/Library/Audio/Plug-Ins/VST3"),
        QStringLiteral("/Library/Audio/Plug-Ins/VST3"),
    };
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) { // created in reverse: order is not theirs
        mac.fs().createDirectories(*it);
    }
    actions.openPluginsFolders();
    QStringList opened;
    for (const QString& folder : folders) {
        opened << QStringLiteral("open ") + folder;
    }
    EXPECT_EQ(workspace.journal, opened) << "every folder there is, in the fixed order";

    workspace.journal.clear();
    for (const QString& folder : folders.first(3)) {
        mac.fs().remove(folder);
    }
    actions.openPluginsFolders();
    EXPECT_EQ(workspace.journal, QStringList{QStringLiteral("open /Library/Audio/Plug-Ins/VST3")});

    workspace.journal.clear();
    mac.fs().remove(QStringLiteral("/Library/Audio/Plug-Ins/VST3"));
    actions.openPluginsFolders();
    EXPECT_EQ(workspace.journal, QStringList{QStringLiteral("open /Users/tester/Library/Audio/Plug-Ins")});
    EXPECT_TRUE(mac.fs().isDirectory(QStringLiteral("~/Library/Audio/Plug-Ins")));
}

TEST(SupportActions, PreferencesWithLogicNotRunning)
{
    TempSimulatedMac mac;
    FakeWorkspace workspace(mac.clock());
    LogicSupportActions actions(workspace, mac.fs(), mac.host().scripting());
    EXPECT_EQ(LogicSupportActions::preferencesScript(),
              QStringLiteral("tell application \"System Events\"\n"
                             "    if not (exists process \"Logic Pro\") then\n"
                             "        return \"not-running\"\n"
                             "    end if\n"
                             "end tell\n"
                             "tell application \"Logic Pro\" to activate\n"
                             "delay 0.35\n"
                             "tell application \"System Events\"\n"
                             "    keystroke \",\" using command down\n"
                             "end tell\n"
                             "return \"ok\""));
    EXPECT_EQ(LogicSupportActions::infoWindowScript(QStringLiteral("/Applications/A \"B\".app")),
              QStringLiteral("tell application \"Finder\"\n"
                             "    activate\n"
                             "    set theItem to (POSIX file \"/Applications/A \\\"B\\\".app\") as alias\n"
                             "    open information window of theItem\n"
                             "end tell"));
    actions.openLogicPreferences(QStringLiteral("com.apple.logic10"));
    EXPECT_TRUE(workspace.journal.isEmpty()) << "no preferences file: nothing to show";
    mac.host().preferences().suite(QStringLiteral("com.apple.logic10"))->setValue(QStringLiteral("startupAction"), 1);
    actions.openLogicPreferences(std::nullopt);
    EXPECT_EQ(workspace.journal,
              QStringList{QStringLiteral("reveal /Users/tester/Library/Preferences/com.apple.logic10.plist")});
    EXPECT_TRUE(sim::EventLog(mac.mac().state())
                    .events()
                    .contains(QStringLiteral("script kind=preferences result=not-running")));
}

TEST(SupportActions, HostilePathsNeverBreakOutOfTheFinderScript)
{
    TempSimulatedMac mac;
    FakeWorkspace workspace(mac.clock());
    LogicSupportActions actions(workspace, mac.fs(), mac.host().scripting());
    sim::SimulatedScripting::setShowInfoServiceAvailable(mac.mac().state(), false);
    const QStringList hostile = {
        QStringLiteral("/Applications/Logic \"Pro\".app"),
        QStringLiteral("/Applications/back\\slash\\\".app"),
        QStringLiteral("/Applications/end\\"),
        QStringLiteral("/Applications/x\") as alias\ndo shell script \"rm -rf ~\" --.app"),
        QStringLiteral("/Applications/line\nbreak\r\ttab.app"),
        QStringLiteral("/Applications/«Логик» 🎹.app"),
    };
    for (const QString& path : hostile) {
        actions.showGetInfo(HostPath::fileURL(path));
        // The simulated Finder reads the literal back the way AppleScript would.
        const QStringList events = sim::EventLog(mac.mac().state()).events();
        EXPECT_EQ(events.last(),
                  QStringLiteral("script kind=info-window path=") + QString(path).replace(u'\n', QStringLiteral("\\n")))
            << path.toStdString();
        EXPECT_EQ(workspace.journal.last(), QStringLiteral("reveal ") + path);
    }
    EXPECT_EQ(LogicSupportActions::escapedForScript(QStringLiteral("a\\\"b")), QStringLiteral("a\\\\\\\"b"));

    sim::SimulatedScripting::setShowInfoServiceAvailable(mac.mac().state(), true);
    workspace.journal.clear();
    actions.showGetInfo(HostPath::fileURL(QStringLiteral("/Applications/Logic Pro.app")));
    EXPECT_TRUE(workspace.journal.isEmpty()) << "the service worked: no reveal, no script";
    EXPECT_TRUE(sim::EventLog(mac.mac().state())
                    .events()
                    .last()
                    .startsWith(QStringLiteral("service name=Finder/Show Info pasteboard=Vantrel.ShowInfo.")));
}
