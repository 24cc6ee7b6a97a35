#include "machost/MacScripting.h"

#include "machost/MacConversions.h"

#import <AppKit/AppKit.h>

namespace vantrel::mac {

std::optional<QString> MacScripting::runScript(const QString& source)
{
    @autoreleasepool {
        // Owned by the pool around the call: released on every way out.
        NSAppleScript* script = [[[NSAppleScript alloc] initWithSource:toNSString(source)] autorelease];
        if (!script) {
            return std::nullopt;
        }
        NSDictionary* error = nil;
        NSAppleEventDescriptor* result = [script executeAndReturnError:&error];
        if (!result) {
            return std::nullopt;
        }
        // A script that returns nothing, or no text, answers with an empty string.
        return fromNSString([result stringValue]);
    }
}

bool MacScripting::performService(const QString& serviceName, const QString& pasteboardName, const QList<QUrl>& urls)
{
    @autoreleasepool {
        NSPasteboard* pasteboard = [NSPasteboard pasteboardWithName:toNSString(pasteboardName)];
        [pasteboard clearContents];
        NSMutableArray* items = [NSMutableArray arrayWithCapacity:NSUInteger(urls.size())];
        for (const QUrl& url : urls) {
            [items addObject:fileURL(url.toLocalFile())];
        }
        [pasteboard writeObjects:items];
        const BOOL performed = NSPerformService(toNSString(serviceName), pasteboard);
        [pasteboard releaseGlobally]; // the name was fresh; nobody else will read it
        return performed;
    }
}

} // namespace vantrel::mac
