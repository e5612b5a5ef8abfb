#pragma once
// The datagram network of one computer: one UDP socket on the datagram port
// that carries the packets of every slot (see datagrampacket.h), handing each
// arriving packet to the endpoint open on its slot.
//
// Targets: "*" reaches every computer exactly once, the sender included (a
// copy to the broadcast address of every up IPv4 interface plus one to the own
// computer; a second copy of the same packet is dropped). "." and the own name
// reach the own computer only. Another name is resolved through the addresses
// learned from arriving packets, then through the system resolver. The
// network itself learns nothing: a packet could be anything until the
// endpoint of its slot has checked its frame.
//
// Broadcasts stop at routers: a packet to "*" also goes, paced, to the
// computers on other networks that asked this one, and a presence request to
// the person's list of other networks (othernetworks.h).
#include "common/hostcontext.h"
#include "transport/answerbudget.h"
#include "transport/datagrampacket.h"
#include "transport/othernetworks.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>
#include <deque>

namespace corvane {

// Where a packet came from: the sender's name in its header and its source
// address. Nothing vouches for either; an endpoint learns the address only
// once the frame passed its check.
struct DatagramOrigin {
    QString sender;
    QHostAddress address;
};

// Receives the frames of one slot.
class DatagramSink {
public:
    virtual ~DatagramSink() = default;
    virtual void FrameArrived(const QByteArray& frame, const DatagramOrigin& origin) = 0;
};

class DatagramNetwork : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxDatagram = 60000;
    // A broadcast reaches a computer once per interface (and once through its
    // own copy); the copies come from different source addresses at nearly the
    // same moment. A resend from the same address is no copy: the endpoint's
    // own repeat rule decides about it.
    static constexpr int DuplicateWindowMs = 1000;

    enum class AttachResult { Ok, BadName, AlreadyExists, Failed };
    // Who a packet to "*" reaches beyond the own networks: the remembered
    // askers, and for a presence request also the listed other networks.
    enum class Reach { Peers, Request };

    explicit DatagramNetwork(HostContext& context, QObject* parent = nullptr);
    ~DatagramNetwork() override;

    // Starts receiving the packets of a slot (names compare without letter
    // case). The socket is bound when the first slot attaches and released
    // when the last one detaches.
    AttachResult Attach(const QByteArray& slot, DatagramSink* sink);
    void Detach(const QByteArray& slot, DatagramSink* sink);
    bool IsAttached(const QByteArray& slot) const;

    // Writes one framed datagram to a slot on a target; false when it cannot
    // be sent (too large, unresolvable target, socket error). A broadcast
    // cannot tell whether anyone received it.
    bool Write(const QString& target, const QByteArray& slot, const QByteArray& frame,
               Reach reach = Reach::Peers);
    // Sends raw bytes to an address on the datagram port (tools and tests).
    bool WriteRaw(const QByteArray& bytes, const QHostAddress& address);
    // Writes an answer to the address a request came from, with the name the
    // request gave as the packet's target. Never to a broadcast, multicast or
    // unspecified address; false then.
    bool WriteAnswer(const QString& named, const QHostAddress& source, const QByteArray& slot,
                     const QByteArray& frame);
    // Asks a newly remembered asker on another network back: a request to
    // named at source, paced, paid from the source's budget.
    bool AskBack(const QString& named, const QHostAddress& source, const QByteArray& slot,
                 const QByteArray& frame);
    // A datagram from address passed every check of its endpoint.
    void Heard(const QHostAddress& address) { others_.Heard(address); }
    OtherNetworks& Others() { return others_; }
    // What every source may make this computer answer; it is credited with
    // each packet that reaches an open slot.
    AnswerBudget& Budget() { return budget_; }

    QList<QHostAddress> BroadcastTargets() const { return broadcastTargets_; }
    bool IsBound() const { return socket_.state() == QAbstractSocket::BoundState; }
    HostContext& Context() const { return context_; }

    // Binds the socket without a slot; for tools that watch every packet.
    AttachResult BindForMonitor();

Q_SIGNALS:
    // Every packet that arrives with a valid header, before the target check.
    void PacketSeen(const corvane::DatagramPacket& packet, const QHostAddress& from,
                    bool forThisComputer);

private:
    // Whether an address can stand for one computer (not the broadcast
    // address of any of this computer's interfaces, the limited broadcast,
    // multicast or unspecified).
    bool IsOneComputer(const QHostAddress& address) const;
    // Whether an address is on a network of this computer's interfaces (or
    // is this computer, or a test's simulated neighbour): a broadcast reaches it.
    bool IsOwnNetwork(const QHostAddress& address) const;
    void ReadPending();
    void Deliver(const DatagramPacket& packet, const QHostAddress& from);
    bool IsCopyFromAnotherInterface(const QByteArray& bytes, const QHostAddress& from);
    AttachResult EnsureBound();
    // The encoded packet from this computer; empty when it cannot be encoded.
    QByteArray Packet(const QByteArray& target, const QByteArray& slot,
                      const QByteArray& frame) const;
    QUdpSocket& SendSocket();
    static QString SlotKey(const QByteArray& slot);

    HostContext& context_;
    QUdpSocket socket_;
    QUdpSocket sendSocket_;
    QHash<QString, DatagramSink*> sinks_;
    QList<QHostAddress> broadcastTargets_;
    QList<QHostAddress> interfaceBroadcasts_;    // of this computer's interfaces
    QList<QPair<QHostAddress, int>> ownSubnets_; // of its interfaces, loopback included
    struct Recent {
        size_t hash;
        QByteArray bytes;
        QHostAddress from;
        quint32 tick;
    };
    std::deque<Recent> recent_;
    AnswerBudget budget_;
    OtherNetworks others_;
    bool monitor_ = false;
};

} // namespace corvane
