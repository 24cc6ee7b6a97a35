// The launcher panel on the Mac: the native window behind the Qt Quick window is made a
// floating, keyable panel on every space, with the heads-up-display blur behind the
// translucent views, clicks in other applications are watched with a global monitor and
// every menu's tracking is observed on the default notification centre.
#include "app/PlatformWindowing.h"

#include <QWindow>

#include <initializer_list>

#import <AppKit/AppKit.h>

namespace vantrel {

namespace {

constexpr NSInteger floatingLevel = 3;              // NSFloatingWindowLevel
constexpr NSUInteger allSpacesAndFullScreen = 258; // can join all spaces | full-screen auxiliary

class MacPlatformWindowing final : public PlatformWindowing {
public:
    ~MacPlatformWindowing() override
    {
        if (m_monitor) {
            [NSEvent removeMonitor:m_monitor];
        }
        removeMenuTrackingObservers();
    }

    void configurePanel(QWindow& window) override
    {
        // Frameless and on top through Qt, so that Qt keeps letting the window take the
        // keyboard; the rest on the native window.
        window.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        NSView* view = reinterpret_cast<NSView*>(window.winId());
        NSWindow* panel = [view window];
        if (!panel) {
            return;
        }
        [panel setLevel:floatingLevel];
        [panel setCollectionBehavior:NSWindowCollectionBehavior(allSpacesAndFullScreen)];
        [panel setHidesOnDeactivate:NO];
        [panel setMovableByWindowBackground:YES];
        [panel setOpaque:NO];
        [panel setBackgroundColor:[NSColor clearColor]];
        addBlur(panel, view);
    }

    bool hasBlurBehindWindow() const override { return true; }

    bool installOutsideClickMonitor(std::function<void(QPoint)> onClick) override
    {
        if (m_monitor) {
            [NSEvent removeMonitor:m_monitor];
        }
        // Global monitors see events sent to other applications only, on the main thread.
        m_monitor = [NSEvent addGlobalMonitorForEventsMatchingMask:(NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown)
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

private:
    // The heads-up-display material, blurring what lies behind the window, under the
    // Qt Quick view.
    static void addBlur(NSWindow* panel, NSView* qtView)
    {
        NSView* content = [panel contentView];
        NSVisualEffectView* blur = [[NSVisualEffectView alloc] initWithFrame:[content bounds]];
        [blur setMaterial:NSVisualEffectMaterialHUDWindow];
        [blur setBlendingMode:NSVisualEffectBlendingModeBehindWindow];
        [blur setState:NSVisualEffectStateActive];
        [blur setAutoresizingMask:(NSViewWidthSizable | NSViewHeightSizable)];
        if (content == qtView) {
            // Qt's view is the content view: the blur becomes the content and holds it.
            [panel setContentView:blur];
            [qtView setFrame:[blur bounds]];
            [qtView setAutoresizingMask:(NSViewWidthSizable | NSViewHeightSizable)];
            [blur addSubview:qtView];
        } else {
            [content addSubview:blur positioned:NSWindowBelow relativeTo:qtView];
        }
        [blur release];
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

    id m_monitor = nil;
    id m_menuBegan = nil;
    id m_menuEnded = nil;
};

} // namespace

std::unique_ptr<PlatformWindowing> PlatformWindowing::make()
{
    return std::make_unique<MacPlatformWindowing>();
}

} // namespace vantrel
