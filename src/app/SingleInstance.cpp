#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace vantrel {

QString SingleInstance::serverName(const QString& key)
{
    return QStringLiteral("vantrel-%1-%2")
        .arg(getuid())
        .arg(QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(12)));
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent)
    , m_name(std::move(name))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::forward(const QStringList& paths) const
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(1000)) {
        return false;
    }
    // One path a line; an empty message only asks the launcher to come forward.
    socket.write(paths.join(u'\n').toUtf8() + '\n');
    socket.flush();
    const bool written = socket.bytesToWrite() == 0 || socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(1000);
    }
    return written;
}

bool SingleInstance::listen(std::function<void(const QStringList&)> onDocuments)
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Taken: by a launcher that started just now (it answers), or by one that died and
        // left its socket behind (nobody answers), which is taken over.
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(500)) {
            probe.disconnectFromServer();
            return false;
        }
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name)) {
            return false;
        }
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this, onDocuments] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, [socket, onDocuments] {
                QStringList paths;
                for (const QByteArray& line : socket->readAll().split('\n')) {
                    if (!line.isEmpty()) {
                        paths << QString::fromUtf8(line);
                    }
                }
                onDocuments(paths);
                socket->deleteLater();
            });
        }
    });
    return true;
}

void SingleInstance::stopListening()
{
    if (m_server) {
        m_server->close();
    }
}

} // namespace vantrel
