#pragma once
// The compose editor's text field, Memo1. Tab moves the focus on and
// Shift+Tab back, as in every other field of the window; Ctrl+Tab types a
// tab. Its undo and redo keys ask the owner, which keeps the undo limit.
//
// A click back at the caret's own place keeps the format chosen for the text
// typed next (a size or colour picked in the toolbar); a click elsewhere takes
// the format of the text there, as in word processors.
#include <QTextEdit>

namespace corvane {

class ComposeTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit ComposeTextEdit(QWidget* parent = nullptr);

Q_SIGNALS:
    void UndoRequested();
    void RedoRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace corvane
