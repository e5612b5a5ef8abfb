#pragma once
// A slot endpoint: listens on one slot name of this computer and hands each
// arriving datagram to the event loop, one at a time and in arrival order.
// While a handler of an endpoint runs (also while it pumps the event loop) no
// further datagram of that endpoint is delivered; datagrams of other endpoints
// are. TmdCustomSecureMail adds the frame check (datagramframe.h) and drops an
// exact repeat of the last datagram it accepted.
//
// Waiting datagrams queue per source address and are taken from the sources
// in turn, each source's in arrival order: a host that floods the endpoint
// delays another host's datagram by at most one of its own. Beyond MaxWaiting
// the oldest datagram of the longest queue goes.
#include "common/errors.h"
#include "transport/datagramnetwork.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

namespace corvane {

class EmdMailSlot : public AppError {
public:
    using AppError::AppError;
};

namespace MailSlotErrors {
inline const QString BadName = QStringLiteral("Bad mailslot name");
inline const QString AlreadyExists = QStringLiteral("Mailslot allready exists");
inline const QString CannotOpen = QStringLiteral("Cannot open mailslot");
inline const QString NotActive = QStringLiteral("Not active");
inline const QString InfoFailed = QStringLiteral("Error in GetMailSlotInfo");
inline const QString NoMessages = QStringLiteral("No messages waiting");
inline const QString ReadFailed = QStringLiteral("Error reading message");
} // namespace MailSlotErrors

class TmdCustomMailSlot : public QObject, protected DatagramSink {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(TmdCustomMailSlot* sender)>;
    using TmsMessageAvail = std::function<void(TmdCustomMailSlot* sender, const QByteArray& msg)>;
    // Datagrams waiting beyond this are dropped, the oldest of the source
    // with the most waiting first.
    static constexpr size_t MaxWaiting = 1024;

    explicit TmdCustomMailSlot(DatagramNetwork& network, QObject* parent = nullptr);
    ~TmdCustomMailSlot() override;

    void Open();
    void Close();
    bool Active() const { return active_; }

    QString Server() const { return server_; }
    void SetServer(const QString& server);
    // Until set explicitly, Slot follows the object's name.
    QString Slot() const { return slot_; }
    void SetSlot(const QString& slot);
    quint32 MaxSize() const { return maxSize_; }
    void SetMaxSize(quint32 maxSize);

    // The next waiting datagram, whole: the next source's oldest.
    QByteArray ReadNext();
    // Datagrams waiting to be handed over.
    size_t Waiting() const { return waitingCount_; }
    // Where the datagram being handed over came from (in OnMessageAvail);
    // empty otherwise.
    const DatagramOrigin& CurrentOrigin() const { return current_; }

    NotifyEvent OnOpen;
    NotifyEvent OnClose;
    TmsMessageAvail OnMessageAvail;

protected:
    virtual void DoOpen();
    virtual void DoClose();
    virtual void DoMessageAvail(const QByteArray& msg);
    [[noreturn]] virtual void RaiseError(const QString& msg);

    void FrameArrived(const QByteArray& frame, const DatagramOrigin& origin) override;
    DatagramNetwork& Network() const { return network_; }

private:
    void Reopen();
    void ScheduleDelivery();
    void DeliverNext();
    QByteArray SlotBytes() const;

    DatagramNetwork& network_;
    bool active_ = false;
    quint32 maxSize_ = 0;
    QString server_ = QStringLiteral(".");
    QString slot_;
    QByteArray attachedSlot_;
    bool slotSet_ = false;
    void ClearWaiting();
    void DropFromLongest();

    struct Arrived {
        QByteArray frame;
        DatagramOrigin origin;
    };
    // Per source address; turn_ holds every source with a datagram waiting,
    // the next one to be served first.
    QHash<QHostAddress, std::deque<Arrived>> waiting_;
    std::deque<QHostAddress> turn_;
    size_t waitingCount_ = 0;
    DatagramOrigin current_;
    bool delivering_ = false;
    bool holding_ = false;
    bool scheduled_ = false;
};

class TmdCustomSecureMail : public TmdCustomMailSlot {
    Q_OBJECT
public:
    using DatagramEvent =
        std::function<void(TmdCustomMailSlot* sender, const QByteArray& datagram)>;
    using TmdCustomMailSlot::TmdCustomMailSlot;

    DatagramEvent OnError;
    NotifyEvent OnDuplicated;
    const std::optional<QByteArray>& LastDatagram() const { return lastDatagram_; }

protected:
    void DoMessageAvail(const QByteArray& datagram) override;
    virtual void DoError(const QByteArray& datagram);
    virtual void DoDuplicated();

private:
    std::optional<QByteArray> lastDatagram_;
};

class TmdSecureMail : public TmdCustomSecureMail {
    Q_OBJECT
public:
    using TmdCustomSecureMail::TmdCustomSecureMail;
};

// Frames a text (prefix taken now) and writes it to a slot on a target.
bool SendDatagram(DatagramNetwork& network, const QString& target, const QString& slot,
                  const QByteArray& text);
// Writes one datagram as it is; true when it went out whole.
bool WriteSlot(DatagramNetwork& network, const QString& target, const QString& slot,
               const QByteArray& data);

} // namespace corvane
