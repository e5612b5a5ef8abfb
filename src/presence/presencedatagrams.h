#pragma once
// The presence datagrams of the main endpoint (slot "CORVANE3"). Payloads are
// Windows-1251 text, fields joined by FieldSeparator (common/fieldsplit.h):
//
//   request    = "WHO_IS_HERE" FS computer                      ; to "*"
//   answer     = "I_AM_HERE" FS computer FS state FS alias      ; to the requester,
//                                                               ; or to "*" when the
//                                                               ; online toggle changed
//   arrival    = "ONLINE_NOTIFY" FS computer FS state FS alias  ; never sent, read
//                                                               ; like an answer
//   departure  = "OFFLINE_NOTIFY" FS computer FS alias          ; to "*" when closing
//   state      = "TRUE" / "FALSE"
//
// computer is the sender's LocalComputerName, alias the text of its alias
// field at the moment of sending. Keywords compare exactly, with letter case,
// and only a state of exactly "TRUE" is online ("true" is offline).
//
// Reading follows the field rule: a missing field reads as empty text, and an
// empty field, or a name that holds the byte 0xA9, shifts the later fields to
// the left; the reader takes the shifted values as they come. Any other
// keyword is ignored.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace corvane {

namespace PresenceKeywords {
inline constexpr char WhoIsHere[] = "WHO_IS_HERE";
inline constexpr char IAmHere[] = "I_AM_HERE";
inline constexpr char OnlineNotify[] = "ONLINE_NOTIFY";
inline constexpr char OfflineNotify[] = "OFFLINE_NOTIFY";
inline constexpr char StateTrue[] = "TRUE";
inline constexpr char StateFalse[] = "FALSE";
} // namespace PresenceKeywords

struct PresenceDatagram {
    enum class Kind { Unknown, WhoIsHere, IAmHere, OnlineNotify, OfflineNotify };
    Kind kind = Kind::Unknown;
    QString computer; // field 2: the sender (or, for a request, the requester)
    QString alias;    // field 4 of an answer or arrival, field 3 of a departure
    bool online = false;
};

PresenceDatagram ParsePresenceDatagram(QByteArrayView payload);

QByteArray WhoIsHereDatagram(const QString& computer);
QByteArray IAmHereDatagram(const QString& computer, bool online, const QString& alias);
QByteArray OfflineNotifyDatagram(const QString& computer, const QString& alias);

} // namespace corvane
