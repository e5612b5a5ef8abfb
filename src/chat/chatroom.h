#pragma once
// The chat room of one computer: its endpoint on "CHATSLOT3", its member
// list and the protocol that fills it (chatdatagrams.h). There is no server:
// each room keeps its own list, built only from the datagrams it sees, and
// its own lines come back to it through the broadcast.
//
// The first-entry rule: a room answers a list request only while the first
// entry of its list carries its own nick name, which normally holds when its
// own arrival came back before anybody else's. The answer lists every entry
// to the requester's computer, unless the requester has the room's own nick,
// and only to the address the request came from, when that is the computer
// it names, at most once every few seconds per address (sourceanswer.h).
//
// A datagram is handled whole before the next: no handler pumps the event
// loop, and a requested private chat opens after the handler has returned.
// A name that cannot stand for one computer ("*", a literal address, a
// wildcard or a malformed name) is never kept as a member's or a private
// peer's computer. A member whose computer presence no longer sees leaves
// the list as if it had said goodbye (ComputerGone).
//
// The window (TChatForm) owns one of these, gives it the nick-name field and
// mirrors the member list and the lines through the hooks.
#include "chat/chatdatagrams.h"
#include "chat/chattexts.h"
#include "settings/stringtable.h"
#include "transport/mailslot.h"
#include "transport/slotwriter.h"
#include "transport/sourceanswer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace corvane {

class HostContext;

struct ChatMember {
    QString nick;     // the key of the list, compared exactly
    QString computer; // where beeps and private-chat requests go
};

enum class ChatLineKind { Plain, Arrival, Departure };

// What opens a private chat window, on either side.
struct PrivateChatStart {
    QString peerComputer;
    QString peerNick;
    QString slot;
    bool requesting = false;
};

struct ChatRoomHooks {
    std::function<QString()> nickName;               // the nick-name field now
    std::function<void(const QString&)> setNickName; // replaces "CompName"
    std::function<void(const QString&, ChatLineKind)> writeLine;
    std::function<void()> clearText;
    std::function<void(int index)> memberAdded; // appended at index
    std::function<void(int index)> memberRemoved;
    std::function<void()> membersCleared;
    std::function<void(const PrivateChatStart&)> openPrivateChat; // the requested side
};

class ChatRoom : public QObject {
    Q_OBJECT
public:
    static inline const QString BeepSound = QStringLiteral("ChatBeep.Wav");
    static inline const QString BeepTheme = QStringLiteral("bell");

    ChatRoom(HostContext& context, ChatRoomHooks hooks, QObject* parent = nullptr);
    ~ChatRoom() override;

    TmdSecureMail& Slot1() { return slot_; }
    HostContext& Context() const { return context_; }

    // The opening steps after the window took its language: empty the text
    // and the list, put the computer name for "CompName", open the endpoint
    // and announce the arrival and the list request. Throws EmdMailSlot when
    // the endpoint cannot open; nothing is announced then.
    void Open(Language language);
    // Announces the departure (when the room was open) and closes the endpoint.
    void Close();
    bool IsOpen() const { return slot_.Active(); }

    // The user sends a line (empty or not); it shows when it comes back.
    void SendLine(const QString& text);
    // The nick-name field got or lost the focus.
    void NickEnter();
    void NickExit();
    // One payload of the endpoint, with where it came from.
    void Slot1MessageAvail(const QByteArray& msg, const DatagramOrigin& origin = {});
    // Presence no longer sees this computer: its members leave the list, each
    // with the departure line. The own computer's never do.
    void ComputerGone(const QString& computer);

    // The own nick name as it goes on the wire.
    QString NickName() const;
    QString OldNickName() const { return oldNickName_; }
    Language CurrentLanguage() const { return language_; }
    bool DispSysMessages = false;

    const QList<ChatMember>& Members() const { return members_; }
    bool UserInList(const QString& nick) const { return IndexOf(nick) >= 0; }
    // Whether the member commands (beep, private chat) apply to an entry.
    bool CanCommand(int index) const;
    // Beeps the entry's computer and plays the beep here; false without an entry.
    bool Beep(int index);
    // Sends the request for a private chat and tells what to open on this
    // side; nothing without an entry.
    std::optional<PrivateChatStart> RequestPrivateChat(int index);
    // Plays "ChatBeep.Wav".
    void PlayBeep();

    void AddChatUser(const QString& nick, const QString& computer, bool arrival);
    void RemoveChatUser(const QString& nick);

private:
    int IndexOf(const QString& nick) const;
    void Send(const QString& target, const QByteArray& text);
    void AnswerListRequest(const QString& requesterNick, const QString& requesterComputer,
                           const QHostAddress& source);
    void OpenRequestedPrivateChat(const ChatDatagram& d);
    void WriteLine(const QString& text, ChatLineKind kind);

    HostContext& context_;
    ChatRoomHooks hooks_;
    TmdSecureMail slot_;
    SlotWriter writer_;
    SourceAnswer answerer_;
    QList<ChatMember> members_;
    QString oldNickName_;
    int pendingPrivate_ = 0; // requested private chats about to open
    Language language_ = Language::English;
};

// A private slot name: the decimal text of a number below 2000000 from the
// system's random generator.
QString NewPrivateSlotName();
// Whether a text is such a name (no sign, no leading zeros).
bool IsPrivateSlotName(const QString& slot);

} // namespace corvane
