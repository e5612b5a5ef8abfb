#include "transport/unicastpacer.h"

namespace corvane {

UnicastPacer::UnicastPacer(Send send, QObject* parent) : QObject(parent), send_(std::move(send)) {
    timer_.setInterval(TickMs);
    connect(&timer_, &QTimer::timeout, this, &UnicastPacer::Tick);
}

bool UnicastPacer::Queue(Lane lane, const QByteArray& packet, const QList<quint32>& addresses) {
    if (addresses.isEmpty()) {
        if (lane == Lane::Sweep)
            sweep_.clear(); // an empty sweep ends the one under way
        return true;
    }
    if (lane == Lane::Peers) {
        if (peersWaiting_ + addresses.size() > MaxQueued)
            return false;
        peers_.push_back({packet, addresses});
        peersWaiting_ += int(addresses.size());
    } else {
        sweep_.clear();
        sweep_.push_back({packet, addresses});
    }
    // The timer stops only at a tick that found nothing to send, so a batch
    // sent now comes at least one tick after the last one.
    if (!timer_.isActive()) {
        Tick();
        timer_.start();
    }
    return true;
}

int UnicastPacer::SendFrom(std::deque<Job>& jobs, int budget) {
    int sent = 0;
    while (sent < budget && !jobs.empty()) {
        Job& job = jobs.front();
        while (sent < budget && job.Left() > 0) {
            send_(job.packet, job.addresses[job.next++]);
            ++sent;
        }
        if (job.Left() == 0)
            jobs.pop_front();
    }
    return sent;
}

void UnicastPacer::Tick() {
    if (peers_.empty() && sweep_.empty()) {
        timer_.stop();
        return;
    }
    const int peers = SendFrom(peers_, PerTick);
    peersWaiting_ -= peers;
    const int swept = SendFrom(sweep_, PerTick - peers);
    sent_ += peers + swept;
}

int UnicastPacer::Waiting(Lane lane) const {
    if (lane == Lane::Peers)
        return peersWaiting_;
    return sweep_.empty() ? 0 : int(sweep_.front().Left());
}

} // namespace corvane
