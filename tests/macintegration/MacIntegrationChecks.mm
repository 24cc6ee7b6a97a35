// Integration checks that only a real Mac can answer: the Mac adapters against the
// frameworks, and the launcher panel on the window server. Built on Apple systems with
// -DVANTREL_BUILD_MAC_CHECKS=ON (the macOS CI job); it prints one line a check and
// "N passed, N failed" last, and exits non-zero when any check failed.
#include "Services.h"
#include "app/AppDelegate.h"
#include "app/LauncherPanelController.h"
#include "app/SettingsWindowController.h"
#include "async/QtClock.h"
#include "machost/LaunchServicesLookup.h"
#include "machost/MacHost.h"
#include "machost/MacPreferences.h"
#include "machost/MacWorkspace.h"
#include "platform/Host.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QScreen>

#include <cstdio>
#include <functional>

#import <AppKit/AppKit.h>

using namespace vantrel;

namespace {

int passed = 0;
int failed = 0;

void check(bool condition, const char* what)
{
    std::printf("%s: %s\n", condition ? "ok" : "FAILED", what);
    ++(condition ? passed : failed);
}

// Runs the event loop until `condition` holds or `milliseconds` have passed.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

NSWindow* nativeWindow(QWindow& window)
{
    return [reinterpret_cast<NSView*>(window.winId()) window];
}

void preferencesRoundTrip()
{
    mac::MacPreferences preferences;
    const QString domain = QStringLiteral("com.vantrel.integration-check");
    auto suite = preferences.suite(domain);
    check(suite != nullptr, "a scratch preference domain opens");
    if (!suite) {
        return;
    }
    const QVariantMap nested{
        {QStringLiteral("name"), QStringLiteral("Logic Pro «тест»")},
        {QStringLiteral("slices"), QVariantList{QStringLiteral("arm64"), QStringLiteral("x86_64")}}};
    suite->setValue(QStringLiteral("number"), qint64(42));
    suite->setValue(QStringLiteral("nested"), nested);
    suite->setValue(QStringLiteral("data"), QByteArray("\x00\x01\xfe", 3));
    check(suite->synchronize(), "the domain synchronizes");
    auto reread = preferences.suite(domain);
    check(reread->value(QStringLiteral("number")) == QVariant(qint64(42)), "an integer comes back as written");
    check(reread->value(QStringLiteral("nested")) == QVariant(nested),
          "a dictionary with an array and Cyrillic text comes back");
    check(reread->value(QStringLiteral("data")) == QVariant(QByteArray("\x00\x01\xfe", 3)),
          "data comes back byte for byte");
    for (const char* key : {"number", "nested", "data"}) {
        reread->removeValue(QString::fromLatin1(key));
    }
    reread->synchronize();
    check(!preferences.suite(domain)->value(QStringLiteral("number")).has_value(), "a removed key is gone");
    check(preferences.suite(QStringLiteral("../escape")) == nullptr, "a domain name that is not plain is refused");
}

void frameworks()
{
    check(mac::LaunchServicesLookup::find() != nullptr,
          "Launch Services' architecture preference setter is found by the lookup");
    bool finder = false;
    for (const RunningApplicationPtr& application : mac::MacWorkspace().runningApplications()) {
        finder = finder || application->bundleIdentifier() == QStringLiteral("com.apple.finder");
    }
    check(finder, "the running-application list contains the Finder");
}

void panelOnTheWindowServer()
{
    Services services(Host::current());
    AppDelegate delegate(services, {.animate = false, .closesOnFocusLoss = false, .exit = [] {}, .windowing = nullptr});
    check(delegate.start(), "the panel's views loaded");
    QQuickView& view = delegate.panel()->window();
    NSWindow* panel = nativeWindow(view);
    check([[panel contentView] isEqual:reinterpret_cast<NSView*>(view.winId())],
          "Qt's view is the content view of the panel's window");
    check(waitFor([&] { return [panel isVisible]; }), "the panel is on screen");
    // The display: the one with the pointer, centred to the pixel.
    NSScreen* pointerScreen = nil;
    for (NSScreen* screen in [NSScreen screens]) {
        if (NSMouseInRect([NSEvent mouseLocation], [screen frame], NO)) {
            pointerScreen = screen;
        }
    }
    check(pointerScreen == nil || [panel screen] == pointerScreen, "the panel opens on the display with the pointer");
    QScreen* qtScreen = LauncherPanelController::screenWithPointer();
    const QRect area = qtScreen ? qtScreen->availableGeometry() : QRect();
    check(qtScreen
              && view.position()
                     == area.topLeft() + QPoint((area.width() - view.width()) / 2, (area.height() - view.height()) / 2),
          "the panel is centred on that display's visible area");
    check(([panel styleMask] & NSWindowStyleMaskResizable) == 0, "an edge drag cannot resize the panel");
    check(waitFor([&] { return [[panel childWindows] firstObject] != nil; }) &&
              [[[panel childWindows] firstObject] isExcludedFromWindowsMenu],
          "the blur window is not listed in the Window menu");
    // The panel asks for activation itself (-[NSApplication activate] on macOS 14). Whether a
    // process the runner started may become active is the system's decision: the key window
    // is checked when it is.
    delegate.panel()->bringForward();
    if (waitFor([] { return [NSApp isActive]; }, 3000)) {
        check(waitFor([&] { return [panel isKeyWindow]; }), "the panel is the key window");
    } else {
        std::printf("SKIPPED: the application was not made active here; key window not checked\n");
    }
    check(![panel hidesOnDeactivate], "the panel does not hide on deactivation");
    check(![panel isOpaque], "the panel's window is translucent");
    check(waitFor([&] { return view.isExposed(); }), "Qt exposes the panel, so Qt Quick draws it");

    // The level, the behaviour and the blur below the panel, after every change that could
    // disturb them: the first show, a hide and show (a failed launch), the settings.
    auto backdropBelow = [&] {
        NSWindow* backdrop = [[panel childWindows] firstObject];
        return backdrop != nil && [backdrop isVisible] && NSEqualRects([backdrop frame], [panel frame]) &&
               [backdrop orderedIndex] > [panel orderedIndex];
    };
    auto floating = [&](const char* when) {
        std::printf("%s:\n", when);
        check(waitFor([&] { return [panel level] == 3; }), "  the panel is at the floating level (3)");
        check([panel collectionBehavior] == 258, "  it moves to the active space and joins full-screen spaces (258)");
        check(waitFor(backdropBelow), "  the blur window lies right below it, the same size");
    };
    floating("shown");
    view.hide();
    check(waitFor([&] { return ![panel isVisible] && [[panel childWindows] count] == 0; }),
          "hidden, the panel takes its blur window along");
    view.show();
    floating("shown again");

    delegate.openSettings();
    check(delegate.settingsWindow() && delegate.settingsWindow()->window().status() == QQuickView::Ready,
          "the settings window's views loaded");
    check(waitFor([&] { return delegate.settingsWindow() && delegate.settingsWindow()->isVisible(); }),
          "the settings window opens");
    check(waitFor([&] { return [panel level] == 0; }),
          "the panel steps down to the normal level while the settings show");
    check([panel collectionBehavior] == 258, "the collection behaviour stays 258");
    check(waitFor(backdropBelow), "the blur window stays below the panel");
    delegate.settingsWindow()->close();
    floating("the settings closed");
}

} // namespace

int main(int argc, char** argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);
    CurrentHostGuard host(mac::makeHost(std::make_shared<QtClock>()));

    preferencesRoundTrip();
    frameworks();
    panelOnTheWindowServer();

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
