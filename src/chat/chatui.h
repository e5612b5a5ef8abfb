#pragma once
// What the two chat windows share: their pictures and the text area that appends
// lines in colour, follows the newest line and keeps a bounded number.
#include "chat/chattexts.h"

#include <QColor>
#include <QIcon>

class QTextEdit;
class QToolButton;
class QWidget;

namespace corvane {

struct ChatIcons {
    QIcon member;      // image 0 of the member list
    QIcon privateChat; // PrivChatBtn
    QIcon beep;        // BeepUserBtn, BeepBtn
    QIcon clear;       // ClearBtn
    QIcon window;
};

// Prepares a text area for chat lines: a bounded number of lines (the oldest
// go first) and the view follows each new line.
void SetUpChatTextArea(QTextEdit* memo);
// Appends one line at the end, in the colour given (none: the default
// format), and leaves the caret at the end with the default format.
void AppendChatLine(QTextEdit* memo, const QString& text, const QColor& colour = QColor());
void ClearChatText(QTextEdit* memo);

// An image button of a chat window's toolbar, reachable by the Tab key.
QToolButton* MakeChatToolButton(QWidget* parent, const char* name, const QIcon& icon);

} // namespace corvane
