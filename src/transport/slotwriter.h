#pragma once
// Writes datagrams to a slot without letting the system resolver hold the
// window. A target that resolves at once ("*", ".", this computer, a literal
// address, a name learned from arriving packets) is written now; any other
// name is looked up in the background and its datagrams go, in the order
// given, when the look-up returns (or are dropped when it fails). Frames take
// their sequence prefix when they are handed in.
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <deque>

namespace corvane {

class DatagramNetwork;
class HostContext;

class SlotWriter : public QObject {
    Q_OBJECT
public:
    // Names looked up at once, and datagrams waiting for one name; a write
    // beyond either is dropped (false).
    static constexpr int MaxLookups = 16;
    static constexpr int MaxWaiting = 8192;

    explicit SlotWriter(DatagramNetwork& network, QObject* parent = nullptr);

    // Whether a datagram to target can be written without a name look-up.
    static bool ReachesAtOnce(HostContext& context, const QString& target);

    // False when the datagram cannot go (too large, unknown at once and no
    // room to wait); a broadcast cannot tell whether anyone received it.
    bool Write(const QString& target, const QString& slot, const QByteArray& text);
    int PendingLookups() const { return int(waiting_.size()); }

private:
    struct Waiting {
        QByteArray slot;
        QByteArray frame;
    };
    void LookedUp(const QString& key, const QString& target, const QHostAddress& address);

    DatagramNetwork& network_;
    QHash<QString, std::deque<Waiting>> waiting_; // by upper-case name
};

} // namespace corvane
