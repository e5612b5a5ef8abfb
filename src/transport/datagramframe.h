#pragma once
// The frame every datagram carries, whatever its slot:
//
//   datagram = prefix payload checksum
//   prefix   = 4 HEXDIG   ; sender's tick count (ms) modulo 10000, "0000".."270F"
//   payload  = *OCTET     ; the caller's text, unchanged, no terminator
//   checksum = 4 HEXDIG   ; CheckSum16 over prefix and payload
//
// HEXDIG is upper case only; a receiver compares the checksum byte for byte,
// so lower-case digits fail the check.
#include <QByteArray>
#include <QByteArrayView>

namespace corvane {

// Prefix and checksum: what the frame adds to a payload.
inline constexpr qsizetype FrameOverhead = 8;

QByteArray Hex4(quint16 value);
// Milliseconds since some fixed moment, wrapping at 2^32 (the tick count).
quint32 TickCount();
QByteArray FrameDatagram(QByteArrayView payload, quint32 tickCount);
// The checksum (the last four bytes) matches the bytes before it.
bool FrameChecks(QByteArrayView datagram);
// Bytes 5 to L-4: the payload (empty for 8 bytes or fewer).
QByteArray FramePayload(QByteArrayView datagram);

} // namespace corvane
