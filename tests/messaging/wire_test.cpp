#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "messaging/messageclient.h"
#include "messaging/messagelistener.h"
#include "messaging/tcpstream.h"
#include "messaging/tmsg.h"
#include "support/testcontext.h"

#include <QSet>
#include <QSignalSpy>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::MakeComputers;
using corvane::test::WaitUntil;

TEST(TMsgRecord, FourFieldsJoinedBySeparators) {
    const TMsg m{"Anna", "*", "{\\rtf1 hi}", "Anna"};
    EXPECT_EQ(m.Encode(), QByteArray("Anna\xA9\xA9\xA9*\xA9\xA9\xA9{\\rtf1 hi}\xA9\xA9\xA9"
                                     "Anna"));
    const TMsg back = TMsg::Decode(m.Encode());
    EXPECT_EQ(back.Sender, "Anna");
    EXPECT_EQ(back.Recipient, "*");
    EXPECT_EQ(back.Body, "{\\rtf1 hi}");
    EXPECT_EQ(back.SenderAlias, "Anna");
}

TEST(TMsgRecord, AnEmptyAliasShiftsTheFields) {
    const TMsg back = TMsg::Decode(TMsg{"", "Bob", "{\\rtf1 x}", ""}.Encode());
    EXPECT_EQ(back.Sender, "Bob");
    EXPECT_EQ(back.Recipient, "{\\rtf1 x}");
    EXPECT_EQ(back.Body, "");
    EXPECT_EQ(back.SenderAlias, "");
}

namespace {
struct Receiver {
    explicit Receiver(HostContext& context) : listener(context) {
        EXPECT_TRUE(listener.Listen());
        QObject::connect(&listener, &MessageListener::RecordArrived,
                         [this](const QByteArray& r, const QHostAddress& from) {
                             records << r;
                             senders << from;
                         });
    }
    MessageListener listener;
    QByteArrayList records;
    QList<QHostAddress> senders;
};
} // namespace

TEST(MessageWire, ARecordInManyPiecesWithPausesIsOneMessage) {
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    QTcpSocket socket;
    socket.bind(c[0]->context.network.bindAddress, 0);
    socket.connectToHost(c[1]->context.network.bindAddress, c[1]->context.network.messagePort);
    ASSERT_TRUE(WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
    const QByteArray record = TMsg{"Anna", "Bob", "{\\rtf1 long body}", "Anna"}.Encode();
    for (qsizetype i = 0; i < record.size(); i += 5) {
        socket.write(record.mid(i, 5));
        socket.flush();
        PumpMessagesFor(10);
    }
    EXPECT_TRUE(r.records.isEmpty()); // nothing before the sender closes
    socket.disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return r.records.size() == 1; }));
    EXPECT_EQ(r.records[0], record);
    EXPECT_EQ(r.senders[0], c[0]->context.network.bindAddress);
    EXPECT_EQ(r.listener.OpenConnections(), 0);
}

TEST(MessageWire, IdleConnectionsAndEmptyOnesFileNothing) {
    auto c = MakeComputers(2);
    c[1]->context.timings.receiveIdleMs = 100;
    Receiver r(c[1]->context);
    QTcpSocket idle, empty;
    idle.connectToHost(c[1]->context.network.bindAddress, c[1]->context.network.messagePort);
    empty.connectToHost(c[1]->context.network.bindAddress, c[1]->context.network.messagePort);
    ASSERT_TRUE(WaitUntil([&] { return idle.state() == QAbstractSocket::ConnectedState; }));
    idle.write("half a rec");
    empty.disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return idle.state() == QAbstractSocket::UnconnectedState; }));
    PumpMessagesFor(50);
    EXPECT_TRUE(r.records.isEmpty());
    EXPECT_EQ(r.listener.OpenConnections(), 0);
}

TEST(MessageWire, ARecordOverTheLimitIsDroppedWhole) {
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    QTcpSocket socket;
    socket.connectToHost(c[1]->context.network.bindAddress, c[1]->context.network.messagePort);
    ASSERT_TRUE(WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
    socket.write(QByteArray(MessageListener::MaxRecordBytes + 1, 'x'));
    ASSERT_TRUE(
        WaitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 20000));
    PumpMessagesFor(50);
    EXPECT_TRUE(r.records.isEmpty());
}

namespace {
// A raw connection to a listener from a given address.
std::unique_ptr<TcpStream> Open(const QHostAddress& from, const HostContext& to) {
    auto s = std::make_unique<TcpStream>();
    bool connected = false;
    QObject::connect(s.get(), &TcpStream::Connected, [&] { connected = true; });
    EXPECT_TRUE(s->ConnectTo(from, to.network.bindAddress, to.network.messagePort));
    EXPECT_TRUE(WaitUntil([&] { return connected; }));
    QObject::disconnect(s.get(), &TcpStream::Connected, nullptr, nullptr);
    return s;
}

DeliveryOutcome DeliverOne(HostContext& from, const HostContext& to, const QByteArray& record) {
    return DeliverToAll(from, {to.network.bindAddress.toString()}, record).value(0);
}

const QByteArray Hello = TMsg{"Anna", "Bob", "{\\rtf1 hi}", "Anna"}.Encode();
} // namespace

// One address that holds connections open cannot keep another address's
// message out: the other is read at once, in a reading slot or with bytes
// made free by dropping a stalled holder.
TEST(MessageWire, AbusersOfThePortLeaveRoomForAnotherAddress) {
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    HostContext other;
    other.network.bindAddress = test::LoopbackAddress(40);
    other.timings.deliveryTimeoutMs = 4000;
    const QByteArray stalledRecord(11500 * 1000, 'x');
    struct Case {
        const char* name;
        int addresses;
        int perAddress;
        const QByteArray* written; // then the sender stalls
    };
    const Case cases[] = {
        {"64 idle connections from 16 addresses", 16, 4, nullptr},
        {"3 connections that wrote 11.5 MB each and stalled", 1, 3, &stalledRecord},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::vector<std::unique_ptr<TcpStream>> held;
        for (int a = 0; a < k.addresses; ++a)
            for (int i = 0; i < k.perAddress; ++i) {
                held.push_back(Open(test::LoopbackAddress(41 + a), c[1]->context));
                if (k.written)
                    held.back()->Write(*k.written);
            }
        const int total = k.addresses * k.perAddress;
        ASSERT_TRUE(WaitUntil([&] { return r.listener.OpenConnections() == total; }));
        if (k.written) {
            ASSERT_TRUE(WaitUntil([&] {
                return r.listener.BufferedBytes() > MessageListener::MaxBufferedBytes - 1000000;
            }));
        }
        r.records.clear();
        EXPECT_EQ(DeliverOne(other, c[1]->context, Hello), DeliveryOutcome::Delivered);
        EXPECT_EQ(r.records, QByteArrayList{Hello});
        held.clear();
        ASSERT_TRUE(WaitUntil([&] { return r.listener.OpenConnections() == 0; }));
    }
}

// A sender that writes and closes without waiting for the receiver (as older
// copies do) loses nothing in a burst: connections beyond one address's
// reading share wait unread, their records held by the system.
TEST(MessageWire, ABurstFromASenderThatDoesNotWaitIsFiledWhole) {
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    constexpr int Burst = 60;
    SocketAddress from, to;
    ASSERT_TRUE(from.Set(c[0]->context.network.bindAddress, 0));
    ASSERT_TRUE(to.Set(c[1]->context.network.bindAddress, c[1]->context.network.messagePort));
    for (int i = 0; i < Burst; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        const QByteArray record = TMsg{"S", "R", QByteArray::number(i), "S"}.Encode();
        const bool sent =
            ::bind(fd, reinterpret_cast<const sockaddr*>(from.storage), from.length) == 0 &&
            ::connect(fd, reinterpret_cast<const sockaddr*>(to.storage), to.length) == 0 &&
            ::send(fd, record.constData(), size_t(record.size()), MSG_NOSIGNAL) == record.size();
        ::close(fd); // an orderly close, without waiting for anything
        ASSERT_TRUE(sent) << i;
    }
    ASSERT_TRUE(WaitUntil([&] { return r.records.size() == Burst; }, 10000))
        << r.records.size() << " of " << Burst;
    QSet<QByteArray> bodies;
    for (const QByteArray& rec : r.records)
        bodies.insert(TMsg::Decode(rec).Body);
    EXPECT_EQ(bodies.size(), Burst);
}

TEST(MessageWire, OnlyARecordEndedInOrderIsFiled) {
    struct Case {
        const char* name;
        QByteArray bytes;
        bool reset; // reset instead of the orderly end
        bool filed;
    };
    const Case cases[] = {
        {"whole record, orderly end", Hello, false, true},
        {"half a record, reset", Hello.left(7), true, false},
        {"garbage, reset", QByteArray(5000, '\xA9'), true, false},
        {"nothing, orderly end", {}, false, false},
    };
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        r.records.clear();
        auto s = Open(c[0]->context.network.bindAddress, c[1]->context);
        bool written = k.bytes.isEmpty();
        QObject::connect(s.get(), &TcpStream::AllWritten, [&] { written = true; });
        s->Write(k.bytes);
        ASSERT_TRUE(WaitUntil([&] { return written; }));
        PumpMessagesFor(20);
        if (k.reset)
            s->Reset();
        else
            s->ShutdownWrite();
        ASSERT_TRUE(WaitUntil([&] { return r.listener.OpenConnections() == 0; }));
        EXPECT_EQ(r.records.size(), k.filed ? 1 : 0);
    }
}

TEST(MessageWire, TheSenderCountsDeliveredOnlyOnceTheReceiverFiledIt) {
    auto c = MakeComputers(2);
    HostContext& me = c[0]->context;
    MessageListener listener(c[1]->context);
    ASSERT_TRUE(listener.Listen());
    bool refuse = false;
    MessageClient* client = nullptr;
    QList<DeliveryOutcome> seenWhileFiling;
    QObject::connect(&listener, &MessageListener::RecordArrived, [&] {
        PumpMessagesFor(100); // the sender waits meanwhile
        seenWhileFiling << client->Outcome();
        if (refuse)
            listener.RefuseCurrent();
    });
    for (bool r : {false, true}) {
        refuse = r;
        MessageClient one(me, c[1]->context.network.bindAddress.toString(), Hello);
        client = &one;
        one.Start();
        ASSERT_TRUE(WaitUntil([&] { return one.Outcome() != DeliveryOutcome::Pending; }));
        EXPECT_EQ(one.Outcome(), r ? DeliveryOutcome::Failed : DeliveryOutcome::Delivered);
    }
    EXPECT_EQ(seenWhileFiling,
              (QList<DeliveryOutcome>{DeliveryOutcome::Pending, DeliveryOutcome::Pending}));
}

TEST(MessageWire, ARecordMustEndWithinTheRecordTime) {
    auto c = MakeComputers(2);
    c[1]->context.timings.receiveRecordMs = 300;
    Receiver r(c[1]->context);
    auto s = Open(c[0]->context.network.bindAddress, c[1]->context);
    // A byte now and then keeps the idle time from running out, not the
    // record time.
    for (int i = 0; i < 100 && r.listener.OpenConnections() > 0; ++i) {
        s->Write("x");
        PumpMessagesFor(20);
    }
    EXPECT_EQ(r.listener.OpenConnections(), 0);
    s->ShutdownWrite();
    PumpMessagesFor(50);
    EXPECT_TRUE(r.records.isEmpty());
}

TEST(MessageWire, RecordsAreHandedOnOneAtATimeInTheOrderTheyEnded) {
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    constexpr int N = 5;
    std::vector<std::unique_ptr<TcpStream>> senders;
    for (int i = 0; i < N; ++i) {
        senders.push_back(Open(test::LoopbackAddress(60 + i), c[1]->context));
        senders.back()->Write(TMsg{"S", "R", QByteArray::number(i), "S"}.Encode());
    }
    int depth = 0, deepest = 0;
    QObject::connect(&r.listener, &MessageListener::RecordArrived, [&] {
        deepest = std::max(deepest, ++depth);
        if (r.records.size() == 1) {
            // While the first is handled, the others end, last one first.
            for (int i = N - 1; i >= 1; --i) {
                senders[i]->ShutdownWrite();
                EXPECT_TRUE(WaitUntil([&] { return r.listener.WaitingRecords() == N - i; }));
            }
        }
        --depth;
    });
    senders[0]->ShutdownWrite();
    ASSERT_TRUE(WaitUntil([&] { return r.records.size() == N; }));
    EXPECT_EQ(deepest, 1);
    QByteArrayList bodies;
    for (const QByteArray& rec : r.records)
        bodies << TMsg::Decode(rec).Body;
    EXPECT_EQ(bodies, (QByteArrayList{"0", "4", "3", "2", "1"}));
}

TEST(MessageWire, DeliveryReportsTheRealOutcomePerTarget) {
    auto c = MakeComputers(3);
    Receiver two(c[1]->context);
    // HOST3 does not listen; HOST2 is known by name.
    HostContext& me = c[0]->context;
    me.resolver.Learn(QStringLiteral("HOST2"), c[1]->context.network.bindAddress);
    me.resolver.Learn(QStringLiteral("HOST3"), c[2]->context.network.bindAddress);
    const QByteArray record = TMsg{"Anna", "*", "{\\rtf1 hi}", "Anna"}.Encode();
    QStringList errors;
    const auto outcomes = DeliverToAll(me,
                                       {QStringLiteral("HOST2"), QStringLiteral("HOST3"),
                                        QStringLiteral("no-such-host.invalid"),
                                        c[1]->context.network.bindAddress.toString()},
                                       record, &errors);
    ASSERT_EQ(outcomes.size(), 4);
    EXPECT_EQ(outcomes[0], DeliveryOutcome::Delivered);
    EXPECT_EQ(outcomes[1], DeliveryOutcome::Refused);
    EXPECT_EQ(outcomes[2], DeliveryOutcome::Unresolved);
    EXPECT_EQ(outcomes[3], DeliveryOutcome::Delivered);
    EXPECT_FALSE(errors[1].isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return two.records.size() == 2; }));
    EXPECT_EQ(two.records[0], record);
    EXPECT_EQ(two.senders[0], me.network.bindAddress);
    EXPECT_TRUE(DeliverToAll(me, {}, record).isEmpty());
}

// A record counts as delivered only once the listener's commit says it is
// durable; records that end while one is handled share one commit.
TEST(MessageWire, SendersAreToldOnlyWhatTheCommitMadeDurable) {
    struct Case {
        const char* name;
        int senders;
        bool durable;
    };
    const Case cases[] = {{"one record, committed", 1, true},
                          {"one record, the commit failed", 1, false},
                          {"a burst, committed", 8, true},
                          {"a burst, the commit failed", 8, false}};
    auto c = MakeComputers(2);
    MessageListener listener(c[1]->context);
    ASSERT_TRUE(listener.Listen());
    int commits = 0, filed = 0;
    bool durable = true;
    listener.SetCommit([&] {
        ++commits;
        return durable;
    });
    QObject::connect(&listener, &MessageListener::RecordArrived, [&] {
        if (++filed == 1)
            PumpMessagesFor(100); // the others end meanwhile
    });
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        commits = filed = 0;
        durable = k.durable;
        std::vector<std::unique_ptr<MessageClient>> clients;
        for (int i = 0; i < k.senders; ++i) {
            clients.push_back(std::make_unique<MessageClient>(
                c[0]->context, c[1]->context.network.bindAddress.toString(), Hello));
            clients.back()->Start();
        }
        ASSERT_TRUE(WaitUntil([&] {
            return std::all_of(clients.begin(), clients.end(), [](const auto& one) {
                return one->Outcome() != DeliveryOutcome::Pending;
            });
        }));
        for (const auto& one : clients)
            EXPECT_EQ(one->Outcome(),
                      k.durable ? DeliveryOutcome::Delivered : DeliveryOutcome::Failed);
        EXPECT_EQ(filed, k.senders);
        EXPECT_GE(commits, 1);
        EXPECT_LT(commits, std::max(2, k.senders)); // a burst shares its commits
    }
}
