// Chat rooms of several simulated computers on loopback, without windows:
// the member lists each builds from what it sees, the first-entry rule,
// nick names, lines, beeps and private chats.
#include "chat/chatroom.h"
#include "chat/privatechat.h"
#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "support/testcontext.h"
#include "transport/datagramnetwork.h"

#include <gtest/gtest.h>
#include <memory>

using namespace corvane;
using corvane::test::WaitUntil;

namespace {

// One computer with an open-able chat room; lines are written as text,
// arrivals prefixed "+" and departures "-".
struct Member {
    Member(test::TestComputer& c, const QString& nickName) : computer(c), nick(nickName) {
        c.context.datagrams = &network;
        room = std::make_unique<ChatRoom>(
            c.context,
            ChatRoomHooks{[this] { return nick; }, [this](const QString& n) { nick = n; },
                          [this](const QString& text, ChatLineKind kind) {
                              lines << (kind == ChatLineKind::Arrival     ? "+" + text
                                        : kind == ChatLineKind::Departure ? "-" + text
                                                                          : text);
                          },
                          [this] { lines.clear(); }, nullptr, nullptr, nullptr,
                          [this](const PrivateChatStart& s) { OpenPrivate(s); }});
        room->DispSysMessages = true;
    }
    ~Member() {
        privates.clear();
        room.reset();
    }
    void OpenPrivate(const PrivateChatStart& start) {
        auto chat = std::make_unique<PrivateChat>(
            computer.context, start, Language::English,
            PrivateChatHooks{
                [this] { return nick; },
                [this, slot = start.slot](const QString& l) { privateLines[slot] << l; }});
        chat->Open();
        privates.push_back(std::move(chat));
    }
    QStringList List() const {
        QStringList out;
        for (const ChatMember& m : room->Members())
            out << m.nick + "@" + m.computer;
        return out;
    }
    int IndexOf(const QString& nick) const {
        for (int i = 0; i < room->Members().size(); ++i)
            if (room->Members()[i].nick == nick)
                return i;
        return -1;
    }
    PrivateChat* Private(int i) {
        return i < int(privates.size()) ? privates[size_t(i)].get() : nullptr;
    }

    test::TestComputer& computer;
    DatagramNetwork network{computer.context};
    QString nick;
    std::unique_ptr<ChatRoom> room;
    QStringList lines;
    std::vector<std::unique_ptr<PrivateChat>> privates;
    QHash<QString, QStringList> privateLines;
};

class ChatRoomTest : public ::testing::Test {
protected:
    void Make(int n) {
        computers = test::MakeComputers(n);
        for (auto& c : computers)
            members.push_back(std::make_unique<Member>(*c, QStringLiteral("CompName")));
    }
    void TearDown() override {
        members.clear();
        computers.clear();
    }
    Member& M(int i) { return *members[size_t(i)]; }
    // Opens a room and waits until its own entry and every answer is in.
    void Open(int i, const QStringList& expected) {
        M(i).room->Open(Language::English);
        ASSERT_TRUE(WaitUntil([&] { return M(i).List() == expected; }))
            << M(i).List().join(' ').toStdString();
    }
    bool Lists(int i, const QStringList& expected) {
        return WaitUntil([&] { return M(i).List() == expected; });
    }
    bool Shows(int i, const QString& line) {
        return WaitUntil([&] { return M(i).lines.contains(line); });
    }
    // Sends a line from member i and waits until every open room shows it, so
    // that whatever was sent before has been handled everywhere.
    void Sync(int from, const QString& text) {
        M(from).room->SendLine(text);
        for (auto& m : members)
            if (m->room->IsOpen()) {
                ASSERT_TRUE(
                    WaitUntil([&] { return m->lines.contains(M(from).nick + "> " + text); }));
            }
    }

    std::vector<std::unique_ptr<test::TestComputer>> computers;
    std::vector<std::unique_ptr<Member>> members;
};

} // namespace

TEST_F(ChatRoomTest, MembersListEachOtherByTheFirstEntryRule) {
    Make(3);
    Open(0, {"HOST1@HOST1"}); // "CompName" stands for the computer name
    EXPECT_EQ(M(0).nick, "HOST1");
    Open(1, {"HOST2@HOST2", "HOST1@HOST1"});
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1", "HOST2@HOST2"}));
    Open(2, {"HOST3@HOST3", "HOST1@HOST1", "HOST2@HOST2"});
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1", "HOST2@HOST2", "HOST3@HOST3"}));
    EXPECT_TRUE(Lists(1, {"HOST2@HOST2", "HOST1@HOST1", "HOST3@HOST3"}));
    // Arrivals are written where they were seen as arrivals; answers are not.
    EXPECT_EQ(M(0).lines, QStringList({"+USER \"HOST1\" HAS ENTERED TO THE CHAT.",
                                       "+USER \"HOST2\" HAS ENTERED TO THE CHAT.",
                                       "+USER \"HOST3\" HAS ENTERED TO THE CHAT."}));
    EXPECT_EQ(M(2).lines, QStringList({"+USER \"HOST3\" HAS ENTERED TO THE CHAT."}));

    // Lines reach every room, the sender's own through the broadcast.
    Sync(1, "hello");
    Sync(2, "");
    M(0).room->SendLine(QStringLiteral("a©b")); // "©" is the separator byte
    EXPECT_TRUE(Shows(1, "HOST1> a"));

    // A member leaves: every room drops it and says so; a departure of a
    // nick name nobody lists is still written.
    M(2).room->Close();
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1", "HOST2@HOST2"}));
    EXPECT_TRUE(Lists(1, {"HOST2@HOST2", "HOST1@HOST1"}));
    EXPECT_TRUE(Shows(0, "-USER \"HOST3\" HAS LEFT THE CHAT."));
    M(0).room->Slot1MessageAvail(ChatUserDisconnectedDatagram("NOBODY"));
    EXPECT_EQ(M(0).lines.last(), "-USER \"NOBODY\" HAS LEFT THE CHAT.");
    // A second arrival of a listed nick name writes nothing.
    const int before = int(M(0).lines.size());
    M(0).room->Slot1MessageAvail(ChatUserConnectedDatagram("HOST2", "ELSEWHERE"));
    EXPECT_EQ(M(0).lines.size(), before);
    EXPECT_EQ(M(0).List(), QStringList({"HOST1@HOST1", "HOST2@HOST2"}));
}

TEST_F(ChatRoomTest, NickNameChangesAndWhoAnswersListRequests) {
    Make(4);
    Open(0, {"HOST1@HOST1"});
    Open(1, {"HOST2@HOST2", "HOST1@HOST1"});
    // HOST1 renames itself: its old entry goes, the new one comes last, so
    // its own entry is no longer first and it stops answering.
    M(0).room->NickEnter();
    M(0).room->NickExit(); // unchanged: nothing is sent
    M(0).nick = "ANNA";
    M(0).room->NickExit(); // without a new focus the old name still counts
    M(0).room->NickEnter();
    M(0).nick = "ANNA2";
    M(0).room->NickExit();
    EXPECT_TRUE(Lists(1, {"HOST2@HOST2", "ANNA2@HOST1"}));
    EXPECT_TRUE(Lists(0, {"HOST2@HOST2", "ANNA2@HOST1"}));
    EXPECT_TRUE(Shows(1, "-USER \"HOST1\" HAS LEFT THE CHAT."));
    EXPECT_TRUE(Shows(1, "-USER \"ANNA\" HAS LEFT THE CHAT."));
    EXPECT_TRUE(Shows(1, "+USER \"ANNA2\" HAS ENTERED TO THE CHAT."));
    Sync(0, "renamed");

    // HOST3 takes the nick name "HOST2": HOST2 does not answer a requester
    // with its own nick, HOST1 does not answer at all, so HOST3 learns no one
    // and its arrival is dropped everywhere as a listed nick.
    M(2).nick = "HOST2";
    Open(2, {"HOST2@HOST3"});
    Sync(1, "after HOST3");
    EXPECT_EQ(M(2).List(), QStringList({"HOST2@HOST3"}));
    EXPECT_EQ(M(1).List(), QStringList({"HOST2@HOST2", "ANNA2@HOST1"}));
    // HOST4 asks: HOST2 answers (its entry is first), HOST3 too (its own
    // "HOST2" entry is first), HOST1 does not.
    Open(3, {"HOST4@HOST4", "HOST2@HOST2", "ANNA2@HOST1"});
    Sync(3, "done");
    EXPECT_EQ(M(3).List(), QStringList({"HOST4@HOST4", "HOST2@HOST2", "ANNA2@HOST1"}));
    // The departure of either "HOST2" removes the one entry.
    M(2).room->Close();
    EXPECT_TRUE(Lists(3, {"HOST4@HOST4", "ANNA2@HOST1"}));
}

TEST_F(ChatRoomTest, SystemMessagesOffChangeTheListSilently) {
    Make(2);
    M(0).room->DispSysMessages = false;
    Open(0, {"HOST1@HOST1"});
    Open(1, {"HOST2@HOST2", "HOST1@HOST1"});
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1", "HOST2@HOST2"}));
    M(1).room->Close();
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1"}));
    EXPECT_TRUE(M(0).lines.isEmpty());
}

TEST_F(ChatRoomTest, MemberCommandsBeepsAndTheirTargets) {
    Make(2);
    Open(0, {"HOST1@HOST1"});
    Open(1, {"HOST2@HOST2", "HOST1@HOST1"});
    EXPECT_FALSE(M(0).room->CanCommand(-1));
    EXPECT_FALSE(M(0).room->CanCommand(0)); // the own entry
    EXPECT_TRUE(M(0).room->CanCommand(1));
    EXPECT_FALSE(M(0).room->CanCommand(2));
    EXPECT_FALSE(M(0).room->Beep(-1));
    EXPECT_FALSE(M(0).room->RequestPrivateChat(-1).has_value());

    ASSERT_TRUE(M(0).room->Beep(1)); // here at once, there when it arrives
    EXPECT_EQ(computers[0]->sound.played, QStringList({"ChatBeep.Wav"}));
    EXPECT_TRUE(WaitUntil([&] { return computers[1]->sound.played.size() == 1; }));

    // A beep reaches a room only while it is open.
    M(1).room->Close();
    Sync(0, "closed");
    M(0).room->Slot1MessageAvail(ChatBeepUserDatagram()); // as if from the network
    M(0).room->Beep(1);
    Sync(0, "again");
    EXPECT_EQ(computers[1]->sound.played.size(), 1);
}

TEST_F(ChatRoomTest, PrivateChatsBothWaysAndTheOtherSideLeaving) {
    Make(2);
    Open(0, {"HOST1@HOST1"});
    Open(1, {"HOST2@HOST2", "HOST1@HOST1"});
    // Two private chats with the same member: two slots, two windows a side.
    for (int i = 0; i < 2; ++i) {
        const auto start = M(0).room->RequestPrivateChat(M(0).IndexOf("HOST2"));
        ASSERT_TRUE(start.has_value());
        EXPECT_EQ(start->peerComputer, "HOST2");
        EXPECT_EQ(start->peerNick, "HOST2");
        M(0).OpenPrivate(*start);
    }
    ASSERT_TRUE(WaitUntil([&] { return M(1).privates.size() == 2; }));
    const QString slot1 = M(0).Private(0)->Slot1().Slot();
    const QString slot2 = M(0).Private(1)->Slot1().Slot();
    ASSERT_NE(slot1, slot2);
    EXPECT_EQ(M(1).Private(0)->Slot1().Slot(), slot1);
    EXPECT_EQ(M(1).Private(0)->PeerComputer(), "HOST1");
    ASSERT_TRUE(M(1).Private(0)->IsOpen());

    // Lines go both ways and come back to the sender through ".".
    ASSERT_TRUE(M(0).Private(0)->SendLine("hi"));
    ASSERT_TRUE(M(1).Private(0)->SendLine(""));
    const QStringList both = {"HOST1> hi", "HOST2> "};
    EXPECT_TRUE(WaitUntil(
        [&] { return M(0).privateLines[slot1] == both && M(1).privateLines[slot1] == both; }));
    EXPECT_TRUE(M(0).privateLines[slot2].isEmpty());
    // A nick-name change shows in later lines.
    M(0).nick = "ANNA";
    ASSERT_TRUE(M(0).Private(1)->SendLine("second"));
    EXPECT_TRUE(
        WaitUntil([&] { return M(1).privateLines[slot2] == QStringList({"ANNA> second"}); }));

    // The beep of a private chat goes to both chat rooms.
    M(0).Private(0)->Beep();
    EXPECT_TRUE(WaitUntil([&] {
        return computers[0]->sound.played.size() == 1 && computers[1]->sound.played.size() == 1;
    }));

    // HOST2 leaves the first chat: HOST1 writes an empty line and the
    // departure, and can no longer send; leaving then sends nothing.
    M(1).Private(0)->Close();
    EXPECT_TRUE(WaitUntil([&] { return !M(0).Private(0)->IsOpen(); }));
    EXPECT_EQ(M(0).privateLines[slot1].mid(2),
              QStringList({"", "USER \"HOST2\" HAS LEFT THE CHAT"}));
    EXPECT_FALSE(M(0).Private(0)->SendLine("lost"));
    EXPECT_FALSE(M(1).Private(0)->SendLine("gone"));
    // The second chat goes on.
    ASSERT_TRUE(M(1).Private(1)->SendLine("still here"));
    EXPECT_TRUE(WaitUntil([&] { return M(0).privateLines[slot2].contains("HOST2> still here"); }));
}

TEST_F(ChatRoomTest, WhatTheNetworkSendsIsBounded) {
    Make(1);
    Open(0, {"HOST1@HOST1"});
    ChatRoom& room = *M(0).room;
    const QString longName(ChatBounds::MaxNameLength + 1, 'x');
    const QString fitting(ChatBounds::MaxNameLength, 'y');
    room.Slot1MessageAvail(ChatUserConnectedDatagram(longName, "HOST9"));
    room.Slot1MessageAvail(ChatGetUserNameDatagram("Z", longName));
    room.Slot1MessageAvail(ChatUserConnectedDatagram(fitting, "HOST9"));
    EXPECT_EQ(M(0).List().size(), 2);
    EXPECT_TRUE(room.UserInList(fitting));
    // A flood of invented members stops at the bound.
    for (int i = 0; i < ChatBounds::MaxMembers + 100; ++i)
        room.Slot1MessageAvail(ChatGetUserNameDatagram(QString::number(i), "H"));
    EXPECT_EQ(room.Members().size(), ChatBounds::MaxMembers);
    // An over-long line is cut; nothing is lost below the bound.
    M(0).lines.clear();
    room.Slot1MessageAvail(ChatUserMessageSentDatagram(longName, QString(50000, 't')));
    ASSERT_EQ(M(0).lines.size(), 1);
    EXPECT_EQ(M(0).lines[0].size(), ChatBounds::MaxNameLength + 2 + ChatBounds::MaxLineLength);
    // A list request naming "*" is not answered to everybody.
    room.Slot1MessageAvail(ChatGetUsersListDatagram("X", "*"));
}

TEST_F(ChatRoomTest, NamesThatAreNoOneComputerAreNeverKeptAsTargets) {
    Make(1);
    Open(0, {"HOST1@HOST1"});
    ChatRoom& room = *M(0).room;
    struct Case {
        QString computer;
        bool listed;
    };
    const Case cases[] = {
        {"PC7", true},  {"", true}, // an empty computer reaches nobody
        {"*", false},   {".", false},    {"255.255.255.255", false}, {"10.0.0.255", false},
        {"PC*", false}, {"a..b", false}, {QString(64, 'x'), false}, // no host name has such a label
    };
    QStringList expected = {"HOST1@HOST1"};
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const QString nick = QStringLiteral("N%1").arg(i);
        room.Slot1MessageAvail(ChatUserConnectedDatagram(nick, cases[i].computer));
        if (cases[i].listed)
            expected << nick + "@" + cases[i].computer;
    }
    EXPECT_EQ(M(0).List(), expected);
    // Nor as a private peer, and only a slot a copy draws opens a chat.
    for (const auto& [computer, slot] : {std::pair{"*", "1234"},
                                         {"10.0.0.255", "1234"},
                                         {"PC7", "CHATSLOT3"},
                                         {"PC7", "0123"},
                                         {"PC7", "2000000"},
                                         {"PC7", "77"}})
        room.Slot1MessageAvail(ChatRequestToPrivateDatagram("X", computer, slot));
    EXPECT_TRUE(M(0).privates.empty()); // opens once the handling is over
    ASSERT_TRUE(WaitUntil([&] { return !M(0).privates.empty(); }));
    PumpMessagesFor(20);
    ASSERT_EQ(M(0).privates.size(), 1u);
    EXPECT_EQ(M(0).Private(0)->PeerComputer(), "PC7");
    EXPECT_EQ(M(0).Private(0)->Slot1().Slot(), "77");
}

TEST_F(ChatRoomTest, MembersWhoseComputerPresenceNoLongerSeesLeave) {
    Make(3);
    Open(0, {"HOST1@HOST1"});
    Open(1, {"HOST2@HOST2", "HOST1@HOST1"});
    Open(2, {"HOST3@HOST3", "HOST1@HOST1", "HOST2@HOST2"});
    ChatRoom& room = *M(0).room;
    room.Slot1MessageAvail(ChatUserConnectedDatagram("ALIEN", "")); // reaches nobody
    M(0).lines.clear();
    room.ComputerGone("host3"); // killed without goodbye: the sweep missed it
    room.ComputerGone("HOST1"); // the own entry never goes
    room.ComputerGone("HOST9");
    room.ComputerGone("");
    EXPECT_EQ(M(0).List(), QStringList({"HOST1@HOST1", "HOST2@HOST2", "ALIEN@"}));
    EXPECT_EQ(M(0).lines, QStringList({"-USER \"HOST3\" HAS LEFT THE CHAT."}));
}

TEST(PrivateChatOpening, BoundAndCaptionLanguage) {
    const int bound = ChatBounds::MaxPrivateChats;
    struct Case {
        bool requesting;
        int open;
        Language room;
        bool opens;
        Language caption;
    };
    const Case cases[] = {
        {true, 0, Language::Russian, true, Language::Russian},
        {true, bound - 1, Language::English, true, Language::English},
        {false, 0, Language::Russian, true, Language::English}, // the side asked: English
        {false, bound - 1, Language::Russian, true, Language::English},
        {true, bound, Language::Russian, false, Language::Russian},
        {false, bound + 5, Language::English, false, Language::English},
    };
    for (const Case& c : cases) {
        PrivateChatStart start;
        start.requesting = c.requesting;
        EXPECT_EQ(PrivateChatOpening::MayOpen(c.open), c.opens) << c.open;
        EXPECT_EQ(PrivateChatOpening::CaptionLanguage(start, c.room), c.caption) << c.requesting;
    }
}
