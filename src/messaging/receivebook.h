#pragma once
// The message port's book of connections: which are read now, which wait
// unread, what each has brought, and which to drop when the port is abused.
// It holds no sockets: the listener (messagelistener.h) does what each call
// returns, and the book is driven the same way by tests and the fuzzer.
//
// Shares between source addresses:
//   - Reading: at most MaxReading connections are read at once, at most
//     MaxReadingPerAddress of them from one address. The others wait unread:
//     the system holds what their senders wrote, so a sender that writes and
//     closes without waiting loses nothing. Waiting ones are read in turn,
//     the address that reads the fewest first. When one waits from an
//     address that reads fewer than the busiest address by two, the busiest
//     one's connection with the least recent progress stops reading (it is
//     dropped instead when it is stalled).
//   - Held bytes: at most MaxBufferedBytes in all. An address within its fair
//     share (MaxBufferedBytes over the addresses that read or hold bytes)
//     reads on: room is made by dropping a stalled connection of an address
//     over its share. Otherwise a connection pauses until there is room.
//   - Rate: a connection that is read must bring MinBytesPerWindow in every
//     rate window (5 s as installed) while it is read, or end; it is dropped
//     otherwise.
//   - Time: no data for the idle time while read, or no whole record within
//     the record time from its accept, and it is dropped.
//   - Slots: MaxHeld connections in all. Beyond that the listener accepts
//     only to see who waits (up to MaxHeldHard); a connection from another
//     address than the one with the most makes that one drop its newest.
//
// A dropped connection is reset by the listener and nothing of it is filed.
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QHostAddress>
#include <map>
#include <vector>

namespace corvane {

class ReceiveBook {
public:
    static constexpr qint64 MaxRecordBytes = 16 * 1024 * 1024;
    static constexpr qint64 MaxBufferedBytes = 32 * 1024 * 1024;
    static constexpr qint64 ReadChunk = 64 * 1024;
    static constexpr int MaxReading = 64;
    static constexpr int MaxReadingPerAddress = 8;
    static constexpr int MaxHeld = 320;
    static constexpr int MaxHeldHard = 352;
    static constexpr qint64 MinBytesPerWindow = 5 * 1024;
    static constexpr qint64 StallMs = 1000; // no data this long while read

    enum class Step { Read, Stop, Drop };
    struct Action {
        Step step;
        quint64 id;
        bool operator==(const Action&) const = default;
    };
    using Actions = std::vector<Action>;

    struct Times {
        qint64 idleMs = 60000;      // no data while read
        qint64 recordMs = 60000;    // from the accept to the sender's end
        qint64 rateWindowMs = 5000; // MinBytesPerWindow in each, while read
    };
    explicit ReceiveBook(Times times) : times_(times) {}

    // A connection was accepted (ids grow with every accept).
    Actions Accepted(quint64 id, const QHostAddress& from, qint64 now);
    bool MayAccept() const { return int(conns_.size()) < MaxHeldHard; }
    // How many bytes a connection that is read may take now; 0 when it has to
    // pause (then the actions stop it). May drop others to make room.
    qint64 Room(quint64 id, qint64 now, Actions& actions);
    // Bytes a connection brought; a record over MaxRecordBytes is dropped.
    Actions Received(quint64 id, QByteArrayView bytes, qint64 now);
    // The sender's orderly close; an empty connection is dropped. A record
    // that ended waits in the book until Remove.
    Actions Ended(quint64 id, qint64 now);
    // The listener is done with a connection (filed or reset).
    Actions Remove(quint64 id, qint64 now);
    // Timeouts and rates; call now and then while connections exist.
    Actions Tick(qint64 now);

    bool Contains(quint64 id) const { return conns_.count(id) > 0; }
    bool IsEnded(quint64 id) const;
    bool IsReading(quint64 id) const;
    const QByteArray& Data(quint64 id) const;
    QHostAddress From(quint64 id) const;
    int Connections() const { return int(conns_.size()); }
    int Reading() const { return reading_; }
    qint64 Buffered() const { return buffered_; }
    int ReadingFrom(const QHostAddress& from) const { return addresses_.value(from).reading; }

private:
    enum class State { Waiting, Reading, Paused, Ended };
    struct Conn {
        QHostAddress from;
        QByteArray data;
        State state = State::Waiting;
        qint64 acceptedAt = 0;
        qint64 lastData = 0; // last progress, or when reading (re)started
        qint64 windowStart = 0;
        qint64 windowBytes = 0;
    };
    struct Address {
        int connections = 0;
        int reading = 0; // Reading or Paused: holds a reading slot
        qint64 held = 0;
    };
    void SetState(quint64 id, Conn& c, State state, qint64 now, Actions& actions);
    void Drop(quint64 id, Actions& actions);
    void Schedule(qint64 now, Actions& actions);
    bool PromoteOne(qint64 now, Actions& actions);
    bool PreemptOne(qint64 now, Actions& actions);
    void ResumePaused(qint64 now, Actions& actions);
    void MakeRoomForNewcomer(const QHostAddress& newcomer, Actions& actions);
    quint64 LeastProgress(const QHostAddress& from, bool waitingFirst) const;
    qint64 FairShare() const;
    bool MayTake(const Conn& c, qint64 chunk) const;

    Times times_;
    std::map<quint64, Conn> conns_; // in the order they were accepted
    QHash<QHostAddress, Address> addresses_;
    int reading_ = 0;
    qint64 buffered_ = 0;
};

} // namespace corvane
