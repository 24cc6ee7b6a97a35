#pragma once

#include "platform/Workspace.h"

namespace vantrel::mac {

// NSWorkspace and NSRunningApplication. The running list is read afresh on every call;
// opening uses NSWorkspaceOpenConfiguration (new instance, architecture, activation), and
// its completion handler, which runs on a thread of the system's choosing, is brought back
// to the main thread (MainThreadCompletion).
class MacWorkspace final : public Workspace {
public:
    QList<RunningApplicationPtr> runningApplications() override;
    Task<OpenResult> openApplication(QUrl appURL, OpenConfiguration configuration) override;
    Task<OpenResult> openDocuments(QList<QUrl> documentURLs, QUrl appURL, OpenConfiguration configuration) override;
    bool open(const QUrl& url) override;
    void activateFileViewerSelecting(const QList<QUrl>& urls) override;

    // What an open that never answered completes with.
    static QString noAnswerError() { return QStringLiteral("The workspace did not answer."); }
};

} // namespace vantrel::mac
