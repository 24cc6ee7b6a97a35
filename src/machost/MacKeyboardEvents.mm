#include "machost/MacKeyboardEvents.h"

#include <CoreGraphics/CoreGraphics.h>

namespace vantrel::mac {

bool MacKeyboardEvents::post(int keyCode, bool keyDown, quint64 flags)
{
    // An event source with the HID system's state; when it or the event cannot be made,
    // the press or release is skipped.
    CGEventSourceRef source = CGEventSourceCreate(kCGEventSourceStateHIDSystemState);
    if (!source) {
        return false;
    }
    CGEventRef event = CGEventCreateKeyboardEvent(source, CGKeyCode(keyCode), keyDown);
    if (!event) {
        CFRelease(source);
        return false;
    }
    CGEventSetFlags(event, CGEventFlags(flags));
    CGEventPost(kCGHIDEventTap, event);
    CFRelease(event);
    CFRelease(source);
    return true;
}

bool MacKeyboardEvents::requestPostAccess()
{
    // CGPreflightPostEventAccess only answers; CGRequestPostEventAccess shows the system's
    // prompt when access has never been decided, and answers without one afterwards.
    return CGPreflightPostEventAccess() || CGRequestPostEventAccess();
}

} // namespace vantrel::mac
