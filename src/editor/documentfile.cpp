#include "editor/documentfile.h"

#include "common/ansicodec.h"
#include "common/errors.h"
#include "editor/rtfreader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>

namespace corvane {
namespace {

bool ReadRtf(const QByteArray& bytes, QTextDocument* doc) {
    RtfReader reader;
    return reader.Read(bytes, doc);
}

bool ReadPlainText(const QByteArray& bytes, QTextDocument* doc) {
    if (bytes.contains('\0'))
        return false;
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        text = asUtf8; // also drops a byte order mark
    else
        text = FromAnsi(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    doc->setPlainText(text);
    return true;
}

bool Read(DocumentFormat format, const QByteArray& bytes, QTextDocument* doc) {
    return format == DocumentFormat::Rtf ? ReadRtf(bytes, doc) : ReadPlainText(bytes, doc);
}

AppError TooLarge(const QString& fileName, qint64 maxBytes) {
    return AppError(QStringLiteral("The file %1 is larger than a message can carry (%2 bytes)")
                        .arg(fileName)
                        .arg(maxBytes));
}

} // namespace

DocumentFormat FormatForFileName(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0
               ? DocumentFormat::PlainText
               : DocumentFormat::Rtf;
}

DocumentFormat LoadDocumentBytes(const QString& fileName, const QByteArray& bytes,
                                 QTextDocument* doc) {
    const DocumentFormat first = FormatForFileName(fileName);
    if (Read(first, bytes, doc))
        return first;
    const DocumentFormat other =
        first == DocumentFormat::Rtf ? DocumentFormat::PlainText : DocumentFormat::Rtf;
    if (Read(other, bytes, doc))
        return other;
    throw AppError(QStringLiteral("Failed to Load Stream"));
}

DocumentFormat LoadDocumentFile(const QString& fileName, QTextDocument* doc, qint64 maxBytes) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file %1").arg(fileName));
    if (file.size() > maxBytes)
        throw TooLarge(fileName, maxBytes);
    // Read one byte past the limit: a file that grows or reports no size is
    // still refused without reading all of it.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw AppError(QStringLiteral("Cannot open file %1").arg(fileName));
    if (bytes.size() > maxBytes)
        throw TooLarge(fileName, maxBytes);
    return LoadDocumentBytes(fileName, bytes, doc);
}

} // namespace corvane
