#pragma once
// Writes datagrams to a slot without letting the system resolver hold the
// window. A target that resolves at once ("*", ".", this computer, a literal
// address, a name learned from arriving packets) is written now; any other
// name is looked up in the background and its datagrams go, in the order
// given, when the look-up returns (or are dropped when it fails). How many
// names wait is bounded by the resolver alone (hostresolver.h): beyond its
// bounds it answers "unknown" at once. Frames take their sequence prefix when
// they are handed in.
#include "transport/datagramnetwork.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <deque>

namespace corvane {

class HostContext;

class SlotWriter : public QObject {
    Q_OBJECT
public:
    // Datagrams waiting for one name; a write beyond is dropped (false).
    static constexpr int MaxWaiting = 8192;

    explicit SlotWriter(DatagramNetwork& network, QObject* parent = nullptr);

    // False when the datagram cannot go (too large, no room to wait); a
    // broadcast cannot tell whether anyone received it. reach: who a
    // broadcast reaches beyond the own networks (DatagramNetwork::Write).
    bool Write(const QString& target, const QString& slot, const QByteArray& text,
               DatagramNetwork::Reach reach = DatagramNetwork::Reach::Peers);

private:
    struct Waiting {
        QByteArray slot;
        QByteArray frame;
        DatagramNetwork::Reach reach;
    };
    // Whether a datagram to target can be written without a name look-up.
    static bool ReachesAtOnce(HostContext& context, const QString& target);
    void LookedUp(const QString& key, const QString& target, const QHostAddress& address);

    DatagramNetwork& network_;
    QHash<QString, std::deque<Waiting>> waiting_; // by upper-case name
};

} // namespace corvane
