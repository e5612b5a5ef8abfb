// The compose editor's format logic on plain documents: the size rule, the
// colour numbers, the format commands with and without a selection, bullets,
// the undo limit and loading files.
#include "common/ansicodec.h"
#include "common/errors.h"
#include "editor/activetextformat.h"
#include "editor/documentfile.h"
#include "editor/editorformat.h"
#include "editor/rtfwriter.h"
#include "editor/undolimit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <functional>
#include <gtest/gtest.h>

using namespace corvane;

TEST(EditorFormat, SizeTextIsAStrictWholeNumber) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"12", 12},
        {"0", 0},
        {"500", 500},
        {"-3", -3},
        {"+7", 7},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", {}},
        {"99999999999999999999", {}},
        {"", {}},
        {"+", {}},
        {"-", {}},
        {" 12", {}},
        {"12 ", {}},
        {"1.5", {}},
        {"1e3", {}},
        {"$10", {}},
        {"abc", {}},
        {"١٢", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrictWholeNumber(QString::fromUtf8(c.text)), c.value) << c.text;
    try {
        WholeNumberOrThrow(QStringLiteral("1x"));
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'1x' is not a valid integer value"));
    }
    EXPECT_EQ(FontFamilyName(QStringLiteral("Nimbus Roman [urw]")), QStringLiteral("Nimbus Roman"));
    EXPECT_EQ(FontFamilyName(QStringLiteral("Arial")), QStringLiteral("Arial"));
    EXPECT_EQ(FontSizeItems().size(), 16);
    EXPECT_EQ(FontSizeItems().first(), QStringLiteral("8"));
    EXPECT_EQ(FontSizeItems().last(), QStringLiteral("72"));
}

TEST(EditorFormat, ColourNumbersHaveRedInTheLowByte) {
    const auto& colors = StandardColors();
    const char* order[] = {"Black", "Maroon",  "Green",  "Olive", "Navy", "Purple",
                           "Teal",  "Gray",    "Silver", "Red",   "Lime", "Yellow",
                           "Blue",  "Fuchsia", "Aqua",   "White"};
    for (size_t i = 0; i < colors.size(); ++i) {
        EXPECT_STREQ(colors[i].name, order[i]);
        EXPECT_EQ(ColorFromNumber(ColorNumber(QColor::fromRgb(colors[i].rgb))).rgb(),
                  colors[i].rgb);
    }
    EXPECT_EQ(ColorNumber(Qt::black), 0u);
    EXPECT_EQ(ColorNumber(QColor(255, 0, 0)), 255u);
    EXPECT_EQ(ColorNumber(QColor(0, 0, 255)), 16711680u);
    EXPECT_EQ(ColorNumber(QColor(0x80, 0x80, 0)), 0x008080u);
}

namespace {

// A document "Hello world" with the caret at its end, or "world" selected.
struct Doc {
    explicit Doc(bool select) : cursor(&doc) {
        cursor.insertText(QStringLiteral("Hello world"));
        if (select)
            cursor.setPosition(6, QTextCursor::KeepAnchor);
    }
    QTextCharFormat FormatAt(int pos) {
        QTextCursor c(&doc);
        c.setPosition(pos + 1);
        return c.charFormat();
    }
    // Types at the caret (at the end) and returns the typed text's format.
    QTextCharFormat Typed() {
        cursor.insertText(QStringLiteral("!"));
        return FormatAt(doc.characterCount() - 2);
    }
    QTextDocument doc;
    QTextCursor cursor;
    ActiveTextFormat format;
};

} // namespace

TEST(ActiveTextFormat, CommandsChangeTheSelectionOrTheTextTypedNext) {
    const struct {
        const char* name;
        std::function<void(ActiveTextFormat&, QTextCursor&)> command;
        std::function<bool(const QTextCharFormat&)> carries;
    } commands[] = {
        {"bold", [](auto& f, auto& c) { f.SetStyle(c, Style::Bold); },
         [](const QTextCharFormat& f) { return f.fontWeight() == QFont::Bold && !f.fontItalic(); }},
        {"italic+underline",
         [](auto& f, auto& c) { f.SetStyle(c, Style::Italic | Style::Underline); },
         [](const QTextCharFormat& f) { return f.fontItalic() && f.fontUnderline(); }},
        {"size 0", [](auto& f, auto& c) { f.SetSize(c, 0); },
         [](const QTextCharFormat& f) {
             return f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() == 0;
         }},
        {"size 500", [](auto& f, auto& c) { f.SetSize(c, 500); },
         [](const QTextCharFormat& f) { return f.fontPointSize() == 500; }},
        {"size beyond what a message carries", [](auto& f, auto& c) { f.SetSize(c, 100000); },
         [](const QTextCharFormat& f) { return f.fontPointSize() == MaxFontPoints; }},
        {"colour", [](auto& f, auto& c) { f.SetColor(c, QColor(0x80, 0, 0x80)); },
         [](const QTextCharFormat& f) { return f.foreground().color() == QColor(0x80, 0, 0x80); }},
        {"font", [](auto& f, auto& c) { f.SetFontName(c, QStringLiteral("DejaVu Sans Mono")); },
         [](const QTextCharFormat& f) {
             return f.fontFamilies().toStringList() == QStringList{"DejaVu Sans Mono"};
         }},
    };
    for (const auto& cmd : commands) {
        SCOPED_TRACE(cmd.name);
        Doc selected(true);
        cmd.command(selected.format, selected.cursor);
        EXPECT_TRUE(cmd.carries(selected.FormatAt(6)));
        EXPECT_TRUE(cmd.carries(selected.FormatAt(10)));
        EXPECT_FALSE(cmd.carries(selected.FormatAt(0))) << "outside the selection";
        EXPECT_TRUE(selected.format.DefaultFormat().properties().isEmpty());

        Doc caret(false);
        cmd.command(caret.format, caret.cursor);
        EXPECT_FALSE(cmd.carries(caret.FormatAt(10))) << "no text changes";
        EXPECT_TRUE(cmd.carries(caret.Typed())) << "the next typed text carries it";
        EXPECT_TRUE(cmd.carries(caret.format.DefaultFormat()));
    }
}

TEST(ActiveTextFormat, AnEmptyOrClearedEditorKeepsTheDefaultFormatWithoutAnUndoStep) {
    QTextDocument doc;
    ActiveTextFormat format;
    QTextCursor cursor(&doc);
    format.SetStyle(cursor, Style::Bold);
    format.SetSize(cursor, 14);
    EXPECT_FALSE(doc.isUndoAvailable());
    // A click into the editor gives a fresh cursor: typing still carries it.
    QTextCursor click(&doc);
    click.insertText(QStringLiteral("a"));
    click.setPosition(1);
    EXPECT_EQ(click.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(click.charFormat().fontPointSize(), 14);

    doc.clear(); // sent and cleared
    QTextCursor again(&doc);
    format.ApplyDefaultToEmptyDocument(again);
    again.insertText(QStringLiteral("b"));
    again.setPosition(1);
    EXPECT_EQ(again.charFormat().fontWeight(), QFont::Bold);
    EXPECT_FALSE(doc.isUndoAvailable() && doc.availableUndoSteps() > 1);
}

TEST(ActiveTextFormat, AlignmentAndBulletsActOnEveryTouchedParagraph) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("one\ntwo\nthree"));
    c.setPosition(1);
    c.setPosition(5, QTextCursor::KeepAnchor); // "one" and "two"
    ActiveTextFormat format;
    format.SetAlignment(c, Alignment::Center);
    const auto align = [&](int n) {
        return AlignmentValue(doc.findBlockByNumber(n).blockFormat().alignment());
    };
    EXPECT_EQ(align(0), Alignment::Center);
    EXPECT_EQ(align(1), Alignment::Center);
    EXPECT_EQ(align(2), Alignment::Left);
    format.SetAlignment(c, Alignment::Right);
    EXPECT_EQ(align(1), Alignment::Right);

    format.SetBullets(c, true);
    QTextList* list = doc.findBlockByNumber(0).textList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(doc.findBlockByNumber(1).textList(), list);
    EXPECT_EQ(doc.findBlockByNumber(2).textList(), nullptr);
    // The marker hangs at least 10 points left of the text.
    EXPECT_GE(list->format().indent() * doc.indentWidth(), 10.0 * 96 / 72);
    EXPECT_TRUE(TextStateAt(c).numbered);
    // The whole list is one undo step.
    doc.undo();
    EXPECT_EQ(doc.findBlockByNumber(0).textList(), nullptr);
    doc.redo();

    // Off: no numbering and no indent left behind.
    c.setPosition(5);
    format.SetBullets(c, false);
    EXPECT_EQ(doc.findBlockByNumber(1).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().indent(), 0);
    EXPECT_EQ(doc.findBlockByNumber(1).blockFormat().textIndent(), 0);
    EXPECT_NE(doc.findBlockByNumber(0).textList(), nullptr);
    EXPECT_FALSE(TextStateAt(c).numbered);
}

TEST(UndoLimit, AtMostAHundredStepsBack) {
    QTextDocument doc;
    UndoLimit undo(&doc);
    EXPECT_FALSE(undo.CanUndo());
    QTextCursor c(&doc);
    for (int i = 0; i < 105; ++i) {
        c.beginEditBlock();
        c.insertText(QStringLiteral("%1,").arg(i));
        c.endEditBlock();
        c.movePosition(QTextCursor::Start); // not adjacent: no merging
    }
    int undone = 0;
    while (undo.Undo() && undone < 200)
        ++undone;
    EXPECT_EQ(undone, UndoLimit::Limit);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("4,3,2,1,0,"));
    EXPECT_FALSE(undo.CanUndo());
    ASSERT_TRUE(undo.Redo());
    EXPECT_TRUE(undo.CanUndo());
    doc.clear();
    EXPECT_FALSE(undo.CanUndo());
}

TEST(DocumentFile, TheExtensionChoosesTheReadingWithTheOtherAsFallback) {
    const QByteArray rtf = "{\\rtf1\\ansi{\\b Bold}\\par}";
    const QByteArray cyrillic = ToAnsi(QStringLiteral("Привет"));
    const struct {
        const char* name;
        QByteArray bytes;
        DocumentFormat read;
        QString text;
    } cases[] = {
        {"a.rtf", rtf, DocumentFormat::Rtf, "Bold"},
        {"A.RTF", rtf, DocumentFormat::Rtf, "Bold"},
        {"NOTE.TXT", rtf, DocumentFormat::PlainText, QString::fromLatin1(rtf)},
        {"note.TxT", cyrillic, DocumentFormat::PlainText, QStringLiteral("Привет")},
        {"utf8.txt", QStringLiteral("\uFEFFПривет").toUtf8(), DocumentFormat::PlainText,
         QStringLiteral("Привет")},
        {"letter.doc", rtf, DocumentFormat::Rtf, "Bold"},
        {"noextension", rtf, DocumentFormat::Rtf, "Bold"},
        {"plain.log", "line 1\r\nline 2", DocumentFormat::PlainText, "line 1\nline 2"},
        {"binary.txt", QByteArray("{\\rtf1 x\\par}\0", 14), DocumentFormat::Rtf, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        EXPECT_EQ(LoadDocumentBytes(QLatin1String(c.name), c.bytes, &doc), c.read);
        EXPECT_EQ(doc.toPlainText(), c.text);
    }
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("kept"));
    try {
        LoadDocumentBytes(QStringLiteral("picture.png"), QByteArray("\x89PNG\0\0", 6), &doc);
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Failed to Load Stream"));
    }
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("kept"));
}

TEST(DocumentFile, MissingAndOversizedFilesAreRefusedAndTheEditorKept) {
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.txt"));
    QFile f(big);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1001, 'x'));
    f.close();
    const QString missing = dir.filePath(QStringLiteral("missing.rtf"));
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("kept"));
    for (const QString& name : {missing, big}) {
        try {
            LoadDocumentFile(name, &doc, 1000);
            FAIL() << name.toStdString();
        } catch (const AppError& e) {
            EXPECT_TRUE(e.Message().contains(name)) << e.Message().toStdString();
            if (name == missing)
                EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ") + missing);
        }
    }
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(LoadDocumentFile(big, &doc, 1001), DocumentFormat::PlainText);
    EXPECT_EQ(doc.toPlainText().size(), 1001);
}
