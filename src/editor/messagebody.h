#pragma once
// Message bodies. The body of a message is the compose document as an RTF
// document (7-bit, see RtfWriter), or plain Windows-1251 text for an automatic
// answer. Views show an RTF body with its formatting and any other body as
// the plain text it is.
#include <QByteArray>
#include <QByteArrayView>
#include <atomic>

class QTextDocument;

namespace corvane {

// Whether a body is an RTF document: "{\rtf" after optional white space.
bool LooksLikeRtf(QByteArrayView body);

// Replaces the document's content with the body: an RTF body with its
// formatting, any other body as Windows-1251 plain text, unchanged but for
// its line ends (CR LF, CR and LF each break the line).
// An RTF body's reading ends early, keeping what was read, once stop turns
// true.
void LoadMessageBody(QTextDocument* doc, const QByteArray& body,
                     const std::atomic<bool>* stop = nullptr);

// The whole document as an RTF document.
QByteArray RichTextToString(const QTextDocument& doc);

} // namespace corvane
