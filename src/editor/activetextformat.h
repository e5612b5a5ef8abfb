#pragma once
// The format that the compose editor's formatting commands change: the
// selection's character format when at least one character is selected,
// otherwise the editor's default character format, which text typed at the
// caret gets. The default format outlives the text: an editor that was
// cleared (after sending, "Clear message", a load of an empty file) starts
// again with it, and a click into an empty editor keeps it.
//
// Paragraph commands (alignment, bullets) act on every paragraph the
// selection touches, or on the caret's paragraph.
#include <QColor>
#include <QString>
#include <QTextCharFormat>

class QTextCursor;
class QTextDocument;

namespace corvane {

class ActiveTextFormat {
public:
    // The style of the format the commands change at this cursor.
    int Style(const QTextCursor& cursor) const;
    // The four style bits written over the selection or the default format.
    void SetStyle(QTextCursor& cursor, int style);
    // Whole points; sizes above MaxFontPoints are taken as that.
    void SetSize(QTextCursor& cursor, int points);
    void SetColor(QTextCursor& cursor, const QColor& color);
    void SetFontName(QTextCursor& cursor, const QString& family);

    void SetAlignment(QTextCursor& cursor, int value);
    // Bullets on: the paragraphs become a bulleted list (its marker hangs at
    // least one indent step, IndentStepUnits, left of the text). Off: no
    // numbering and no hanging indent.
    void SetBullets(QTextCursor& cursor, bool on);

    // The editor's default character format.
    const QTextCharFormat& DefaultFormat() const { return default_; }
    // Gives an empty document the default format, so that typed text gets
    // it; adds no undo step. Does nothing to a document with text.
    void ApplyDefaultToEmptyDocument(QTextCursor& cursor);

private:
    void Merge(QTextCursor& cursor, const QTextCharFormat& format);

    QTextCharFormat default_;
};

} // namespace corvane
