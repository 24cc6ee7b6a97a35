// vantrel: the launcher. On a Mac it runs on the Mac; elsewhere on the simulated Mac
// (--root, or $VANTREL_SIMULATED_MAC, or ~/.local/share/vantrel/simulated-mac).
#include "Services.h"
#include "app/AppDelegate.h"
#include "app/FileOpenBatcher.h"
#include "app/LauncherPanelController.h"
#include "app/LeakSuppressions.h"
#include "app/PlatformWindowing.h"
#include "app/SingleInstance.h"
#include "async/QtClock.h"
#include "async/Timings.h"
#include "launch/LaunchRequest.h"
#include "platform/HostPath.h"
#include "text/L10n.h"
#if defined(Q_OS_MACOS)
#include "machost/MacHost.h"
#else
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/adapters/SimulatedWorkspace.h"
#include "simhost/machine/SimulatedMac.h"
#endif

#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace vantrel;

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

// Why the single-instance folder was refused, in the interface language.
QString folderRefusal(InstanceLock::FolderState state, const QString& folder)
{
    switch (state) {
    case InstanceLock::FolderState::link:
        return L10n::text(L10n::Key::folderIsLink, folder);
    case InstanceLock::FolderState::anotherUsers:
        return L10n::text(L10n::Key::folderOfAnotherUser, folder);
    case InstanceLock::FolderState::writableByOthers:
        return L10n::text(L10n::Key::folderWritableByOthers, folder);
    case InstanceLock::FolderState::usable:
    case InstanceLock::FolderState::missing:
    case InstanceLock::FolderState::notAFolder:
        break;
    }
    return L10n::text(L10n::Key::folderUnusable, folder);
}

} // namespace

int main(int argc, char** argv)
{
    // The views draw with Qt Quick's software renderer: the same pixels with or without a
    // GPU, on a virtual display and offscreen.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Vantrel"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QGuiApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"), QStringLiteral("Save a picture of the panel's first frame to FILE and end."),
        QStringLiteral("FILE"));
    parser.addOption(screenshotOption);
    parser.addPositionalArgument(QStringLiteral("project"), QStringLiteral("Projects to open with a launch."),
                                 QStringLiteral("[project…]"));
    auto clock = std::make_shared<QtClock>();
#if defined(Q_OS_MACOS)
    parser.setApplicationDescription(QStringLiteral("Vantrel, a launcher for Logic Pro."));
    parser.process(app);
    const std::shared_ptr<Host> madeHost = mac::makeHost(clock);
    const QString instanceKey = madeHost->ownBundleIdentifier();
#else
    parser.setApplicationDescription(QStringLiteral("Vantrel, a launcher for Logic Pro (on the simulated Mac)."));
    const QCommandLineOption rootOption(QStringLiteral("root"), QStringLiteral("The simulated Mac's folder."),
                                        QStringLiteral("DIR"));
    parser.addOption(rootOption);
    parser.process(app);

    const QString root = parser.isSet(rootOption) ? parser.value(rootOption) : sim::SimulatedMac::defaultRoot();
    sim::SimulatedMac mac(root);
    if (!mac.isInitialized()) {
        std::fprintf(stderr, "vantrel: no simulated Mac at %s — create one with: vantrel-sim --root %s init --demo\n",
                     qPrintable(mac.root()), qPrintable(mac.root()));
        return 2;
    }
    const std::shared_ptr<Host> madeHost = mac.makeHost(clock);
    const QString instanceKey = InstanceLock::keyOfFolder(mac.root()); // a link to it is the same Mac
#endif
    FileSystem& fileSystem = madeHost->fileSystem();
    const QString screenshot = parser.value(screenshotOption);
    QStringList documents;
    for (const QString& argument : parser.positionalArguments()) {
        documents << (LaunchRequest::isLink(argument) ? argument : fileSystem.fromArgument(argument));
    }

    CurrentHostGuard host(madeHost);
    auto toURLs = [&fileSystem](const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << (LaunchRequest::isLink(path) ? QUrl(path) : HostPath::fileURL(fileSystem.expandTilde(path)));
        }
        return urls;
    };

    // One launcher per Mac: a second start hands its documents over and ends, having built
    // nothing. Handovers to this one arrive from the event loop, once the delegate exists.
    std::optional<Services> services;
    std::optional<AppDelegate> delegate;
    SingleInstance instance(SingleInstance::defaultFolder(), instanceKey);
    if (screenshot.isEmpty()) {
        // A running launcher asks to be active when it takes the documents.
        yieldActivationToRunningLauncher();
        const auto outcome = instance.start(documents, [&delegate, toURLs](const QStringList& paths) {
            return delegate && delegate->openDocuments(toURLs(paths));
        });
        if (outcome == SingleInstance::Outcome::handedOver) {
            return 0;
        }
        if (outcome == SingleInstance::Outcome::failed) {
            std::fprintf(stderr, "vantrel: another launcher runs and took nothing; it did not end in time either\n");
            return 1;
        }
        if (outcome == SingleInstance::Outcome::tooMuch) {
            std::fprintf(stderr, "vantrel: %s\n",
                         qPrintable(L10n::text(L10n::Key::handOverTooMuch, int(SingleInstance::maxPaths))));
            return 1;
        }
        if (outcome == SingleInstance::Outcome::folderRefused) {
            std::fprintf(stderr, "vantrel: %s\n", qPrintable(folderRefusal(instance.folderState(), instance.folder())));
            return 1;
        }
#if !defined(Q_OS_MACOS)
        // The Finder's reveal and open show the simulated Mac's folders in the real file manager.
        mac.workspace()->setDesktopHook([](const QString& nativePathOrURL, bool) {
            const QUrl url =
                nativePathOrURL.startsWith(u'/') ? QUrl::fromLocalFile(nativePathOrURL) : QUrl(nativePathOrURL);
            QDesktopServices::openUrl(url);
        });
#endif
    }

    // The composition root: the process's long-lived objects, once, over the chosen host.
    services.emplace(host.host());
    delegate.emplace(*services, AppDelegate::Options{.animate = screenshot.isEmpty(),
                                                     .closesOnFocusLoss = screenshot.isEmpty(),
                                                     .exit = {},
                                                     .windowing = {}});
    // Ending, the launcher takes no more documents: a later start runs on its own.
    QObject::connect(&*delegate, &AppDelegate::terminating, &instance, &SingleInstance::stopListening);
    delegate->openDocuments(toURLs(documents));
    // A batch of documents from the system: the first becomes the pending project.
    FileOpenBatcher fileOpen([&delegate](const QList<QUrl>& urls) { delegate->openDocuments(urls); });
    app.installEventFilter(&fileOpen);
#if defined(Q_OS_MACOS)
    // vantrel:// links (CFBundleURLTypes): Qt hands a 'GURL' Apple event to the URL handler
    // of its scheme; older Qt sent it as a file-open event, which the batcher passes on too.
    // The handler goes before the delegate does, however main ends.
    QDesktopServices::setUrlHandler(QStringLiteral("vantrel"), &*delegate, "openLink");
    const auto unsetUrlHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("vantrel")); });
#endif

    // SIGTERM and SIGINT end the launcher the ordinary way, restores and log included.
    // Close-on-exec: Logic Pro and the open command must not inherit its write end.
    if (::pipe(signalPipe) == 0 && ::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC) == 0
        && ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC) == 0) {
        std::signal(SIGTERM, onTerminationSignal);
        std::signal(SIGINT, onTerminationSignal);
    }
    QSocketNotifier signals(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signals, &QSocketNotifier::activated, &*delegate, [&delegate] {
        char byte = 0;
        [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
        // Already fading out (Escape, a click elsewhere): end without waiting for it.
        if (delegate->panel() && delegate->panel()->isDismissing()) {
            delegate->terminate();
        } else {
            delegate->fadeOutAndTerminate();
        }
    });

#if defined(Q_OS_MACOS)
    if (screenshot.isEmpty()) {
        // A link that starts the launcher arrives as an Apple event while AppKit finishes
        // launching, inside app.exec() (Qt's handler is installed in
        // applicationWillFinishLaunching). Started from the event loop's first turn, the
        // delegate finds it queued and, for a launch at once, never shows the panel.
        QTimer::singleShot(0, &*delegate, [&delegate] {
            if (!delegate->start()) {
                QCoreApplication::exit(1); // the panel's views did not load (logged)
            }
        });
        return app.exec();
    }
#endif
    if (!delegate->start()) {
        return 1; // the panel's views did not load (logged): an empty panel would look like a hang
    }

    int status = 0;
    if (!screenshot.isEmpty()) {
        QQuickView& window = delegate->panel()->window();
        auto save = [&window, &delegate, &status, screenshot] {
            if (delegate->isTerminating()) {
                return;
            }
            if (!window.grabWindow().save(screenshot)) {
                std::fprintf(stderr, "vantrel: could not write %s\n", qPrintable(screenshot));
                status = 1;
            }
            // A bundle without the SVG image plug-in draws every icon blank.
            const QStringList blank = delegate->panel()->imagesNotDrawn();
            if (!blank.isEmpty()) {
                std::fprintf(stderr, "vantrel: icons not drawn: %s\n", qPrintable(blank.join(QStringLiteral(", "))));
                status = 1;
            }
            delegate->terminate();
        };
        // The first frame drawn with the cards in place; a frame that never comes is
        // grabbed anyway after a while.
        QObject::connect(
            &window, &QQuickWindow::frameSwapped, &*delegate, [save] { QTimer::singleShot(0, save); },
            Qt::SingleShotConnection);
        QTimer::singleShot(inMilliseconds(timings::screenshotFallback), &*delegate, save);
    }
    const int exitCode = app.exec();
    return status != 0 ? status : exitCode;
}
