// The message record as one TCP connection brings it.
#include "common/ansicodec.h"
#include "messaging/tmsg.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TMsg msg = TMsg::Decode(bytes);
    for (const QByteArray* field : {&msg.Sender, &msg.Recipient, &msg.Body, &msg.SenderAlias})
        if (field->size() > bytes.size() || ToAnsi(FromAnsi(*field)) != *field)
            std::abort();
    // A record of four non-empty fields reads back as it was written.
    if (!msg.Sender.isEmpty() && !msg.Recipient.isEmpty() && !msg.Body.isEmpty() &&
        !msg.SenderAlias.isEmpty()) {
        const TMsg again = TMsg::Decode(msg.Encode());
        if (again.Sender != msg.Sender || again.Recipient != msg.Recipient ||
            again.Body != msg.Body || again.SenderAlias != msg.SenderAlias)
            std::abort();
    }
    return 0;
}
