#pragma once
// Text records of every kind (presence and chat datagrams, the TCP message
// record, stored messages) are fields joined by FieldSeparator:
//
//   record    = field *( FieldSeparator field )
//   FieldSeparator = 0xA9 0xA9 0xA9          ; "©©©" in Windows-1251
//
// Reading is looser than writing: every single 0xA9 byte delimits, so field N
// (counted from 1) is the N-th maximal run of bytes other than 0xA9. Runs of
// separators of any length split once, separators at either end are skipped,
// empty fields vanish (later fields move left), a field past the end is empty,
// and a field that itself holds 0xA9 splits in two.
#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

namespace corvane {

inline constexpr char FieldSeparatorByte = char(0xA9);
extern const QByteArray FieldSeparator;

QByteArray Field(QByteArrayView record, int n);
QByteArrayList SplitFields(QByteArrayView record);
QByteArray JoinFields(const QByteArrayList& fields);

} // namespace corvane
