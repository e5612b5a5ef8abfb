#pragma once
// The message port's listener.
//
// A connection carries one record. Its bytes are gathered until the sender's
// orderly close (its half-close), and only then taken as one record, so a
// record that arrives in many pieces is still one message. The record is
// handed on with RecordArrived; once the handlers have returned it counts as
// filed and the listener closes its side of the connection in order, which is
// what the sender counts as delivered. A connection that is not filed is
// reset, so its sender learns that it failed:
//   - the sender reset it, or any socket error, before its orderly close;
//   - the record is longer than MaxRecordBytes;
//   - no data for the context's idle time, or no whole record within the
//     context's record time, counted from the connection's start;
//   - MaxConnectionsPerAddress connections from the same address are open;
//   - a handler called RefuseCurrent().
// Beyond MaxConnections at once the listener stops accepting: further
// connections wait in the system's listen queue (their senders' own time runs)
// until a slot is free. Reading pauses for all but the oldest connection while
// more than MaxBufferedBytes are held, so memory stays bounded.
//
// Records are handed on one at a time, in the order their connections ended;
// a record that ends while a handler runs (also while it runs the event loop)
// waits until that handler has returned.
#include "common/hostcontext.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <deque>
#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace corvane {

class TcpStream;

class MessageListener : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxRecordBytes = 16 * 1024 * 1024;
    static constexpr int MaxConnections = 64;
    static constexpr int MaxConnectionsPerAddress = 8;
    static constexpr qint64 MaxBufferedBytes = 32 * 1024 * 1024;

    explicit MessageListener(HostContext& context, QObject* parent = nullptr);
    ~MessageListener() override;

    // False with the reason in ErrorString() when the port cannot be had.
    bool Listen();
    void Close();
    bool IsListening() const { return listenFd_ >= 0; }
    QString ErrorString() const { return error_; }
    int OpenConnections() const { return int(connections_.size()); }
    // Records whose connection ended and that wait for their turn.
    int WaitingRecords() const { return int(finished_.size()); }
    qint64 BufferedBytes() const { return buffered_; }

    // Called from a RecordArrived handler: the record is not filed, and its
    // sender is told so by a reset.
    void RefuseCurrent() { refused_ = true; }

Q_SIGNALS:
    // One whole record, from a sender that ended its connection in order.
    void RecordArrived(const QByteArray& record, const QHostAddress& from);

private:
    struct Connection {
        quint64 serial = 0;
        std::unique_ptr<TcpStream> stream;
        QHostAddress from;
        QByteArray data;
        QTimer* idle = nullptr;
        QTimer* whole = nullptr;
        bool paused = false;
        bool ended = false;
        ~Connection();
    };
    void AcceptPending();
    void ReadFrom(quint64 serial);
    void Drop(quint64 serial); // reset, nothing filed
    void Finish(quint64 serial, bool filed);
    void HandNext();
    void ResumeReading();
    bool IsOldestReading(quint64 serial) const;

    HostContext& context_;
    int listenFd_ = -1;
    QSocketNotifier* acceptNotifier_ = nullptr;
    QString error_;
    std::map<quint64, std::unique_ptr<Connection>> connections_;
    QHash<QHostAddress, int> perAddress_;
    std::deque<quint64> finished_;
    quint64 nextSerial_ = 1;
    qint64 buffered_ = 0;
    bool handing_ = false;
    bool handScheduled_ = false;
    bool refused_ = false;
};

} // namespace corvane
