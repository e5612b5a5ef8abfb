#include "chat/chatui.h"

#include "chat/chatdatagrams.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

namespace corvane {
namespace {
// Lines written since the area was last emptied; the first goes into the
// empty first paragraph.
const char* const kLinesWritten = "chatLinesWritten";
} // namespace

void SetUpChatTextArea(QTextEdit* memo) {
    memo->setAcceptRichText(false);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->document()->setMaximumBlockCount(ChatBounds::MaxTextLines);
    QObject::connect(memo, &QTextEdit::textChanged, memo, [memo] {
        QScrollBar* bar = memo->verticalScrollBar();
        bar->setValue(bar->maximum());
    });
}

void AppendChatLine(QTextEdit* memo, const QString& text, const QColor& colour) {
    QTextDocument* doc = memo->document();
    const int written = memo->property(kLinesWritten).toInt();
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::End);
    if (written > 0 || !doc->isEmpty())
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    QTextCharFormat format;
    if (colour.isValid())
        format.setForeground(colour);
    cursor.insertText(text, format);
    memo->setProperty(kLinesWritten, written + 1);
    cursor.movePosition(QTextCursor::End);
    cursor.setCharFormat(QTextCharFormat());
    memo->setTextCursor(cursor);
    memo->setCurrentCharFormat(QTextCharFormat());
}

void ClearChatText(QTextEdit* memo) {
    memo->clear();
    memo->setCurrentCharFormat(QTextCharFormat());
    memo->setProperty(kLinesWritten, 0);
}

void ChatTextBudget::Add(QTextEdit* memo) {
    if (memo && !memos_.contains(memo))
        memos_.append(memo);
}

int ChatTextBudget::Lines() const {
    int n = 0;
    for (const auto& m : memos_)
        if (m)
            n += m->document()->blockCount();
    return n;
}

int ChatTextBudget::Characters() const {
    int n = 0;
    for (const auto& m : memos_)
        if (m)
            n += m->document()->characterCount();
    return n;
}

void ChatTextBudget::Append(QTextEdit* memo, const QString& text) {
    AppendChatLine(memo, text);
    memos_.removeAll(nullptr);
    while (Lines() > MaxLines || Characters() > MaxCharacters) {
        QTextEdit* fullest = nullptr;
        for (const auto& m : memos_)
            if (!fullest || m->document()->characterCount() > fullest->document()->characterCount())
                fullest = m;
        if (!fullest || fullest->document()->blockCount() <= 1)
            return; // one line each: nothing older to drop
        QTextCursor first(fullest->document());
        first.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        first.removeSelectedText();
    }
}

QToolButton* MakeChatToolButton(QWidget* parent, const char* name, const QIcon& icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace corvane
