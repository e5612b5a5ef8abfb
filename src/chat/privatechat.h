#pragma once
// One side of a private chat: an endpoint on the private slot name, the
// other side's computer, and the chat room's nick name read at each send.
// The request opens both sides at once; nobody accepts it. A side whose
// endpoint is closed (the other side left, or the slot could not open) can
// no longer send: its next line tells the user and closes the window.
#include "chat/chatroom.h"

#include <QObject>
#include <QString>
#include <functional>

namespace corvane {

class HostContext;

struct PrivateChatHooks {
    std::function<QString()> nickName; // the chat room's nick name now
    std::function<void(const QString&)> writeLine;
};

// When a private chat window opens, on either side, and how its caption
// speaks.
class PrivateChatOpening {
public:
    // A flood of requests opens no flood of windows: none beyond
    // MaxPrivateChats at once.
    static bool MayOpen(int openChats) { return openChats < ChatBounds::MaxPrivateChats; }
    // The side that asked writes the caption's first words in its chat room's
    // language; the side that was asked always writes them in English.
    static Language CaptionLanguage(const PrivateChatStart& start, Language roomLanguage) {
        return start.requesting ? roomLanguage : Language::English;
    }
};

class PrivateChat : public QObject {
    Q_OBJECT
public:
    PrivateChat(HostContext& context, const PrivateChatStart& start, Language language,
                PrivateChatHooks hooks, QObject* parent = nullptr);
    ~PrivateChat() override;

    TmdSecureMail& Slot1() { return slot_; }
    const QString& PeerComputer() const { return peerComputer_; }
    Language CurrentLanguage() const { return language_; }

    // Opens the endpoint; a failure is swallowed and the chat behaves as if
    // the other side had left.
    void Open();
    bool IsOpen() const { return slot_.Active(); }
    // Sends a line to the other side and to this computer; false when the
    // endpoint is closed (nothing is sent then).
    bool SendLine(const QString& text);
    // Beeps the other side's and this computer's chat room.
    void Beep();
    // Announces the departure when the endpoint is open, then closes it.
    void Close();
    void Slot1MessageAvail(const QByteArray& msg);

private:
    void Send(const QString& target, const QString& slot, const QByteArray& text);
    QString NickName() const;

    HostContext& context_;
    PrivateChatHooks hooks_;
    QString peerComputer_;
    Language language_;
    TmdSecureMail slot_;
    SlotWriter writer_;
};

} // namespace corvane
