// Presence beyond routers: how fast unicast copies of broadcasts go out, who
// gets them, and how long a computer elsewhere that asked is remembered.
#include "common/hostresolver.h"
#include "transport/othernetworks.h"
#include "transport/remoteaskers.h"
#include "transport/unicastpacer.h"

#include <QHostAddress>
#include <QSet>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

quint32 V4(const char* dotted) {
    return QHostAddress(QString::fromLatin1(dotted)).toIPv4Address();
}

// Ticks a pacer until it stops; the datagrams of each tick.
QList<int> Drain(UnicastPacer& pacer) {
    QList<int> perTick;
    for (int guard = 0; pacer.Running() && guard < 1000; ++guard) {
        const int before = pacer.Sent();
        pacer.Tick();
        perTick.append(pacer.Sent() - before);
    }
    return perTick;
}

struct Sent {
    QByteArray packet;
    quint32 to;
};

// OtherNetworks with a recording sender; 10.0.0.0/24 is this computer's own.
struct Others {
    Others()
        : others(resolver, {[this](const QByteArray& p, const QHostAddress& a) {
                                sent.append({p, a.toIPv4Address()});
                            },
                            [](const QHostAddress& a) {
                                return (a.toIPv4Address() >> 8) != V4("10.0.0.0") >> 8;
                            },
                            [this](const QByteArray&) { return listening; }}) {}
    // Everything the pacer would send, then what went to each address.
    QHash<quint32, QByteArrayList> Flush() {
        Drain(others.Pacer());
        QHash<quint32, QByteArrayList> to;
        for (const Sent& s : sent)
            to[s.to].append(s.packet);
        sent.clear();
        return to;
    }
    void List(const char* text) {
        OtherNetworkList list;
        ASSERT_EQ(OtherNetworkList::Parse(QString::fromLatin1(text), &list), std::nullopt);
        others.SetList(list);
    }
    HostResolver resolver;
    QList<Sent> sent;
    bool listening = true;
    OtherNetworks others;
};

} // namespace

TEST(UnicastPacer, AtMost25ATickPeersFirstAndTheTimerOnlyWhileSending) {
    QList<quint32> order;
    UnicastPacer pacer([&](const QByteArray&, quint32 a) { order.append(a); });
    QList<quint32> sweep, peers{1, 2, 3};
    for (quint32 a = 100; a < 100 + 1022; ++a)
        sweep.append(a);
    EXPECT_FALSE(pacer.Running());
    ASSERT_TRUE(pacer.Queue(UnicastPacer::Lane::Sweep, "request", sweep));
    EXPECT_EQ(order.size(), UnicastPacer::PerTick) << "the first batch goes at once";
    ASSERT_TRUE(pacer.Queue(UnicastPacer::Lane::Peers, "line", peers));
    EXPECT_EQ(order.size(), UnicastPacer::PerTick) << "the next waits for the tick";
    const QList<int> perTick = Drain(pacer);
    EXPECT_FALSE(pacer.Running()) << "the timer stops once nothing waits";
    EXPECT_EQ(perTick.last(), 0) << "it stops at a tick that found nothing";
    for (int n : perTick)
        EXPECT_LE(n, UnicastPacer::PerTick);
    // The 1,000 left after the first batch take 40 ticks of 100 ms, and one
    // tick more finds nothing: 1,025 in about 4 s, 250 a second.
    EXPECT_EQ(perTick.size(), 41);
    EXPECT_EQ(order.size(), 1025);
    EXPECT_EQ(order.mid(UnicastPacer::PerTick, 3), peers) << "peers go before the sweep";
    EXPECT_EQ(QSet<quint32>(order.begin(), order.end()).size(), 1025);

    // A new sweep replaces what is left of the old; the peers' lane is bounded.
    pacer.Queue(UnicastPacer::Lane::Sweep, "old", sweep);
    pacer.Queue(UnicastPacer::Lane::Sweep, "new", {7, 8});
    EXPECT_EQ(pacer.Waiting(UnicastPacer::Lane::Sweep), 2);
    QList<quint32> many(UnicastPacer::MaxQueued + 1, 9);
    EXPECT_FALSE(pacer.Queue(UnicastPacer::Lane::Peers, "flood", many));
    EXPECT_EQ(pacer.Waiting(UnicastPacer::Lane::Peers), 0);
}

TEST(RemoteAskers, RememberedUpToTheBoundAndForgottenAfterTwoSilentRounds) {
    RemoteAskers askers;
    const quint32 a = V4("10.5.0.1"), b = V4("10.5.0.2");
    struct Step {
        const char* what;
        std::function<bool()> act; // what it returns
        bool expected;
        int count;
    };
    const Step steps[] = {
        {"a asks: new", [&] { return askers.Asked(a); }, true, 1},
        {"a asks again: known", [&] { return askers.Asked(a); }, false, 1},
        {"b asks", [&] { return askers.Asked(b); }, true, 2},
        {"round 2 begins (both heard in round 1)",
         [&] {
             askers.NewRound();
             return true;
         },
         true, 2},
        {"a is heard",
         [&] {
             askers.Heard(a);
             return true;
         },
         true, 2},
        {"round 3 begins: b silent in one round",
         [&] {
             askers.NewRound();
             return askers.Contains(b);
         },
         true, 2},
        {"round 4 begins: b silent in two",
         [&] {
             askers.NewRound();
             return askers.Contains(b);
         },
         false, 1},
        {"a silent in round 3 only", [&] { return askers.Contains(a); }, true, 1},
        {"round 5 begins: a silent in two",
         [&] {
             askers.NewRound();
             return askers.Contains(a);
         },
         false, 0},
        {"a forgotten asks again: new", [&] { return askers.Asked(a); }, true, 1},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.act(), s.expected) << s.what;
        EXPECT_EQ(askers.Count(), s.count) << s.what;
    }
    for (quint32 i = 0; askers.Count() < RemoteAskers::MaxRemembered; ++i)
        askers.Asked(V4("10.6.0.0") + i);
    EXPECT_FALSE(askers.Asked(V4("10.7.0.1"))) << "a full table takes no newcomer";
    EXPECT_TRUE(askers.Contains(a)) << "and keeps those it has";
}

TEST(OtherNetworks, TheListIsSweptOnceARoundAndAskersGetEveryBroadcast) {
    Others o;
    // Without a list or an asker nothing is sent and nothing wakes.
    o.others.Spread("req0", "CORVANE3", true);
    o.others.Spread("line0", "CHATSLOT3", false);
    EXPECT_FALSE(o.others.Pacer().Running());
    EXPECT_TRUE(o.Flush().isEmpty());

    // A list set after a request is swept at once with it: a network, one
    // partly and one address wholly of the own network, another address, and
    // names through the resolver (learned, looked up, unknown).
    o.resolver.Learn(QStringLiteral("HOST9"), QHostAddress("10.8.8.8"));
    o.resolver.SetSystemLookup([](const QString& name, QObject*, auto found) {
        found(name == QLatin1String("pc7.branch") ? QList{QHostAddress("10.7.7.7")}
                                                  : QList<QHostAddress>{});
    });
    o.List("10.0.1.0/24, 10.0.0.0/30, 10.0.0.5, 10.4.4.4, host9, pc7.branch, nosuch");
    auto to = o.Flush();
    EXPECT_EQ(to.size(), 254 + 1 + 2) << "own networks are left to the broadcast";
    for (const char* a : {"10.4.4.4", "10.8.8.8", "10.7.7.7"})
        EXPECT_EQ(to.value(V4(a)), QByteArrayList{"req0"}) << a;
    EXPECT_FALSE(to.contains(V4("10.0.1.0")) || to.contains(V4("10.0.1.255")));

    // Later requests of the round and other broadcasts go to askers only.
    EXPECT_TRUE(o.others.Asked(QHostAddress("10.0.1.9")));
    EXPECT_FALSE(o.others.Asked(QHostAddress("10.0.0.9"))) << "own network: the broadcast does";
    o.others.Spread("req2", "CORVANE3", true);
    o.others.Spread("line", "CHATSLOT3", false);
    to = o.Flush();
    EXPECT_EQ(to.keys(), QList<quint32>{V4("10.0.1.9")});
    EXPECT_EQ(to.value(V4("10.0.1.9")), (QByteArrayList{"req2", "line"}));

    // The next round sweeps again, the asker once; a slot that does not
    // listen here sweeps nothing (answers could not arrive).
    o.others.NewRound();
    o.listening = false;
    o.others.Spread("req3", "CORVANE3", true);
    EXPECT_EQ(o.Flush().size(), 1);
    o.listening = true;
    o.others.Spread("req4", "CORVANE3", true);
    to = o.Flush();
    EXPECT_EQ(to.size(), 257);
    EXPECT_EQ(to.value(V4("10.0.1.9")), QByteArrayList{"req4"});

    // A changed list is swept at once with the last request; an empty one
    // stops what is left of a sweep.
    o.List("10.0.2.0/30");
    to = o.Flush();
    EXPECT_EQ(to.size(), 2);
    EXPECT_EQ(to.value(V4("10.0.2.1")), QByteArrayList{"req4"});
    o.others.Spread("req5", "CORVANE3", true);
    o.List("");
    EXPECT_EQ(o.Flush().size(), 1) << "only the asker";
}
