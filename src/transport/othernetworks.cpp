#include "transport/othernetworks.h"

#include "common/hostresolver.h"

#include <cstdio>

namespace corvane {

OtherNetworks::OtherNetworks(HostResolver& resolver, Hooks hooks, QObject* parent)
    : QObject(parent), resolver_(resolver), hooks_(std::move(hooks)),
      pacer_(
          [this](const QByteArray& packet, quint32 address) {
              if (hooks_.send)
                  hooks_.send(packet, QHostAddress(address));
          },
          this) {}

bool OtherNetworks::Elsewhere(quint32 address) const {
    return hooks_.elsewhere && hooks_.elsewhere(QHostAddress(address));
}

void OtherNetworks::SetList(const OtherNetworkList& list) {
    if (list == list_)
        return;
    list_ = list;
    ++generation_;
    const QStringList entries = list_.Texts();
    std::fprintf(stderr, "corvane: other networks asked by unicast: %s\n",
                 entries.isEmpty() ? "none" : qPrintable(entries.join(QStringLiteral(", "))));
    sweptThisRound_ = false;
    pacer_.Queue(UnicastPacer::Lane::Sweep, {}, {}); // what was left of the old list
    Sweep();
}

void OtherNetworks::Spread(const QByteArray& packet, const QByteArray& slot, bool request) {
    // Askers are elsewhere: Asked admits no other, and what is elsewhere
    // stays as it was at the start.
    pacer_.Queue(UnicastPacer::Lane::Peers, packet, askers_.Addresses());
    if (!request)
        return;
    lastRequest_ = packet;
    lastRequestSlot_ = slot;
    if (!sweptThisRound_)
        Sweep();
}

void OtherNetworks::Sweep() {
    if (list_.IsEmpty() || lastRequest_.isEmpty() ||
        (hooks_.listening && !hooks_.listening(lastRequestSlot_)))
        return;
    sweptThisRound_ = true;
    QList<quint32> addresses;
    for (quint32 a : list_.Addresses())
        if (!askers_.Contains(a) && Elsewhere(a)) // an asker had it in its own lane
            addresses.append(a);
    pacer_.Queue(UnicastPacer::Lane::Sweep, lastRequest_, addresses);
    const int generation = generation_;
    for (const QString& name : list_.Names())
        resolver_.Lookup(name, this, [this, generation](const QHostAddress& address) {
            NameFound(address, generation);
        });
}

void OtherNetworks::NameFound(const QHostAddress& address, int generation) {
    if (generation != generation_ || address.protocol() != QAbstractSocket::IPv4Protocol)
        return;
    const quint32 v4 = address.toIPv4Address();
    if (askers_.Contains(v4) || !Elsewhere(v4))
        return;
    pacer_.Queue(UnicastPacer::Lane::Peers, lastRequest_, {v4});
}

bool OtherNetworks::Asked(const QHostAddress& address) {
    if (address.protocol() != QAbstractSocket::IPv4Protocol || !Elsewhere(address.toIPv4Address()))
        return false;
    return askers_.Asked(address.toIPv4Address());
}

void OtherNetworks::Heard(const QHostAddress& address) {
    if (askers_.Count() > 0 && address.protocol() == QAbstractSocket::IPv4Protocol)
        askers_.Heard(address.toIPv4Address());
}

bool OtherNetworks::QueueTo(const QHostAddress& address, const QByteArray& packet) {
    return pacer_.Queue(UnicastPacer::Lane::Peers, packet, {address.toIPv4Address()});
}

void OtherNetworks::NewRound() {
    askers_.NewRound();
    sweptThisRound_ = false;
}

} // namespace corvane
