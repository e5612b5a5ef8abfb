#pragma once
// Loading a file into the compose editor. The extension, in any letter case,
// chooses the reading: "rtf" as RTF, "txt" as plain text, anything else as
// RTF. When that reading does not accept the file, it is read again in the
// other one. Plain text is UTF-8 when it is valid UTF-8 (or starts with its
// byte order mark), otherwise Windows-1251; a file holding NUL bytes is not
// plain text.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace corvane {

enum class DocumentFormat { Rtf, PlainText };

// The reading tried first for a file name.
DocumentFormat FormatForFileName(const QString& fileName);

// Replaces the document's content with the file and returns the reading that
// took it. Throws AppError, leaving the document as it was:
//   "Cannot open file <name>"       the file cannot be opened or read
//   "Failed to Load Stream"         neither reading accepts it
//   a text naming the file          it is larger than maxBytes
DocumentFormat LoadDocumentFile(const QString& fileName, QTextDocument* doc, qint64 maxBytes);

// The same for bytes already read (fileName only chooses the reading).
DocumentFormat LoadDocumentBytes(const QString& fileName, const QByteArray& bytes,
                                 QTextDocument* doc);

} // namespace corvane
