// The launcher panel on the Mac. Qt's view stays the content view of Qt's own NSWindow,
// so that Qt orders the window in and out, applies geometry to it, makes it key and
// exposes it (Qt decides all of that by `isContentView()`). On that window only what Qt
// leaves alone is set natively: the floating level and the collection behaviour (after
// Qt's own window flags, which are never changed again), and not hiding on
// deactivation. The blur is a second, borderless window holding an NSVisualEffectView
// masked to the panel's rounded rectangle, attached below the panel as a child window:
// it moves with the panel, follows its size, and comes and goes with it. Clicks in other
// applications are watched with a global monitor and every menu's tracking is observed on
// the default notification centre.
//
// Qt adds NSWindowStyleMaskResizable to every window that is not a popup, frameless ones
// included (qcocoawindow.mm, QCocoaWindow::windowStyleMask: "if (type != Qt::Popup)
// styleMask |= NSWindowStyleMaskResizable"), and sets the mask again only from
// setWindowFlags (and around full screen, which the panel never enters); the panel's flags
// are set once, so the bit is cleared after that and after every attachment of the blur.
// Activation: macOS 14 ignores activateIgnoringOtherApps:'s flag ("ignoringOtherApps is
// deprecated in macOS 14 and will have no effect", NSRunningApplication.h); an application
// asks with -activate, which the system grants when the active application yielded to it
// (-yieldActivationToApplication:) or the user's action started it. (Qt's raise() still
// asks the old way as well: harmless.)
#include "app/PlatformWindowing.h"

#include <QMetaObject>
#include <QObject>
#include <QSurfaceFormat>
#include <QWindow>

#include <initializer_list>

#import <AppKit/AppKit.h>

namespace vantrel {

namespace {

// NSWindowCollectionBehaviorMoveToActiveSpace (1 << 1) | FullScreenAuxiliary (1 << 8):
// the panel comes to the space the user is on, also beside a full-screen window.
constexpr NSUInteger moveToActiveSpaceAndFullScreenAuxiliary = 258;

NSWindow* nativeWindow(QWindow& window)
{
    // winId() creates the platform window (and Qt's NSWindow) when there is none yet.
    return [reinterpret_cast<NSView*>(window.winId()) window];
}

// A mask image whose alpha is the rounded rectangle: the corners are stretched from a
// small image, so it fits any size of the view.
NSImage* roundedMask(CGFloat radius)
{
    const CGFloat side = 2 * radius + 1;
    NSImage* mask = [NSImage imageWithSize:NSMakeSize(side, side)
                                   flipped:NO
                            drawingHandler:^BOOL(NSRect rect) {
                              [[NSColor blackColor] setFill];
                              [[NSBezierPath bezierPathWithRoundedRect:rect xRadius:radius yRadius:radius] fill];
                              return YES;
                            }];
    [mask setCapInsets:NSEdgeInsetsMake(radius, radius, radius, radius)];
    [mask setResizingMode:NSImageResizingModeStretch];
    return mask;
}

// The window that blurs what lies behind the panel: never key, never hit by the mouse,
// without a shadow of its own (the panel's shadow follows the panel's drawn outline).
NSWindow* makeBackdrop(NSWindow* panel, CGFloat radius)
{
    const NSRect frame = [panel frame];
    NSVisualEffectView* blur =
        [[[NSVisualEffectView alloc] initWithFrame:NSMakeRect(0, 0, frame.size.width, frame.size.height)] autorelease];
    [blur setMaterial:NSVisualEffectMaterialHUDWindow];
    [blur setBlendingMode:NSVisualEffectBlendingModeBehindWindow];
    [blur setState:NSVisualEffectStateActive];
    [blur setEmphasized:YES];
    [blur setMaskImage:roundedMask(radius)];
    [blur setAutoresizingMask:(NSViewWidthSizable | NSViewHeightSizable)];

    NSWindow* backdrop = [[NSWindow alloc] initWithContentRect:frame
                                                     styleMask:NSWindowStyleMaskBorderless
                                                       backing:NSBackingStoreBuffered
                                                         defer:YES];
    [backdrop setReleasedWhenClosed:NO];
    [backdrop setOpaque:NO];
    [backdrop setBackgroundColor:[NSColor clearColor]];
    [backdrop setHasShadow:NO];
    [backdrop setIgnoresMouseEvents:YES];
    [backdrop setLevel:[panel level]];
    [backdrop setCollectionBehavior:NSWindowCollectionBehavior(moveToActiveSpaceAndFullScreenAuxiliary
                                                               | NSWindowCollectionBehaviorIgnoresCycle)];
    [backdrop setAlphaValue:0];
    [backdrop setExcludedFromWindowsMenu:YES];
    [backdrop setContentView:blur];
    return backdrop;
}

void activateThisApplication()
{
#if defined(MAC_OS_VERSION_14_0) && MAC_OS_X_VERSION_MIN_REQUIRED >= MAC_OS_VERSION_14_0
    [NSApp activate];
#else
    if (@available(macOS 14.0, *)) {
        [NSApp activate];
    } else {
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
        [NSApp activateIgnoringOtherApps:YES];
#pragma clang diagnostic pop
    }
#endif
}

class MacPlatformWindowing final : public PlatformWindowing {
public:
    ~MacPlatformWindowing() override
    {
        if (m_monitor) {
            [NSEvent removeMonitor:m_monitor];
        }
        removeMenuTrackingObservers();
        if (m_backdrop) {
            [[m_backdrop parentWindow] removeChildWindow:m_backdrop];
            [m_backdrop orderOut:nil];
            [m_backdrop release];
        }
    }

    void configurePanel(QWindow& window, int cornerRadius) override
    {
        // Translucency is the surface's alpha: with it Qt's NSWindow answers that it is
        // not opaque, and a frameless one that its background is clear. Only Qt's flags
        // are set through Qt, and only here, before the window exists: later flags would
        // make Qt set its own level and collection behaviour again.
        QSurfaceFormat format = window.format();
        format.setAlphaBufferSize(8);
        window.setFormat(format);
        window.setFlags(Qt::Window | Qt::FramelessWindowHint);
        @autoreleasepool { // before the event loop runs there is no pool of AppKit's
            NSWindow* panel = nativeWindow(window);
            if (!panel) {
                return;
            }
            m_backdrop = makeBackdrop(panel, CGFloat(cornerRadius));
            applyPanelSettings(panel);
        }

        // Shown and hidden by Qt. QWindow reports visible before Qt orders the window in
        // (qwindow.cpp: visibleChanged, then the platform window's setVisible), so the
        // blur is attached on the next turn, once the panel is on screen.
        QObject::connect(&window, &QWindow::visibleChanged, &m_context, [this, &window](bool visible) {
            if (visible) {
                QMetaObject::invokeMethod(
                    &m_context, [this, &window] { attachBackdrop(window); }, Qt::QueuedConnection);
            } else {
                NSWindow* panel = nativeWindow(window);
                [panel removeChildWindow:m_backdrop];
                [m_backdrop orderOut:nil];
            }
        });
        // A child window moves with its parent but keeps its own size.
        auto followSize = [this, &window] {
            if (window.isVisible()) {
                [m_backdrop setFrame:[nativeWindow(window) frame] display:YES];
            }
        };
        QObject::connect(&window, &QWindow::widthChanged, &m_context, followSize);
        QObject::connect(&window, &QWindow::heightChanged, &m_context, followSize);
    }

    void setLevel(QWindow& window, WindowLevel level) override
    {
        m_level = NSInteger(level);
        NSWindow* panel = nativeWindow(window);
        // A window entering a level is ordered in front of its peers there: the blur goes
        // first, the panel after it, and the attachment puts the blur back below.
        [m_backdrop setLevel:m_level];
        [panel setLevel:m_level];
        if ([m_backdrop parentWindow] == panel) {
            [panel removeChildWindow:m_backdrop];
            attachBackdrop(window);
        }
    }

    bool hasBlurBehindWindow() const override { return true; }

    void fadeBackdrop(QWindow&, bool visible, Duration duration) override
    {
        if (!m_backdrop) {
            return;
        }
        const CGFloat alpha = visible ? 1 : 0;
        if (duration <= Duration::zero()) {
            [m_backdrop setAlphaValue:alpha];
            return;
        }
        NSWindow* backdrop = m_backdrop;
        [NSAnimationContext
            runAnimationGroup:^(NSAnimationContext* context) {
              [context setDuration:inSeconds(duration)];
              [[backdrop animator] setAlphaValue:alpha];
            }
            completionHandler:nil];
    }

    bool isMouseButtonDown() const override { return [NSEvent pressedMouseButtons] != 0; }

    bool installOutsideClickMonitor(std::function<void(QPoint)> onClick) override
    {
        if (m_monitor) {
            [NSEvent removeMonitor:m_monitor];
        }
        // Global monitors see events sent to other applications only, on the main thread.
        m_monitor =
            [NSEvent addGlobalMonitorForEventsMatchingMask:(NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown)
                                                   handler:^(NSEvent*) {
                                                     onClick(screenPosition([NSEvent mouseLocation]));
                                                   }];
        return m_monitor != nil;
    }

    bool installMenuTrackingObservers(std::function<void(bool)> onTracking) override
    {
        removeMenuTrackingObservers();
        // The tokens are the centre's until removed; each is retained here as well. Each
        // block holds its own copy of the callback.
        auto observe = [&onTracking](NSNotificationName name, bool tracking) -> id {
            const std::function<void(bool)> report = onTracking;
            return [[[NSNotificationCenter defaultCenter] addObserverForName:name
                                                                      object:nil
                                                                       queue:[NSOperationQueue mainQueue]
                                                                  usingBlock:^(NSNotification*) {
                                                                    report(tracking);
                                                                  }] retain];
        };
        m_menuBegan = observe(NSMenuDidBeginTrackingNotification, true);
        m_menuEnded = observe(NSMenuDidEndTrackingNotification, false);
        return m_menuBegan != nil && m_menuEnded != nil;
    }

    void activateApplication() override { activateThisApplication(); }

private:
    // What Qt leaves alone on its window, set again after every attachment of the blur:
    // attaching a child window can reset both windows' levels. The panel is never resized
    // by an edge drag: its size is the views', and the blur follows only that.
    void applyPanelSettings(NSWindow* panel)
    {
        [m_backdrop setLevel:m_level];
        [panel setLevel:m_level];
        [panel setCollectionBehavior:NSWindowCollectionBehavior(moveToActiveSpaceAndFullScreenAuxiliary)];
        [panel setHidesOnDeactivate:NO];
        [panel setStyleMask:([panel styleMask] & ~NSWindowStyleMaskResizable)];
    }

    void attachBackdrop(QWindow& window)
    {
        NSWindow* panel = nativeWindow(window);
        if (!window.isVisible() || ![panel isVisible] || [m_backdrop parentWindow] == panel) {
            return;
        }
        [m_backdrop setFrame:[panel frame] display:NO];
        [panel addChildWindow:m_backdrop ordered:NSWindowBelow];
        applyPanelSettings(panel);
    }

    // Cocoa counts screen y upwards from the bottom of the main screen; Qt downwards from
    // its top.
    static QPoint screenPosition(NSPoint location)
    {
        const CGFloat height = NSMaxY([[[NSScreen screens] firstObject] frame]);
        return QPoint(int(location.x), int(height - location.y));
    }

    void removeMenuTrackingObservers()
    {
        for (id* token : {&m_menuBegan, &m_menuEnded}) {
            if (*token) {
                [[NSNotificationCenter defaultCenter] removeObserver:*token];
                [*token release];
                *token = nil;
            }
        }
    }

    NSWindow* m_backdrop = nil;
    NSInteger m_level = NSInteger(WindowLevel::floating);
    QObject m_context; // the panel's signals reach this object only while it lives
    id m_monitor = nil;
    id m_menuBegan = nil;
    id m_menuEnded = nil;
};

} // namespace

std::unique_ptr<PlatformWindowing> PlatformWindowing::make()
{
    return std::make_unique<MacPlatformWindowing>();
}

void yieldActivationToRunningLauncher()
{
    if (@available(macOS 14.0, *)) {
        @autoreleasepool {
            NSRunningApplication* me = [NSRunningApplication currentApplication];
            NSString* identifier = [me bundleIdentifier];
            if (!identifier) {
                return;
            }
            for (NSRunningApplication* other in
                 [NSRunningApplication runningApplicationsWithBundleIdentifier:identifier]) {
                if ([other processIdentifier] != [me processIdentifier]) {
                    [NSApp yieldActivationToApplication:other];
                }
            }
        }
    }
}

} // namespace vantrel
