// Everything a datagram or a message connection brings in from the network:
// the packet header, the frame check, field splitting, presence datagrams and
// the message record. None of it may crash, hang or grow without bound.
#include "common/ansicodec.h"
#include "common/fieldsplit.h"
#include "messaging/tmsg.h"
#include "presence/presencedatagrams.h"
#include "transport/datagramframe.h"
#include "transport/datagrampacket.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (auto packet = DatagramPacket::Decode(bytes)) {
        if (packet->Encode() != bytes.toByteArray())
            std::abort(); // a header that decodes writes back the same bytes
        if (FrameChecks(packet->frame)) {
            const QByteArray payload = FramePayload(packet->frame);
            (void)ParsePresenceDatagram(payload);
        }
    }
    const QByteArrayList fields = SplitFields(bytes);
    for (int i = 0; i < fields.size(); ++i)
        if (Field(bytes, i + 1) != fields[i] || fields[i].contains(FieldSeparatorByte))
            std::abort();
    const TMsg msg = TMsg::Decode(bytes);
    if (ToAnsi(FromAnsi(msg.Body)) != msg.Body)
        std::abort();
    (void)ParsePresenceDatagram(bytes);
    return 0;
}
