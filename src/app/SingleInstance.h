#pragma once

#include "async/Timings.h"
#include "nativehost/InstanceLock.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QDeadlineTimer;
class QLocalServer;
class QLocalSocket;

namespace vantrel {

// One launcher per user and key (the simulated Mac's folder; on a Mac the bundle
// identifier): a second start hands its documents to the running one and ends, as a second
// open of an application does on a Mac.
//
// Who runs is decided by an exclusive lock (flock) on a file beside the socket, held for
// the launcher's life: a live launcher is never displaced, a dead one's socket is taken
// over. Both live in a folder that is the user's own and that nobody else may write in,
// and each side checks the other's user. A message is framed (a 4-byte big-endian length, then the paths, each ended by
// NUL), at most 64 KiB and 16 paths; the launcher answers whether it took the documents
// ('y', 'n' while it is ending, 'x' for a message it can never take); a peer that is
// silent for 2 s is dropped. A start with more than it may send says so at once.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        running,       // this process is the launcher now
        handedOver,    // the running launcher took the documents
        failed,        // no launcher took them, and none could be started
        folderRefused, // the folder is not usable: folderState() says why
        tooMuch,       // more than maxPaths documents, or more than maxMessageBytes: never sent whole
    };

    static constexpr qsizetype maxMessageBytes = 64 * 1024;
    static constexpr qsizetype maxPaths = 16;
    static constexpr Duration peerSilenceLimit = timings::peerSilenceLimit;

    // `folder`: made (mode 0700) when missing; refused when another user owns it, its group
    // or everyone may write in it, or it is a link (InstanceLock::folderState).
    SingleInstance(QString folder, const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The folder for this user (InstanceLock::defaultFolder).
    static QString defaultFolder();
    QString folder() const { return m_folder; }
    // What the folder is now; anything but usable refuses the start.
    InstanceLock::FolderState folderState() const;
    QString socketPath() const { return m_socketPath; }

    // Becomes the launcher, or hands `paths` to the running one. A launcher that is ending
    // takes nothing; the start then waits up to `waitForEnd` for it to go and runs itself.
    // `onDocuments` answers whether it took what a later start hands over.
    Outcome start(const QStringList& paths, std::function<bool(const QStringList& paths)> onDocuments,
                  Duration waitForEnd = timings::endingLauncherWait);
    // No more documents: the socket goes (the lock stays until the process ends).
    void stopListening();

    // The framing, for the peers and the tests.
    static QByteArray encode(const QStringList& paths);
    // The paths of one whole message at the start of `buffer`, taken out of it; no value
    // while it is incomplete. `malformed` is set for a message that can never be whole
    // or valid (too large, too many paths).
    static std::optional<QStringList> takeMessage(QByteArray& buffer, bool& malformed);

private:
    enum class Answer {
        taken,
        refused,    // the launcher is ending: asked again until it is gone
        malformed,  // the launcher can never take this message
        none,       // nobody to ask: no socket, or no connection
        unanswered, // asked, and no answer came
    };

    bool tryLock();
    bool listen();
    Answer forward(const QStringList& paths, const QDeadlineTimer& deadline) const;
    void serve(QLocalSocket* socket);

    QString m_folder;
    QString m_socketPath;
    QString m_lockPath;
    int m_lock = -1;
    std::unique_ptr<QLocalServer> m_server;
    std::function<bool(const QStringList&)> m_onDocuments;
};

} // namespace vantrel
