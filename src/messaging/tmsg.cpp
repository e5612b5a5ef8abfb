#include "messaging/tmsg.h"

#include "common/fieldsplit.h"

namespace corvane {

QByteArray TMsg::Encode() const { return JoinFields({Sender, Recipient, Body, SenderAlias}); }

TMsg TMsg::Decode(QByteArrayView record) {
    return TMsg{Field(record, 1), Field(record, 2), Field(record, 3), Field(record, 4)};
}

} // namespace corvane
