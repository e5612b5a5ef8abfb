#pragma once
// Lines that scripts read: tab-separated columns (tabs, line breaks and
// backslashes inside a column are escaped C-style, other control characters
// as \xHH) or one JSON object per line.
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace corvane::cli {

QString EscapeColumn(const QString& text);
QByteArray TsvLine(const QStringList& columns);
QByteArray JsonLine(const QJsonObject& object);
// Writes a line to stdout and flushes it, so a reader sees it at once.
void PrintLine(const QByteArray& line);

} // namespace corvane::cli
