#include "viewmodels/LauncherViewModel.h"
#include "settings/ProjectMemory.h"

#include "async/Timings.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LaunchCardBuilder.h"
#include "installations/LogicScanner.h"
#include "installations/VersionReader.h"
#include "launch/LaunchManager.h"
#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "plugins/PluginInventory.h"
#include "settings/PersistenceStore.h"
#include "settings/SettingsManager.h"
#include "text/L10n.h"
#include "viewmodels/LogicSupportActions.h"

#include <QPointer>

namespace vantrel {

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
    , m_launch({.launchManager = *m_c.launchManager,
                .supportActions = *m_c.supportActions,
                .workspace = *m_c.workspace,
                .securityScope = *m_c.securityScope,
                .fileSystem = *m_c.fileSystem,
                .logger = *m_c.logger,
                .projectMemory = m_c.projectMemory.get()},
               *this, *this)
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
    // The overlay's plug-in line appears when the report arrives.
    if (m_c.plugins) {
        connect(m_c.plugins.get(), &PluginInventory::ready, this, &LauncherViewModel::selectedCardChanged);
    }
}

// A launch still waiting for the hide ends with the interaction, touching nothing of the
// model; the pending project's access ends there too.
LauncherViewModel::~LauncherViewModel() = default;

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
    if (!pendingProjectURL()) {
        return std::nullopt;
    }
    return HostPath::baseName(pendingProjectURL()->toLocalFile());
}

void LauncherViewModel::setPendingProject(const std::optional<QUrl>& url)
{
    m_offeredLaunch.reset();
    m_launch.setPendingProject(url);
}

void LauncherViewModel::pendingProjectChanged()
{
    const std::optional<QUrl>& pending = pendingProjectURL();
    m_rememberedCard.reset();
    if (pending && m_c.projectMemory) {
        m_rememberedCard = m_c.projectMemory->rememberedCard(HostPath::fromURL(*pending), m_cards);
    }
    if (m_rememberedCard) {
        setSelectedCardID(m_rememberedCard->id);
    }
    Q_EMIT pendingProjectURLChanged();
}

std::optional<QString> LauncherViewModel::pendingProjectRemembered() const
{
    if (!m_rememberedCard || !pendingProjectURL()) {
        return std::nullopt;
    }
    return L10n::text(L10n::Key::projectLastOpenedWith, m_rememberedCard->app.displayName,
                      m_rememberedCard->modeText());
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
    Q_EMIT selectedCardChanged(); // its information texts are in the interface language
    if (m_errorMessage) {
        Q_EMIT errorMessageChanged();
    }
}

QVariantMap LauncherViewModel::selectedCardMap() const
{
    const auto card = selectedCard();
    if (!card) {
        return {};
    }
    QVariantMap map = cardToVariant(*card);
    map.insert(QStringLiteral("pluginsText"), pluginsText(*card));
    return map;
}

QString LauncherViewModel::pluginsText(const LaunchCard& card) const
{
    const AudioUnitReport* report = PluginInventory::readyReport(m_c.plugins);
    return report ? report->lineForMode(card.architecture, L10n::currentLanguage()) : QString();
}

QSize LauncherViewModel::windowSize(qsizetype cards, bool showsInfo, bool hasProject)
{
    const int width = std::clamp(int(std::max<qsizetype>(cards, 1)) * 168 + 36, 360, 720);
    const int height = (showsInfo ? 360 : cards > 0 ? 204 : 200) + (hasProject ? 34 : 0);
    return {width, height};
}

QSize LauncherViewModel::windowSize() const
{
    return windowSize(m_cards.size(), m_showInfoPopover, pendingProjectURL().has_value());
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
    return !m_cards.isEmpty() && !pendingProjectURL() && messageText().isEmpty();
}

// ---- refresh -----------------------------------------------------------------------------

QList<ResolvedLogicApp> LauncherViewModel::readInstallations(SettingsManager& settings, LogicScanner& scanner)
{
    settings.reload();
    QList<ResolvedLogicApp> resolved = scanner.scan(settings.apps());
    settings.seedFromScanIfNeeded(resolved);
    if (settings.apps().size() != resolved.size()) {
        resolved = scanner.scan(settings.apps());
    }
    return resolved;
}

void LauncherViewModel::refresh()
{
    m_resolvedApps = readInstallations(*m_c.settingsManager, *m_c.scanner);
    rebuildCards();
}

void LauncherViewModel::rebuildCards()
{
    const std::optional<LaunchCard> before = selectedCard();
    m_cards = LaunchCardBuilder::buildCards(m_resolvedApps, *m_c.architectureDetector);
    if (m_rememberedCard) {
        // Named in the banner only while that card is still shown and can start.
        const auto same = std::find_if(m_cards.cbegin(), m_cards.cend(),
                                       [&](const LaunchCard& card) { return card.id == m_rememberedCard->id; });
        m_rememberedCard = same != m_cards.cend() && same->isAvailable ? std::optional(*same) : std::nullopt;
        Q_EMIT pendingProjectURLChanged();
    }
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
    m_launch.start(selectedCard(), action);
}

LaunchAction LauncherViewModel::confirmedAction(const LaunchCard& card)
{
    const auto offered = std::exchange(m_offeredLaunch, std::nullopt);
    return offered && offered->cardID == card.id ? offered->action : LaunchAction::launch;
}

void LauncherViewModel::launchCard(const QString& cardID, LaunchAction action)
{
    m_offeredLaunch.reset();
    setSelectedCardID(cardID);
    setShowInfoPopover(false);
    startPerform(action);
}

void LauncherViewModel::offerLaunch(const QString& cardID, LaunchAction action, const QUrl& project)
{
    setPendingProject(project); // may bring forward the project's remembered card…
    setSelectedCardID(cardID);  // …but the link names its own
    setShowInfoPopover(false);
    if (pendingProjectURL() == project) {
        m_offeredLaunch = OfferedLaunch{cardID, action};
    }
}

void LauncherViewModel::clearPendingProject()
{
    m_offeredLaunch.reset();
    m_rememberedCard.reset();
    m_launch.clearPendingProject();
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
    startPerform(confirmedAction(card));
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
                startPerform(confirmedAction(*card));
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
    m_offeredLaunch.reset();
    setSelectedCardID(card.id);
    setShowInfoPopover(false);
    if (onSuppressFocusLossClose) {
        onSuppressFocusLossClose(timings::suppressForActionMenu);
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

Task<> LauncherViewModel::perform(LaunchAction action)
{
    return m_launch.perform(selectedCard(), action);
}

// ---- pending project ---------------------------------------------------------------------

void LauncherViewModel::dropProject(const QUrl& url)
{
    setPendingProject(HostPath::fileURL(m_c.fileSystem->fromPlatformPath(url.toLocalFile())));
}

} // namespace vantrel
