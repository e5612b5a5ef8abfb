// Round trips: what the writer writes, the reader reads back with the same
// text and formats, run by run.
#include "rtftestutil.h"

#include <QTextCursor>
#include <QTextDocumentFragment>

using namespace corvane;
using namespace corvane::test;

namespace {

std::vector<ParaInfo> RoundTrip(const QTextDocument& doc, QByteArray* written = nullptr) {
    const QByteArray rtf = RtfWriter().Write(doc);
    if (written)
        *written = rtf;
    QTextDocument back;
    ReadRtf(rtf, &back);
    return Describe(back);
}

QTextCharFormat Fmt(void (*set)(QTextCharFormat&)) {
    QTextCharFormat f;
    set(f);
    return f;
}

} // namespace

TEST(RtfRoundTrip, EveryCharacterFormatSurvives) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("plain "));
    c.insertText(QStringLiteral("bold "),
                 Fmt([](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); }));
    c.insertText(QStringLiteral("italic "), Fmt([](QTextCharFormat& f) { f.setFontItalic(true); }));
    c.insertText(QStringLiteral("under "),
                 Fmt([](QTextCharFormat& f) { f.setFontUnderline(true); }));
    c.insertText(QStringLiteral("strike "),
                 Fmt([](QTextCharFormat& f) { f.setFontStrikeOut(true); }));
    c.insertText(QStringLiteral("all "), Fmt([](QTextCharFormat& f) {
                     f.setFontWeight(QFont::Bold);
                     f.setFontItalic(true);
                     f.setFontUnderline(true);
                     f.setFontStrikeOut(true);
                 }));
    c.insertText(QStringLiteral("courier "), Fmt([](QTextCharFormat& f) {
                     f.setFontFamilies({QStringLiteral("Courier New")});
                 }));
    c.insertText(QStringLiteral("semi;colon "), Fmt([](QTextCharFormat& f) {
                     f.setFontFamilies({QStringLiteral("Odd;Name {x}")});
                 }));
    for (double size : {8.0, 10.5, 14.0, 36.0, 72.0}) {
        QTextCharFormat f;
        f.setFontPointSize(size);
        c.insertText(QStringLiteral("size "), f);
    }
    // The standard colours of the colour box, black and white included.
    for (QRgb rgb :
         {0x000000u, 0x800000u, 0x008000u, 0x808000u, 0x000080u, 0x800080u, 0x008080u, 0x808080u,
          0xC0C0C0u, 0xFF0000u, 0x00FF00u, 0xFFFF00u, 0x0000FFu, 0xFF00FFu, 0x00FFFFu, 0xFFFFFFu}) {
        QTextCharFormat f;
        f.setForeground(QColor::fromRgb(rgb));
        c.insertText(QStringLiteral("colour "), f);
    }
    QTextCharFormat back;
    back.setBackground(QColor(Qt::yellow));
    c.insertText(QStringLiteral("marked "), back);
    QTextCharFormat sup;
    sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText(QStringLiteral("up"), sup);
    sup.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    c.insertText(QStringLiteral("down"), sup);
    c.insertText(QStringLiteral(" end"), QTextCharFormat());

    EXPECT_EQ(RoundTrip(doc), Describe(doc));
}

TEST(RtfRoundTrip, EveryParagraphFormatSurvives) {
    QTextDocument doc;
    QTextCursor c(&doc);
    auto para = [&](const QString& text, Qt::Alignment align, double left = 0, double first = 0) {
        QTextBlockFormat bf;
        bf.setAlignment(align);
        bf.setLeftMargin(left);
        bf.setTextIndent(first);
        if (c.block().text().isEmpty() && c.block() == doc.begin())
            c.setBlockFormat(bf);
        else
            c.insertBlock(bf);
        c.insertText(text);
    };
    para(QStringLiteral("left"), Qt::AlignLeft);
    para(QStringLiteral("centre"), Qt::AlignHCenter);
    para(QStringLiteral("right"), Qt::AlignRight);
    para(QStringLiteral("justified"), Qt::AlignJustify);
    para(QStringLiteral("indented"), Qt::AlignLeft, 20, 15);
    para(QStringLiteral("hanging"), Qt::AlignLeft, 30, -10);
    para(QStringLiteral("bullet one"), Qt::AlignLeft);
    QTextList* bullets = c.createList(QTextListFormat::ListDisc);
    para(QStringLiteral("bullet two"), Qt::AlignLeft);
    bullets->add(c.block());
    para(QStringLiteral("bullet centred"), Qt::AlignHCenter);
    bullets->add(c.block());
    para(QStringLiteral("number one"), Qt::AlignLeft);
    QTextList* numbers = c.createList(QTextListFormat::ListDecimal);
    para(QStringLiteral("number two"), Qt::AlignLeft);
    numbers->add(c.block());
    para(QStringLiteral("after"), Qt::AlignLeft);

    const std::vector<ParaInfo> before = Describe(doc);
    ASSERT_EQ(before.size(), 12u);
    EXPECT_EQ(before[10].marker, QStringLiteral("2."));
    EXPECT_EQ(RoundTrip(doc), before);
}

TEST(RtfRoundTrip, CyrillicCopyrightAndOtherScriptsSurviveIn7Bits) {
    const QString text = QString::fromUtf8("Привет, мир! Ёё © 2026 «ёлка» € – № ©©© "
                                           "αβγ 日本 \U0001F600 \\{}; end");
    QTextDocument doc;
    doc.setPlainText(text + QStringLiteral("\nвторая строка"));
    QByteArray rtf;
    const std::vector<ParaInfo> back = RoundTrip(doc, &rtf);
    EXPECT_TRUE(AllBytesBelow128(rtf));
    EXPECT_FALSE(rtf.contains('\0'));
    // Unicode first, the Windows-1251 byte as the fallback of older readers.
    EXPECT_TRUE(rtf.contains("\\u169\\'a9")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\u1055\\'cf"));
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?")); // U+1F600 as two signed units
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].text, text);
    EXPECT_EQ(back[1].text, QString::fromUtf8("вторая строка"));
}

TEST(RtfRoundTrip, LineBreaksTabsAndEmptyParagraphsKeepTheirPlaces) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a\tb"));
    c.insertText(QString(QChar::LineSeparator));
    c.insertText(QStringLiteral("c\u00A0d\u00ADe\u2011f"));
    c.insertBlock();
    c.insertBlock();
    c.insertText(QStringLiteral("after an empty line"));
    c.insertBlock(); // the document ends with an empty paragraph
    QByteArray rtf;
    const std::vector<ParaInfo> back = RoundTrip(doc, &rtf);
    EXPECT_TRUE(rtf.contains("a\\tab b\\line c\\~d\\-e\\_f\\par"));
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[0].text, QStringLiteral("a\tb\u2028c\u00A0d\u00ADe\u2011f"));
    EXPECT_EQ(back[1].text, QString());
    EXPECT_EQ(back[3].text, QString());

    QTextDocument empty;
    EXPECT_EQ(RoundTrip(empty).size(), 1u);
}

TEST(RtfWriter, WritesTheRichEditShape) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    c.insertText(QStringLiteral("Normal "));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("bold"), bold);
    c.insertText(QStringLiteral(" "), QTextCharFormat());
    c.insertText(QStringLiteral("red"), red);
    c.insertBlock();
    c.insertText(QStringLiteral("same format"), QTextCharFormat());
    c.insertBlock();
    c.createList(QTextListFormat::ListDisc);
    c.insertText(QStringLiteral("one"));
    c.insertBlock();
    c.insertText(QStringLiteral("two"));

    const QByteArray rtf = RtfWriter().Write(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset204 "));
    EXPECT_TRUE(rtf.contains("{\\f1\\fnil\\fcharset2 Symbol;}"));
    EXPECT_TRUE(rtf.contains("{\\colortbl ;\\red255\\green0\\blue0;}"));
    EXPECT_TRUE(rtf.contains("\\viewkind4\\uc1\\pard"));
    // Deltas, no groups around runs.
    EXPECT_TRUE(rtf.contains("Normal \\b bold\\b0  \\cf1 red\\par"));
    // The list as the rich-edit control writes it: \pn once, \pntext per item.
    EXPECT_TRUE(rtf.contains("\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0"
                             "{\\pntxtb\\'b7}}\\fi-360\\li600"));
    EXPECT_TRUE(rtf.contains("\\par\r\n{\\pntext\\f1\\'b7\\tab}two\\par"));
    EXPECT_EQ(rtf.count("\\pard"), 2); // the second paragraph repeats none
    EXPECT_TRUE(rtf.endsWith("}\r\n"));
}

TEST(RtfWriter, WritesAFragment) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("skip "));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Жирный"), bold);
    c.setPosition(5);
    c.setPosition(11, QTextCursor::KeepAnchor);
    QTextDocument back;
    ReadRtf(RtfWriter().Write(c.selection()), &back);
    const std::vector<ParaInfo> paras = Describe(back);
    ASSERT_EQ(paras.size(), 1u);
    ASSERT_EQ(paras[0].runs.size(), 1u);
    EXPECT_EQ(paras[0].runs[0].text, QString::fromUtf8("Жирный"));
    EXPECT_TRUE(paras[0].runs[0].bold);
}

TEST(RtfRoundTrip, HtmlDocumentsSurvive) {
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(
        "<p align=center><b>Жирный</b>, <i>курсив</i>, <u>подчёркнутый</u>, "
        "<span style='color:#ff0000'>красный</span>, <span style='font-size:14pt'>14pt</span></p>"
        "<p align=right><span style='font-family:Courier New'>Справа</span></p>"
        "<ul><li>Пункт один</li><li>Пункт два</li></ul><ol><li>first</li><li>second</li></ol>"));
    EXPECT_EQ(RoundTrip(doc), Describe(doc));
}

// Lists inside lists keep their levels and their numbering: the outer list
// goes on counting after an inner one, and a later inner list starts afresh.
TEST(RtfRoundTrip, NestedListsKeepLevelsAndNumbers) {
    constexpr auto Dec = QTextListFormat::ListDecimal;
    constexpr auto Disc = QTextListFormat::ListDisc;
    constexpr auto Alpha = QTextListFormat::ListLowerAlpha;
    struct Item {
        int level; // 0: not in a list
        QTextListFormat::Style style;
    };
    struct Case {
        const char* what;
        std::vector<Item> items;
        QStringList markers; // numbered items' markers, "" for others
    };
    const Case cases[] = {
        {"numbers in numbers",
         {{1, Dec}, {1, Dec}, {2, Dec}, {2, Dec}, {1, Dec}},
         {"1.", "2.", "1.", "2.", "3."}},
        {"bullets in numbers", {{1, Dec}, {2, Disc}, {2, Disc}, {1, Dec}}, {"1.", "", "", "2."}},
        {"numbers in bullets", {{1, Disc}, {2, Dec}, {2, Dec}, {1, Disc}}, {"", "1.", "2.", ""}},
        {"three levels",
         {{1, Dec}, {2, Dec}, {3, Dec}, {3, Dec}, {2, Dec}, {1, Dec}},
         {"1.", "1.", "1.", "2.", "2.", "2."}},
        {"a later inner list starts afresh",
         {{1, Dec}, {2, Alpha}, {2, Alpha}, {1, Dec}, {2, Alpha}, {1, Dec}},
         {"1.", "a.", "b.", "2.", "a.", "3."}},
        {"a paragraph between ends every list",
         {{1, Dec}, {2, Dec}, {0, Dec}, {1, Dec}},
         {"1.", "1.", "", "1."}},
    };
    for (const Case& test : cases) {
        QTextDocument doc;
        QTextCursor c(&doc);
        std::vector<QTextList*> open; // the list at each level, outermost first
        for (size_t i = 0; i < test.items.size(); ++i) {
            const Item& item = test.items[i];
            if (i > 0)
                c.insertBlock(QTextBlockFormat());
            c.insertText(QStringLiteral("item %1").arg(i));
            open.resize(std::min(open.size(), size_t(item.level)));
            if (item.level == 0)
                continue;
            if (open.size() == size_t(item.level) && open.back()->format().style() == item.style) {
                open.back()->add(c.block());
                continue;
            }
            open.resize(size_t(item.level - 1));
            QTextListFormat lf;
            lf.setStyle(item.style);
            lf.setIndent(item.level);
            open.push_back(c.createList(lf));
        }
        const std::vector<ParaInfo> before = Describe(doc);
        QStringList markers;
        for (const ParaInfo& p : before)
            markers << p.marker;
        ASSERT_EQ(markers, test.markers) << test.what; // the document is what the case says
        QByteArray rtf;
        EXPECT_EQ(RoundTrip(doc, &rtf), before) << test.what << "\n" << rtf.constData();
    }
}
