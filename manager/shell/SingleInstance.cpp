#include "manager/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

// How long a second start waits for the first copy to take its request.
constexpr int kActivationWaitMs = 1000;

} // namespace

SingleInstance::SingleInstance(const QString &rootDirectory, QObject *parent) : QObject(parent)
{
    QDir().mkpath(rootDirectory);
    const QString root = QDir(rootDirectory).canonicalPath();
    m_lock = std::make_unique<QLockFile>(LockFilePath(rootDirectory));
    // Local socket names must be short; the root's digest tells roots apart.
    m_socketName = "sendaro-" + QString::fromLatin1(
        QCryptographicHash::hash(root.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::LockFilePath(const QString &rootDirectory)
{
    return QDir(rootDirectory).canonicalPath() + "/sendaro.lock";
}

bool SingleInstance::Acquire()
{
    // A lock left by a copy that died is taken over (QLockFile checks its process).
    if (!m_lock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(m_socketName);
        if (socket.waitForConnected(kActivationWaitMs)) {
            socket.write("show\n");
            socket.waitForBytesWritten(kActivationWaitMs);
            socket.disconnectFromServer();
        }
        return false;
    }
    m_server = new QLocalServer(this);
    // Holding the lock, any server of that name is a leftover.
    QLocalServer::removeServer(m_socketName);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(m_socketName);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}
