#include "editor/rtfreader.h"

#include "editor/editorformat.h"
#include "editor/messagebody.h"
#include "editor/rtfparser.h"

#include <QTextDocument>

namespace corvane {

bool RtfReader::Read(QByteArrayView rtf, QTextDocument* doc) {
    error_.clear();
    truncated_ = false;
    if (rtf.isEmpty()) {
        error_ = QStringLiteral("The document is empty");
        return false;
    }
    if (!LooksLikeRtf(rtf)) {
        error_ = QStringLiteral("Not an RTF document: it does not start with \"{\\rtf\"");
        return false;
    }
    qsizetype pos = 0;
    while (rtf[pos] != '{')
        ++pos;
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    doc->setIndentWidth(IndentStepUnits);
    rtf::Parser parser(limits_, doc);
    parser.Run(rtf, pos + 1);
    truncated_ = parser.truncated();
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
    return true;
}

} // namespace corvane
