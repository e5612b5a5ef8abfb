#pragma once
// One UDP datagram between copies of the program. All texts Windows-1251.
//
//   packet = magic target sender slot frame
//   magic  = "CMS1"                 ; protocol and version
//   target = len8 1*255OCTET        ; "*" for everybody, else a computer name
//   sender = len8 1*255OCTET        ; the sender's computer name
//   slot   = len8 1*255OCTET        ; the slot name
//   frame  = *OCTET                 ; the framed datagram, unchanged
//   len8   = OCTET                  ; length of what follows, 1..255
//
// A receiver drops a packet with another magic or a malformed header. This
// layout is the interface to other implementations: change it only together
// with the magic.
#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace corvane {

struct DatagramPacket {
    static constexpr QByteArrayView Magic = "CMS1";

    QByteArray target;
    QByteArray sender;
    QByteArray slot;
    QByteArray frame;

    // Empty when a header text is empty or longer than 255 bytes.
    QByteArray Encode() const;
    static std::optional<DatagramPacket> Decode(QByteArrayView bytes);
};

} // namespace corvane
