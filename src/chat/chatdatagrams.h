#pragma once
// The datagrams of the chat room (slot "CHATSLOT3") and of a private chat
// (slot: the private slot name). Payloads are Windows-1251 text, fields joined
// by FieldSeparator (common/fieldsplit.h):
//
//   arrival    = "ChatUserConnected" FS nick FS computer     ; to "*"
//   list       = "ChatGetUsersList" FS nick FS computer      ; to "*", after the arrival
//   entry      = "ChatGetUserName" FS nick FS computer       ; to the requester's computer,
//                                                            ; one per member list entry
//   line       = "ChatUserMessageSent" FS nick FS text       ; room: to "*";
//                                                            ; private: to the peer, then "."
//   departure  = "ChatUserDisconnected" FS nick              ; room: to "*"; private: to the peer
//   private    = "ChatRequestToPrivate" FS nick FS computer FS slot
//                                                            ; to the chosen member's computer
//   beep       = "ChatBeepUser"                              ; keyword alone, on "CHATSLOT3"
//
// nick is the sender's nick name at the moment of sending, computer its
// LocalComputerName, slot the private slot name: the decimal text of a number
// below 2000000. Keywords compare exactly, with letter case; any other keyword
// is ignored. Reading follows the field rule: a missing field reads as empty
// text, and an empty field or one that holds the byte 0xA9 shifts the later
// fields to the left (an empty nick name makes the computer name read as the
// nick name). A text is carried as typed, so a text holding 0xA9 arrives only
// up to that byte.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace corvane {

namespace ChatKeywords {
inline constexpr char UserConnected[] = "ChatUserConnected";
inline constexpr char GetUsersList[] = "ChatGetUsersList";
inline constexpr char GetUserName[] = "ChatGetUserName";
inline constexpr char UserMessageSent[] = "ChatUserMessageSent";
inline constexpr char UserDisconnected[] = "ChatUserDisconnected";
inline constexpr char RequestToPrivate[] = "ChatRequestToPrivate";
inline constexpr char BeepUser[] = "ChatBeepUser";
} // namespace ChatKeywords

inline const QString ChatSlotName = QStringLiteral("CHATSLOT3");

// What a datagram from the network can make a window hold. No copy of the
// program sends longer names (the packet header holds 255 bytes of a computer
// name, and the nick-name field takes no more) or longer lines (the message
// line takes no more); a chat room has no more members than an office has
// computers.
namespace ChatBounds {
inline constexpr int MaxNameLength = 255;
inline constexpr int MaxLineLength = 4096;
inline constexpr int MaxMembers = 4096;
inline constexpr int MaxPrivateChats = 64;
inline constexpr int MaxTextLines = 10000; // the text areas drop their oldest lines beyond
inline constexpr int PrivateSlotLimit = 2000000;
} // namespace ChatBounds

struct ChatDatagram {
    enum class Kind {
        Unknown,
        UserConnected,
        GetUsersList,
        GetUserName,
        UserMessageSent,
        UserDisconnected,
        RequestToPrivate,
        BeepUser
    };
    Kind kind = Kind::Unknown;
    QString nick;     // field 2
    QString computer; // field 3 (the text of a line)
    QString slot;     // field 4
    QString Text() const { return computer; }
};

ChatDatagram ParseChatDatagram(QByteArrayView payload);

QByteArray ChatUserConnectedDatagram(const QString& nick, const QString& computer);
QByteArray ChatGetUsersListDatagram(const QString& nick, const QString& computer);
QByteArray ChatGetUserNameDatagram(const QString& nick, const QString& computer);
QByteArray ChatUserMessageSentDatagram(const QString& nick, const QString& text);
QByteArray ChatUserDisconnectedDatagram(const QString& nick);
QByteArray ChatRequestToPrivateDatagram(const QString& nick, const QString& computer,
                                        const QString& slot);
QByteArray ChatBeepUserDatagram();

// A text as it comes back from the wire: what Windows-1251 cannot hold reads
// as "?". Nick names compare in this form, byte for byte.
QString WireText(const QString& text);
// The line a window writes for a chat line: nick, "> ", text.
QString ChatLine(const QString& nick, const QString& text);

} // namespace corvane
