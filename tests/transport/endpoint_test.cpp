#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "datagrambed.h"
#include "support/testcontext.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"
#include "transport/mailslot.h"

#include <QUdpSocket>
#include <gtest/gtest.h>
#include <memory>

using namespace corvane;
using corvane::test::Listener;
using corvane::test::MakeComputers;
using corvane::test::Net;
using corvane::test::TestComputer;
using corvane::test::WaitUntil;

namespace {

QString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EmdMailSlot& e) {
        return e.Message();
    }
    return {};
}

// Sends a framed datagram with a given tick so tests control the prefix.
bool SendAt(DatagramNetwork& net, const QString& target, const QByteArray& text, quint32 tick) {
    return WriteSlot(net, target, QStringLiteral("CORVANE3"), FrameDatagram(text, tick));
}

} // namespace

TEST(Endpoint, OpenCloseAndReopenWhenTheSlotChanges) {
    Net net(2);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    QStringList events;
    a.slot.OnOpen = [&](TmdCustomMailSlot* s) { events << QStringLiteral("open ") + s->Slot(); };
    a.slot.OnClose = [&](TmdCustomMailSlot* s) { events << QStringLiteral("close ") + s->Slot(); };
    EXPECT_FALSE(a.slot.Active());
    a.slot.Close(); // closing a closed endpoint does nothing
    EXPECT_TRUE(events.isEmpty());
    a.slot.Open();
    EXPECT_TRUE(a.slot.Active());
    a.slot.SetSlot(QStringLiteral("CORVANE3")); // an equal value changes nothing
    a.slot.SetSlot(QStringLiteral("OTHER"));
    EXPECT_EQ(events, (QStringList{"open CORVANE3", "close OTHER", "open OTHER"}));
    EXPECT_TRUE(a.slot.Active());

    // Only the new name listens now.
    SendDatagram(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), "old");
    SendDatagram(net[1], QStringLiteral("HOST1"), QStringLiteral("other"), "new");
    ASSERT_TRUE(WaitUntil([&] { return a.received.size() == 1; }));
    PumpMessagesFor(50);
    EXPECT_EQ(a.received, (QByteArrayList{"new"}));

    a.slot.Close();
    EXPECT_FALSE(a.slot.Active());
    EXPECT_EQ(events.last(), QStringLiteral("close OTHER"));
}

TEST(Endpoint, SlotFollowsTheNameUntilSetExplicitly) {
    Net net(1);
    TmdSecureMail slot(net[0]);
    slot.setObjectName(QStringLiteral("Slot1"));
    EXPECT_EQ(slot.Slot(), QStringLiteral("Slot1"));
    slot.SetSlot(QStringLiteral("CHATSLOT3"));
    slot.setObjectName(QStringLiteral("Renamed"));
    EXPECT_EQ(slot.Slot(), QStringLiteral("CHATSLOT3"));
}

TEST(Endpoint, OpenFailuresCarryTheSystemTexts) {
    Net net(1);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    Listener b(net[0], QStringLiteral("corvane3")); // slot names ignore letter case
    a.slot.Open();
    EXPECT_EQ(ErrorOf([&] { b.slot.Open(); }), QStringLiteral("Mailslot allready exists"));
    EXPECT_FALSE(b.slot.Active());

    Listener empty(net[0], QString());
    EXPECT_EQ(ErrorOf([&] { empty.slot.Open(); }), QStringLiteral("Bad mailslot name"));
    Listener remote(net[0], QStringLiteral("X"));
    remote.slot.SetServer(QStringLiteral("OTHERPC"));
    EXPECT_EQ(ErrorOf([&] { remote.slot.Open(); }), QStringLiteral("Bad mailslot name"));
    remote.slot.SetServer(QStringLiteral("host1")); // the own name is this computer
    EXPECT_EQ(ErrorOf([&] { remote.slot.Open(); }), QString());
}

TEST(Endpoint, APortHeldElsewhereMeansTheSlotExists) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(c.context.network.bindAddress, c.context.network.datagramPort));
    DatagramNetwork net(c.context);
    Listener a(net, QStringLiteral("CORVANE3"));
    EXPECT_EQ(ErrorOf([&] { a.slot.Open(); }), QStringLiteral("Mailslot allready exists"));
}

TEST(Endpoint, ReadNextErrors) {
    Net net(1);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    EXPECT_EQ(ErrorOf([&] { a.slot.ReadNext(); }), QStringLiteral("Not active"));
    a.slot.Open();
    EXPECT_EQ(ErrorOf([&] { a.slot.ReadNext(); }), QStringLiteral("No messages waiting"));
}

TEST(Endpoint, BroadcastReachesEveryComputerOnceTheSenderIncluded) {
    Net net(3);
    std::vector<std::unique_ptr<Listener>> listeners;
    for (size_t i = 0; i < 3; ++i) {
        listeners.push_back(std::make_unique<Listener>(net[i], QStringLiteral("CORVANE3")));
        listeners.back()->slot.Open();
    }
    ASSERT_TRUE(SendDatagram(net[0], QStringLiteral("*"), QStringLiteral("CORVANE3"), "hello"));
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& l : listeners)
            if (l->received.isEmpty())
                return false;
        return true;
    }));
    PumpMessagesFor(100);
    for (auto& l : listeners)
        EXPECT_EQ(l->received, (QByteArrayList{"hello"}));
}

TEST(Endpoint, ComputerNamesAndDotReachOneComputer) {
    Net net(3);
    std::vector<std::unique_ptr<Listener>> l;
    for (size_t i = 0; i < 3; ++i) {
        l.push_back(std::make_unique<Listener>(net[i], QStringLiteral("CORVANE3")));
        l.back()->slot.Open();
    }
    // HOST2 learns HOST1's address from a packet of HOST1.
    SendDatagram(net[0], QStringLiteral("*"), QStringLiteral("CORVANE3"), "hi");
    ASSERT_TRUE(
        WaitUntil([&] { return l[1]->received.size() == 1 && l[2]->received.size() == 1; }));
    EXPECT_TRUE(SendDatagram(net[1], QStringLiteral("host1"), QStringLiteral("CORVANE3"), "to1"));
    EXPECT_TRUE(SendDatagram(net[2], QStringLiteral("."), QStringLiteral("CORVANE3"), "self"));
    ASSERT_TRUE(
        WaitUntil([&] { return l[0]->received.size() == 2 && l[2]->received.size() == 2; }));
    PumpMessagesFor(100);
    EXPECT_EQ(l[0]->received.last(), "to1");
    EXPECT_EQ(l[1]->received.size(), 1);
    EXPECT_EQ(l[2]->received.last(), "self");
    // An address reaches that computer, whatever its name.
    EXPECT_TRUE(SendDatagram(net[1], net.computers[2]->context.network.bindAddress.toString(),
                             QStringLiteral("CORVANE3"), "by address"));
    ASSERT_TRUE(WaitUntil([&] { return l[2]->received.size() == 3; }));
    EXPECT_EQ(l[2]->received.last(), "by address");
    // A name nobody knows is a failed write, not an exception.
    EXPECT_FALSE(SendDatagram(net[1], QStringLiteral("NO-SUCH-HOST.invalid"),
                              QStringLiteral("CORVANE3"), "x"));
    EXPECT_FALSE(SendDatagram(net[1], QStringLiteral("*"), QStringLiteral("CORVANE3"),
                              QByteArray(DatagramNetwork::MaxDatagram, 'x')));
}

TEST(Endpoint, BadFramesAndRepeatsAreDropped) {
    Net net(2);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    a.slot.Open();
    QByteArray bad = FrameDatagram("payload", 1);
    bad[5] = 'X';
    WriteSlot(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), bad);
    QByteArray lower;
    for (int i = 0; lower.isEmpty() || lower.right(4) == lower.right(4).toUpper(); ++i)
        lower = FrameDatagram("p" + QByteArray::number(i), 7).toLower();
    WriteSlot(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), lower);
    SendAt(net[1], QStringLiteral("HOST1"), "one", 42);
    SendAt(net[1], QStringLiteral("HOST1"), "one", 42);    // exact repeat
    SendAt(net[1], QStringLiteral("HOST1"), "one", 10042); // same prefix 10 s later
    SendAt(net[1], QStringLiteral("HOST1"), "two", 43);
    SendAt(net[1], QStringLiteral("HOST1"), "one", 42); // after another one: accepted
    WriteSlot(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), "0000");
    ASSERT_TRUE(WaitUntil([&] { return a.received.size() == 4; }));
    PumpMessagesFor(50);
    EXPECT_EQ(a.received, (QByteArrayList{"one", "two", "one", ""}));
    EXPECT_EQ(a.errors, 2);
    EXPECT_EQ(a.duplicates, 2);
    ASSERT_TRUE(a.slot.LastDatagram());
    EXPECT_EQ(*a.slot.LastDatagram(), "0000");
    // The last datagram survives a close and an open.
    a.slot.Close();
    a.slot.Open();
    WriteSlot(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), "0000");
    ASSERT_TRUE(WaitUntil([&] { return a.duplicates == 3; }));
}

TEST(Endpoint, PacketsForOthersOrWithAnotherMagicAreDropped) {
    Net net(2);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    a.slot.Open();
    const QHostAddress host1 = net.computers[0]->context.network.bindAddress;
    auto packet = [](const char* target, QByteArray frame) {
        return DatagramPacket{target, "HOST2", "CORVANE3", std::move(frame)}.Encode();
    };
    net[1].WriteRaw(packet("HOST9", FrameDatagram("wrong target", 1)), host1);
    QByteArray magic = packet("*", FrameDatagram("wrong magic", 2));
    magic[3] = '2';
    net[1].WriteRaw(magic, host1);
    net[1].WriteRaw("CMS1\x05HO", host1);
    net[1].WriteRaw(QByteArray(), host1);
    net[1].WriteRaw(packet("host1", FrameDatagram("good", 3)), host1);
    ASSERT_TRUE(WaitUntil([&] { return !a.received.isEmpty(); }));
    PumpMessagesFor(50);
    EXPECT_EQ(a.received, (QByteArrayList{"good"}));
    EXPECT_EQ(a.errors, 0);
}

TEST(Endpoint, OneDatagramAtATimeAlsoWhileAHandlerPumps) {
    Net net(2);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    Listener b(net[0], QStringLiteral("CHATSLOT3"));
    QStringList order;
    int depth = 0;
    int maxDepth = 0;
    a.slot.OnMessageAvail = [&](TmdCustomMailSlot*, const QByteArray& msg) {
        maxDepth = std::max(maxDepth, ++depth);
        order << QStringLiteral("a:") + QString::fromLatin1(msg);
        if (msg == "first") {
            // While this handler waits, the other endpoint's datagram arrives.
            SendDatagram(net[1], QStringLiteral("HOST1"), QStringLiteral("CHATSLOT3"), "chat");
            WaitUntil([&] { return order.contains(QStringLiteral("b:chat")); }, 3000);
        }
        --depth;
    };
    b.slot.OnMessageAvail = [&](TmdCustomMailSlot*, const QByteArray& msg) {
        order << QStringLiteral("b:") + QString::fromLatin1(msg);
    };
    a.slot.Open();
    b.slot.Open();
    for (const char* m : {"first", "second", "third"})
        SendDatagram(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), m);
    ASSERT_TRUE(WaitUntil([&] { return order.size() == 4; }));
    EXPECT_EQ(order, (QStringList{"a:first", "b:chat", "a:second", "a:third"}));
    EXPECT_EQ(maxDepth, 1);
}

TEST(Endpoint, DatagramsWaitWhileTheOpenHandlerRuns) {
    Net net(2);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    bool inOpen = false;
    bool deliveredInOpen = false;
    a.slot.OnOpen = [&](TmdCustomMailSlot*) {
        inOpen = true;
        SendDatagram(net[1], QStringLiteral("HOST1"), QStringLiteral("CORVANE3"), "early");
        PumpMessagesFor(150);
        deliveredInOpen = !a.received.isEmpty();
        inOpen = false;
    };
    a.slot.Open();
    EXPECT_FALSE(deliveredInOpen);
    EXPECT_EQ(a.slot.Waiting(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return a.received.size() == 1; }));
}

TEST(Endpoint, AFloodIsBoundedAndKeepsTheNewest) {
    Net net(1);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    const int total = int(TmdCustomMailSlot::MaxWaiting) + 200;
    size_t maxWaiting = 0;
    a.slot.OnOpen = [&](TmdCustomMailSlot*) {
        // In batches the socket buffer can hold; nothing is delivered meanwhile.
        for (int i = 0; i < total; i += 50) {
            for (int j = i; j < std::min(total, i + 50); ++j)
                SendAt(net[0], QStringLiteral("."), QByteArray::number(j), quint32(j));
            const size_t expected =
                std::min<size_t>(size_t(std::min(total, i + 50)), TmdCustomMailSlot::MaxWaiting);
            WaitUntil([&] { return a.slot.Waiting() >= expected; }, 5000);
            maxWaiting = std::max(maxWaiting, a.slot.Waiting());
        }
    };
    a.slot.Open();
    EXPECT_EQ(maxWaiting, TmdCustomMailSlot::MaxWaiting);
    ASSERT_TRUE(WaitUntil(
        [&] { return !a.received.isEmpty() && a.received.last() == QByteArray::number(total - 1); },
        10000));
    // The oldest went; what is delivered comes in order.
    EXPECT_LT(a.received.size(), total);
    EXPECT_NE(a.received.first(), "0");
    for (qsizetype i = 1; i < a.received.size(); ++i)
        ASSERT_LT(a.received[i - 1].toInt(), a.received[i].toInt());
}

// Datagrams wait per source and are taken from the sources in turn: a host
// that floods the endpoint delays another host's datagrams by one of its own
// each, and the bound drops the flooder's oldest, not the other's.
TEST(Endpoint, AFloodingSourceCannotPushOutAnotherSourcesDatagrams) {
    struct Exposed : TmdSecureMail {
        using TmdSecureMail::FrameArrived;
        using TmdSecureMail::TmdSecureMail;
    };
    Net net(1);
    Exposed slot(net[0]);
    slot.SetSlot(QStringLiteral("CORVANE3"));
    QByteArrayList received;
    slot.OnMessageAvail = [&](TmdCustomMailSlot*, const QByteArray& m) { received.append(m); };
    slot.Open();
    const DatagramOrigin flooder{"FLOOD", QHostAddress("10.0.0.1")};
    const DatagramOrigin honest{"HONEST", QHostAddress("10.0.0.2")};
    QByteArrayList lines;
    const int flood = 3 * int(TmdCustomMailSlot::MaxWaiting);
    for (int i = 0; i < flood; ++i) {
        slot.FrameArrived(FrameDatagram("f" + QByteArray::number(i), quint32(i)), flooder);
        if (i % 300 == 299) {
            lines.append("line " + QByteArray::number(i));
            slot.FrameArrived(FrameDatagram(lines.last(), 0), honest);
        }
    }
    EXPECT_EQ(slot.Waiting(), TmdCustomMailSlot::MaxWaiting);
    ASSERT_TRUE(WaitUntil([&] { return slot.Waiting() == 0; }, 10000));
    QByteArrayList got;
    qsizetype lastLine = -1;
    for (qsizetype i = 0; i < received.size(); ++i)
        if (received[i].startsWith("line")) {
            got.append(received[i]);
            lastLine = i;
        }
    EXPECT_EQ(got, lines);
    EXPECT_LT(lastLine, 2 * lines.size()); // every other one until they are through
    EXPECT_EQ(received.last(), "f" + QByteArray::number(flood - 1)); // the newest are kept
}

TEST(Endpoint, AHandlerMayDestroyItsEndpoint) {
    Net net(1);
    auto* a = new Listener(net[0], QStringLiteral("CORVANE3"));
    bool ran = false;
    a->slot.OnMessageAvail = [&](TmdCustomMailSlot*, const QByteArray&) {
        ran = true;
        delete a;
    };
    a->slot.Open();
    SendDatagram(net[0], QStringLiteral("."), QStringLiteral("CORVANE3"), "bye");
    SendDatagram(net[0], QStringLiteral("."), QStringLiteral("CORVANE3"), "again");
    ASSERT_TRUE(WaitUntil([&] { return ran; }));
    PumpMessagesFor(50);
}

// Two computers on 127.0.0.2 and 127.0.0.3 exchange framed datagrams.
TEST(Endpoint, TwoComputersOnTheirOwnLoopbackAddresses) {
    TestComputer c1(QStringLiteral("ALPHA"), 2, {});
    TestComputer c2(QStringLiteral("BETA"), 3, {});
    c1.context.network.bindAddress = c1.context.network.selfAddress = QHostAddress("127.0.0.2");
    c2.context.network.bindAddress = c2.context.network.selfAddress = QHostAddress("127.0.0.3");
    c1.context.network.broadcastTargets = {QHostAddress("127.0.0.3")};
    c2.context.network.broadcastTargets = {QHostAddress("127.0.0.2")};
    DatagramNetwork n1(c1.context), n2(c2.context);
    Listener a(n1, QStringLiteral("CORVANE3")), b(n2, QStringLiteral("CORVANE3"));
    a.slot.Open();
    b.slot.Open();
    SendDatagram(n1, QStringLiteral("*"), QStringLiteral("CORVANE3"),
                 JoinFields({"WHO_IS_HERE", "ALPHA"}));
    ASSERT_TRUE(WaitUntil([&] { return b.received.size() == 1 && a.received.size() == 1; }));
    EXPECT_EQ(Field(b.received[0], 2), "ALPHA");
    SendDatagram(n2, QStringLiteral("ALPHA"), QStringLiteral("CORVANE3"), "answer");
    ASSERT_TRUE(WaitUntil([&] { return a.received.size() == 2; }));
    EXPECT_EQ(a.received[1], "answer");
    EXPECT_EQ(c2.context.resolver.Learned(QStringLiteral("alpha")), QHostAddress("127.0.0.2"));
}

// An address is learned only from a datagram that passed every check, and an
// accepted datagram does not move a name that already has one.
TEST(Endpoint, OnlyCheckedDatagramsTeachAnAddress) {
    Net net(3);
    Listener a(net[0], QStringLiteral("CORVANE3"));
    a.slot.Open();
    const QHostAddress host1 = net.computers[0]->context.network.bindAddress;
    const QHostAddress host2 = net.computers[1]->context.network.bindAddress;
    HostResolver& resolver = net.computers[0]->context.resolver;
    auto packet = [](const char* target, const char* sender, const char* slot, QByteArray frame) {
        return DatagramPacket{target, sender, slot, std::move(frame)}.Encode();
    };
    QByteArray badSum = FrameDatagram("forged", 1);
    badSum[5] = 'X';
    struct Case {
        const char* sender;
        QByteArray bytes;
        bool learns;
    };
    const Case cases[] = {
        {"BADSUM", packet("*", "BADSUM", "CORVANE3", badSum), false},
        {"NOSLOT", packet("*", "NOSLOT", "NOBODY", FrameDatagram("x", 2)), false},
        {"OTHERS", packet("HOST9", "OTHERS", "CORVANE3", FrameDatagram("x", 3)), false},
        {"SHORT", packet("HOST1", "SHORT", "CORVANE3", "12"), false},
        {"GOOD", packet("HOST1", "GOOD", "CORVANE3", FrameDatagram("ok", 4)), true},
    };
    for (const Case& c : cases)
        net[1].WriteRaw(c.bytes, host1);
    ASSERT_TRUE(WaitUntil([&] { return a.received.contains("ok"); }));
    PumpMessagesFor(50);
    for (const Case& c : cases)
        EXPECT_EQ(resolver.Learned(c.sender), c.learns ? host2 : QHostAddress()) << c.sender;
    // A good datagram from elsewhere in the same name does not move it.
    net[2].WriteRaw(packet("*", "GOOD", "CORVANE3", FrameDatagram("moved?", 5)), host1);
    ASSERT_TRUE(WaitUntil([&] { return a.received.contains("moved?"); }));
    EXPECT_EQ(resolver.Learned("GOOD"), host2);
}
