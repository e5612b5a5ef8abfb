#include "chat/privatechat.h"

#include "common/errors.h"
#include "common/hostcontext.h"
#include "common/timedwait.h"

namespace corvane {

PrivateChat::PrivateChat(HostContext& context, const PrivateChatStart& start, Language language,
                         PrivateChatHooks hooks, QObject* parent)
    : QObject(parent), context_(context), hooks_(std::move(hooks)),
      peerComputer_(start.peerComputer), language_(language), slot_(*context.datagrams, this),
      writer_(*context.datagrams, this) {
    slot_.setObjectName(QStringLiteral("Slot1"));
    slot_.SetSlot(start.slot);
    slot_.OnMessageAvail = [this](TmdCustomMailSlot*, const QByteArray& msg) {
        RunHandler(context_, [this, &msg] { Slot1MessageAvail(msg); });
    };
}

PrivateChat::~PrivateChat() {
    slot_.OnMessageAvail = nullptr;
}

QString PrivateChat::NickName() const {
    return WireText(hooks_.nickName());
}

void PrivateChat::Send(const QString& target, const QString& slot, const QByteArray& text) {
    writer_.Write(target, slot, text); // a failed write is not reported
}

void PrivateChat::Open() {
    if (slot_.Active())
        return;
    try {
        slot_.Open();
    } catch (const EmdMailSlot&) {
        // The window works on with a closed endpoint.
    }
}

bool PrivateChat::SendLine(const QString& text) {
    if (!slot_.Active())
        return false;
    const QString line = text.left(ChatBounds::MaxLineLength);
    Send(peerComputer_, slot_.Slot(), ChatUserMessageSentDatagram(NickName(), line));
    Send(QStringLiteral("."), slot_.Slot(), ChatUserMessageSentDatagram(NickName(), line));
    return true;
}

void PrivateChat::Beep() {
    Send(peerComputer_, ChatSlotName, ChatBeepUserDatagram());
    Send(QStringLiteral("."), ChatSlotName, ChatBeepUserDatagram());
}

void PrivateChat::Close() {
    if (!slot_.Active())
        return;
    Send(peerComputer_, slot_.Slot(), ChatUserDisconnectedDatagram(NickName()));
    ProcessPendingMessages();
    slot_.Close();
}

void PrivateChat::Slot1MessageAvail(const QByteArray& msg) {
    const ChatDatagram d = ParseChatDatagram(msg);
    switch (d.kind) {
    case ChatDatagram::Kind::UserMessageSent:
        hooks_.writeLine(ChatLine(d.nick, d.Text()));
        break;
    case ChatDatagram::Kind::UserDisconnected:
        hooks_.writeLine(QString());
        hooks_.writeLine(
            ChatTexts::PrivateDepartureLine(language_, d.nick.left(ChatBounds::MaxNameLength)));
        slot_.Close();
        break;
    default:
        break; // whatever else arrives on the private slot is not for us
    }
}

} // namespace corvane
