// Presence texts (payloads of the main slot) and the field rule they share
// with every other record.
#include "common/fieldsplit.h"
#include "presence/presencedatagrams.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArrayList fields = SplitFields(bytes);
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].isEmpty() || Field(bytes, i + 1) != fields[i] ||
            fields[i].contains(FieldSeparatorByte))
            std::abort();
    if (!Field(bytes, int(fields.size()) + 1).isEmpty())
        std::abort();
    const PresenceDatagram d = ParsePresenceDatagram(bytes);
    if (d.kind == PresenceDatagram::Kind::Unknown && !d.computer.isEmpty())
        std::abort();
    // What is written reads back the same way.
    if (d.kind == PresenceDatagram::Kind::IAmHere && !d.computer.isEmpty() && !d.alias.isEmpty()) {
        const PresenceDatagram again =
            ParsePresenceDatagram(IAmHereDatagram(d.computer, d.online, d.alias));
        if (again.computer != d.computer || again.alias != d.alias || again.online != d.online)
            std::abort();
    }
    return 0;
}
