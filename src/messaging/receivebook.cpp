#include "messaging/receivebook.h"

#include <algorithm>
#include <limits>

namespace corvane {
namespace {
const QByteArray NoData;
}

bool ReceiveBook::IsEnded(quint64 id) const {
    const auto it = conns_.find(id);
    return it != conns_.end() && it->second.state == State::Ended;
}

bool ReceiveBook::IsReading(quint64 id) const {
    const auto it = conns_.find(id);
    return it != conns_.end() && it->second.state == State::Reading;
}

const QByteArray& ReceiveBook::Data(quint64 id) const {
    const auto it = conns_.find(id);
    return it == conns_.end() ? NoData : it->second.data;
}

QHostAddress ReceiveBook::From(quint64 id) const {
    const auto it = conns_.find(id);
    return it == conns_.end() ? QHostAddress() : it->second.from;
}

void ReceiveBook::SetState(quint64 id, Conn& c, State state, qint64 now, Actions& actions) {
    const auto holdsSlot = [](State s) { return s == State::Reading || s == State::Paused; };
    Address& a = addresses_[c.from];
    const int delta = int(holdsSlot(state)) - int(holdsSlot(c.state));
    a.reading += delta;
    reading_ += delta;
    const bool wasReading = c.state == State::Reading;
    c.state = state;
    if (state == State::Reading && !wasReading) {
        // A fresh start: time spent unread is not the sender's.
        c.lastData = c.windowStart = now;
        c.windowBytes = 0;
        actions.push_back({Step::Read, id});
    } else if (state != State::Reading && wasReading) {
        actions.push_back({Step::Stop, id});
    }
}

void ReceiveBook::Drop(quint64 id, Actions& actions) {
    const auto it = conns_.find(id);
    if (it == conns_.end())
        return;
    Conn& c = it->second;
    Address& a = addresses_[c.from];
    if (c.state == State::Reading || c.state == State::Paused) {
        --a.reading;
        --reading_;
    }
    a.held -= c.data.size();
    buffered_ -= c.data.size();
    if (--a.connections <= 0)
        addresses_.remove(c.from);
    conns_.erase(it);
    actions.push_back({Step::Drop, id});
}

ReceiveBook::Actions ReceiveBook::Accepted(quint64 id, const QHostAddress& from, qint64 now) {
    Actions actions;
    Conn c;
    c.from = from;
    c.acceptedAt = c.lastData = now;
    conns_.emplace(id, std::move(c));
    ++addresses_[from].connections;
    if (int(conns_.size()) > MaxHeld)
        MakeRoomForNewcomer(from, actions);
    Schedule(now, actions);
    return actions;
}

void ReceiveBook::MakeRoomForNewcomer(const QHostAddress& newcomer, Actions& actions) {
    QHostAddress busiest;
    int most = 0;
    for (auto it = addresses_.cbegin(); it != addresses_.cend(); ++it)
        if (it->connections > most) {
            most = it->connections;
            busiest = it.key();
        }
    // The busiest address itself waits: its newcomer is held unread.
    if (busiest == newcomer || most <= addresses_.value(newcomer).connections)
        return;
    if (const quint64 victim = LeastProgress(busiest, true))
        Drop(victim, actions);
}

quint64 ReceiveBook::LeastProgress(const QHostAddress& from, bool waitingFirst) const {
    // The newest waiting connection when asked, else the one read with the
    // oldest progress. Records that ended are never chosen.
    quint64 best = 0;
    qint64 oldest = std::numeric_limits<qint64>::max();
    for (auto it = conns_.rbegin(); it != conns_.rend(); ++it) {
        const Conn& c = it->second;
        if (c.from != from || c.state == State::Ended)
            continue;
        if (waitingFirst && c.state == State::Waiting)
            return it->first;
        if (c.state != State::Waiting && c.lastData < oldest) {
            oldest = c.lastData;
            best = it->first;
        }
    }
    return best;
}

void ReceiveBook::Schedule(qint64 now, Actions& actions) {
    ResumePaused(now, actions);
    // Bounded: each round starts one waiting connection or ends the loop.
    for (size_t round = 0; round <= conns_.size(); ++round) {
        if (!PromoteOne(now, actions) && !PreemptOne(now, actions))
            return;
    }
}

bool ReceiveBook::PromoteOne(qint64 now, Actions& actions) {
    if (reading_ >= MaxReading)
        return false;
    quint64 pick = 0;
    int fewest = MaxReadingPerAddress;
    for (auto& [id, c] : conns_) {
        if (c.state != State::Waiting)
            continue;
        const int r = addresses_.value(c.from).reading;
        if (r < fewest) {
            fewest = r;
            pick = id;
        }
    }
    if (!pick)
        return false;
    SetState(pick, conns_.at(pick), State::Reading, now, actions);
    return true;
}

bool ReceiveBook::PreemptOne(qint64 now, Actions& actions) {
    if (reading_ < MaxReading)
        return false;
    int most = 0;
    QHostAddress busiest;
    for (auto it = addresses_.cbegin(); it != addresses_.cend(); ++it)
        if (it->reading > most) {
            most = it->reading;
            busiest = it.key();
        }
    quint64 waiter = 0;
    for (auto& [id, c] : conns_)
        if (c.state == State::Waiting && addresses_.value(c.from).reading + 1 < most) {
            waiter = id;
            break;
        }
    const quint64 victim = waiter ? LeastProgress(busiest, false) : 0;
    if (!victim)
        return false;
    Conn& v = conns_.at(victim);
    if (v.state == State::Reading && now - v.lastData >= StallMs)
        Drop(victim, actions);
    else
        SetState(victim, v, State::Waiting, now, actions);
    SetState(waiter, conns_.at(waiter), State::Reading, now, actions);
    return true;
}

qint64 ReceiveBook::FairShare() const {
    int sharing = 0;
    for (const Address& a : addresses_)
        sharing += a.reading > 0 || a.held > 0;
    return MaxBufferedBytes / std::max(1, sharing);
}

bool ReceiveBook::MayTake(const Conn& c, qint64 chunk) const {
    return buffered_ + chunk <= MaxBufferedBytes ||
           addresses_.value(c.from).held + chunk <= FairShare();
}

void ReceiveBook::ResumePaused(qint64 now, Actions& actions) {
    for (auto& [id, c] : conns_)
        if (c.state == State::Paused && MayTake(c, ReadChunk))
            SetState(id, c, State::Reading, now, actions);
}

qint64 ReceiveBook::Room(quint64 id, qint64 now, Actions& actions) {
    const auto it = conns_.find(id);
    if (it == conns_.end() || it->second.state != State::Reading)
        return 0;
    Conn& c = it->second;
    const qint64 chunk = std::min(ReadChunk, MaxRecordBytes + 1 - c.data.size());
    if (buffered_ + chunk <= MaxBufferedBytes)
        return chunk;
    const qint64 share = FairShare();
    if (addresses_.value(c.from).held + chunk <= share) {
        // Within its share: the stalled connections of those over theirs go.
        while (buffered_ + chunk > MaxBufferedBytes) {
            quint64 victim = 0;
            qint64 oldest = now - StallMs;
            for (auto& [vid, v] : conns_)
                if (vid != id && v.state == State::Reading && v.lastData <= oldest &&
                    !v.data.isEmpty() && addresses_.value(v.from).held > share) {
                    oldest = v.lastData;
                    victim = vid;
                }
            if (!victim)
                break;
            Drop(victim, actions);
        }
        if (buffered_ + chunk <= MaxBufferedBytes) {
            Schedule(now, actions); // the slots of those dropped
            return IsReading(id) ? chunk : 0;
        }
    }
    SetState(id, c, State::Paused, now, actions);
    return 0;
}

ReceiveBook::Actions ReceiveBook::Received(quint64 id, QByteArrayView bytes, qint64 now) {
    Actions actions;
    const auto it = conns_.find(id);
    if (it == conns_.end() || bytes.isEmpty())
        return actions;
    Conn& c = it->second;
    c.data.append(bytes);
    buffered_ += bytes.size();
    addresses_[c.from].held += bytes.size();
    c.lastData = now;
    c.windowBytes += bytes.size();
    if (c.data.size() > MaxRecordBytes) {
        Drop(id, actions); // too large: nothing of it is filed
        Schedule(now, actions);
    }
    return actions;
}

ReceiveBook::Actions ReceiveBook::Ended(quint64 id, qint64 now) {
    Actions actions;
    const auto it = conns_.find(id);
    if (it == conns_.end())
        return actions;
    if (it->second.data.isEmpty())
        Drop(id, actions);
    else
        SetState(id, it->second, State::Ended, now, actions);
    Schedule(now, actions);
    return actions;
}

ReceiveBook::Actions ReceiveBook::Remove(quint64 id, qint64 now) {
    Actions actions;
    Drop(id, actions);
    actions.clear(); // the listener removes it itself
    Schedule(now, actions);
    return actions;
}

ReceiveBook::Actions ReceiveBook::Tick(qint64 now) {
    Actions actions;
    std::vector<quint64> late;
    for (auto& [id, c] : conns_) {
        if (c.state == State::Ended)
            continue;
        bool drop = now - c.acceptedAt >= times_.recordMs;
        if (c.state == State::Reading) {
            drop = drop || now - c.lastData >= times_.idleMs;
            if (now - c.windowStart >= times_.rateWindowMs) {
                drop = drop || c.windowBytes < MinBytesPerWindow;
                c.windowStart = now;
                c.windowBytes = 0;
            }
        }
        if (drop)
            late.push_back(id);
    }
    for (quint64 id : late)
        Drop(id, actions);
    Schedule(now, actions);
    return actions;
}

} // namespace corvane
