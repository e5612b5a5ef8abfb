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
//   - the book of connections dropped it (receivebook.h): a record over the
//     size limit, too slow a sender, a timeout, or room made for another
//     address when one address holds more than its share;
//   - a handler called RefuseCurrent().
// Which connections are read, which wait unread (their bytes held by the
// system) and how the held bytes are shared between source addresses is the
// book's to say; the listener does what it says.
//
// Records are handed on one at a time, in the order their connections ended;
// a record that ends while a handler runs (also while it runs the event loop)
// waits until that handler has returned.
//
// Filed records are made durable by the commit function before their senders
// are told. One commit covers every record filed since the one before: it
// comes when no record waits any more (after GroupWaitMs when other
// connections are still being read, so that they can join), or after
// MaxGroupRecords or MaxGroupMs. A lone record is answered at once, and a
// burst costs few commits. A commit that fails resets the connections of its
// records.
#include "common/hostcontext.h"
#include "messaging/receivebook.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace corvane {

class TcpStream;

class MessageListener : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxRecordBytes = ReceiveBook::MaxRecordBytes;
    static constexpr qint64 MaxBufferedBytes = ReceiveBook::MaxBufferedBytes;
    static constexpr size_t MaxGroupRecords = 256;
    static constexpr qint64 MaxGroupMs = 100;
    static constexpr int GroupWaitMs = 2;

    explicit MessageListener(HostContext& context, QObject* parent = nullptr);
    ~MessageListener() override;

    // False with the reason in ErrorString() when the port cannot be had.
    bool Listen();
    void Close();
    bool IsListening() const { return listenFd_ >= 0; }
    QString ErrorString() const { return error_; }
    int OpenConnections() const { return int(streams_.size()); }
    // Connections being read now (the others wait unread or ended).
    // Records whose connection ended and that wait for their turn.
    int WaitingRecords() const { return int(finished_.size()); }
    qint64 BufferedBytes() const { return book_.Buffered(); }

    // Called from a RecordArrived handler: the record is not filed, and its
    // sender is told so by a reset.
    void RefuseCurrent() { refused_ = true; }
    // Makes what the handlers filed durable; true when it is. Without one,
    // a record counts as delivered once its handlers have returned.
    void SetCommit(std::function<bool()> commit) { commit_ = std::move(commit); }

Q_SIGNALS:
    // One whole record, from a sender that ended its connection in order.
    void RecordArrived(const QByteArray& record, const QHostAddress& from);

private:
    void AcceptPending();
    void ReadFrom(quint64 serial);
    void Apply(const ReceiveBook::Actions& actions);
    void Forget(quint64 serial); // reset, nothing filed
    void Finish(quint64 serial, bool filed);
    void CommitFiled(); // tells the senders of the filed records
    void HandNext();
    void ScheduleHand();
    void Tick();
    void EnableAccepting();
    qint64 Now() const { return clock_.elapsed(); }

    HostContext& context_;
    ReceiveBook book_;
    QElapsedTimer clock_;
    QTimer* ticker_ = nullptr;
    int listenFd_ = -1;
    QSocketNotifier* acceptNotifier_ = nullptr;
    QString error_;
    std::map<quint64, std::unique_ptr<TcpStream>> streams_;
    QByteArray readBuffer_; // each read goes here, then into the book
    std::deque<quint64> finished_;
    std::vector<quint64> filed_; // handed and filed, waiting for the commit
    qint64 firstFiledAt_ = 0;
    QTimer* groupTimer_ = nullptr;
    std::function<bool()> commit_;
    quint64 nextSerial_ = 1;
    bool handing_ = false;
    bool handScheduled_ = false;
    bool refused_ = false;
};

} // namespace corvane
