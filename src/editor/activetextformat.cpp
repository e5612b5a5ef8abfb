#include "editor/activetextformat.h"

#include "editor/editorformat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <cmath>

namespace corvane {
namespace {

// Runs fn on each paragraph the selection touches (the caret's paragraph
// without one), as one undo step.
template <class F> void ForEachParagraph(QTextCursor& cursor, F fn) {
    QTextDocument* doc = cursor.document();
    QTextBlock block = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    cursor.beginEditBlock();
    for (;;) {
        fn(block);
        if (block == last || !block.isValid())
            break;
        block = block.next();
    }
    cursor.endEditBlock();
}

} // namespace

int ActiveTextFormat::Style(const QTextCursor& cursor) const {
    return TextStateAt(cursor).style;
}

void ActiveTextFormat::Merge(QTextCursor& cursor, const QTextCharFormat& format) {
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
        return;
    }
    default_.merge(format);
    cursor.mergeCharFormat(format); // the format of the text typed next
    ApplyDefaultToEmptyDocument(cursor);
}

void ActiveTextFormat::ApplyDefaultToEmptyDocument(QTextCursor& cursor) {
    QTextDocument* doc = cursor.document();
    if (!doc || !doc->isEmpty() || default_.properties().isEmpty())
        return;
    QTextCharFormat typing = cursor.charFormat();
    typing.merge(default_);
    QTextCursor block(doc);
    if (doc->isUndoAvailable()) {
        // The text was just deleted: one undo brings back text and format.
        block.joinPreviousEditBlock();
        block.mergeBlockCharFormat(default_);
        block.endEditBlock();
    } else if (!doc->isRedoAvailable()) {
        // Nothing to undo or redo: the format change is no undo step.
        const bool undoOn = doc->isUndoRedoEnabled();
        doc->setUndoRedoEnabled(false);
        block.mergeBlockCharFormat(default_);
        doc->setUndoRedoEnabled(undoOn);
    }
    cursor.setCharFormat(typing);
}

void ActiveTextFormat::SetStyle(QTextCursor& cursor, int style) {
    Merge(cursor, StyleFormat(style));
}

void ActiveTextFormat::SetSize(QTextCursor& cursor, int points) {
    QTextCharFormat f;
    f.setFontPointSize(std::min(points, MaxFontPoints));
    Merge(cursor, f);
}

void ActiveTextFormat::SetColor(QTextCursor& cursor, const QColor& color) {
    QTextCharFormat f;
    f.setForeground(color);
    Merge(cursor, f);
}

void ActiveTextFormat::SetFontName(QTextCursor& cursor, const QString& family) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    Merge(cursor, f);
}

void ActiveTextFormat::SetAlignment(QTextCursor& cursor, int value) {
    QTextBlockFormat f;
    f.setAlignment(AlignmentFromValue(value));
    cursor.mergeBlockFormat(f);
}

void ActiveTextFormat::SetBullets(QTextCursor& cursor, bool on) {
    QTextDocument* doc = cursor.document();
    QTextList* list = nullptr; // the list that new bulleted paragraphs join
    ForEachParagraph(cursor, [&](const QTextBlock& block) {
        QTextCursor at(block);
        if (!on) {
            if (QTextList* current = block.textList())
                current->remove(block);
            QTextBlockFormat f = at.blockFormat();
            f.setIndent(0);
            f.setTextIndent(0);
            at.setBlockFormat(f);
            return;
        }
        if (QTextList* current = block.textList()) {
            QTextListFormat lf = current->format();
            if (lf.style() != QTextListFormat::ListDisc) {
                lf.setStyle(QTextListFormat::ListDisc);
                current->setFormat(lf);
            }
            list = current;
            return;
        }
        if (list) {
            list->add(block);
        } else {
            QTextListFormat lf;
            lf.setStyle(QTextListFormat::ListDisc);
            // The marker hangs in the list's indent: whole indent steps, at
            // least the bullet indent (one step in the compose editor).
            const double steps = std::ceil(IndentStepUnits / doc->indentWidth() - 1e-9);
            lf.setIndent(std::max(1, int(steps)));
            list = at.createList(lf);
        }
    });
}

} // namespace corvane
