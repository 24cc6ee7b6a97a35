#include "viewmodels/LauncherViewModel.h"

#include "installations/ArchitectureDetector.h"
#include "installations/LaunchCardBuilder.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "launch/LaunchManager.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"
#include "settings/PersistenceStore.h"
#include "settings/SettingsManager.h"
#include "text/L10n.h"
#include "viewmodels/LogicSupportActions.h"

#include <QPointer>

#include <coroutine>

namespace vantrel {

namespace {

// Resumes the awaiting coroutine when the shell calls the completion it was given,
// which may happen before, during or after the wait begins. The wait reports false when
// it was abandoned instead (the model went away first).
struct Completion {
    struct State {
        bool done = false;
        bool abandoned = false;
        std::coroutine_handle<> waiter;

        void finish(bool abandon)
        {
            if (done) {
                return; // called twice: the first call counts
            }
            done = true;
            abandoned = abandon;
            if (auto handle = std::exchange(waiter, {})) {
                handle.resume();
            }
        }
    };
    std::shared_ptr<State> state = std::make_shared<State>();

    bool await_ready() const noexcept { return state->done; }
    void await_suspend(std::coroutine_handle<> handle) const noexcept { state->waiter = handle; }
    bool await_resume() const noexcept { return !state->abandoned; }
};

} // namespace

QVariantMap cardToVariant(const LaunchCard& card)
{
    QStringList slices;
    for (BinaryArchitecture arch : allCases<BinaryArchitecture>()) {
        if (card.metadata.executableArchitectures.contains(arch)) {
            slices << rawValue(arch);
        }
    }
    return {
        {QStringLiteral("id"), card.id},
        {QStringLiteral("displayName"), card.app.displayName},
        {QStringLiteral("bundlePath"), card.app.bundlePath},
        {QStringLiteral("architecture"), rawValue(card.architecture)},
        {QStringLiteral("modeText"), card.modeText()},
        {QStringLiteral("isAvailable"), card.isAvailable},
        {QStringLiteral("unavailabilityReason"), card.unavailabilityReason.value_or(QString())},
        {QStringLiteral("shortVersion"), card.metadata.shortVersion},
        {QStringLiteral("buildVersion"), card.metadata.buildVersion.value_or(QString())},
        {QStringLiteral("bundleIdentifier"), card.metadata.bundleIdentifier.value_or(QString())},
        {QStringLiteral("architectures"), slices},
        // The information overlay's texts: "Native (arm64)", "arm64, x86_64".
        {QStringLiteral("infoModeText"),
         QString(L10n::text(card.architecture == LaunchArchitecture::native ? L10n::Key::native : L10n::Key::rosetta)
                 + QStringLiteral(" (") + modeArchitectureName(card.architecture) + u')')},
        {QStringLiteral("architecturesText"), slices.join(QStringLiteral(", "))},
    };
}

LauncherViewModel::LauncherViewModel(Collaborators collaborators, QObject* parent)
    : QObject(parent)
    , m_c(std::move(collaborators))
    , m_actionMenuPresenter(m_c.menus)
{
    connect(this, &LauncherViewModel::cardsChanged, this, &LauncherViewModel::layoutChanged);
    connect(this, &LauncherViewModel::showInfoPopoverChanged, this, &LauncherViewModel::layoutChanged);
    connect(this, &LauncherViewModel::pendingProjectURLChanged, this, &LauncherViewModel::layoutChanged);
    connect(this, &LauncherViewModel::errorMessageChanged, this, &LauncherViewModel::messageChanged);
    connect(this, &LauncherViewModel::statusMessageChanged, this, &LauncherViewModel::messageChanged);
    for (auto changed : {&LauncherViewModel::messageChanged, &LauncherViewModel::cardsChanged,
                         &LauncherViewModel::pendingProjectURLChanged}) {
        connect(this, changed, this, &LauncherViewModel::dropHintChanged);
    }
}

LauncherViewModel::~LauncherViewModel()
{
    releaseProjectAccess();
    // A launch still waiting for the hide ends here, touching nothing of the model.
    if (const auto hide = std::static_pointer_cast<Completion::State>(m_pendingHide.lock())) {
        hide->finish(true);
    }
}

// ---- state -------------------------------------------------------------------------------

std::optional<LaunchCard> LauncherViewModel::selectedCard() const
{
    if (!m_selectedCardID) {
        return std::nullopt;
    }
    for (const LaunchCard& card : m_cards) {
        if (card.id == *m_selectedCardID) {
            return card;
        }
    }
    return std::nullopt;
}

std::optional<qsizetype> LauncherViewModel::selectedIndex() const
{
    if (!m_selectedCardID) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < m_cards.size(); ++i) {
        if (m_cards[i].id == *m_selectedCardID) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<QString> LauncherViewModel::pendingProjectDisplayName() const
{
    if (!m_pendingProjectURL) {
        return std::nullopt;
    }
    return HostPath::baseName(m_pendingProjectURL->toLocalFile());
}

void LauncherViewModel::setSelectedCardID(std::optional<QString> id)
{
    if (m_selectedCardID != id) {
        m_selectedCardID = std::move(id);
        Q_EMIT selectedCardIDChanged();
        Q_EMIT selectedCardChanged();
    }
}

void LauncherViewModel::setShowInfoPopover(bool show)
{
    if (m_showInfoPopover != show) {
        m_showInfoPopover = show;
        Q_EMIT showInfoPopoverChanged();
    }
}

void LauncherViewModel::setStatusMessage(std::optional<QString> text)
{
    if (m_statusMessage != text) {
        m_statusMessage = std::move(text);
        Q_EMIT statusMessageChanged();
    }
}

void LauncherViewModel::setErrorMessage(std::optional<ShownError> error)
{
    if (m_errorMessage != error) {
        m_errorMessage = std::move(error);
        Q_EMIT errorMessageChanged();
    }
}

std::optional<QString> LauncherViewModel::errorMessage() const
{
    return m_errorMessage ? std::optional(m_errorMessage->text()) : std::nullopt;
}

void LauncherViewModel::retranslate()
{
    rebuildCards();
    m_cardModel.retranslate();
    if (m_errorMessage) {
        Q_EMIT errorMessageChanged();
    }
}

void LauncherViewModel::setLaunching(bool launching)
{
    if (m_isLaunching != launching) {
        m_isLaunching = launching;
        Q_EMIT isLaunchingChanged();
    }
}

void LauncherViewModel::busy(bool value)
{
    if (onBusyLaunchingChanged) {
        onBusyLaunchingChanged(value);
    }
}

QVariantList LauncherViewModel::cardList() const
{
    QVariantList list;
    for (const LaunchCard& card : m_cards) {
        list.append(cardToVariant(card));
    }
    return list;
}

QVariantMap LauncherViewModel::selectedCardMap() const
{
    const auto card = selectedCard();
    return card ? cardToVariant(*card) : QVariantMap();
}

QSize LauncherViewModel::windowSize(qsizetype cards, bool showsInfo, bool hasProject)
{
    const int width = std::clamp(int(std::max<qsizetype>(cards, 1)) * 168 + 36, 360, 720);
    const int height = (showsInfo ? 360 : cards > 0 ? 204 : 200) + (hasProject ? 34 : 0);
    return {width, height};
}

QSize LauncherViewModel::windowSize() const
{
    return windowSize(m_cards.size(), m_showInfoPopover, m_pendingProjectURL.has_value());
}

bool LauncherViewModel::stripScrolls(qsizetype cards)
{
    return cards * 168 + 36 > 720;
}

QString LauncherViewModel::messageText() const
{
    return m_errorMessage ? m_errorMessage->text() : m_statusMessage.value_or(QString());
}

bool LauncherViewModel::offersDropHint() const
{
    return !m_cards.isEmpty() && !m_pendingProjectURL && messageText().isEmpty();
}

// ---- refresh -----------------------------------------------------------------------------

void LauncherViewModel::refresh()
{
    SettingsManager& settings = *m_c.settingsManager;
    settings.reload();
    m_resolvedApps = m_c.scanner->scan(settings.apps());
    settings.seedFromScanIfNeeded(m_resolvedApps);
    if (settings.apps().size() != m_resolvedApps.size()) {
        m_resolvedApps = m_c.scanner->scan(settings.apps());
    }
    rebuildCards();
}

void LauncherViewModel::rebuildCards()
{
    const std::optional<LaunchCard> before = selectedCard();
    m_cards = LaunchCardBuilder::buildCards(m_resolvedApps, *m_c.architectureDetector);
    // Cards and selection change together: no observer sees one without the other.
    std::optional<QString> repaired = LaunchCardBuilder::repairedSelection(m_selectedCardID, m_cards);
    const bool idChanged = repaired != m_selectedCardID;
    m_selectedCardID = std::move(repaired);
    m_cardModel.setCards(m_cards);
    Q_EMIT cardsChanged();
    if (idChanged) {
        Q_EMIT selectedCardIDChanged();
    }
    if (selectedCard() != before) {
        Q_EMIT selectedCardChanged();
    }
}

// ---- input -------------------------------------------------------------------------------

void LauncherViewModel::startPerform(LaunchAction action)
{
    busy(true);
    m_tasks.spawn(perform(action), QStringLiteral("perform ") + rawValue(action));
}

void LauncherViewModel::handleCardClick(const LaunchCard& card, Qt::KeyboardModifiers modifiers)
{
    setSelectedCardID(card.id);
    setShowInfoPopover(false);
    if (!card.isAvailable) {
        return; // a click on a card that cannot launch only selects it
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        presentActionMenu(card);
        return;
    }
    startPerform(LaunchAction::launch);
}

bool LauncherViewModel::handleKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const auto card = selectedCard(); card && card->isAvailable) {
            if (modifiers.testFlag(Qt::AltModifier)) {
                presentActionMenu(*card, true);
            } else {
                startPerform(LaunchAction::launch);
            }
        }
        return true;
    case Qt::Key_Space:
        toggleInfo();
        return true;
    case Qt::Key_Escape:
        if (m_showInfoPopover) {
            setShowInfoPopover(false);
        } else if (onCloseRequested) {
            onCloseRequested();
        }
        return true;
    case Qt::Key_Left:
        selectPrevious();
        return true;
    case Qt::Key_Right:
        selectNext();
        return true;
    default:
        return false;
    }
}

void LauncherViewModel::selectNext()
{
    if (m_cards.isEmpty()) {
        return;
    }
    const auto index = selectedIndex();
    setSelectedCardID(m_cards[index ? std::min(*index + 1, m_cards.size() - 1) : 0].id);
}

void LauncherViewModel::selectPrevious()
{
    if (m_cards.isEmpty()) {
        return;
    }
    const auto index = selectedIndex();
    setSelectedCardID(m_cards[index ? std::max<qsizetype>(*index - 1, 0) : m_cards.size() - 1].id);
}

void LauncherViewModel::toggleInfo()
{
    if (!m_selectedCardID && !m_cards.isEmpty()) {
        setSelectedCardID(m_cards.first().id);
    }
    setShowInfoPopover(!m_showInfoPopover);
}

void LauncherViewModel::presentActionMenu(const LaunchCard& card, bool atCard)
{
    setSelectedCardID(card.id);
    setShowInfoPopover(false);
    if (onSuppressFocusLossClose) {
        onSuppressFocusLossClose(0.35);
    }
    QObject* anchor = actionMenuAnchorView ? actionMenuAnchorView() : nullptr;
    QPointer<LauncherViewModel> self(this);
    m_actionMenuPresenter.present(
        card, anchor,
        [self](LaunchAction choice) {
            if (self) {
                self->startPerform(choice);
            }
        },
        atCard);
}

void LauncherViewModel::clickCard(const QString& cardID, bool optionHeld)
{
    for (const LaunchCard& card : m_cards) {
        if (card.id == cardID) {
            handleCardClick(card, optionHeld ? Qt::AltModifier : Qt::NoModifier);
            return;
        }
    }
}

void LauncherViewModel::showActionMenu(const QString& cardID)
{
    for (const LaunchCard& card : m_cards) {
        if (card.id == cardID) {
            presentActionMenu(card);
            return;
        }
    }
}

bool LauncherViewModel::keyPressed(int key, int modifiers)
{
    return handleKeyDown(key, Qt::KeyboardModifiers(modifiers));
}

void LauncherViewModel::openSettings()
{
    if (onOpenSettings) {
        onOpenSettings();
    }
}

// ---- performing --------------------------------------------------------------------------

Task<bool> LauncherViewModel::hideForLaunch()
{
    if (!onHideForLaunch) {
        co_return true;
    }
    Completion completion;
    m_pendingHide = completion.state;
    // The shell may call the completion after the model is gone: then it does nothing.
    QPointer<LauncherViewModel> self(this);
    onHideForLaunch([self, state = completion.state] {
        if (self) {
            state->finish(false);
        }
    });
    co_return co_await completion;
}

Task<> LauncherViewModel::perform(LaunchAction action)
{
    const std::optional<LaunchCard> card = selectedCard();
    if (!card) {
        busy(false);
        co_return;
    }
    setErrorMessage(std::nullopt);
    setStatusMessage(std::nullopt);
    busy(true);

    const QUrl bundleURL = HostPath::fileURL(card->app.bundlePath);
    if (!isLaunchRequest(action)) {
        if (onSuppressFocusLossClose) {
            onSuppressFocusLossClose(1.5); // the Finder or Logic Pro takes the focus
        }
        switch (action) {
        case LaunchAction::openPluginsFolder:
            m_c.supportActions->openPluginsFolders();
            break;
        case LaunchAction::openPreferences:
            m_c.supportActions->openLogicPreferences(card->metadata.bundleIdentifier);
            break;
        case LaunchAction::revealInFinder:
            m_c.workspace->activateFileViewerSelecting({bundleURL});
            break;
        case LaunchAction::showInfo:
            m_c.supportActions->showGetInfo(bundleURL);
            break;
        default:
            break;
        }
        busy(false);
        co_return;
    }

    setLaunching(true);
    const LaunchArchitecture mode = card->architecture;
    std::exception_ptr failure;
    try {
        if (action == LaunchAction::launchSafeMode) {
            // Refused before other copies are asked to quit.
            if (auto refusal = m_c.launchManager->safeModeRefusal()) {
                throw *refusal;
            }
        }
        m_inQuitStep = true;
        m_quitStepCancelled = false;
        std::exception_ptr quitFailure;
        try {
            co_await m_c.launchManager->otherCopiesQuitter().quitOtherLogicIfNeeded(bundleURL, mode);
        } catch (...) {
            quitFailure = std::current_exception();
        }
        m_inQuitStep = false;
        if (quitFailure) {
            std::rethrow_exception(quitFailure);
        }
        if (m_quitStepCancelled) {
            throw LauncherError::operationCancelled();
        }
        if (!co_await hideForLaunch()) {
            co_return; // the model is going away
        }
        const ParallelLaunchStatus status = m_c.launchManager->runningInstances().parallelLaunchStatus(bundleURL, mode);
        if (status.kind != ParallelLaunchStatus::Case::allowed) {
            setStatusMessage(status.message);
        }
        co_await m_c.launchManager->launch(bundleURL, mode, action, false, m_pendingProjectURL);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        if (const auto late = std::exchange(m_projectAfterLaunch, std::nullopt)) {
            m_c.logger->log(QStringLiteral("project handed over during the launch was not opened: ")
                                       + late->toLocalFile());
        }
        if (onTerminateAfterLaunch) {
            onTerminateAfterLaunch();
        }
        setLaunching(false);
        busy(false);
        co_return;
    }
    setLaunching(false);
    busy(false);
    if (const auto late = std::exchange(m_projectAfterLaunch, std::nullopt)) {
        setPendingProject(*late); // pending for the next try
    }
    setErrorMessage(ShownError::of(failure));
    if (onRevealAfterFailedLaunch) {
        onRevealAfterFailedLaunch();
    }
}

void LauncherViewModel::cancelLaunchInQuitStep()
{
    if (m_inQuitStep) {
        m_quitStepCancelled = true;
        m_c.launchManager->cancelQuitting();
    }
}

// ---- pending project ---------------------------------------------------------------------

void LauncherViewModel::releaseProjectAccess()
{
    if (m_pendingProjectURL && m_pendingProjectSecurityScoped) {
        m_c.securityScope->stopAccessing(*m_pendingProjectURL);
        m_pendingProjectSecurityScoped = false;
    }
}

void LauncherViewModel::setPendingProject(const std::optional<QUrl>& url)
{
    if (m_isLaunching && url) {
        // The launch keeps the project it started with; this one waits for its end.
        m_projectAfterLaunch = url;
        return;
    }
    const bool isProject = [&] {
        const QString extension = url ? HostPath::extension(url->toLocalFile()).toLower() : QString();
        return extension == u"logicx" || extension == u"logic" || extension == u"lso";
    }();
    if (url && !isProject) {
        // Refused before anything is released: the earlier project stays, with its access.
        setErrorMessage(LauncherError::invalidBundle());
        return;
    }
    if (url && !m_c.fileSystem->exists(HostPath::fromURL(*url))) {
        setErrorMessage(LauncherError::projectNotFound(url->toLocalFile()));
        return;
    }
    releaseProjectAccess();
    if (!url) {
        if (m_pendingProjectURL) {
            m_pendingProjectURL.reset();
            Q_EMIT pendingProjectURLChanged();
        }
        return;
    }
    const QUrl standardized = HostPath::fileURL(HostPath::fromURL(*url));
    m_pendingProjectSecurityScoped = m_c.securityScope->startAccessing(standardized);
    m_pendingProjectURL = standardized;
    Q_EMIT pendingProjectURLChanged();
    setErrorMessage(std::nullopt);
}

void LauncherViewModel::dropProject(const QUrl& url)
{
    setPendingProject(HostPath::fileURL(m_c.fileSystem->fromPlatformPath(url.toLocalFile())));
}

void LauncherViewModel::clearPendingProject()
{
    releaseProjectAccess();
    if (m_pendingProjectURL) {
        m_pendingProjectURL.reset();
        Q_EMIT pendingProjectURLChanged();
    }
}

} // namespace vantrel
