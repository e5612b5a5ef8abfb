#pragma once
// Presence beyond the routers. Every datagram that goes to everybody ("*") by
// broadcast also goes by unicast, through the pacer (unicastpacer.h), to the
// computers on other networks that asked this one (remoteaskers.h). A request
// ("WHO_IS_HERE") goes in addition, once a round, to every address of the
// person's list of other networks (othernetworklist.h): the first request of
// each round made while its slot listens here sweeps the list, host names
// through the bounded resolver. A copy on the other side that answers also
// asks back, and so becomes an asker here.
//
// So per round a listed /22 costs at most 1,022 datagrams, and nothing goes to
// an address that was neither listed nor heard asking. Addresses of this
// computer's own networks are never sent to (the broadcast reaches them), nor
// addresses that are no single computer. With an empty list and nobody
// remembered, nothing is sent and nothing wakes.
#include "common/othernetworklist.h"
#include "transport/remoteaskers.h"
#include "transport/unicastpacer.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <functional>

namespace corvane {

class HostResolver;

class OtherNetworks : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const QByteArray& packet, const QHostAddress& to)> send;
        // One computer that is not on a network of this computer.
        std::function<bool(const QHostAddress& address)> elsewhere;
        // Whether the slot of a packet is open here (answers can arrive).
        std::function<bool(const QByteArray& slot)> listening;
    };

    OtherNetworks(HostResolver& resolver, Hooks hooks, QObject* parent = nullptr);

    // A changed list is swept at once when a request was made before and its
    // slot still listens; otherwise with the next request.
    void SetList(const OtherNetworkList& list);
    const OtherNetworkList& List() const { return list_; }

    // A packet went to everybody on slot; request marks a presence request.
    void Spread(const QByteArray& packet, const QByteArray& slot, bool request);
    // A valid presence request came from address; true when that makes it a
    // newly remembered asker, to be asked back.
    bool Asked(const QHostAddress& address);
    // A datagram that passed its checks came from address.
    void Heard(const QHostAddress& address);
    // Queues one packet to one remembered asker (asking it back); the caller
    // has made sure address is one (Askers().Contains).
    bool QueueTo(const QHostAddress& address, const QByteArray& packet);
    // A round of requests begins (the presence timer's request).
    void NewRound();

    const RemoteAskers& Askers() const { return askers_; }
    const UnicastPacer& Pacer() const { return pacer_; }
    UnicastPacer& Pacer() { return pacer_; }

private:
    void Sweep();
    void NameFound(const QHostAddress& address, int generation);
    bool Elsewhere(quint32 address) const;

    HostResolver& resolver_;
    Hooks hooks_;
    OtherNetworkList list_;
    RemoteAskers askers_;
    UnicastPacer pacer_;
    QByteArray lastRequest_;
    QByteArray lastRequestSlot_;
    bool sweptThisRound_ = false;
    int generation_ = 0; // of the list, so late look-ups of an old one are dropped
};

} // namespace corvane
