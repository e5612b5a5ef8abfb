#pragma once
// The message record. One TCP connection to the message port carries exactly
// one record and nothing else: no length prefix, no terminator, no version.
//
//   record = Sender FieldSeparator Recipient FieldSeparator Body
//            FieldSeparator SenderAlias
//
// Sender and SenderAlias are the sender's alias; Recipient is "*" for
// everybody, else the chosen node's text; Body is an RTF document (7-bit, so
// it never holds the separator byte) or, for an automatic answer, plain text.
// All bytes Windows-1251. A reader splits with the field rule of
// fieldsplit.h, so empty fields vanish and later ones move left.
#include <QByteArray>
#include <QByteArrayView>

namespace corvane {

struct TMsg {
    QByteArray Sender;
    QByteArray Recipient;
    QByteArray Body;
    QByteArray SenderAlias;

    QByteArray Encode() const;
    static TMsg Decode(QByteArrayView record);
};

} // namespace corvane
