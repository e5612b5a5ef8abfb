// Stored messages: header and body are filed joined by the separator and read
// back with the field rule.
#include "common/fieldsplit.h"
#include "messaging/messagestore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The stored text as it is, then a header and body split at the first NUL.
    StoredMessage stored{bytes.toByteArray()};
    if (stored.Header() != Field(bytes, 1) || stored.Body() != Field(bytes, 2))
        std::abort();
    const qsizetype cut = bytes.indexOf('\0');
    if (cut < 0)
        return 0;
    const QByteArrayView header = bytes.first(cut);
    const QByteArrayView body = bytes.sliced(cut + 1);
    const StoredMessage made = StoredMessage::Make(header, body);
    if (!header.isEmpty() && !body.isEmpty() && !header.contains(FieldSeparatorByte) &&
        !body.contains(FieldSeparatorByte) && (made.Header() != header || made.Body() != body))
        std::abort();
    return 0;
}
