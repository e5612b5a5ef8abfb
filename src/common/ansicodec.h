#pragma once
// The 8-bit text of every record, datagram and file: Windows-1251. Text is
// converted once, where it enters or leaves a control. A character that
// Windows-1251 cannot hold becomes "?".
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace corvane {

QByteArray ToAnsi(QStringView text);
QString FromAnsi(QByteArrayView bytes);
// The byte for one character, or 0 when Windows-1251 has none (NUL maps to 0 too).
char AnsiByteFor(char32_t ch, bool* ok = nullptr);

} // namespace corvane
