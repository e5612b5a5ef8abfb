#include "transport/datagramnetwork.h"

#include "common/ansicodec.h"
#include "transport/datagramframe.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <algorithm>
#include <cstdio>

namespace corvane {
namespace {

constexpr size_t MaxRecent = 64;

// The broadcast address of every up IPv4 interface that has one, and the
// subnets of every up interface (loopback too).
void DiscoverInterfaces(QList<QHostAddress>* broadcasts, QList<QPair<QHostAddress, int>>* subnets) {
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp))
            continue;
        const bool broadcasting =
            (flags & QNetworkInterface::CanBroadcast) && !(flags & QNetworkInterface::IsLoopBack);
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            subnets->append({entry.ip(), std::max(0, entry.prefixLength())});
            const QHostAddress broadcast = entry.broadcast();
            if (broadcasting && !broadcast.isNull() && !broadcasts->contains(broadcast))
                broadcasts->append(broadcast);
        }
    }
}

} // namespace

DatagramNetwork::DatagramNetwork(HostContext& context, QObject* parent)
    : QObject(parent), context_(context),
      others_(context.resolver,
              {[this](const QByteArray& packet, const QHostAddress& to) { WriteRaw(packet, to); },
               [this](const QHostAddress& a) { return IsOneComputer(a) && !IsOwnNetwork(a); },
               [this](const QByteArray& slot) { return IsAttached(slot); }},
              this) {
    broadcastTargets_ = context.network.broadcastTargets;
    if (context.network.discoverBroadcasts)
        DiscoverInterfaces(&interfaceBroadcasts_, &ownSubnets_);
    for (const QHostAddress& a : interfaceBroadcasts_)
        if (!broadcastTargets_.contains(a))
            broadcastTargets_.append(a);
    connect(&socket_, &QUdpSocket::readyRead, this, &DatagramNetwork::ReadPending);
}

DatagramNetwork::~DatagramNetwork() = default;

QString DatagramNetwork::SlotKey(const QByteArray& slot) {
    return FromAnsi(slot).toUpper();
}

DatagramNetwork::AttachResult DatagramNetwork::EnsureBound() {
    if (IsBound())
        return AttachResult::Ok;
    const auto& net = context_.network;
    if (!socket_.bind(net.bindAddress, net.datagramPort, QAbstractSocket::DontShareAddress)) {
        const auto error = socket_.error();
        socket_.close();
        return error == QAbstractSocket::AddressInUseError ? AttachResult::AlreadyExists
                                                           : AttachResult::Failed;
    }
    QStringList targets;
    for (const QHostAddress& a : broadcastTargets_)
        targets.append(a.toString());
    std::fprintf(stderr, "corvane: datagrams on %s:%u, broadcasts to %s and %s\n",
                 qPrintable(net.bindAddress.toString()), unsigned(net.datagramPort),
                 targets.isEmpty() ? "no interface"
                                   : qPrintable(targets.join(QStringLiteral(", "))),
                 qPrintable(net.selfAddress.toString()));
    return AttachResult::Ok;
}

DatagramNetwork::AttachResult DatagramNetwork::BindForMonitor() {
    monitor_ = true;
    return EnsureBound();
}

DatagramNetwork::AttachResult DatagramNetwork::Attach(const QByteArray& slot, DatagramSink* sink) {
    if (slot.isEmpty() || slot.size() > 255 || !sink)
        return AttachResult::BadName;
    const QString key = SlotKey(slot);
    if (sinks_.contains(key))
        return AttachResult::AlreadyExists;
    const AttachResult bound = EnsureBound();
    if (bound != AttachResult::Ok)
        return bound;
    sinks_.insert(key, sink);
    return AttachResult::Ok;
}

void DatagramNetwork::Detach(const QByteArray& slot, DatagramSink* sink) {
    const QString key = SlotKey(slot);
    auto it = sinks_.find(key);
    if (it != sinks_.end() && it.value() == sink)
        sinks_.erase(it);
    if (sinks_.isEmpty() && !monitor_)
        socket_.close();
}

bool DatagramNetwork::IsAttached(const QByteArray& slot) const {
    return sinks_.contains(SlotKey(slot));
}

QUdpSocket& DatagramNetwork::SendSocket() {
    if (IsBound())
        return socket_;
    if (sendSocket_.state() != QAbstractSocket::BoundState)
        sendSocket_.bind(context_.network.bindAddress, 0);
    return sendSocket_;
}

QByteArray DatagramNetwork::Packet(const QByteArray& target, const QByteArray& slot,
                                   const QByteArray& frame) const {
    DatagramPacket packet;
    packet.target = target;
    packet.sender = ToAnsi(context_.LocalComputerName());
    packet.slot = slot;
    packet.frame = frame;
    return packet.Encode();
}

bool DatagramNetwork::WriteRaw(const QByteArray& bytes, const QHostAddress& address) {
    if (bytes.size() > MaxDatagram || address.isNull())
        return false;
    return SendSocket().writeDatagram(bytes, address, context_.network.datagramPort) ==
           bytes.size();
}

bool DatagramNetwork::Write(const QString& target, const QByteArray& slot, const QByteArray& frame,
                            Reach reach) {
    const QString self = context_.LocalComputerName();
    const bool toSelf =
        target == QLatin1String(".") || target.compare(self, Qt::CaseInsensitive) == 0;
    // A literal address reaches that computer whatever its name is.
    const bool address = QHostAddress(target).protocol() == QAbstractSocket::IPv4Protocol;
    const QByteArray bytes =
        Packet(address ? QByteArray("*") : ToAnsi(toSelf ? self : target), slot, frame);
    if (bytes.isEmpty() || bytes.size() > MaxDatagram)
        return false;
    if (target == QLatin1String("*")) {
        bool any = WriteRaw(bytes, context_.network.selfAddress);
        for (const QHostAddress& a : broadcastTargets_)
            any = WriteRaw(bytes, a) || any;
        // Only while answers can arrive here.
        if (IsAttached(slot))
            others_.Spread(bytes, slot, reach == Reach::Request);
        return any;
    }
    if (toSelf)
        return WriteRaw(bytes, context_.network.selfAddress);
    return WriteRaw(bytes, context_.resolver.Resolve(target));
}

bool DatagramNetwork::IsOneComputer(const QHostAddress& address) const {
    if (address.isNull() || address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    const quint32 v4 = address.toIPv4Address();
    return v4 != 0 && v4 != 0xFFFFFFFFu && !address.isMulticast() &&
           !interfaceBroadcasts_.contains(address);
}

bool DatagramNetwork::IsOwnNetwork(const QHostAddress& address) const {
    const auto& net = context_.network;
    if (address == net.selfAddress || address == net.bindAddress ||
        broadcastTargets_.contains(address))
        return true;
    for (const auto* subnets : {&ownSubnets_, &net.ownSubnets})
        for (const auto& [ip, prefix] : *subnets)
            if (address.isInSubnet(ip, prefix))
                return true;
    return false;
}

bool DatagramNetwork::AskBack(const QString& named, const QHostAddress& source,
                              const QByteArray& slot, const QByteArray& frame) {
    if (!others_.Askers().Contains(source.toIPv4Address()))
        return false;
    const QByteArray bytes = Packet(ToAnsi(named), slot, frame);
    return !bytes.isEmpty() && budget_.Spend(source, frame.size()) &&
           others_.QueueTo(source, bytes);
}

bool DatagramNetwork::WriteAnswer(const QString& named, const QHostAddress& source,
                                  const QByteArray& slot, const QByteArray& frame) {
    if (!IsOneComputer(source))
        return false;
    // A requester named by its address does not know its name: everybody.
    const QByteArray bytes =
        Packet(QHostAddress(named).isNull() ? ToAnsi(named) : QByteArray("*"), slot, frame);
    return !bytes.isEmpty() && WriteRaw(bytes, source);
}

bool DatagramNetwork::IsCopyFromAnotherInterface(const QByteArray& bytes,
                                                 const QHostAddress& from) {
    const quint32 now = TickCount();
    while (!recent_.empty() && now - recent_.front().tick > quint32(DuplicateWindowMs))
        recent_.pop_front();
    const size_t hash = qHash(bytes);
    for (const Recent& r : recent_)
        if (r.hash == hash && r.from != from && r.bytes == bytes)
            return true;
    recent_.push_back({hash, bytes, from, now});
    if (recent_.size() > MaxRecent)
        recent_.pop_front();
    return false;
}

void DatagramNetwork::ReadPending() {
    // Bounded per notification, so a flood cannot hold the event loop.
    for (int n = 0; n < 256 && socket_.hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = socket_.receiveDatagram(MaxDatagram + 1024);
        const QByteArray bytes = datagram.data();
        auto packet = DatagramPacket::Decode(bytes);
        if (!packet)
            continue;
        QHostAddress from = datagram.senderAddress();
        if (from.protocol() == QAbstractSocket::IPv6Protocol) {
            bool ok = false;
            const quint32 v4 = from.toIPv4Address(&ok);
            if (ok)
                from = QHostAddress(v4);
        }
        if (IsCopyFromAnotherInterface(bytes, from))
            continue;
        Deliver(*packet, from);
    }
    // What is left comes with the next read notification: the socket's
    // notifier fires again while data waits. (Reading it from a queued call
    // instead can empty the socket before a notification that Qt already
    // holds, and then Qt stops notifying for good.)
}

void DatagramNetwork::Deliver(const DatagramPacket& packet, const QHostAddress& from) {
    const QString sender = FromAnsi(packet.sender);
    const QString target = FromAnsi(packet.target);
    const bool forUs = target == QLatin1String("*") ||
                       target.compare(context_.LocalComputerName(), Qt::CaseInsensitive) == 0;
    Q_EMIT PacketSeen(packet, from, forUs);
    if (!forUs)
        return;
    if (DatagramSink* sink = sinks_.value(SlotKey(packet.slot))) {
        budget_.Received(from, packet.frame.size());
        sink->FrameArrived(packet.frame, DatagramOrigin{sender, from});
    }
}

} // namespace corvane
