// The presence protocol of one computer, driven with datagrams by hand: what
// it answers, how the tree follows announcements and departures, and what the
// sweep keeps.
#include "common/fieldsplit.h"
#include "common/hostcontext.h"
#include "presence/presenceprotocol.h"
#include "support/testcontext.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct Sent {
    QString target;
    QByteArray text;
    QHostAddress to; // answers: the request's source
    bool request = false;
};

class FakeRecipient : public RecipientHolder {
public:
    QString caption = QStringLiteral("Select an Recipient");
    int resets = 0;
    QString RecipientCaption() const override { return caption; }
    void ResetRecipient() override {
        caption = QStringLiteral("Select an Recipient");
        ++resets;
    }
};

class ProtocolTest : public ::testing::Test {
protected:
    ProtocolTest()
        : tree(directory), protocol(
                               context, tree, timer, online, [this] { return alias; },
                               [this](const QString& target, const QByteArray& text, bool request) {
                                   sent.push_back({target, text, {}, request});
                                   return true;
                               }) {
        context.computerNameSource = [] { return QStringLiteral("SELF"); };
        context.timings.openWaitMs = 0;
        protocol.SetRecipientHolder(&recipient);
        protocol.SetAnswerSender(
            [this](const QString& named, const QHostAddress& source, const QByteArray& text) {
                sent.push_back({named, text, source});
            });
    }

    void Receive(const QByteArrayList& fields) { protocol.IcqSlotMessageAvail(JoinFields(fields)); }
    void Announce(const char* computer, const char* alias, bool on = true) {
        Receive({"I_AM_HERE", computer, on ? "TRUE" : "FALSE", alias});
    }
    bool Listed(const char* alias) const { return tree.FindComputerNode(alias) != nullptr; }
    bool Online(const char* alias) const { return tree.FindComputerNode(alias)->Record()->Online; }

    HostContext context;
    GeneralOnlyDirectory directory;
    NetworkTree tree;
    QTimer timer;
    bool online = true;
    QString alias = QStringLiteral("Me");
    std::vector<Sent> sent;
    FakeRecipient recipient;
    PresenceProtocol protocol;
};

} // namespace

TEST_F(ProtocolTest, AnswersTheRequesterWithStateAndAliasOfNow) {
    // Whether the requester is the source is the answer sender's to decide
    // (sourceanswer.h): the protocol hands it the name and the source.
    const QHostAddress from("127.0.0.7");
    protocol.IcqSlotMessageAvail(JoinFields({"WHO_IS_HERE", "HOST7"}), "HOST7", from);
    alias = QStringLiteral("Мой");
    online = false;
    Receive({"WHO_IS_HERE", "HOST8"});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].target, "HOST7");
    EXPECT_EQ(sent[0].to, from);
    EXPECT_EQ(sent[0].text, JoinFields({"I_AM_HERE", "SELF", "TRUE", "Me"}));
    EXPECT_EQ(sent[1].target, "HOST8");
    EXPECT_EQ(sent[1].text, JoinFields({"I_AM_HERE", "SELF", "FALSE", "\xCC\xEE\xE9"}));
}

TEST_F(ProtocolTest, RequestsBroadcastAndTheToggleAnnouncesToEverybody) {
    protocol.IcqSlotOpen();
    protocol.SetOnline(false);
    EXPECT_FALSE(online);
    protocol.SetOnline(true);
    EXPECT_TRUE(online);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].target, "*");
    EXPECT_EQ(sent[0].text, JoinFields({"WHO_IS_HERE", "SELF"}));
    EXPECT_TRUE(sent[0].request); // also to the listed other networks
    EXPECT_EQ(sent[1].target, "*");
    EXPECT_FALSE(sent[1].request);
    EXPECT_EQ(sent[1].text, JoinFields({"I_AM_HERE", "SELF", "FALSE", "Me"}));
    EXPECT_EQ(sent[2].text, JoinFields({"I_AM_HERE", "SELF", "TRUE", "Me"}));
}

TEST_F(ProtocolTest, AnnouncementsListAndColourComputers) {
    Announce("HOST1", "Ann");
    Receive({"ONLINE_NOTIFY", "HOST2", "true", "Bob"}); // lower case is offline
    Receive({"I_AM_HERE", "HOST3", "TRUE"});            // no alias: an empty one
    Receive({"BYE", "HOST4", "TRUE", "Cid"});           // unknown: ignored
    EXPECT_TRUE(Online("Ann"));
    EXPECT_FALSE(Online("Bob"));
    EXPECT_TRUE(Listed(""));
    EXPECT_FALSE(Listed("Cid"));
    EXPECT_EQ(protocol.List().Count(), 3);
    Announce("HOST1", "Ann", false);
    EXPECT_FALSE(Online("Ann"));
}

TEST_F(ProtocolTest, DepartureRemovesByAliasButNotOurOwn) {
    Announce("SELF", "Me");
    Announce("HOST1", "Ann");
    Receive({"OFFLINE_NOTIFY", "SELF", "Me"});
    EXPECT_TRUE(Listed("Me"));
    Receive({"OFFLINE_NOTIFY", "HOST1", "Ann"});
    EXPECT_FALSE(Listed("Ann"));
    EXPECT_EQ(protocol.List().Count(), 2); // the list is not changed
    Receive({"OFFLINE_NOTIFY", "HOST9", "Nobody"});
    Receive({"OFFLINE_NOTIFY"});
    EXPECT_TRUE(Listed("Me"));
}

TEST_F(ProtocolTest, DepartureOfTheChosenComputerResetsTheRecipient) {
    Announce("HOST1", "HOST1");
    Announce("HOST2", "Bob");
    Announce("HOST3", "Cid");
    recipient.caption = "HOST1"; // chosen by the computer's own name
    Receive({"OFFLINE_NOTIFY", "HOST1", "HOST1"});
    EXPECT_EQ(recipient.resets, 1);
    recipient.caption = "Bob"; // chosen by an alias that differs from the name
    Receive({"OFFLINE_NOTIFY", "HOST2", "Bob"});
    EXPECT_EQ(recipient.resets, 2);
    recipient.caption = "Cid";
    Receive({"OFFLINE_NOTIFY", "HOST9", "Zed"});
    EXPECT_EQ(recipient.caption, "Cid");
    EXPECT_EQ(recipient.resets, 2);
}

TEST_F(ProtocolTest, SweepKeepsAnsweredComputersAndDropsTheRest) {
    Announce("HOST1", "Ann");
    Announce("HOST2", "Bob");
    Announce("HOST3", "Cid");
    protocol.WhoIsHereEvent(); // the list starts afresh
    Announce("host1", "ANN");  // the list ignores letter case; the tree does not
    Announce("HOST3", "Cid", false);
    recipient.caption = "Bob";
    protocol.PresenceSweep();
    EXPECT_TRUE(Listed("Ann"));
    EXPECT_FALSE(Listed("Bob"));
    EXPECT_TRUE(Listed("Cid"));
    EXPECT_TRUE(Listed("ANN"));
    EXPECT_FALSE(Online("Cid"));
    EXPECT_EQ(recipient.resets, 1);
    // A window that brought nothing empties the tree, groups included.
    protocol.WhoIsHereEvent();
    protocol.PresenceSweep();
    EXPECT_EQ(tree.ComputerCount(), 0);
    EXPECT_TRUE(tree.TopLevel().empty());
}

TEST_F(ProtocolTest, SweepRemovesEveryUnlistedNodeOfARun) {
    // Neighbours removed one after another, each examined once.
    for (int i = 0; i < 50; ++i)
        Announce(qPrintable(QStringLiteral("H%1").arg(i)),
                 qPrintable(QStringLiteral("a%1").arg(i)));
    protocol.WhoIsHereEvent();
    for (int i = 0; i < 50; i += 7)
        Announce(qPrintable(QStringLiteral("H%1").arg(i)),
                 qPrintable(QStringLiteral("a%1").arg(i)));
    protocol.PresenceSweep();
    QStringList left;
    for (const auto* node : tree.ComputerNodes())
        left << node->Text();
    EXPECT_EQ(left, QStringList({"a0", "a7", "a14", "a21", "a28", "a35", "a42", "a49"}));
}

TEST_F(ProtocolTest, AliasChangeGivesASecondNodeAndTheOldGoesAtTheSweep) {
    Announce("HOST1", "Old");
    protocol.WhoIsHereEvent();
    Announce("HOST1", "New");
    EXPECT_TRUE(Listed("Old"));
    EXPECT_TRUE(Listed("New"));
    protocol.PresenceSweep();
    EXPECT_FALSE(Listed("Old"));
    EXPECT_TRUE(Listed("New"));
}

TEST_F(ProtocolTest, SharedAliasIsOneNodeOfTheFirstComputer) {
    Announce("HOST1", "Same");
    Announce("HOST2", "Same", false);
    EXPECT_EQ(tree.ComputerCount(), 1);
    EXPECT_EQ(tree.FindComputerNode("Same")->Record()->ComputerName, "HOST1");
    EXPECT_FALSE(Online("Same"));
    // The sweep looks for the node's own computer: only HOST2 answered.
    protocol.WhoIsHereEvent();
    Announce("HOST2", "Same");
    protocol.PresenceSweep();
    EXPECT_FALSE(Listed("Same"));
    // Either computer's departure removes the shared node.
    Announce("HOST1", "Same");
    Announce("HOST2", "Same");
    Receive({"OFFLINE_NOTIFY", "HOST2", "Same"});
    EXPECT_FALSE(Listed("Same"));
}

TEST_F(ProtocolTest, SweepFlagsComeFromTheListAndLeaveDepartedComputersAbsent) {
    Announce("HOST1", "Ann");
    protocol.WhoIsHereEvent();
    Announce("HOST1", "Ann");
    tree.FindComputerNode("Ann")->Record()->Online = false; // out of step with the list
    Announce("HOST2", "Bob");
    Receive({"OFFLINE_NOTIFY", "HOST2", "Bob"});
    protocol.PresenceSweep();
    EXPECT_TRUE(Online("Ann"));
    EXPECT_FALSE(Listed("Bob")); // listed, but gone until it announces again
    Announce("HOST2", "Bob");
    EXPECT_TRUE(Listed("Bob"));
}

TEST_F(ProtocolTest, RebuildEmptiesTheTreeAndRequests) {
    Announce("HOST1", "Ann");
    recipient.caption = "Ann";
    protocol.RebuildTree();
    EXPECT_TRUE(tree.TopLevel().empty());
    EXPECT_EQ(recipient.caption, "Ann"); // untouched
    EXPECT_EQ(protocol.List().Count(), 1);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().target, "*");
    EXPECT_EQ(sent.back().text, JoinFields({"WHO_IS_HERE", "SELF"}));
}

TEST_F(ProtocolTest, TimerAlternatesRequestAndSweepAndThenKeepsTheLongInterval) {
    context.timings.presenceIntervalMs = 60;
    timer.setInterval(20);
    timer.start();
    auto requests = [this] {
        return std::count_if(sent.begin(), sent.end(),
                             [](const Sent& s) { return s.text.startsWith("WHO_IS_HERE"); });
    };
    ASSERT_TRUE(test::WaitUntil([&] { return requests() == 1; }));
    EXPECT_EQ(protocol.NextTimerHandler(), PresenceProtocol::TimerHandler::Sweep);
    EXPECT_EQ(timer.interval(), 20); // the request leaves the interval
    Announce("HOST1", "Ann");
    ASSERT_TRUE(test::WaitUntil([&] { return protocol.SweepCount() == 1; }));
    EXPECT_EQ(timer.interval(), 60);
    EXPECT_EQ(protocol.NextTimerHandler(), PresenceProtocol::TimerHandler::WhoIsHere);
    EXPECT_TRUE(Listed("Ann"));
    ASSERT_TRUE(test::WaitUntil([&] { return protocol.SweepCount() == 2; }));
    EXPECT_EQ(requests(), 2);
    EXPECT_FALSE(Listed("Ann")); // did not answer the second request
    EXPECT_EQ(protocol.List().Count(), 0);
    timer.stop();
}

TEST_F(ProtocolTest, InventedNamesCannotGrowTheListAndTreeWithoutBound) {
    const QByteArray longName(PresenceProtocol::MaxNameLength + 1, 'N');
    Receive({"I_AM_HERE", longName, "TRUE", "alias"});
    Receive({"I_AM_HERE", "HOST1", "TRUE", longName});
    EXPECT_EQ(tree.ComputerCount(), 0);
    for (int i = 0; i < PresenceProtocol::MaxComputers + 10; ++i)
        Receive(
            {"I_AM_HERE", "HOST" + QByteArray::number(i), "TRUE", "user" + QByteArray::number(i)});
    EXPECT_EQ(tree.ComputerCount(), PresenceProtocol::MaxComputers);
    // Those already listed still change state.
    Receive({"I_AM_HERE", "HOST0", "FALSE", "user0"});
    EXPECT_FALSE(Online("user0"));
}

// A learned address moves only with a presence datagram whose computer field
// names the packet's own sender.
TEST_F(ProtocolTest, OnlyASendersOwnPresenceMovesItsAddress) {
    const QHostAddress home("127.0.0.2"), elsewhere("127.0.0.9");
    struct Case {
        const char* what;
        QByteArrayList fields;
        QString packetSender;
        bool moves;
    };
    const Case cases[] = {
        {"answer naming itself", {"I_AM_HERE", "BETA", "TRUE", "b"}, "BETA", true},
        {"letter case differs", {"I_AM_HERE", "beta", "TRUE", "b"}, "BETA", true},
        {"request naming itself", {"WHO_IS_HERE", "BETA"}, "BETA", true},
        {"arrival naming itself", {"ONLINE_NOTIFY", "BETA", "TRUE", "b"}, "BETA", true},
        {"answer naming another", {"I_AM_HERE", "BETA", "TRUE", "b"}, "GAMMA", false},
        {"request for another", {"WHO_IS_HERE", "BETA"}, "GAMMA", false},
        {"departure", {"OFFLINE_NOTIFY", "BETA", "b"}, "BETA", false},
        {"chat or other text", {"HELLO", "BETA"}, "BETA", false},
        {"no packet sender", {"I_AM_HERE", "BETA", "TRUE", "b"}, "", false},
    };
    for (const Case& c : cases) {
        context.resolver.Learn(QStringLiteral("BETA"), home);
        protocol.IcqSlotMessageAvail(JoinFields(c.fields), c.packetSender, elsewhere);
        EXPECT_EQ(context.resolver.Learned(QStringLiteral("BETA")), c.moves ? elsewhere : home)
            << c.what;
    }
}

// Presence tells when it no longer sees a computer: its last node went with
// a departure or a sweep (the chat room lets its members go then).
TEST_F(ProtocolTest, AComputerIsGoneWhenItsLastNodeGoes) {
    QStringList gone;
    QObject::connect(&protocol, &PresenceProtocol::ComputerGone,
                     [&](const QString& computer) { gone << computer; });
    Announce("HOST1", "Ann");
    Announce("HOST1", "Ann2"); // a new alias: a second node of the same computer
    Announce("HOST2", "Bob");
    Announce("HOST3", "Cid");
    Receive({"OFFLINE_NOTIFY", "HOST1", "Ann"});
    EXPECT_EQ(gone, QStringList());
    protocol.WhoIsHereEvent();
    Announce("HOST2", "Bob");
    protocol.PresenceSweep(); // HOST1 and HOST3 did not answer
    EXPECT_EQ(gone, QStringList({"HOST1", "HOST3"}));
    Receive({"OFFLINE_NOTIFY", "HOST2", "Bob"});
    EXPECT_EQ(gone, QStringList({"HOST1", "HOST3", "HOST2"}));
    // A rebuild is no departure.
    Announce("HOST4", "Dan");
    protocol.RebuildTree();
    EXPECT_EQ(gone.size(), 3);
}
