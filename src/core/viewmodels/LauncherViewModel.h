#pragma once

#include "async/Task.h"
#include "model/LaunchAction.h"
#include "model/LaunchCard.h"
#include "model/LauncherError.h"
#include "model/ResolvedLogicApp.h"
#include "viewmodels/ActionMenuPresenter.h"
#include "viewmodels/LaunchCardListModel.h"
#include "viewmodels/LaunchInteraction.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

namespace vantrel {

class ArchitectureDetector;
class FileSystem;
class LaunchLogger;
class LaunchManager;
class LogicScanner;
class LogicSupportActions;
class PluginInventory;
class ProjectMemory;
class SecurityScope;
class SettingsManager;
class VersionReader;
class Workspace;

// The model behind the launcher panel: cards, selection, the info popover, the status and
// error lines and the pending project. What is chosen on a card is carried out by its
// LaunchInteraction, framed by the shell's callbacks (the LaunchShell part). Main thread
// only.
class LauncherViewModel final : public QObject, public LaunchShell, private LaunchInteraction::View {
    Q_OBJECT
    Q_PROPERTY(int cardCount READ cardCount NOTIFY cardsChanged)
    Q_PROPERTY(QString selectedCardID READ selectedCardIDText WRITE setSelectedCardIDText NOTIFY selectedCardIDChanged)
    Q_PROPERTY(QVariantMap selectedCard READ selectedCardMap NOTIFY selectedCardChanged)
    Q_PROPERTY(bool showInfoPopover READ showInfoPopover WRITE setShowInfoPopover NOTIFY showInfoPopoverChanged)
    Q_PROPERTY(QString statusMessage READ statusMessageText NOTIFY statusMessageChanged)
    Q_PROPERTY(QString errorMessage READ errorMessageText NOTIFY errorMessageChanged)
    Q_PROPERTY(bool isLaunching READ isLaunching NOTIFY isLaunchingChanged)
    Q_PROPERTY(QUrl pendingProjectURL READ pendingProjectURLValue NOTIFY pendingProjectURLChanged)
    Q_PROPERTY(QString pendingProjectDisplayName READ pendingProjectDisplayNameText NOTIFY pendingProjectURLChanged)
    Q_PROPERTY(QString pendingProjectRemembered READ pendingProjectRememberedText NOTIFY pendingProjectURLChanged)
    Q_PROPERTY(QObject* cardModel READ cardModel CONSTANT)
    Q_PROPERTY(int windowWidth READ windowWidth NOTIFY layoutChanged)
    Q_PROPERTY(int windowHeight READ windowHeight NOTIFY layoutChanged)
    Q_PROPERTY(bool stripScrolls READ stripScrolls NOTIFY layoutChanged)
    Q_PROPERTY(QString messageText READ messageText NOTIFY messageChanged)
    Q_PROPERTY(bool messageIsError READ messageIsError NOTIFY messageChanged)
    Q_PROPERTY(int selectedIndex READ selectedIndexValue NOTIFY selectedCardIDChanged)
    Q_PROPERTY(bool offersDropHint READ offersDropHint NOTIFY dropHintChanged)

public:
    struct Collaborators {
        std::shared_ptr<LogicScanner> scanner;
        std::shared_ptr<ArchitectureDetector> architectureDetector;
        std::shared_ptr<VersionReader> versionReader;
        std::shared_ptr<LaunchManager> launchManager;
        std::shared_ptr<LogicSupportActions> supportActions;
        std::shared_ptr<SettingsManager> settingsManager;
        Workspace* workspace = nullptr;
        SecurityScope* securityScope = nullptr;
        FileSystem* fileSystem = nullptr;
        LaunchLogger* logger = nullptr;
        MenuPresenter* menus = nullptr;               // the shell's; none: menus are not shown
        std::shared_ptr<PluginInventory> plugins;     // none: the overlay has no plug-in line
        std::shared_ptr<ProjectMemory> projectMemory; // none: projects bring no card forward
    };

    explicit LauncherViewModel(Collaborators collaborators, QObject* parent = nullptr);
    ~LauncherViewModel() override;

    // ---- the shell's callbacks (set once by the application delegate) -----------------
    // Those of a launch come from LaunchShell.
    std::function<void()> onOpenSettings;
    std::function<void()> onCloseRequested;
    std::function<QObject*()> actionMenuAnchorView;

    // ---- state --------------------------------------------------------------------------
    const QList<LaunchCard>& cards() const { return m_cards; }
    int cardCount() const { return int(m_cards.size()); }
    const std::optional<QString>& selectedCardID() const { return m_selectedCardID; }
    std::optional<LaunchCard> selectedCard() const;
    bool showInfoPopover() const { return m_showInfoPopover; }
    const std::optional<QString>& statusMessage() const { return m_statusMessage; }
    // The error line in the interface language of now.
    std::optional<QString> errorMessage() const;
    bool isLaunching() const { return m_launch.isLaunching(); }
    const std::optional<QUrl>& pendingProjectURL() const { return m_launch.pendingProject(); }
    std::optional<QString> pendingProjectDisplayName() const;
    const QList<ResolvedLogicApp>& resolvedApps() const { return m_resolvedApps; }

    // ---- what the launcher window shows -----------------------------------------------
    // The cards as a list model whose rows update in place.
    LaunchCardListModel* cardModel() { return &m_cardModel; }
    // The window's size in points: cards × 168 + 36 wide (at least one card) within
    // 360…720; 360 high with the information overlay, else 204 (200 without cards); 34
    // more while a project is pending.
    static QSize windowSize(qsizetype cards, bool showsInfo, bool hasProject);
    QSize windowSize() const;
    int windowWidth() const { return windowSize().width(); }
    int windowHeight() const { return windowSize().height(); }
    // Past 720 points the card strip scrolls.
    static bool stripScrolls(qsizetype cards);
    bool stripScrolls() const { return stripScrolls(m_cards.size()); }
    // The one message line: the error when there is one, otherwise the status.
    QString messageText() const;
    bool messageIsError() const { return m_errorMessage.has_value(); }
    // Where the message line is free, it may tell that projects can be dropped: cards to
    // launch, no project pending, nothing else to say.
    bool offersDropHint() const;
    int selectedIndexValue() const { return int(selectedIndex().value_or(-1)); }

    SettingsManager& settingsManager() const { return *m_c.settingsManager; }
    const std::shared_ptr<SettingsManager>& sharedSettingsManager() const { return m_c.settingsManager; }
    LaunchManager& launchManager() const { return *m_c.launchManager; }
    ActionMenuPresenter& actionMenuPresenter() { return m_actionMenuPresenter; }

    // The installations as the panel lists them, in the user's order: the stored list
    // (seeded from a first scan when there is none yet), resolved on disk.
    static QList<ResolvedLogicApp> readInstallations(SettingsManager& settings, LogicScanner& scanner);

    // ---- actions ------------------------------------------------------------------------
    Q_INVOKABLE void refresh();
    void rebuildCards();
    // The interface language changed: the cards and the error line are worded anew.
    void retranslate();
    void handleCardClick(const LaunchCard& card, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Returns whether the key was consumed. Option is Qt's Alt modifier.
    bool handleKeyDown(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    Q_INVOKABLE void selectNext();
    Q_INVOKABLE void selectPrevious();
    Q_INVOKABLE void toggleInfo();
    // At the pointer, or at the card when asked for from the keyboard.
    void presentActionMenu(const LaunchCard& card, bool atCard = false);
    // The one place where actions are carried out: on the selected card.
    Task<> perform(LaunchAction action);
    // The launcher is ending: a launch still in its quit step (other copies asked to quit,
    // nothing of its own started) stops there with operationCancelled. A launch past that
    // step runs to its end.
    void cancelLaunchInQuitStep() { m_launch.cancelInQuitStep(); }
    // While a launch runs, a project waits for its end: pending again when it fails,
    // logged as not opened when it succeeds.
    // Any other project withdraws what a link offered with its own. A project the memory
    // knows selects the card that last opened it, when that card is shown and can start.
    void setPendingProject(const std::optional<QUrl>& url);
    // "last opened with Logic Pro 10.7.9 · Rosetta" for such a card, in the interface
    // language of now; none otherwise.
    std::optional<QString> pendingProjectRemembered() const;
    Q_INVOKABLE void clearPendingProject();
    // A launch asked for from outside the panel (a vantrel:// link). `launchCard` selects
    // the card and runs `action` on it at once. `offerLaunch` selects it with `project`
    // pending and waits: the user's next plain click on that card, or Return on it, runs
    // `action`; another project, a menu, a refused link or any other launch withdraws it.
    void launchCard(const QString& cardID, LaunchAction action);
    void offerLaunch(const QString& cardID, LaunchAction action, const QUrl& project);
    // A message of the shell's own on the error line (a refused link, which also withdraws
    // what an earlier link offered).
    void showError(const QString& text)
    {
        m_offeredLaunch.reset();
        setErrorMessage(ShownError(text));
    }

    // For views: the same actions by card id.
    Q_INVOKABLE void clickCard(const QString& cardID, bool optionHeld = false);
    // A right click: the menu of any card, an unavailable one's too.
    Q_INVOKABLE void showActionMenu(const QString& cardID);
    Q_INVOKABLE bool keyPressed(int key, int modifiers);
    // A file dropped on the window, named as the platform names it.
    Q_INVOKABLE void dropProject(const QUrl& url);
    Q_INVOKABLE void openSettings();

    // Launches and menu choices started from clicks and keys run here.
    Spawner& tasks() { return m_launch.tasks(); }

Q_SIGNALS:
    // Emitted once the selection fits the new cards.
    void cardsChanged();
    void selectedCardIDChanged();
    // The selected card changed: another card, or new content (availability, reason,
    // version) of the same one.
    void selectedCardChanged();
    void showInfoPopoverChanged();
    void statusMessageChanged();
    void errorMessageChanged();
    void dropHintChanged();
    void isLaunchingChanged();
    void pendingProjectURLChanged();
    void layoutChanged();
    void messageChanged();

private:
    void setSelectedCardID(std::optional<QString> id);
    void setShowInfoPopover(bool show);
    // ---- LaunchInteraction::View
    void setStatusMessage(std::optional<QString> text) override;
    void setErrorMessage(std::optional<ShownError> error) override;
    void launchingChanged() override { Q_EMIT isLaunchingChanged(); }
    // A new pending project (from here, or one that waited for a failed launch's end)
    // brings forward the card that last opened it.
    void pendingProjectChanged() override;

    void startPerform(LaunchAction action);
    // What a plain click or Return on `card` runs: the offered action on its card, else a launch.
    LaunchAction confirmedAction(const LaunchCard& card);
    std::optional<qsizetype> selectedIndex() const;

    struct OfferedLaunch {
        QString cardID;
        LaunchAction action;
    };
    std::optional<OfferedLaunch> m_offeredLaunch;
    std::optional<LaunchCard> m_rememberedCard; // the pending project's, selected for it

    QString selectedCardIDText() const { return m_selectedCardID.value_or(QString()); }
    void setSelectedCardIDText(const QString& id)
    {
        setSelectedCardID(id.isEmpty() ? std::nullopt : std::optional(id));
    }
    QVariantMap selectedCardMap() const;
    // The overlay's plug-in line for the card's mode; empty before the report or when it has none.
    QString pluginsText(const LaunchCard& card) const;
    QString statusMessageText() const { return m_statusMessage.value_or(QString()); }
    QString errorMessageText() const { return errorMessage().value_or(QString()); }
    QUrl pendingProjectURLValue() const { return pendingProjectURL().value_or(QUrl()); }
    QString pendingProjectDisplayNameText() const { return pendingProjectDisplayName().value_or(QString()); }
    QString pendingProjectRememberedText() const { return pendingProjectRemembered().value_or(QString()); }

    Collaborators m_c;
    ActionMenuPresenter m_actionMenuPresenter;
    LaunchCardListModel m_cardModel;
    QList<ResolvedLogicApp> m_resolvedApps;
    QList<LaunchCard> m_cards;
    std::optional<QString> m_selectedCardID;
    bool m_showInfoPopover = false;
    std::optional<QString> m_statusMessage;
    std::optional<ShownError> m_errorMessage;
    LaunchInteraction m_launch; // last: it ends first, with the view state still there
};

// The view-facing form of a card.
QVariantMap cardToVariant(const LaunchCard& card);

} // namespace vantrel
