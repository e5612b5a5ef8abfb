#pragma once
// Undo of the compose editor, at most Limit steps back. The document keeps
// its own undo stack; this counts the steps added to it and refuses an undo
// that would reach further back than the newest Limit steps.
#include <QObject>

class QTextCursor;
class QTextDocument;

namespace corvane {

class UndoLimit : public QObject {
    Q_OBJECT
public:
    static constexpr int Limit = 100;

    explicit UndoLimit(QTextDocument* doc, QObject* parent = nullptr);

    bool CanUndo() const;
    // Undoes one step, moving the cursor (when given) to where it happened;
    // false when there is none within the limit.
    bool Undo(QTextCursor* cursor = nullptr);
    bool Redo(QTextCursor* cursor = nullptr);

Q_SIGNALS:
    void Changed(); // CanUndo may have changed

private:
    QTextDocument* doc_;
    int undoSteps_ = 0; // reachable steps, at most Limit
    int redoSteps_ = 0;
};

} // namespace corvane
