#pragma once

#include "async/Task.h"
#include "platform/RunningApplication.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace vantrel {

// How an application or document is to be opened.
struct OpenConfiguration {
    bool createsNewApplicationInstance = false;
    std::optional<int> architecture; // a Mach-O CPU type; unset leaves the choice to the platform
    bool activates = true;

    friend bool operator==(const OpenConfiguration&, const OpenConfiguration&) = default;
};

// What an open call completes with: the running application (which the platform may not
// report) or the platform's error text.
struct OpenResult {
    RunningApplicationPtr application;
    std::optional<QString> error;
};

// The platform workspace: the running-application list, opening applications and
// documents, and the file viewer. Open calls complete on the main thread.
class Workspace {
public:
    virtual ~Workspace() = default;

    // In the platform's order, read afresh at every call.
    virtual QList<RunningApplicationPtr> runningApplications() = 0;

    // Coroutines take their arguments by value: a caller's temporaries are gone by the
    // time the work resumes.
    virtual Task<OpenResult> openApplication(QUrl appURL, OpenConfiguration configuration) = 0;
    virtual Task<OpenResult> openDocuments(QList<QUrl> documentURLs, QUrl appURL, OpenConfiguration configuration) = 0;

    // Opens a folder, file or web address with its default handler.
    virtual bool open(const QUrl& url) = 0;
    // Shows the items selected in a file-viewer window.
    virtual void activateFileViewerSelecting(const QList<QUrl>& urls) = 0;
};

} // namespace vantrel
