#include "transport/datagramframe.h"

#include "transport/checksum16.h"

#include <chrono>

namespace corvane {

QByteArray Hex4(quint16 value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    QByteArray out(4, '0');
    for (int i = 3; i >= 0; --i) {
        out[i] = digits[value & 0xF];
        value >>= 4;
    }
    return out;
}

quint32 TickCount() {
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QByteArray FrameDatagram(QByteArrayView payload, quint32 tickCount) {
    QByteArray body = Hex4(quint16(tickCount % 10000));
    body.append(payload);
    body.append(Hex4(CheckSum16(body)));
    return body;
}

bool FrameChecks(QByteArrayView datagram) {
    const qsizetype covered = datagram.size() >= 4 ? datagram.size() - 4 : 0;
    const QByteArray expected = Hex4(CheckSum16(datagram.first(covered)));
    return datagram.sliced(covered) == QByteArrayView(expected);
}

QByteArray FramePayload(QByteArrayView datagram) {
    if (datagram.size() <= 8)
        return {};
    return datagram.sliced(4, datagram.size() - 8).toByteArray();
}

} // namespace corvane
