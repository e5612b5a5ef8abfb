// The chat datagrams as bytes: what each keyword carries, how missing,
// empty and separator-holding fields read, and the private slot names.
#include "chat/chatdatagrams.h"
#include "chat/chatroom.h"
#include "chat/chattexts.h"
#include "common/fieldsplit.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace corvane;
using Kind = ChatDatagram::Kind;

TEST(ChatDatagrams, ReadByTheFieldRule) {
    const QByteArray fs = FieldSeparator;
    const struct {
        QByteArray payload;
        Kind kind;
        QString nick, third, slot;
    } cases[] = {
        {"ChatUserConnected" + fs + "ANNA" + fs + "HOST1", Kind::UserConnected, "ANNA", "HOST1",
         ""},
        {"ChatGetUsersList" + fs + "ANNA" + fs + "HOST1", Kind::GetUsersList, "ANNA", "HOST1", ""},
        {"ChatGetUserName" + fs + "BORIS" + fs + "HOST2", Kind::GetUserName, "BORIS", "HOST2", ""},
        {"ChatUserMessageSent" + fs + "ANNA" + fs + "hello", Kind::UserMessageSent, "ANNA", "hello",
         ""},
        {"ChatUserDisconnected" + fs + "ANNA", Kind::UserDisconnected, "ANNA", "", ""},
        {"ChatRequestToPrivate" + fs + "ANNA" + fs + "HOST1" + fs + "1234", Kind::RequestToPrivate,
         "ANNA", "HOST1", "1234"},
        {"ChatBeepUser", Kind::BeepUser, "", "", ""},
        // An empty nick name moves the computer name into its place.
        {"ChatUserConnected" + fs + fs + "HOST1", Kind::UserConnected, "HOST1", "", ""},
        // A text holding 0xA9 arrives only up to that byte.
        {"ChatUserMessageSent" + fs + "ANNA" + fs +
             "a\xA9"
             "b",
         Kind::UserMessageSent, "ANNA", "a", "b"},
        // An empty line: the nick name alone.
        {"ChatUserMessageSent" + fs + "ANNA" + fs, Kind::UserMessageSent, "ANNA", "", ""},
        // Windows-1251 text.
        {"ChatUserMessageSent" + fs + "\xC0\xED\xFF" + fs + "\xEF\xF0\xE8", Kind::UserMessageSent,
         QStringLiteral("Аня"), QStringLiteral("при"), ""},
        {"chatbeepuser", Kind::Unknown, "", "", ""},
        {"ChatBeepUser " + fs, Kind::Unknown, "", "", ""},
        {"", Kind::Unknown, "", "", ""},
        {fs + fs, Kind::Unknown, "", "", ""},
    };
    for (const auto& c : cases) {
        const ChatDatagram d = ParseChatDatagram(c.payload);
        SCOPED_TRACE(c.payload.toHex().toStdString());
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.nick, c.nick);
        EXPECT_EQ(d.Text(), c.third);
        EXPECT_EQ(d.slot, c.slot);
    }
}

TEST(ChatDatagrams, WrittenAsKeywordAndFields) {
    const QByteArray fs = FieldSeparator;
    EXPECT_EQ(ChatUserConnectedDatagram("ANNA", "HOST1"),
              "ChatUserConnected" + fs + "ANNA" + fs + "HOST1");
    EXPECT_EQ(ChatGetUsersListDatagram("ANNA", "HOST1"),
              "ChatGetUsersList" + fs + "ANNA" + fs + "HOST1");
    EXPECT_EQ(ChatGetUserNameDatagram("B", "H2"), "ChatGetUserName" + fs + "B" + fs + "H2");
    EXPECT_EQ(ChatUserMessageSentDatagram("ANNA", ""), "ChatUserMessageSent" + fs + "ANNA" + fs);
    EXPECT_EQ(ChatUserDisconnectedDatagram("ANNA"), "ChatUserDisconnected" + fs + "ANNA");
    EXPECT_EQ(ChatRequestToPrivateDatagram("ANNA", "HOST1", "7"),
              "ChatRequestToPrivate" + fs + "ANNA" + fs + "HOST1" + fs + "7");
    EXPECT_EQ(ChatBeepUserDatagram(), "ChatBeepUser");
    EXPECT_EQ(ChatUserMessageSentDatagram(QStringLiteral("Аня"), QStringLiteral("€✓")),
              "ChatUserMessageSent" + fs + "\xC0\xED\xFF" + fs + "\x88?");
}

TEST(ChatDatagrams, LinesAndSystemLinesInBothLanguages) {
    EXPECT_EQ(ChatLine("ANNA", "hello"), "ANNA> hello");
    EXPECT_EQ(ChatLine("ANNA", ""), "ANNA> ");
    EXPECT_EQ(ChatLine(QString(300, 'n'), QString(5000, 't')).size(),
              ChatBounds::MaxNameLength + 2 + ChatBounds::MaxLineLength);
    EXPECT_EQ(ChatTexts::ArrivalLine(Language::English, "ANNA"),
              "USER \"ANNA\" HAS ENTERED TO THE CHAT.");
    EXPECT_EQ(ChatTexts::DepartureLine(Language::English, "ANNA"),
              "USER \"ANNA\" HAS LEFT THE CHAT.");
    EXPECT_EQ(ChatTexts::PrivateDepartureLine(Language::English, "ANNA"),
              "USER \"ANNA\" HAS LEFT THE CHAT");
    EXPECT_EQ(ChatTexts::ArrivalLine(Language::Russian, "A"),
              QStringLiteral("ПОЛЬЗОВАТЕЛЬ \"A\" ВОШЕЛ В ЧАТ."));
    EXPECT_EQ(ChatTexts::DepartureLine(Language::Russian, "A"),
              QStringLiteral("ПОЛЬЗОВАТЕЛЬ \"A\" ПОКИНУЛ ЧАТ."));
    EXPECT_EQ(ChatTexts::PrivateDepartureLine(Language::Russian, "A"),
              QStringLiteral("ПОЛЬЗОВАТЕЛЬ \"A\" ПОКИНУЛ ЧАТ"));
    EXPECT_EQ(ChatTexts::PrivateChatCaption(Language::English, "ANNA", "BORIS"),
              "Private Chat (ANNA,BORIS)");
    EXPECT_EQ(ChatTexts::PrivateChatCaption(Language::Russian, "ANNA", "BORIS"),
              QStringLiteral("Приватный разговор (ANNA,BORIS)"));
}

TEST(ChatDatagrams, PrivateSlotNamesAreDecimalBelowTheLimitAndDrawnApart) {
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString name = NewPrivateSlotName();
        bool ok = false;
        const int n = name.toInt(&ok);
        ASSERT_TRUE(ok) << name.toStdString();
        EXPECT_GE(n, 0);
        EXPECT_LT(n, ChatBounds::PrivateSlotLimit);
        EXPECT_EQ(QString::number(n), name); // no leading zeros
        seen.insert(name);
    }
    // Drawn in the same millisecond, yet (nearly) all different.
    EXPECT_GT(seen.size(), 190);
}
