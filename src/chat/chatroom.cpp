#include "chat/chatroom.h"

#include "common/hostcontext.h"
#include "common/soundplayer.h"
#include "common/timedwait.h"

#include <QRandomGenerator>

namespace corvane {

QString NewPrivateSlotName() {
    return QString::number(QRandomGenerator::global()->bounded(ChatBounds::PrivateSlotLimit));
}

ChatRoom::ChatRoom(HostContext& context, ChatRoomHooks hooks, QObject* parent)
    : QObject(parent), context_(context), hooks_(std::move(hooks)), slot_(*context.datagrams, this),
      writer_(*context.datagrams, this) {
    slot_.setObjectName(QStringLiteral("Slot1"));
    slot_.SetSlot(ChatSlotName);
    slot_.OnMessageAvail = [this](TmdCustomMailSlot*, const QByteArray& msg) {
        RunHandler(context_, [this, &msg] { Slot1MessageAvail(msg); });
    };
}

ChatRoom::~ChatRoom() {
    slot_.OnMessageAvail = nullptr;
}

QString ChatRoom::NickName() const {
    return WireText(hooks_.nickName());
}

void ChatRoom::Send(const QString& target, const QByteArray& text) {
    writer_.Write(target, ChatSlotName, text); // a failed write is not reported
}

void ChatRoom::WriteLine(const QString& text, ChatLineKind kind) {
    if (hooks_.writeLine)
        hooks_.writeLine(text, kind);
}

void ChatRoom::Open(Language language) {
    language_ = language;
    if (hooks_.clearText)
        hooks_.clearText();
    members_.clear();
    if (hooks_.membersCleared)
        hooks_.membersCleared();
    if (hooks_.nickName() == ChatTexts::DefaultNickName && hooks_.setNickName)
        hooks_.setNickName(context_.LocalComputerName());
    ProcessPendingMessages();
    slot_.Open();
    ProcessPendingMessages();
    Send(QStringLiteral("*"), ChatUserConnectedDatagram(NickName(), context_.LocalComputerName()));
    ProcessPendingMessages();
    Send(QStringLiteral("*"), ChatGetUsersListDatagram(NickName(), context_.LocalComputerName()));
}

void ChatRoom::Close() {
    // A room whose endpoint never opened announced no arrival, so it
    // announces no departure either.
    if (!slot_.Active())
        return;
    Send(QStringLiteral("*"), ChatUserDisconnectedDatagram(NickName()));
    slot_.Close();
}

void ChatRoom::SendLine(const QString& text) {
    Send(QStringLiteral("*"),
         ChatUserMessageSentDatagram(NickName(), text.left(ChatBounds::MaxLineLength)));
}

void ChatRoom::NickEnter() {
    oldNickName_ = NickName();
}

void ChatRoom::NickExit() {
    const QString nick = NickName();
    if (nick == oldNickName_)
        return;
    const QString old = oldNickName_;
    oldNickName_ = nick; // announced once, however often the field is left
    Send(QStringLiteral("*"), ChatUserDisconnectedDatagram(old));
    ProcessPendingMessages();
    Send(QStringLiteral("*"), ChatUserConnectedDatagram(NickName(), context_.LocalComputerName()));
}

void ChatRoom::Slot1MessageAvail(const QByteArray& msg) {
    const ChatDatagram d = ParseChatDatagram(msg);
    switch (d.kind) {
    case ChatDatagram::Kind::UserMessageSent:
        WriteLine(ChatLine(d.nick, d.Text()), ChatLineKind::Plain);
        break;
    case ChatDatagram::Kind::UserDisconnected:
        RemoveChatUser(d.nick);
        break;
    case ChatDatagram::Kind::UserConnected:
        AddChatUser(d.nick, d.computer, true);
        break;
    case ChatDatagram::Kind::GetUsersList:
        AnswerListRequest(d.nick, d.computer);
        break;
    case ChatDatagram::Kind::GetUserName:
        if (d.nick != NickName() && !UserInList(d.nick))
            AddChatUser(d.nick, d.computer, false);
        break;
    case ChatDatagram::Kind::RequestToPrivate:
        if (hooks_.openPrivateChat)
            hooks_.openPrivateChat(
                {d.computer, d.nick.left(ChatBounds::MaxNameLength), d.slot, false});
        break;
    case ChatDatagram::Kind::BeepUser:
        PlayBeep();
        break;
    case ChatDatagram::Kind::Unknown:
        break;
    }
}

void ChatRoom::AnswerListRequest(const QString& requesterNick, const QString& requesterComputer) {
    const QString own = NickName();
    if (members_.isEmpty() || members_.first().nick != own || requesterNick == own)
        return;
    // An answer names one computer: "*" would make every room broadcast its
    // list for one datagram.
    if (requesterComputer == QLatin1String("*"))
        return;
    const QList<ChatMember> entries = members_; // the list may change while we wait
    for (const ChatMember& entry : entries) {
        Send(requesterComputer, ChatGetUserNameDatagram(entry.nick, entry.computer));
        ProcessPendingMessages();
    }
}

int ChatRoom::IndexOf(const QString& nick) const {
    for (int i = 0; i < members_.size(); ++i)
        if (members_[i].nick == nick)
            return i;
    return -1;
}

void ChatRoom::AddChatUser(const QString& nick, const QString& computer, bool arrival) {
    if (UserInList(nick))
        return;
    // Names no copy sends, and members beyond any office, are not listed.
    if (nick.size() > ChatBounds::MaxNameLength || computer.size() > ChatBounds::MaxNameLength ||
        members_.size() >= ChatBounds::MaxMembers)
        return;
    members_.append({nick, computer});
    if (hooks_.memberAdded)
        hooks_.memberAdded(int(members_.size()) - 1);
    if (arrival && DispSysMessages)
        WriteLine(ChatTexts::ArrivalLine(language_, nick), ChatLineKind::Arrival);
}

void ChatRoom::RemoveChatUser(const QString& nick) {
    const int index = IndexOf(nick);
    if (index >= 0) {
        members_.removeAt(index);
        if (hooks_.memberRemoved)
            hooks_.memberRemoved(index);
    }
    if (DispSysMessages)
        WriteLine(ChatTexts::DepartureLine(language_, nick.left(ChatBounds::MaxNameLength)),
                  ChatLineKind::Departure);
}

bool ChatRoom::CanCommand(int index) const {
    return index >= 0 && index < members_.size() && members_[index].nick != NickName();
}

bool ChatRoom::Beep(int index) {
    if (index < 0 || index >= members_.size())
        return false;
    Send(members_[index].computer, ChatBeepUserDatagram());
    PlayBeep();
    return true;
}

std::optional<PrivateChatStart> ChatRoom::RequestPrivateChat(int index) {
    if (index < 0 || index >= members_.size())
        return std::nullopt;
    const ChatMember member = members_[index];
    const QString slot = NewPrivateSlotName();
    Send(member.computer,
         ChatRequestToPrivateDatagram(NickName(), context_.LocalComputerName(), slot));
    return PrivateChatStart{member.computer, member.nick, slot, true};
}

void ChatRoom::PlayBeep() {
    if (context_.sound)
        context_.sound->PlayEventSound(BeepSound, BeepTheme);
}

} // namespace corvane
