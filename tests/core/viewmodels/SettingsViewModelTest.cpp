#include "viewmodels/SettingsViewModel.h"
#include "installations/AppConstants.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "platform/OpenPanel.h"
#include "plugins/PluginInventory.h"
#include "settings/LogicAppStoring.h"
#include "settings/SettingsManager.h"
#include "simhost/fixtures/BundleWriter.h"
#include "support/FakeWorkspace.h"
#include "support/HostObjects.h"
#include "support/TempSimulatedMac.h"

#include <QCoreApplication>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

class MemoryStore final : public LogicAppStoring {
public:
    QList<LogicApp> stored;
    QList<LogicApp> loadApps() override { return stored; }
    void saveApps(const QList<LogicApp>& apps) override { stored = apps; }
};

class ScriptedPanel final : public OpenPanel {
public:
    std::optional<QString> answer;
    QList<Request> requests;
    std::optional<QString> chooseApplication(const Request& request) override
    {
        requests.append(request);
        return answer;
    }
};

struct SettingsModelTest : ::testing::Test {
    TempSimulatedMac mac;
    FakeWorkspace workspace{mac.clock()};
    ScriptedPanel panel;
    std::shared_ptr<SettingsManager> settings;
    std::unique_ptr<SettingsViewModel> model;
    std::unique_ptr<QAbstractItemModelTester> rowsTester;
    SettingsViewModel::Collaborators collaborators;

    void SetUp() override
    {
        mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("en"));
        for (const char* path :
             {"/Applications/Logic Pro.app", "/Applications/Logic Pro X.app", "/Applications/Logic Pro 9.app"}) {
            sim::writeBundle(mac.fs(), {.path = QString::fromUtf8(path),
                                        .identifier = QStringLiteral("com.apple.logic10"),
                                        .shortVersion = QStringLiteral("11.0")});
        }
        sim::writeBundle(mac.fs(), {.path = QStringLiteral("/Applications/Notes.app"),
                                    .identifier = QStringLiteral("com.apple.Notes"),
                                    .shortVersion = QStringLiteral("4.0")});
        auto detector = test::detector();
        auto scanner = test::scanner(detector);
        settings = std::make_shared<SettingsManager>(std::make_shared<MemoryStore>(), scanner);
        SettingsViewModel::Collaborators c;
        c.settingsManager = settings;
        c.scanner = scanner;
        c.versionReader = std::make_shared<VersionReader>(test::versionReader());
        c.architectureDetector = detector;
        c.workspace = &workspace;
        c.fileSystem = &mac.fs();
        c.securityScope = &mac.host().securityScope();
        c.ownBundlePath = mac.host().ownBundlePath();
        c.openPanel = &panel;
        collaborators = c;
        model = std::make_unique<SettingsViewModel>(c);
        // Every change of the rows' list model, in every test, checked against the
        // item-model contract.
        rowsTester = std::make_unique<QAbstractItemModelTester>(model->rows(),
                                                                QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    QStringList names() const
    {
        QStringList out;
        for (const LogicApp& app : settings->apps()) {
            out << app.displayName;
        }
        return out;
    }
};

} // namespace

TEST_F(SettingsModelTest, BrowsingFillsTheDraft)
{
    panel.answer = QStringLiteral("/Applications/Logic Pro.app");
    model->chooseApplication();
    EXPECT_EQ(model->draftPath(), QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(model->draftName(), QStringLiteral("Logic Pro"));
    ASSERT_EQ(panel.requests.size(), 1);
    EXPECT_EQ(panel.requests[0].directory, QStringLiteral("/Applications"));
    EXPECT_EQ(panel.requests[0].message, QStringLiteral("Select a Logic Pro application"));
    EXPECT_EQ(panel.requests[0].prompt, QStringLiteral("Add"));

    model->setDraftName(QStringLiteral("Mine"));
    panel.answer = QStringLiteral("/Applications/Logic Pro X.app");
    model->chooseApplication();
    EXPECT_EQ(model->draftName(), QStringLiteral("Mine")) << "a typed name is kept";
    panel.answer.reset();
    model->chooseApplication();
    EXPECT_EQ(model->draftPath(), QStringLiteral("/Applications/Logic Pro X.app")) << "cancelling changes nothing";
}

TEST_F(SettingsModelTest, SavingAnEditKeepsTheDraftOnAnErrorAndClearsItOnSuccess)
{
    settings->addApp(QStringLiteral("Main"), QStringLiteral("/Applications/Logic Pro.app"));
    const LogicApp app = settings->apps().first();
    model->beginEdit(app);
    EXPECT_TRUE(model->isEditing());
    model->setDraftPath(QStringLiteral("/Applications/Notes.app"));
    model->setDraftName(QStringLiteral("Renamed"));
    model->saveDraft();
    EXPECT_EQ(model->errorMessage(),
              QStringLiteral("Only Logic Pro apps can be added — Vantrel itself is not a target."));
    EXPECT_EQ(model->draftPath(), QStringLiteral("/Applications/Notes.app"));
    EXPECT_EQ(settings->apps().first(), app) << "the entry is untouched";

    model->setDraftPath(QStringLiteral("/Applications/Logic Pro X.app"));
    model->saveDraft();
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    EXPECT_FALSE(model->isEditing());
    EXPECT_TRUE(model->draftName().isEmpty() && model->draftPath().isEmpty());
    EXPECT_EQ(settings->apps().first().displayName, QStringLiteral("Renamed"));
    EXPECT_EQ(settings->apps().first().bundlePath, QStringLiteral("/Applications/Logic Pro X.app"));
    EXPECT_EQ(settings->apps().first().id, app.id);

    model->setDraftPath(QStringLiteral("/Applications/Missing.app"));
    model->saveDraft();
    EXPECT_EQ(model->errorMessage(), QStringLiteral("The selected item is not a valid macOS application bundle."));
    EXPECT_EQ(settings->apps().size(), 1);
    // The same error, read after a switch of language, in the new one.
    mac.host().standardDefaults()->setValue(QStringLiteral("appLanguage"), QStringLiteral("ru"));
    EXPECT_EQ(model->errorMessage(), QStringLiteral("Выбранный объект не является корректным приложением macOS."));
    // A path chosen with Browse replaces the one the error was about.
    panel.answer = QStringLiteral("/Applications/Logic Pro.app");
    model->chooseApplication();
    EXPECT_EQ(model->errorMessage(), std::nullopt);
}

TEST_F(SettingsModelTest, DropsTryEveryApplication)
{
    model->handleDrop({HostPath::fileURL(QStringLiteral("/Applications/Logic Pro.app")),
                       HostPath::fileURL(QStringLiteral("/Applications/Notes.app")),
                       HostPath::fileURL(QStringLiteral("/Applications/Logic Pro X.app"))});
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Logic Pro"), QStringLiteral("Logic Pro X")}));
    EXPECT_EQ(model->errorMessage(),
              QStringLiteral("Only Logic Pro apps can be added — Vantrel itself is not a target."));

    model->handleDrop({HostPath::fileURL(QStringLiteral("/Users/tester/Music")),
                       HostPath::fileURL(QStringLiteral("/Users/tester/notes.txt"))});
    EXPECT_EQ(model->errorMessage(), QStringLiteral("The selected item is not a valid macOS application bundle."));
    EXPECT_EQ(settings->apps().size(), 2);
    EXPECT_FALSE(model->isEditing()) << "a drop leaves the editor alone";
}

TEST_F(SettingsModelTest, RowActionsAndVisibility)
{
    for (const char* name : {"Logic Pro", "Logic Pro X", "Logic Pro 9"}) {
        settings->addApp({}, QStringLiteral("/Applications/%1.app").arg(QString::fromUtf8(name)));
    }
    model->moveUp(0);
    model->moveDown(2);
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("Logic Pro"), QStringLiteral("Logic Pro X"), QStringLiteral("Logic Pro 9")}));
    model->moveDown(0);
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("Logic Pro X"), QStringLiteral("Logic Pro"), QStringLiteral("Logic Pro 9")}));
    model->moveUp(2);
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("Logic Pro X"), QStringLiteral("Logic Pro 9"), QStringLiteral("Logic Pro")}));
    // A drag: the first row let go below the last (destination counted before removal),
    // then the last dragged to the top; onto itself, nothing.
    model->moveRow(0, 3);
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("Logic Pro 9"), QStringLiteral("Logic Pro"), QStringLiteral("Logic Pro X")}));
    model->moveRow(2, 0);
    model->moveRow(1, 2);
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("Logic Pro X"), QStringLiteral("Logic Pro 9"), QStringLiteral("Logic Pro")}));
    // The rows the window shows follow, with what each may do.
    SettingsRowModel& rows = *model->rows();
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(rows.data(rows.index(0), SettingsRowModel::DisplayNameRole), QStringLiteral("Logic Pro X"));
    EXPECT_FALSE(rows.data(rows.index(0), SettingsRowModel::CanMoveUpRole).toBool());
    EXPECT_FALSE(rows.data(rows.index(2), SettingsRowModel::CanMoveDownRole).toBool());
    model->setModeVisibleAt(1, QStringLiteral("rosetta"), false);
    EXPECT_FALSE(rows.data(rows.index(1), SettingsRowModel::RosettaVisibleRole).toBool());
    model->setModeVisibleAt(1, QStringLiteral("rosetta"), true);
    EXPECT_TRUE(rows.data(rows.index(1), SettingsRowModel::RosettaVisibleRole).toBool());
    model->moveRowBy(0, 2); // dragged two rows down
    EXPECT_EQ(names().last(), QStringLiteral("Logic Pro X"));

    const LogicApp app = settings->apps().first();
    EXPECT_TRUE(model->isModeVisible(app, LaunchArchitecture::rosetta));
    model->setModeVisible(app, LaunchArchitecture::rosetta, false);
    EXPECT_FALSE(model->isModeVisible(app, LaunchArchitecture::rosetta));
    settings->removeApp(app.id);
    EXPECT_TRUE(model->isModeVisible(app, LaunchArchitecture::rosetta)) << "a removed entry reports visible";
}

TEST_F(SettingsModelTest, TheMetadataCacheFollowsTheListOneTurnLater)
{
    EXPECT_TRUE(model->metadataCache().isEmpty());
    int changes = 0;
    QObject::connect(model.get(), &SettingsViewModel::changed, [&] { ++changes; });
    settings->addApp({}, QStringLiteral("/Applications/Logic Pro.app"));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(model->metadataCache().isEmpty()) << "rebuilt on the next turn";
    QCoreApplication::processEvents();
    const LogicApp app = settings->apps().first();
    ASSERT_TRUE(model->metadata(app));
    EXPECT_EQ(model->metadata(app)->shortVersion, QStringLiteral("11.0"));

    mac.fs().remove(QStringLiteral("/Applications/Logic Pro.app"));
    settings->renameApp(app.id, QStringLiteral("Gone"));
    QCoreApplication::processEvents();
    EXPECT_EQ(model->metadata(app), std::nullopt) << "missing on disk: no entry";
}

TEST_F(SettingsModelTest, TheStoreLinkOpensAndQuits)
{
    bool quit = false;
    model->onOpenExternalLinkAndQuit = [&] { quit = true; };
    model->openLogicOnAppStore();
    EXPECT_EQ(workspace.journal,
              QStringList{QStringLiteral("open macappstore://apps.apple.com/app/logic-pro/id634148309")});
    EXPECT_TRUE(quit);

    // Without the App Store application, the web page.
    workspace.journal.clear();
    workspace.refusedSchemes = {QStringLiteral("macappstore")};
    model->openLogicOnAppStore();
    ASSERT_EQ(workspace.journal.size(), 2);
    EXPECT_EQ(workspace.journal[1], QStringLiteral("open ") + AppConstants::logicProAppStoreHTTPSURL);
}

TEST_F(SettingsModelTest, ThePlugInSectionCountsAndListsThoseThatLoadInOneModeOnly)
{
    // A settings window over a report of the disk as it is now, once the report is there.
    const auto section = [&] {
        SettingsViewModel::Collaborators c = collaborators;
        c.plugins = Services::makePluginInventory(mac.host());
        auto view = std::make_unique<SettingsViewModel>(c);
        EXPECT_EQ(view->pluginsStatus(), QStringLiteral("Reading the Audio Units…"));
        EXPECT_TRUE(view->pluginCounts().isEmpty());
        QSignalSpy ready(view.get(), &SettingsViewModel::pluginsChanged);
        EXPECT_TRUE(ready.wait(5000));
        return view;
    };
    EXPECT_EQ(section()->pluginsStatus(), QStringLiteral("No Audio Unit plug-ins found."));

    const sim::MachO::Slice arm{sim::MachO::cpuTypeArm64}, intel{sim::MachO::cpuTypeX86_64};
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = QStringLiteral("Echo")}));
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = QStringLiteral("Verb"), .inUserFolder = true}));
    auto view = section();
    EXPECT_EQ(view->pluginsStatus(), QStringLiteral("Every plug-in loads in both modes."));
    EXPECT_EQ(view->pluginCounts(), QStringList{QStringLiteral("In both modes: 2")});
    EXPECT_TRUE(view->pluginGroups().isEmpty());

    ASSERT_TRUE(sim::writeComponent(
        mac.fs(), {.name = u"Strings"_qs, .manufacturer = u"old mill"_qs, .slices = {intel}, .version = u"2.0"_qs}));
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = u"Amp"_qs, .manufacturer = u"Redline"_qs, .slices = {intel}}));
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = u"Bass"_qs, .manufacturer = u"Old Mill"_qs, .slices = {intel}}));
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = u"EQ"_qs, .slices = {arm}}));
    ASSERT_TRUE(sim::writeComponent(mac.fs(), {.name = u"Broken"_qs, .writeExecutable = false}));
    view = section();
    EXPECT_EQ(view->pluginsStatus(), QString());
    EXPECT_EQ(view->pluginCounts(), (QStringList{u"In both modes: 2"_qs, u"Only under Rosetta: 3"_qs,
                                                 u"Only natively: 1"_qs, u"Unreadable: 1"_qs}));
    QStringList shown;
    for (const QVariant& group : view->pluginGroups()) {
        shown << u"# "_qs + group.toMap()[u"title"_qs].toString();
        for (const QVariant& plugin : group.toMap()[u"plugins"_qs].toList()) {
            shown << plugin.toMap()[u"name"_qs].toString() + u' ' + plugin.toMap()[u"version"_qs].toString();
        }
    }
    EXPECT_EQ(shown, (QStringList{u"# Load only under Rosetta"_qs, u"Old Mill: Bass 1.0.0"_qs,
                                  u"old mill: Strings 2.0"_qs, u"Redline: Amp 1.0.0"_qs, u"# Load only natively"_qs,
                                  u"EQ 1.0.0"_qs, u"# Could not be read"_qs, u"Broken 1.0.0"_qs}));
    const QString amp = view->pluginGroups()[0].toMap()[u"plugins"_qs].toList()[2].toMap()[u"path"_qs].toString();
    view->revealPlugin(amp);
    EXPECT_TRUE(workspace.journal.contains(u"reveal /Library/Audio/Plug-Ins/Components/Amp.component"_qs))
        << workspace.journal.join(u'\n').toStdString();
}
