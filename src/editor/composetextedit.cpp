#include "editor/composetextedit.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace corvane {

ComposeTextEdit::ComposeTextEdit(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("Memo1"));
    setAcceptRichText(true);
    setTabChangesFocus(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void ComposeTextEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
        insertPlainText(QStringLiteral("\t"));
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo)) {
        Q_EMIT UndoRequested();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Redo)) {
        Q_EMIT RedoRequested();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void ComposeTextEdit::mousePressEvent(QMouseEvent* event) {
    const QTextCursor before = textCursor();
    const QTextCharFormat typing = before.charFormat();
    QTextEdit::mousePressEvent(event);
    const QTextCursor after = textCursor();
    if (event->button() == Qt::LeftButton && !before.hasSelection() && !after.hasSelection() &&
        after.position() == before.position() && after.charFormat() != typing)
        setCurrentCharFormat(typing);
}

} // namespace corvane
