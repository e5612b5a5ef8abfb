#pragma once
// Sends datagrams to many single addresses without flooding the network or
// the routers on the way: at most PerTick datagrams every TickMs (250 a
// second), by a timer that runs only while something waits. Two lanes: the
// computers already talking to this one go first; the addresses asked once a
// round to find new ones (the sweep) take what is left of each tick.
//
// The peers' lane holds at most MaxQueued addresses in all; what would go
// beyond is dropped, as a broadcast can be lost. The sweep lane holds one
// sweep; a new one replaces what is left of the old.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace corvane {

class UnicastPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int TickMs = 100;
    static constexpr int PerTick = 25;
    static constexpr int MaxQueued = 16384;

    enum class Lane { Peers, Sweep };
    using Send = std::function<void(const QByteArray& packet, quint32 address)>;

    explicit UnicastPacer(Send send, QObject* parent = nullptr);

    // Queues packet for each address; false when it would not fit (nothing
    // queued then). When nothing was being sent, the first datagrams go now.
    bool Queue(Lane lane, const QByteArray& packet, const QList<quint32>& addresses);
    // Sends the next batch; with nothing waiting, the timer stops. Run by the
    // timer (and by tests, which then need no clock).
    void Tick();

    int Waiting(Lane lane) const;
    bool Running() const { return timer_.isActive(); }
    int Sent() const { return sent_; } // since creation

private:
    struct Job {
        QByteArray packet;
        QList<quint32> addresses;
        qsizetype next = 0;
        qsizetype Left() const { return addresses.size() - next; }
    };
    int SendFrom(std::deque<Job>& jobs, int budget);

    Send send_;
    QTimer timer_;
    std::deque<Job> peers_;
    std::deque<Job> sweep_; // at most one
    int peersWaiting_ = 0;
    int sent_ = 0;
};

} // namespace corvane
