#include "editor/undolimit.h"

#include <QTextDocument>
#include <algorithm>

namespace corvane {

UndoLimit::UndoLimit(QTextDocument* doc, QObject* parent) : QObject(parent), doc_(doc) {
    connect(doc, &QTextDocument::undoCommandAdded, this, [this] {
        undoSteps_ = std::min(undoSteps_ + 1, Limit);
        redoSteps_ = 0;
        Q_EMIT Changed();
    });
    // A cleared or replaced document has nothing to undo or redo.
    connect(doc, &QTextDocument::undoAvailable, this, [this](bool available) {
        if (!available)
            undoSteps_ = 0;
        Q_EMIT Changed();
    });
    connect(doc, &QTextDocument::redoAvailable, this, [this](bool available) {
        if (!available)
            redoSteps_ = 0;
    });
}

bool UndoLimit::CanUndo() const {
    return undoSteps_ > 0 && doc_->isUndoAvailable();
}

bool UndoLimit::Undo(QTextCursor* cursor) {
    if (!CanUndo())
        return false;
    --undoSteps_;
    doc_->undo(cursor);
    ++redoSteps_;
    Q_EMIT Changed();
    return true;
}

bool UndoLimit::Redo(QTextCursor* cursor) {
    if (redoSteps_ <= 0 || !doc_->isRedoAvailable())
        return false;
    --redoSteps_;
    doc_->redo(cursor);
    undoSteps_ = std::min(undoSteps_ + 1, Limit);
    Q_EMIT Changed();
    return true;
}

} // namespace corvane
