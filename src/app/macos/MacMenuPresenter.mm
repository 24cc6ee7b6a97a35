// The launcher's pop-up menus on the Mac: an NSMenu built from the menu's data, the
// symbols taken from the system's own symbol images, popped up at a point of the screen.
// NSMenu's -popUpMenuPositioningItem:atLocation:inView: tracks the menu in a run loop of
// its own and returns once it has closed (Qt's timers and queued calls still run during
// it: Qt's Cocoa event dispatcher serves the common run-loop modes, event tracking among
// them). The menu is therefore popped up from a queued call, never from inside the view
// event that asked for it, and the choice is reported after the menu has closed. Opening
// and closing are reported around that call (the windowing adapter also hears them from
// the notification centre, for every menu of the application).
#include "app/MenuPresenters.h"
#include "machost/MacConversions.h"

#include <QCoreApplication>
#include <QPointer>

#import <AppKit/AppKit.h>

// Remembers which item was chosen, by its tag (the item's index in the menu's data).
@interface VantrelMenuChoice : NSObject {
    NSInteger _chosenTag;
}
- (NSInteger)chosenTag;
- (void)choose:(id)sender;
@end

@implementation VantrelMenuChoice
- (instancetype)init
{
    if ((self = [super init])) {
        _chosenTag = -1;
    }
    return self;
}
- (NSInteger)chosenTag
{
    return _chosenTag;
}
- (void)choose:(id)sender
{
    _chosenTag = [(NSMenuItem*)sender tag];
}
@end

namespace vantrel {

namespace {

// A point of Qt's global coordinates (top left of the main screen, y down) in the
// screen coordinates of AppKit (bottom left of the main screen, y up), as Qt's Cocoa
// plugin flips them: by the height of the first screen.
NSPoint screenPoint(QPoint point)
{
    NSArray<NSScreen*>* screens = [NSScreen screens];
    const CGFloat height = [screens count] > 0 ? NSHeight([[screens objectAtIndex:0] frame]) : 0;
    return NSMakePoint(point.x(), height - point.y());
}

NSMenu* nativeMenu(const Menu& menu, VantrelMenuChoice* choice)
{
    NSMenu* native = [[[NSMenu alloc] initWithTitle:mac::toNSString(menu.title)] autorelease];
    [native setAutoenablesItems:NO];
    for (qsizetype index = 0; index < menu.items.size(); ++index) {
        const MenuItem& item = menu.items[index];
        if (item.kind == MenuItem::Kind::separator) {
            [native addItem:[NSMenuItem separatorItem]];
            continue;
        }
        const bool isAction = item.kind == MenuItem::Kind::action;
        const SEL action = isAction ? @selector(choose:) : NULL; // a header is shown, never sent
        NSMenuItem* entry = [[[NSMenuItem alloc] initWithTitle:mac::toNSString(item.title)
                                                        action:action
                                                 keyEquivalent:@""] autorelease];
        [entry setTag:NSInteger(index)];
        [entry setTarget:choice];
        [entry setEnabled:isAction && item.enabled];
        if (!item.symbolName.isEmpty()) {
            [entry setImage:[NSImage imageWithSystemSymbolName:mac::toNSString(item.symbolName)
                                      accessibilityDescription:nil]];
        }
        [native addItem:entry];
    }
    return native;
}

class MacMenuPresenter final : public MenuPresenter {
public:
    explicit MacMenuPresenter(std::function<void(bool)> onTrackingChanged)
        : m_onTrackingChanged(std::move(onTrackingChanged))
        , m_open(std::make_shared<NSMenu*>(nil))
    {
    }

    // As Qt's QCocoaMenu::dismiss: the tracking ends, and the pop-up call returns.
    void dismiss() override
    {
        if (*m_open) {
            [*m_open cancelTracking];
        }
    }

    void popUp(const Menu& menu, QObject* anchorView, std::function<void(const QVariant&)> onChoose) override
    {
        const QPoint at = menuAnchorPoint(menu, anchorView);
        QPointer<QObject> anchor(anchorView);
        QMetaObject::invokeMethod(
            qApp,
            [menu, at, anchor, open = m_open, tracking = m_onTrackingChanged, onChoose = std::move(onChoose)] {
                if (!anchor) {
                    return; // the view that asked has gone
                }
                NSInteger chosen = -1;
                if (tracking) {
                    tracking(true);
                }
                @autoreleasepool {
                    VantrelMenuChoice* choice = [[[VantrelMenuChoice alloc] init] autorelease];
                    NSMenu* native = nativeMenu(menu, choice);
                    *open = native; // kept by the pool until this block ends
                    const BOOL picked = [native popUpMenuPositioningItem:nil atLocation:screenPoint(at) inView:nil];
                    *open = nil;
                    chosen = picked ? [choice chosenTag] : -1;
                }
                if (tracking) {
                    tracking(false);
                }
                // Nothing for a view that went while the menu was open.
                if (anchor && chosen >= 0 && chosen < menu.items.size() && onChoose) {
                    onChoose(menu.items[chosen].representedObject);
                }
            },
            Qt::QueuedConnection);
    }

private:
    std::function<void(bool)> m_onTrackingChanged;
    // The menu tracking now, if any (shared with the queued call that pops it up).
    std::shared_ptr<NSMenu*> m_open;
};

} // namespace

std::unique_ptr<MenuPresenter> makeMenuPresenter(std::function<void(bool tracking)> onTrackingChanged)
{
    return std::make_unique<MacMenuPresenter>(std::move(onTrackingChanged));
}

} // namespace vantrel
