#pragma once
// What the two chat windows share: their pictures and the text area that appends
// lines in colour, follows the newest line and keeps a bounded number.
#include "chat/chattexts.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPointer>

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

// What the text areas of all private chats hold together. Each area keeps
// its own bound of lines as well; beyond MaxLines lines or MaxCharacters
// characters in all, the oldest lines of the area that holds the most
// characters go first, so a flooded chat cannot push out the others.
class ChatTextBudget {
public:
    static constexpr int MaxLines = 20000;
    static constexpr int MaxCharacters = 2000000;

    // An area that is destroyed drops out by itself.
    void Add(QTextEdit* memo);
    // Appends a line to one of the areas and trims the areas to the bound.
    void Append(QTextEdit* memo, const QString& text);
    int Lines() const;
    int Characters() const;

private:
    QList<QPointer<QTextEdit>> memos_;
};

// An image button of a chat window's toolbar, reachable by the Tab key.
QToolButton* MakeChatToolButton(QWidget* parent, const char* name, const QIcon& icon);

} // namespace corvane
