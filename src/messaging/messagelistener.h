#pragma once
// The message port's listener. A connection's bytes are gathered until the
// sender closes it and only then taken as one record, so a record that
// arrives in many pieces is still one message. Limits: MaxRecordBytes per
// record, MaxConnections at once, the context's idle time without data;
// beyond a limit the connection is closed and nothing of it is handed on.
#include "common/hostcontext.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

namespace corvane {

class MessageListener : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxRecordBytes = 16 * 1024 * 1024;
    static constexpr int MaxConnections = 64;

    explicit MessageListener(HostContext& context, QObject* parent = nullptr);
    ~MessageListener() override;

    // False with the reason in ErrorString() when the port cannot be had.
    bool Listen();
    void Close();
    bool IsListening() const { return server_.isListening(); }
    QString ErrorString() const { return server_.errorString(); }
    int OpenConnections() const { return int(connections_.size()); }

Q_SIGNALS:
    // One whole record, received from a sender that closed its connection.
    void RecordArrived(const QByteArray& record, const QHostAddress& from);

private:
    struct Connection {
        QByteArray data;
        QTimer* idle = nullptr;
        bool overflow = false;
    };
    void Accept();
    void Drop(QTcpSocket* socket);

    HostContext& context_;
    QTcpServer server_;
    QHash<QTcpSocket*, Connection> connections_;
};

} // namespace corvane
