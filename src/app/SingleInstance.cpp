#include "app/SingleInstance.h"

#include "nativehost/InstanceLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

// The user at the other end of a connected local socket; no value when it cannot be told.
std::optional<uid_t> peerUser(qintptr descriptor)
{
    if (descriptor < 0) {
        return std::nullopt;
    }
#if defined(__APPLE__)
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(int(descriptor), &uid, &gid) != 0) {
        return std::nullopt;
    }
    return uid;
#else
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) {
        return std::nullopt;
    }
    return credentials.uid;
#endif
}

bool isOurs(qintptr descriptor)
{
    return peerUser(descriptor) == ::geteuid();
}

} // namespace

SingleInstance::SingleInstance(QString folder, const QString& key, QObject* parent)
    : QObject(parent)
    , m_folder(std::move(folder))
{
    const QString base = InstanceLock::basePath(m_folder, key);
    m_socketPath = base + QStringLiteral(".sock");
    m_lockPath = base + QStringLiteral(".lock");
    // Made private from the start and never changed by path: whatever is there already
    // (a link, another user's folder) is judged by folderState() and refused.
    ::mkdir(QFile::encodeName(m_folder).constData(), 0700);
}

SingleInstance::~SingleInstance()
{
    stopListening();
    if (m_lock >= 0) {
        ::close(m_lock); // the lock goes with it
    }
}

QString SingleInstance::defaultFolder()
{
    return InstanceLock::defaultFolder();
}

InstanceLock::FolderState SingleInstance::folderState() const
{
    return InstanceLock::folderState(m_folder);
}

bool SingleInstance::tryLock()
{
    if (m_lock >= 0) {
        return true;
    }
    const int fd = ::open(QFile::encodeName(m_lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lock = fd;
    return true;
}

bool SingleInstance::listen()
{
    // Holding the lock, any socket there was left by a launcher that is gone.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (m_server) {
            QLocalSocket* socket = m_server->nextPendingConnection();
            if (!socket) {
                break;
            }
            serve(socket);
        }
    });
    return true;
}

void SingleInstance::stopListening()
{
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!isOurs(socket->socketDescriptor())) {
        socket->abort();
        return;
    }
    // A peer that says nothing, or never finishes, is dropped; a partial message is no
    // message.
    QTimer::singleShot(inMilliseconds(peerSilenceLimit), socket, [socket] { socket->abort(); });
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
        *buffer += socket->read(maxMessageBytes + 4 - buffer->size() + 1);
        bool malformed = false;
        const std::optional<QStringList> paths = takeMessage(*buffer, malformed);
        if (!paths && !malformed) {
            return; // more to come
        }
        const bool taken = paths && m_onDocuments && m_onDocuments(*paths);
        socket->write(malformed ? "x" : taken ? "y" : "n");
        socket->flush();
        socket->disconnectFromServer();
    });
}

QByteArray SingleInstance::encode(const QStringList& paths)
{
    QByteArray payload;
    for (const QString& path : paths) {
        payload += path.toUtf8() + '\0';
    }
    QByteArray message(4, '\0');
    qToBigEndian(quint32(payload.size()), message.data());
    return message + payload;
}

std::optional<QStringList> SingleInstance::takeMessage(QByteArray& buffer, bool& malformed)
{
    malformed = false;
    if (buffer.size() < 4) {
        return std::nullopt;
    }
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > quint32(maxMessageBytes)) {
        malformed = true;
        return std::nullopt;
    }
    if (buffer.size() < 4 + qsizetype(length)) {
        return std::nullopt;
    }
    const QByteArray payload = buffer.mid(4, length);
    buffer.remove(0, 4 + length);
    if (!payload.isEmpty() && !payload.endsWith('\0')) {
        malformed = true;
        return std::nullopt;
    }
    QStringList paths;
    for (const QByteArray& path : payload.split('\0')) {
        if (!path.isEmpty()) {
            paths << QString::fromUtf8(path);
        }
    }
    if (paths.size() > maxPaths) {
        malformed = true;
        return std::nullopt;
    }
    return paths;
}

SingleInstance::Answer SingleInstance::forward(const QStringList& paths, const QDeadlineTimer& deadline) const
{
    struct stat info {};
    if (::lstat(QFile::encodeName(m_socketPath).constData(), &info) != 0 || !S_ISSOCK(info.st_mode)
        || info.st_uid != ::geteuid()) {
        return Answer::none;
    }
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(inMilliseconds(timings::peerConnectTimeout)) || !isOurs(socket.socketDescriptor())) {
        return Answer::none;
    }
    socket.write(encode(paths));
    socket.flush();
    // Sent once: the answer is waited for (a launcher still starting answers once its loop
    // runs), never asked again, so nothing is handed over twice.
    const int wait = int(std::max<qint64>(deadline.remainingTime(), qint64(inMilliseconds(peerSilenceLimit)) + 1000));
    if (!socket.waitForReadyRead(wait)) {
        return Answer::unanswered;
    }
    const QByteArray answer = socket.read(1);
    socket.disconnectFromServer();
    return answer == "y"   ? Answer::taken
           : answer == "n" ? Answer::refused
           : answer == "x" ? Answer::malformed
                           : Answer::none;
}

SingleInstance::Outcome SingleInstance::start(const QStringList& paths,
                                              std::function<bool(const QStringList&)> onDocuments, Duration waitForEnd)
{
    if (folderState() != InstanceLock::FolderState::usable) {
        return Outcome::folderRefused;
    }
    m_onDocuments = std::move(onDocuments);
    // What the launcher would refuse whole is not sent (nor asked again).
    const bool tooMuch = paths.size() > maxPaths || encode(paths).size() > maxMessageBytes + 4;
    const QDeadlineTimer deadline(waitForEnd);
    for (;;) {
        if (tryLock()) {
            if (!listen()) {
                // Running without the channel rather than holding the lock for nothing,
                // which would keep every later start waiting.
                qWarning().noquote() << "vantrel: cannot listen at" << m_socketPath;
                ::close(m_lock);
                m_lock = -1;
            }
            return Outcome::running;
        }
        if (tooMuch) {
            return Outcome::tooMuch;
        }
        switch (forward(paths, deadline)) {
        case Answer::taken:
            return Outcome::handedOver;
        case Answer::malformed:
            return Outcome::tooMuch;
        case Answer::unanswered:
            return Outcome::failed; // sent, and never answered: not sent again
        case Answer::refused:
        case Answer::none:
            break;
        }
        // A launcher that is ending (or starting) holds the lock: wait for it.
        if (deadline.hasExpired()) {
            return Outcome::failed;
        }
        QThread::msleep(100);
    }
}

} // namespace vantrel
