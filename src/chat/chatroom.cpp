#include "chat/chatroom.h"

#include "common/hostcontext.h"
#include "common/soundplayer.h"
#include "common/timedwait.h"

#include <QRandomGenerator>
#include <QTimer>

namespace corvane {

QString NewPrivateSlotName() {
    return QString::number(QRandomGenerator::global()->bounded(ChatBounds::PrivateSlotLimit));
}

ChatRoom::ChatRoom(HostContext& context, ChatRoomHooks hooks, QObject* parent)
    : QObject(parent), context_(context), hooks_(std::move(hooks)), slot_(*context.datagrams, this),
      writer_(*context.datagrams, this), answerer_(*context.datagrams, this) {
    slot_.setObjectName(QStringLiteral("Slot1"));
    slot_.SetSlot(ChatSlotName);
    slot_.OnMessageAvail = [this](TmdCustomMailSlot* slot, const QByteArray& msg) {
        const DatagramOrigin origin = slot->CurrentOrigin();
        RunHandler(context_, [this, &msg, &origin] { Slot1MessageAvail(msg, origin); });
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

void ChatRoom::Slot1MessageAvail(const QByteArray& msg, const DatagramOrigin& origin) {
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
        AnswerListRequest(d.nick, d.computer, origin.address);
        break;
    case ChatDatagram::Kind::GetUserName:
        if (d.nick != NickName() && !UserInList(d.nick))
            AddChatUser(d.nick, d.computer, false);
        break;
    case ChatDatagram::Kind::RequestToPrivate:
        OpenRequestedPrivateChat(d);
        break;
    case ChatDatagram::Kind::BeepUser:
        PlayBeep();
        break;
    case ChatDatagram::Kind::Unknown:
        break;
    }
}

void ChatRoom::AnswerListRequest(const QString& requesterNick, const QString& requesterComputer,
                                 const QHostAddress& source) {
    const QString own = NickName();
    if (members_.isEmpty() || members_.first().nick != own || requesterNick == own)
        return;
    // The list as it is now, all of it at once: nothing else is handled in
    // between, and it goes to the requester only. It is built only if it goes.
    answerer_.AnswerList(
        requesterComputer, source, ChatSlotName, members_.size(), [members = members_] {
            QList<QByteArray> entries;
            entries.reserve(members.size());
            for (const ChatMember& entry : members)
                entries.append(ChatGetUserNameDatagram(entry.nick, entry.computer));
            return entries;
        });
}

bool IsPrivateSlotName(const QString& slot) {
    bool ok = false;
    const int n = slot.toInt(&ok);
    return ok && n >= 0 && n < ChatBounds::PrivateSlotLimit && slot == QString::number(n);
}

void ChatRoom::OpenRequestedPrivateChat(const ChatDatagram& d) {
    // The peer's computer becomes the target of every line: it must be one
    // computer. The slot must be one a copy draws, not another endpoint's.
    if (!hooks_.openPrivateChat || !HostResolver::IsComputerName(d.computer) ||
        !IsPrivateSlotName(d.slot) || pendingPrivate_ >= ChatBounds::MaxPrivateChats)
        return;
    const PrivateChatStart start{d.computer, d.nick.left(ChatBounds::MaxNameLength), d.slot, false};
    // A window opens after this datagram's handling, not inside it.
    ++pendingPrivate_;
    QTimer::singleShot(0, this, [this, start] {
        --pendingPrivate_;
        if (slot_.Active() && hooks_.openPrivateChat)
            hooks_.openPrivateChat(start);
    });
}

void ChatRoom::ComputerGone(const QString& computer) {
    if (computer.compare(context_.LocalComputerName(), Qt::CaseInsensitive) == 0)
        return;
    QStringList gone;
    for (const ChatMember& m : members_)
        if (!m.computer.isEmpty() && m.computer.compare(computer, Qt::CaseInsensitive) == 0)
            gone.append(m.nick);
    for (const QString& nick : gone)
        RemoveChatUser(nick);
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
    // Names no copy sends, and members beyond any office, are not listed; nor
    // is a computer that is no one computer (an empty one reaches nobody).
    if (nick.size() > ChatBounds::MaxNameLength || members_.size() >= ChatBounds::MaxMembers ||
        (!computer.isEmpty() && !HostResolver::IsComputerName(computer)))
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
