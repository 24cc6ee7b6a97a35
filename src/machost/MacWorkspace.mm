#include "machost/MacWorkspace.h"

#include "machost/MacConversions.h"
#include "machost/MainThreadCompletion.h"

#import <AppKit/AppKit.h>

namespace vantrel::mac {

namespace {

// One entry of the running list: what was listed, plus the two states asked afresh.
class MacRunningApplication final : public RunningApplication {
public:
    explicit MacRunningApplication(NSRunningApplication* application)
        : m_application([application retain])
        , m_bundleIdentifier([application bundleIdentifier]
                                 ? std::optional(fromNSString([application bundleIdentifier]))
                                 : std::nullopt)
        , m_bundleURL([application bundleURL] ? std::optional(QUrl::fromLocalFile(pathOf([application bundleURL])))
                                              : std::nullopt)
        , m_pid(qint32([application processIdentifier]))
        , m_activationPolicy(int([application activationPolicy]))
        , m_architecture(int([application executableArchitecture]))
    {
    }
    ~MacRunningApplication() override { [m_application release]; }
    MacRunningApplication(const MacRunningApplication&) = delete;
    MacRunningApplication& operator=(const MacRunningApplication&) = delete;

    std::optional<QString> bundleIdentifier() const override { return m_bundleIdentifier; }
    std::optional<QUrl> bundleURL() const override { return m_bundleURL; }
    qint32 processIdentifier() const override { return m_pid; }
    int activationPolicy() const override { return m_activationPolicy; }
    int executableArchitecture() const override { return m_architecture; }
    bool isTerminated() const override { return [m_application isTerminated]; }
    bool isFinishedLaunching() const override { return [m_application isFinishedLaunching]; }
    bool activate(int options) override
    {
        return [m_application activateWithOptions:NSApplicationActivationOptions(options)];
    }
    bool terminate() override { return [m_application terminate]; }

private:
    NSRunningApplication* m_application;
    std::optional<QString> m_bundleIdentifier;
    std::optional<QUrl> m_bundleURL;
    qint32 m_pid;
    int m_activationPolicy;
    int m_architecture;
};

NSWorkspaceOpenConfiguration* makeConfiguration(const OpenConfiguration& configuration)
{
    NSWorkspaceOpenConfiguration* made = [NSWorkspaceOpenConfiguration configuration];
    made.createsNewApplicationInstance = configuration.createsNewApplicationInstance;
    if (configuration.architecture) {
        made.architecture = cpu_type_t(*configuration.architecture);
    }
    made.activates = configuration.activates;
    // The copy at this path, never a running one at another path: a project handed over
    // must reach the copy the user chose.
    made.allowsRunningApplicationSubstitution = NO;
    return made;
}

OpenResult resultOf(NSRunningApplication* application, NSError* error)
{
    if (error) {
        return OpenResult{nullptr, fromNSString([error localizedDescription])};
    }
    return OpenResult{application ? std::make_shared<MacRunningApplication>(application) : nullptr, std::nullopt};
}

NSArray* fileURLs(const QList<QUrl>& urls)
{
    NSMutableArray* made = [NSMutableArray arrayWithCapacity:NSUInteger(urls.size())];
    for (const QUrl& url : urls) {
        [made addObject:fileURL(url.toLocalFile())];
    }
    return made;
}

using Deliverer = std::function<bool(OpenResult)>;

// Starts an open call with a completion handler that calls the deliverer, and waits for
// its answer on the main thread. `start` runs before the first suspension (tasks start at
// once), while the caller's arguments it refers to are still there. It takes the deliverer
// by value, so that the completion block copies it rather than a reference to it.
template <typename Start>
Task<OpenResult> answerOf(Start start)
{
    MainThreadCompletion<OpenResult> completion;
    start(completion.deliverer());
    auto answer = completion.result();
    const std::optional<OpenResult> result = co_await answer;
    co_return result.value_or(OpenResult{nullptr, MacWorkspace::noAnswerError()});
}

} // namespace

QList<RunningApplicationPtr> MacWorkspace::runningApplications()
{
    @autoreleasepool {
        QList<RunningApplicationPtr> list;
        for (NSRunningApplication* application in [[NSWorkspace sharedWorkspace] runningApplications]) {
            list.append(std::make_shared<MacRunningApplication>(application));
        }
        return list;
    }
}

Task<OpenResult> MacWorkspace::openApplication(QUrl appURL, OpenConfiguration configuration)
{
    return answerOf([&](Deliverer deliver) {
        @autoreleasepool {
            [[NSWorkspace sharedWorkspace] openApplicationAtURL:fileURL(appURL.toLocalFile())
                                                  configuration:makeConfiguration(configuration)
                                              completionHandler:^(NSRunningApplication* application, NSError* error) {
                                                deliver(resultOf(application, error));
                                              }];
        }
    });
}

Task<OpenResult> MacWorkspace::openDocuments(QList<QUrl> documentURLs, QUrl appURL, OpenConfiguration configuration)
{
    return answerOf([&](Deliverer deliver) {
        @autoreleasepool {
            [[NSWorkspace sharedWorkspace] openURLs:fileURLs(documentURLs)
                               withApplicationAtURL:fileURL(appURL.toLocalFile())
                                      configuration:makeConfiguration(configuration)
                                  completionHandler:^(NSRunningApplication* application, NSError* error) {
                                    deliver(resultOf(application, error));
                                  }];
        }
    });
}

bool MacWorkspace::open(const QUrl& url)
{
    @autoreleasepool {
        NSURL* target = url.isLocalFile() ? fileURL(url.toLocalFile())
                                          : [NSURL URLWithString:toNSString(url.toString(QUrl::FullyEncoded))];
        return target && [[NSWorkspace sharedWorkspace] openURL:target];
    }
}

void MacWorkspace::activateFileViewerSelecting(const QList<QUrl>& urls)
{
    @autoreleasepool {
        [[NSWorkspace sharedWorkspace] activateFileViewerSelectingURLs:fileURLs(urls)];
    }
}

} // namespace vantrel::mac
