#include "transport/datagrampacket.h"

namespace corvane {
namespace {

bool AppendText(QByteArray& out, const QByteArray& text) {
    if (text.isEmpty() || text.size() > 255)
        return false;
    out.append(char(text.size()));
    out.append(text);
    return true;
}

bool TakeText(QByteArrayView bytes, qsizetype& pos, QByteArray& text) {
    if (pos >= bytes.size())
        return false;
    const int length = static_cast<unsigned char>(bytes[pos]);
    if (length == 0 || pos + 1 + length > bytes.size())
        return false;
    text = bytes.sliced(pos + 1, length).toByteArray();
    pos += 1 + length;
    return true;
}

} // namespace

QByteArray DatagramPacket::Encode() const {
    QByteArray out;
    out.reserve(Magic.size() + 3 + target.size() + sender.size() + slot.size() + frame.size());
    out.append(Magic);
    if (!AppendText(out, target) || !AppendText(out, sender) || !AppendText(out, slot))
        return {};
    out.append(frame);
    return out;
}

std::optional<DatagramPacket> DatagramPacket::Decode(QByteArrayView bytes) {
    if (!bytes.startsWith(Magic))
        return std::nullopt;
    DatagramPacket packet;
    qsizetype pos = Magic.size();
    if (!TakeText(bytes, pos, packet.target) || !TakeText(bytes, pos, packet.sender) ||
        !TakeText(bytes, pos, packet.slot))
        return std::nullopt;
    packet.frame = bytes.sliced(pos).toByteArray();
    return packet;
}

} // namespace corvane
