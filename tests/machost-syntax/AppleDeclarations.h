// Declarations of the Apple interfaces the Mac adapters use that GNUstep does not have,
// copied in shape from Apple's documentation, so that `scripts/check-machost.sh` can
// parse and type-check src/machost/*.mm on Linux. Never part of a build: on a Mac the real
// framework headers are used.
#pragma once

#import <AppKit/AppKit.h>
#import <Foundation/Foundation.h>

#include <cstdint>

// ---- Core Foundation (CoreFoundation/CFBase.h, CFString.h, CFURL.h) ----
typedef const void* CFTypeRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFURL* CFURLRef;
typedef unsigned char Boolean;
typedef long CFIndex;
typedef uint32_t CFStringEncoding;
enum { kCFStringEncodingUTF8 = 0x08000100 };
typedef CFIndex CFURLPathStyle;
enum { kCFURLPOSIXPathStyle = 0 };
extern "C" const CFAllocatorRef kCFAllocatorDefault;
extern "C" CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
extern "C" CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef allocator, CFStringRef filePath,
                                                  CFURLPathStyle pathStyle, Boolean isDirectory);
extern "C" void CFRelease(CFTypeRef cf);

// ---- Core Foundation preferences (CoreFoundation/CFPreferences.h) ----
typedef CFTypeRef CFPropertyListRef;
extern "C" void CFPreferencesSetAppValue(CFStringRef key, CFPropertyListRef value, CFStringRef applicationID);
extern "C" Boolean CFPreferencesAppSynchronize(CFStringRef applicationID);

// ---- Core Graphics events (CoreGraphics/CGEvent.h, CGEventSource.h, CGEventTypes.h) ----
typedef struct __CGEvent* CGEventRef;
typedef struct __CGEventSource* CGEventSourceRef;
typedef uint16_t CGKeyCode;
typedef uint64_t CGEventFlags;
typedef int32_t CGEventSourceStateID;
enum { kCGEventSourceStateHIDSystemState = 1 };
typedef uint32_t CGEventTapLocation;
enum { kCGHIDEventTap = 0 };
extern "C" CGEventSourceRef CGEventSourceCreate(CGEventSourceStateID stateID);
extern "C" CGEventRef CGEventCreateKeyboardEvent(CGEventSourceRef source, CGKeyCode virtualKey, bool keyDown);
extern "C" void CGEventSetFlags(CGEventRef event, CGEventFlags flags);
extern "C" void CGEventPost(CGEventTapLocation tap, CGEventRef event);
// CoreGraphics/CGEvent.h, macOS 10.15
extern "C" bool CGPreflightPostEventAccess(void);
extern "C" bool CGRequestPostEventAccess(void);

// ---- Foundation: security-scoped URLs (NSURL.h, macOS 10.7) ----
@interface NSURL (AppleSecurityScope)
- (BOOL)startAccessingSecurityScopedResource;
- (void)stopAccessingSecurityScopedResource;
@end

// ---- Foundation: AppleScript (NSAppleScript.h, NSAppleEventDescriptor.h) ----
// GNUstep declares the classes without these methods.
@interface NSAppleScript (AppleDocumented)
- (instancetype)initWithSource:(NSString*)source;
- (NSAppleEventDescriptor*)executeAndReturnError:(NSDictionary**)errorInfo;
@end
@interface NSAppleEventDescriptor (AppleDocumented)
- (NSString*)stringValue;
@end

// ---- AppKit: the pasteboard's object API (NSPasteboard.h, macOS 10.6) ----
@interface NSPasteboard (AppleDocumented)
- (NSInteger)clearContents;
- (BOOL)writeObjects:(NSArray*)objects;
@end

// ---- Foundation: named suites (NSUserDefaults.h, macOS 10.9) ----
@interface NSUserDefaults (AppleDocumented)
- (instancetype)initWithSuiteName:(NSString*)suitename;
@end

// ---- AppKit: opening with a configuration (NSWorkspace.h, macOS 10.15) ----
typedef int cpu_type_t;
@interface NSWorkspaceOpenConfiguration : NSObject
+ (instancetype)configuration;
@property BOOL createsNewApplicationInstance;
@property cpu_type_t architecture;
@property BOOL activates;
@property BOOL allowsRunningApplicationSubstitution;
@end
@interface NSWorkspace (AppleDocumented)
- (NSArray<NSRunningApplication*>*)runningApplications;
- (void)openApplicationAtURL:(NSURL*)applicationURL
               configuration:(NSWorkspaceOpenConfiguration*)configuration
           completionHandler:(void (^)(NSRunningApplication* app, NSError* error))completionHandler;
- (void)openURLs:(NSArray<NSURL*>*)urls
    withApplicationAtURL:(NSURL*)applicationURL
           configuration:(NSWorkspaceOpenConfiguration*)configuration
       completionHandler:(void (^)(NSRunningApplication* app, NSError* error))completionHandler;
- (void)activateFileViewerSelectingURLs:(NSArray<NSURL*>*)fileURLs;
@end

// ---- AppKit: event monitors (NSEvent.h, macOS 10.6 and 10.12 names) ----
typedef unsigned long long NSEventMask;
enum : NSEventMask { NSEventMaskLeftMouseDown = 1ULL << 1, NSEventMaskRightMouseDown = 1ULL << 3 };
@interface NSEvent (AppleDocumented)
+ (id)addGlobalMonitorForEventsMatchingMask:(NSEventMask)mask handler:(void (^)(NSEvent* event))block;
+ (void)removeMonitor:(id)eventMonitor;
@end

// ---- AppKit: the visual-effect view (NSVisualEffectView.h, macOS 10.10 and 10.14) ----
typedef NSInteger NSVisualEffectMaterial;
enum : NSVisualEffectMaterial { NSVisualEffectMaterialHUDWindow = 13 };
@interface NSVisualEffectView (AppleDocumented)
@property(getter=isEmphasized) BOOL emphasized; // macOS 10.12
@end

// ---- AppKit: drawn and stretchable images (NSImage.h, macOS 10.8 and 10.10) ----
typedef NSInteger NSImageResizingMode;
enum : NSImageResizingMode { NSImageResizingModeTile = 0, NSImageResizingModeStretch = 1 };
@interface NSImage (AppleDocumented)
+ (NSImage*)imageWithSize:(NSSize)size
                  flipped:(BOOL)drawingHandlerShouldBeCalledWithFlippedContext
           drawingHandler:(BOOL (^)(NSRect dstRect))drawingHandler;
+ (NSImage*)imageWithSystemSymbolName:(NSString*)name accessibilityDescription:(NSString*)description; // macOS 11
@property NSEdgeInsets capInsets;
@property NSImageResizingMode resizingMode;
@end

// ---- AppKit: animator proxies (NSAnimation.h, NSAnimatablePropertyContainer) ----
@interface NSWindow (AppleDocumented)
- (instancetype)animator;
@property NSInteger orderedIndex; // NSWindow.h, macOS 10.0: 0 is frontmost
@end

// ---- AppKit: pop-up menus (NSMenu.h, macOS 10.6) ----
@interface NSMenu (AppleDocumented)
- (BOOL)popUpMenuPositioningItem:(NSMenuItem*)item atLocation:(NSPoint)location inView:(NSView*)view;
- (void)cancelTracking; // macOS 10.5
@end

// ---- AppKit: cooperative activation (NSApplication.h, macOS 14) ----
@interface NSApplication (AppleCooperativeActivation)
- (void)activate;
- (void)yieldActivationToApplication:(NSRunningApplication*)application;
- (void)yieldActivationToApplicationWithBundleIdentifier:(NSString*)bundleIdentifier;
@end

// ---- AppKit: the window's style mask (NSWindow.h, macOS 10.6) ----
@interface NSWindow (AppleStyleMask)
- (void)setStyleMask:(NSWindowStyleMask)styleMask;
@end
