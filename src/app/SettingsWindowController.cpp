#include "app/SettingsWindowController.h"

#include "Services.h"
#include "app/QmlTypes.h"
#include "app/QuickOpenPanel.h"
#include "platform/Host.h"
#include "settings/AppPreferences.h"
#include "text/LocalizationStore.h"
#include "viewmodels/SettingsViewModel.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>

namespace vantrel {

SettingsWindowController::SettingsWindowController(Services& services, AppPreferences& preferences,
                                                   std::function<void()> onClose, std::function<void()> onQuit,
                                                   QObject* parent)
    : QObject(parent)
    , m_localization(services.localization)
    , m_onClose(std::move(onClose))
    , m_openPanel(std::make_unique<QuickOpenPanel>(services.host.fileSystem(), [this]() -> QObject* {
        QQuickItem* root = m_window ? m_window->rootObject() : nullptr;
        return root ? root->findChild<QObject*>(QStringLiteral("openPanel")) : nullptr;
    }))
{
    qml::linkQmlTypes();
    LocalizationStore& localization = services.localization;
    m_viewModel = std::make_unique<SettingsViewModel>(services.settingsCollaborators(m_openPanel.get()));
    m_viewModel->onOpenExternalLinkAndQuit = std::move(onQuit);

    m_window = std::make_unique<QQuickView>();
    QQuickView& window = *m_window;
    window.setFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    window.setResizeMode(QQuickView::SizeRootObjectToView);
    window.resize(520, 540);
    window.setMinimumSize(QSize(520, 540));
    window.setMaximumSize(QSize(520, 540));
    window.setInitialProperties({
        {QStringLiteral("viewModel"), QVariant::fromValue(m_viewModel.get())},
        {QStringLiteral("preferences"), QVariant::fromValue(&preferences)},
        {QStringLiteral("l10n"), QVariant::fromValue(&localization)},
        {QStringLiteral("window"), QVariant::fromValue(this)},
    });
    // The module lives at qrc:/Vantrel: found there by `import Vantrel` in every build.
    window.engine()->addImportPath(QStringLiteral("qrc:/"));
    window.setSource(QUrl(QStringLiteral("qrc:/Vantrel/SettingsView.qml")));
    if (window.status() == QQuickView::Error) {
        for (const QQmlError& error : window.errors()) {
            qWarning().noquote() << error.toString();
        }
    }
    window.installEventFilter(this);
    retitle();
    connect(&localization, &LocalizationStore::languageChanged, this, &SettingsWindowController::retitle);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::retitle()
{
    m_window->setTitle(m_localization.t(L10n::Key::settingsWindowTitle));
}

void SettingsWindowController::show()
{
    // Launches since the last opening may have added to the project history.
    Q_EMIT m_viewModel->projectMemoryChanged();
    if (!m_window->isVisible()) {
        if (QScreen* screen = m_window->screen()) {
            const QRect area = screen->availableGeometry();
            m_window->setPosition(area.x() + (area.width() - m_window->width()) / 2,
                                  area.y() + (area.height() - m_window->height()) / 2);
        }
    }
    m_window->showNormal();
    m_window->raise();
    m_window->requestActivate();
}

bool SettingsWindowController::isVisible() const
{
    // Minimised, it no longer stands over the launcher.
    return m_window->isVisible() && !(m_window->windowStates() & Qt::WindowMinimized);
}

void SettingsWindowController::close()
{
    m_window->close();
}

bool SettingsWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close && m_window->isVisible()) {
        // The window goes; the launcher comes back once it has.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_onClose) {
                    m_onClose();
                }
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vantrel
