// One UDP datagram as it arrives: the packet header and the frame inside it.
// A header that decodes writes back the same bytes; a frame that passes the
// check gives the bytes between its prefix and its checksum.
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
            std::abort();
        if (FrameChecks(packet->frame) && packet->frame.size() >= 8 &&
            FramePayload(packet->frame) != packet->frame.mid(4, packet->frame.size() - 8))
            std::abort();
    }
    // The frame check alone, on any bytes.
    if (FrameChecks(bytes)) {
        const QByteArray payload = FramePayload(bytes);
        if (payload.size() > qMax<qsizetype>(0, bytes.size() - 8))
            std::abort();
    }
    return 0;
}
