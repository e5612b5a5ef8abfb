#pragma once
// Puts a message body into a read-only rich-text view: an RTF document shows
// with its formatting, any other body as plain text, unchanged.
#include <QByteArray>

class QTextEdit;

namespace corvane {

void ShowBody(QTextEdit* view, const QByteArray& body);

} // namespace corvane
