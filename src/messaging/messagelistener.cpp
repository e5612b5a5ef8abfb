#include "messaging/messagelistener.h"

#include <QTcpSocket>
#include <QTimer>

namespace corvane {

MessageListener::MessageListener(HostContext& context, QObject* parent)
    : QObject(parent), context_(context) {
    server_.setMaxPendingConnections(MaxConnections);
    connect(&server_, &QTcpServer::newConnection, this, &MessageListener::Accept);
}

MessageListener::~MessageListener() { Close(); }

bool MessageListener::Listen() {
    return server_.listen(context_.network.bindAddress, context_.network.messagePort);
}

void MessageListener::Close() {
    server_.close();
    const auto sockets = connections_.keys();
    for (QTcpSocket* s : sockets)
        Drop(s);
}

void MessageListener::Drop(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end())
        return;
    delete it->idle;
    connections_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void MessageListener::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (connections_.size() >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        Connection c;
        c.idle = new QTimer;
        c.idle->setSingleShot(true);
        c.idle->setInterval(context_.timings.receiveIdleMs);
        connect(c.idle, &QTimer::timeout, this, [this, socket] { Drop(socket); });
        c.idle->start();
        connections_.insert(socket, c);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            auto it = connections_.find(socket);
            if (it == connections_.end())
                return;
            it->idle->start();
            const qint64 room = MaxRecordBytes - it->data.size();
            if (socket->bytesAvailable() > room) {
                Drop(socket); // too large: nothing of it is filed
                return;
            }
            it->data.append(socket->readAll());
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            auto it = connections_.find(socket);
            if (it == connections_.end())
                return;
            it->data.append(socket->readAll());
            const QByteArray record = it->data;
            const QHostAddress from = socket->peerAddress();
            Drop(socket);
            if (!record.isEmpty() && record.size() <= MaxRecordBytes)
                Q_EMIT RecordArrived(record, from);
        });
    }
}

} // namespace corvane
