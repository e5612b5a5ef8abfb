#include "app/singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

namespace corvane {

SingleInstance::SingleInstance(const QString& name, const QString& dir, QObject* parent)
    : QObject(parent), lockPath_(dir + QLatin1Char('/') + name + QStringLiteral(".lock")),
      socketPath_(dir + QLatin1Char('/') + name + QStringLiteral(".socket")) {
    QDir().mkpath(dir);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > 64)
                        socket->abort();
                    return;
                }
                const QByteArray line = socket->readLine(64).trimmed();
                if (line == "RESTORE") {
                    socket->write("OK\n");
                    socket->flush();
                    // Later, not inside this socket's handler: the restore may
                    // show a box and wait for the person, while the asking
                    // copy ends and its socket goes.
                    QMetaObject::invokeMethod(
                        this, [this] { Q_EMIT RestoreRequested(); }, Qt::QueuedConnection);
                }
                socket->disconnectFromServer();
            });
        }
    });
}

SingleInstance::~SingleInstance() {
    server_.close();
    if (lock_)
        lock_->unlock();
}

QString SingleInstance::DefaultDirectory() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/corvane-") + QString::number(getuid());
    return dir;
}

bool SingleInstance::TryBecomeFirst() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    lock_->setStaleLockTime(0); // a lock of a dead process is taken over
    if (lock_->tryLock(0))
        return true;
    lock_.reset();
    return false;
}

bool SingleInstance::Listen() {
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    return server_.listen(socketPath_);
}

bool SingleInstance::AskFirstToRestore(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write("RESTORE\n");
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine(64).trimmed() == "OK";
}

} // namespace corvane
