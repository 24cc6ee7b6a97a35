#include "app/QuickOpenPanel.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QUrl>

namespace vantrel {

QuickOpenPanel::QuickOpenPanel(FileSystem& fileSystem, std::function<QObject*()> view)
    : m_fileSystem(fileSystem)
    , m_view(std::move(view))
{
}

std::optional<QString> QuickOpenPanel::chooseApplication(const Request& request)
{
    QPointer<QObject> view = m_view ? m_view() : nullptr;
    if (!view) {
        return std::nullopt;
    }
    const QString start = m_fileSystem.nativePath(request.directory).value_or(QDir::homePath());
#if defined(Q_OS_MACOS)
    // The Mac's own open panel: application bundles are files there, one at a time.
    constexpr bool bundlesAreFolders = false;
#else
    // On the simulated Mac a bundle is a folder of this machine's.
    constexpr bool bundlesAreFolders = true;
#endif
    view->setProperty("bundlesAreFolders", bundlesAreFolders);
    view->setProperty("message", request.message);
    view->setProperty("prompt", request.prompt);
    view->setProperty("startFolder", QUrl::fromLocalFile(start));

    // Modal: the panel's own events run here until it closes (or its window goes).
    QEventLoop loop;
    QObject::connect(view, SIGNAL(finished()), &loop, SLOT(quit()));
    QObject::connect(view, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (auto* item = qobject_cast<QQuickItem*>(view.data()); item && item->window()) {
        QObject::connect(item->window(), &QWindow::visibleChanged, &loop, [&loop](bool visible) {
            if (!visible) {
                loop.quit(); // the settings window went: nothing is chosen
            }
        });
    }
    bool showing = false;
    QMetaObject::invokeMethod(view, "open", Q_RETURN_ARG(bool, showing));
    if (!showing) {
        qWarning("vantrel: the open panel could not be shown");
        return std::nullopt;
    }
    loop.exec();
    if (!view) {
        return std::nullopt;
    }
    // A panel still open (its window went without an answer) is closed, or the next open
    // would find it showing and wait for it.
    QMetaObject::invokeMethod(view, "close");
    const QUrl chosen = view->property("chosen").toUrl();
    if (!chosen.isLocalFile()) {
        return std::nullopt;
    }
    // Back from the machine's path to the host's.
    return m_fileSystem.fromPlatformPath(QDir::cleanPath(chosen.toLocalFile()));
}

} // namespace vantrel
