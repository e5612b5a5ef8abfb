#pragma once
// The compose editor's text field, Memo1. Tab moves the focus on and
// Shift+Tab back, as in every other field of the window; Ctrl+Tab types a
// tab. Its undo and redo keys ask the owner, which keeps the undo limit.
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
};

} // namespace corvane
