#pragma once
// Computers on other networks that asked this one who is here. Broadcasts do
// not reach them, so each is asked by unicast in every round of requests and
// gets every datagram meant for everybody; one side's list of other networks
// is then enough for both to see each other.
//
// At most MaxRemembered addresses are kept; beyond that a new asker is not
// remembered (it still gets its answer), so a flood of invented sources cannot
// push out the computers that keep talking. An address not heard from in
// RoundsWithoutHearing rounds in a row is forgotten.
#include <QHash>
#include <QList>

namespace corvane {

class RemoteAskers {
public:
    static constexpr int MaxRemembered = 1024;
    static constexpr int RoundsWithoutHearing = 2;

    // A valid request came from address; true when it is newly remembered.
    bool Asked(quint32 address);
    // Something valid came from address: a remembered one counts as heard.
    void Heard(quint32 address);
    // A new round of requests begins: forgets who was not heard for long.
    void NewRound();

    bool Contains(quint32 address) const { return askers_.contains(address); }
    int Count() const { return int(askers_.size()); }
    QList<quint32> Addresses() const { return askers_.keys(); }

private:
    struct Asker {
        int roundsMissed = 0;
        bool heard = true; // in the round now running
    };
    QHash<quint32, Asker> askers_;
};

} // namespace corvane
