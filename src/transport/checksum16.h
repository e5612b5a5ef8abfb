#pragma once
#include <QByteArrayView>

namespace corvane {

// CRC-16/ARC: polynomial 0x8005 bit-reversed (0xA001), initial value 0, no
// final inversion. "abc" gives 0x9738, "123456789" gives 0xBB3D.
quint16 CheckSum16(QByteArrayView data);

} // namespace corvane
