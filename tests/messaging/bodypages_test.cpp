// A body cut into pages: nothing of it is lost or changed, no page or
// paragraph of a page is longer than its bound, and a reading can be stopped.
#include "messaging/bodypages.h"

#include "editor/messagebody.h"
#include "editor/rtfwriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

// One character with its format, and one paragraph with its formats.
struct Char {
    QChar c;
    QTextCharFormat format;
    bool operator==(const Char&) const = default;
};
struct Para {
    QTextBlockFormat format; // without its list
    QTextCharFormat charFormat;
    int listStyle = 0;
    bool operator==(const Para&) const = default;
};
struct Content {
    std::vector<Char> chars; // paragraphs end in '\n'
    std::vector<Para> paras;
};

QTextBlockFormat WithoutList(QTextBlockFormat f) {
    f.clearProperty(QTextFormat::ObjectIndex);
    f.clearProperty(BodyPages::ContinuesParagraph);
    return f;
}

// Adds a document to the content; a piece that goes on with the paragraph
// before it joins that paragraph.
void Append(const QTextDocument& doc, Content& out) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().hasProperty(BodyPages::ContinuesParagraph)) {
            ASSERT_FALSE(out.chars.empty());
            out.chars.pop_back();
        } else {
            out.paras.push_back({WithoutList(b.blockFormat()), b.charFormat(),
                                 b.textList() ? int(b.textList()->format().style()) : 0});
        }
        for (auto it = b.begin(); !it.atEnd(); ++it)
            for (QChar c : it.fragment().text())
                out.chars.push_back({c, it.fragment().charFormat()});
        out.chars.push_back({QLatin1Char('\n'), {}});
    }
}

QByteArray Rtf(const std::function<void(QTextCursor&)>& write) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    write(cursor);
    return RtfWriter().Write(doc);
}

QTextCharFormat Format(int kind) {
    QTextCharFormat f;
    switch (kind % 5) {
    case 0:
        f.setFontWeight(QFont::Bold);
        break;
    case 1:
        f.setFontItalic(true);
        break;
    case 2:
        f.setFontUnderline(true);
        break;
    case 3:
        f.setForeground(QColor(200, 0, 0));
        break;
    default:
        f.setFontPointSize(14);
        break;
    }
    return f;
}

// Runs of every format, Cyrillic, a list with numbers inside a bulleted one,
// a centred paragraph, a long word, empty paragraphs and characters beyond
// U+FFFF.
QByteArray FormattedBody() {
    return Rtf([](QTextCursor& c) {
        for (int i = 0; i < 40; ++i) {
            c.insertText(QStringLiteral("слово word "), i % 2 ? Format(i) : QTextCharFormat());
            if (i % 9 == 8)
                c.insertBlock();
        }
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        c.insertBlock(centred);
        c.insertText(QString(300, QLatin1Char('w')) + QStringLiteral(" 😀😀😀😀 end"));
        c.insertBlock(QTextBlockFormat());
        c.insertBlock();
        QTextList* bullets = c.createList(QTextListFormat::ListDisc);
        c.insertText(QStringLiteral("first point"));
        c.insertBlock();
        c.createList(QTextListFormat::ListDecimal);
        for (int i = 0; i < 6; ++i) {
            if (i)
                c.insertBlock();
            c.insertText(QStringLiteral("numbered %1 ").arg(i), Format(i));
        }
        c.insertBlock();
        bullets->add(c.block());
        c.insertText(QStringLiteral("last point"));
    });
}

} // namespace

TEST(BodyPages, PagesHoldEveryCharacterAndFormatWithinTheirBounds) {
    const struct {
        const char* name;
        QByteArray body;
        PageLimits limits;
    } cases[] = {
        {"formatted, small pages", FormattedBody(), {120, 25}},
        {"formatted, pieces of 7 cut into pairs", FormattedBody(), {60, 7}},
        {"formatted, one page", FormattedBody(), {}},
        {"plain text with its line ends",
         "one\r\ntwo\rthree\n\xcf\xf0\xe8\xe2\xe5\xf2 four five",
         {40, 6}},
        {"one long word", QByteArray(1000, 'w'), {300, 64}},
        {"empty paragraphs", QByteArray(500, '\n'), {100, 10}},
        {"empty", QByteArray(), {100, 10}},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        QTextDocument source;
        LoadMessageBody(&source, t.body);
        Content expected;
        Append(source, expected);

        const auto pages = BodyPages::Prepare(t.body, t.limits);
        ASSERT_TRUE(pages);
        Content got;
        for (int i = 0; i < pages->PageCount(); ++i) {
            QTextDocument page;
            pages->BuildPage(i, &page);
            qsizetype weight = 0;
            for (QTextBlock b = page.begin(); b.isValid(); b = b.next()) {
                EXPECT_LE(b.length() - 1, t.limits.pieceChars) << "page " << i;
                EXPECT_FALSE(b.length() > 1 && b.text().front().isLowSurrogate()) << "page " << i;
                weight += b.length() - 1 + BodyPages::BlockWeight;
            }
            EXPECT_LE(weight,
                      std::max(t.limits.pageChars, t.limits.pieceChars + BodyPages::BlockWeight))
                << "page " << i;
            Append(page, got);
        }
        ASSERT_EQ(got.chars.size(), expected.chars.size());
        for (size_t i = 0; i < got.chars.size(); ++i)
            ASSERT_TRUE(got.chars[i] == expected.chars[i]) << "character " << i;
        EXPECT_TRUE(got.paras == expected.paras);
        EXPECT_EQ(pages->Characters(), source.characterCount() - source.blockCount());
    }
}

TEST(BodyPages, AListWithNumbersThatFitsAPageIsNotCutAndLongWordsBreakAnywhere) {
    const QByteArray body = Rtf([](QTextCursor& c) {
        c.insertText(QString(100, QLatin1Char('x')));
        c.insertBlock();
        c.createList(QTextListFormat::ListDecimal);
        for (int i = 0; i < 5; ++i) {
            if (i)
                c.insertBlock();
            c.insertText(QStringLiteral("item"));
        }
        c.insertBlock(QTextBlockFormat());
        c.insertText(QString(BodyPages::LongWord + 1, QLatin1Char('w')));
    });
    // 100 + 3 items fit a page, the fourth does not.
    const auto pages = BodyPages::Prepare(body, {250, 210});
    ASSERT_EQ(pages->PageCount(), 3);
    QTextDocument page;
    EXPECT_FALSE(pages->BuildPage(0, &page));
    EXPECT_EQ(page.blockCount(), 1); // the list went whole to the next page
    EXPECT_FALSE(pages->BuildPage(1, &page));
    ASSERT_EQ(page.blockCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const QTextBlock b = page.findBlockByNumber(i);
        ASSERT_TRUE(b.textList());
        EXPECT_EQ(b.textList()->itemText(b), QStringLiteral("%1.").arg(i + 1));
    }
    EXPECT_TRUE(pages->BuildPage(2, &page)); // a word longer than LongWord
}

TEST(BodyPages, AStopRequestEndsTheReadingEarly) {
    QByteArray rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < 2 * 1024 * 1024)
        rtf += "{\\b bold} plain words\\par\r\n";
    rtf += "}";
    std::atomic<bool> stop{true};
    QTextDocument doc;
    LoadMessageBody(&doc, rtf, &stop);
    EXPECT_LT(doc.characterCount(), 128 * 1024); // what came before the first look
    for (const QByteArray& body : {rtf, QByteArray(1 << 20, 'w')})
        EXPECT_EQ(BodyPages::Prepare(body, {}, &stop), nullptr);
    stop = false;
    EXPECT_GT(BodyPages::Prepare(rtf, {}, &stop)->PageCount(), 1);
}
