#include "chat/chatdatagrams.h"

#include "common/ansicodec.h"
#include "common/fieldsplit.h"

namespace corvane {

ChatDatagram ParseChatDatagram(QByteArrayView payload) {
    const QByteArrayList fields = SplitFields(payload);
    auto field = [&fields](int n) -> QString {
        return n <= fields.size() ? FromAnsi(fields[n - 1]) : QString();
    };
    static const struct {
        const char* keyword;
        ChatDatagram::Kind kind;
    } kinds[] = {
        {ChatKeywords::UserConnected, ChatDatagram::Kind::UserConnected},
        {ChatKeywords::GetUsersList, ChatDatagram::Kind::GetUsersList},
        {ChatKeywords::GetUserName, ChatDatagram::Kind::GetUserName},
        {ChatKeywords::UserMessageSent, ChatDatagram::Kind::UserMessageSent},
        {ChatKeywords::UserDisconnected, ChatDatagram::Kind::UserDisconnected},
        {ChatKeywords::RequestToPrivate, ChatDatagram::Kind::RequestToPrivate},
        {ChatKeywords::BeepUser, ChatDatagram::Kind::BeepUser},
    };
    ChatDatagram d;
    if (fields.isEmpty())
        return d;
    for (const auto& k : kinds) {
        if (fields.first() == k.keyword) {
            d.kind = k.kind;
            break;
        }
    }
    if (d.kind == ChatDatagram::Kind::Unknown)
        return d;
    d.nick = field(2);
    d.computer = field(3);
    d.slot = field(4);
    return d;
}

QByteArray ChatUserConnectedDatagram(const QString& nick, const QString& computer) {
    return JoinFields({ChatKeywords::UserConnected, ToAnsi(nick), ToAnsi(computer)});
}

QByteArray ChatGetUsersListDatagram(const QString& nick, const QString& computer) {
    return JoinFields({ChatKeywords::GetUsersList, ToAnsi(nick), ToAnsi(computer)});
}

QByteArray ChatGetUserNameDatagram(const QString& nick, const QString& computer) {
    return JoinFields({ChatKeywords::GetUserName, ToAnsi(nick), ToAnsi(computer)});
}

QByteArray ChatUserMessageSentDatagram(const QString& nick, const QString& text) {
    return JoinFields({ChatKeywords::UserMessageSent, ToAnsi(nick), ToAnsi(text)});
}

QByteArray ChatUserDisconnectedDatagram(const QString& nick) {
    return JoinFields({ChatKeywords::UserDisconnected, ToAnsi(nick)});
}

QByteArray ChatRequestToPrivateDatagram(const QString& nick, const QString& computer,
                                        const QString& slot) {
    return JoinFields(
        {ChatKeywords::RequestToPrivate, ToAnsi(nick), ToAnsi(computer), ToAnsi(slot)});
}

QByteArray ChatBeepUserDatagram() {
    return QByteArray(ChatKeywords::BeepUser);
}

QString WireText(const QString& text) {
    return FromAnsi(ToAnsi(text));
}

QString ChatLine(const QString& nick, const QString& text) {
    return nick.left(ChatBounds::MaxNameLength) + QStringLiteral("> ") +
           text.left(ChatBounds::MaxLineLength);
}

} // namespace corvane
