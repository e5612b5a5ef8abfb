#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "messaging/messageclient.h"
#include "messaging/messagelistener.h"
#include "messaging/tmsg.h"
#include "support/testcontext.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::MakeComputers;
using corvane::test::WaitUntil;

TEST(TMsgRecord, FourFieldsJoinedBySeparators) {
    const TMsg m{"Anna", "*", "{\\rtf1 hi}", "Anna"};
    EXPECT_EQ(m.Encode(), QByteArray("Anna\xA9\xA9\xA9*\xA9\xA9\xA9{\\rtf1 hi}\xA9\xA9\xA9" "Anna"));
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
    ASSERT_TRUE(WaitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 20000));
    PumpMessagesFor(50);
    EXPECT_TRUE(r.records.isEmpty());
}

TEST(MessageWire, ConnectionsBeyondTheLimitAreClosed) {
    auto c = MakeComputers(2);
    Receiver r(c[1]->context);
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < MessageListener::MaxConnections + 3; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(c[1]->context.network.bindAddress,
                                      c[1]->context.network.messagePort);
    }
    ASSERT_TRUE(WaitUntil([&] {
        int closed = 0;
        for (auto& s : sockets)
            closed += s->state() == QAbstractSocket::UnconnectedState;
        return closed == 3 && r.listener.OpenConnections() == MessageListener::MaxConnections;
    }));
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
    const auto outcomes = DeliverToAll(
        me, {QStringLiteral("HOST2"), QStringLiteral("HOST3"), QStringLiteral("no-such-host.invalid"),
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
