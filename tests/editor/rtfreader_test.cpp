// The reader on small hand-made documents: decoding, group scoping, the
// destinations it skips and the ones it keeps.
#include "rtftestutil.h"

using namespace corvane;
using namespace corvane::test;

namespace {

QString TextOf(const QByteArray& rtf) {
    QTextDocument doc;
    ReadRtf(rtf, &doc);
    return doc.toRawText();
}

std::vector<ParaInfo> Read(const QByteArray& rtf) {
    QTextDocument doc;
    ReadRtf(rtf, &doc);
    return Describe(doc);
}

} // namespace

TEST(RtfReader, DecodesUnicodeWithItsFallbacks) {
    EXPECT_EQ(TextOf("{\\rtf1{\\uc2\\u228\\'E8a}b}"), QStringLiteral("\u00E4b"));
    EXPECT_EQ(TextOf("{\\rtf1 \\u-3913?}"), QString(QChar(0xF0B7)));
    EXPECT_EQ(TextOf("{\\rtf1 \\u945a}"), QStringLiteral("\u03B1"));
    EXPECT_EQ(TextOf("{\\rtf1 \\u-10179?\\u-9047?}"), QString::fromUtf8("\U0001F4A9"));
    // \uc is scoped by groups, and a group boundary ends the skipping.
    EXPECT_EQ(TextOf("{\\rtf1{\\uc0\\u1071}\\u1071?{\\u1071}x}"), QString::fromUtf8("ЯЯЯx"));
    // An escaped byte or a control word counts as one fallback character.
    EXPECT_EQ(TextOf("{\\rtf1\\u1071\\'cf!\\u1071\\tab!}"), QString::fromUtf8("Я!Я!"));
}

TEST(RtfReader, DecodesBytesWithTheFontsCharsetBeforeTheDocumentsCodePage) {
    EXPECT_EQ(
        TextOf("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset238 A;}{\\f1\\fcharset0 B;}"
               "{\\f2\\fcharset204 C;}{\\f3\\fcharset1 D;}{\\f4 E;}}"
               "\\f0\\'c8\\f1\\'c8\\f2\\'c8\\f3\\'c8\\f4\\'c8\\f99\\'c8}"),
        QString::fromUtf8("ČÈИÈÈÈ"));
    EXPECT_EQ(TextOf("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Times;}}\\f0\\'cf\\'f0\\'e8}"),
              QString::fromUtf8("При"));
    // Raw 8-bit bytes as some writers leave them, and broken escapes.
    EXPECT_EQ(TextOf("{\\rtf1\\ansicpg1251 \xcf\xf0 a\\'zzb\\'4}"), QString::fromUtf8("Пр azzb4"));
}

TEST(RtfReader, ReadsFontNamesAsRichEditWritesThem) {
    const auto paras = Read("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl"
                            "{\\f0\\fswiss\\fcharset204{\\*\\fname Arial;}Arial CYR;}"
                            "{\\f1\\froman\\fcharset204 Times New Roman CYR;}"
                            "{\\f2\\fnil\\fcharset204 \\'cc\\'ee\\'e9 \\'f8\\'f0\\'e8\\'f4\\'f2;}}"
                            "\\f0 a\\f1 b\\f2 c\\f7 d}");
    ASSERT_EQ(paras.size(), 1u);
    ASSERT_EQ(paras[0].runs.size(), 4u);
    EXPECT_EQ(paras[0].runs[0].family, QStringLiteral("Arial"));
    EXPECT_EQ(paras[0].runs[1].family, QStringLiteral("Times New Roman"));
    EXPECT_EQ(paras[0].runs[2].family, QString::fromUtf8("Мой шрифт"));
    EXPECT_EQ(paras[0].runs[3].family, QStringLiteral("Arial")); // an unknown \f7 is \deff
}

TEST(RtfReader, GroupsScopeFormatsAndEverySpellingGivesTheSameFormat) {
    const auto paras =
        Read("{\\rtf1 a{\\b b}c\\b d\\b0 e\\plain\\i f{\\ul g\\ulnone h}\\ul0\\strike i}");
    ASSERT_EQ(paras.size(), 1u);
    const auto& r = paras[0].runs; // one run per letter, a to i
    ASSERT_EQ(r.size(), 9u);
    EXPECT_FALSE(r[0].bold);
    EXPECT_EQ(r[0].points, 12.0); // no \fs: 12 points
    EXPECT_TRUE(r[1].bold);
    for (int same : {2, 4})
        EXPECT_TRUE(r[size_t(same)].SameFormat(r[0])) << same;
    EXPECT_TRUE(r[3].SameFormat(r[1]));
    EXPECT_TRUE(r[5].italic && !r[5].bold && !r[5].underline);
    EXPECT_TRUE(r[6].italic && r[6].underline);
    EXPECT_TRUE(r[7].SameFormat(r[5]));
    EXPECT_TRUE(r[8].italic && r[8].strike && !r[8].underline);
}

TEST(RtfReader, ParagraphFormatInForceAtParFormatsTheParagraph) {
    const auto paras =
        Read("{\\rtf1 one\\pard\\qc centred\\par two\\par\\pard\\qr\\li300\\fi-150 three\\par"
             "{\\pard\\qj four\\par}five\\par\\pard six}");
    ASSERT_EQ(paras.size(), 6u);
    EXPECT_EQ(paras[0].text, QStringLiteral("onecentred"));
    EXPECT_EQ(paras[0].align, 1);
    EXPECT_EQ(paras[1].align, 1); // no \pard: the format goes on
    EXPECT_EQ(paras[2].align, 2);
    EXPECT_EQ(paras[2].left, 20);
    EXPECT_EQ(paras[2].firstLine, -10);
    EXPECT_EQ(paras[3].align, 3);
    EXPECT_EQ(paras[4].align, 2); // the group restored the format
    EXPECT_EQ(paras[5].align, 0);
    EXPECT_EQ(paras[5].text, QStringLiteral("six")); // the last paragraph needs no \par
}

TEST(RtfReader, ColoursComeFromTheTableAndEntryZeroIsAutomatic) {
    const auto paras = Read("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                            "\\cf1 r\\cf2\\highlight1 b\\cf0\\highlight0 a\\cf9 x}");
    ASSERT_EQ(paras[0].runs.size(), 3u);
    EXPECT_EQ(paras[0].runs[0].color, QColor(255, 0, 0));
    EXPECT_EQ(paras[0].runs[1].color, QColor(0, 0, 255));
    EXPECT_EQ(paras[0].runs[1].background, QColor(255, 0, 0));
    EXPECT_FALSE(paras[0].runs[2].color.isValid()); // \cf0 and an unknown \cf9
    EXPECT_EQ(paras[0].runs[2].text, QStringLiteral("ax"));
    // RichEdit 1.0 wrote no empty first entry: \cf0 is black there.
    const auto old = Read("{\\rtf1{\\colortbl\\red0\\green0\\blue0;}\\cf0 k}");
    EXPECT_EQ(old[0].runs[0].color, QColor(0, 0, 0));
}

TEST(RtfReader, SkipsWhatIsNotTextAndKeepsResults) {
    EXPECT_EQ(TextOf("{\\rtf1 A{\\*\\xyzunknown hidden}B{\\xyzplain visible}C}"),
              QStringLiteral("ABvisibleC"));
    EXPECT_EQ(TextOf("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}}"),
              QStringLiteral("link"));
    EXPECT_EQ(TextOf("{\\rtf1{\\object{\\*\\objclass Paint}{\\objdata 0102}{\\result shown}}}"),
              QStringLiteral("shown"));
    EXPECT_EQ(TextOf("{\\rtf1{\\info{\\title T}}{\\stylesheet{\\s1 Heading;}}"
                     "{\\pict\\wmetafile8 0a0b\\bin3 }}}x}text}"),
              QStringLiteral("text"));
    EXPECT_EQ(TextOf("{\\rtf1{\\header head}{\\footnote note}body\\v hidden\\v0 !}"),
              QStringLiteral("body!"));
}

TEST(RtfReader, ReadsSymbolsAndBreaks) {
    EXPECT_EQ(
        TextOf("{\\rtf1 a\\~b\\-c\\_d\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote"
               "\\bullet\\{\\}\\\\\\tab e\\line f}"),
        QStringLiteral("a\u00A0b\u00ADc\u2011d\u2014\u2013\u2018\u2019\u201C\u201D\u2022{}\\\te"
                       "\u2028f"));
    // "\" before a line end is \par; bare line ends are not text.
    EXPECT_EQ(TextOf("{\\rtf1 one\\\r\ntwo\r\nthree}"), QStringLiteral("one\u2029twothree"));
}

TEST(RtfReader, ListsFromParagraphNumberingAndFromMarkersOnly) {
    const auto paras =
        Read("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}"
             "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}a\\par"
             "{\\pntext\\f1\\'B7\\tab}b\\par"
             "\\pard{\\pntext 1)\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta)}}c\\par"
             "{\\pntext 2)\\tab}d\\par"
             "\\pard{\\listtext\\pard\\plain iv.\\tab}\\ls1 e\\par"
             "\\pard f\\par}");
    ASSERT_EQ(paras.size(), 6u);
    EXPECT_EQ(paras[0].list, QTextListFormat::ListDisc);
    EXPECT_EQ(paras[1].list, QTextListFormat::ListDisc);
    EXPECT_EQ(paras[0].text, QStringLiteral("a")); // the marker is not text
    EXPECT_EQ(paras[2].list, QTextListFormat::ListDecimal);
    EXPECT_EQ(paras[3].marker, QStringLiteral("2)"));
    EXPECT_EQ(paras[4].list, QTextListFormat::ListLowerAlpha);
    EXPECT_EQ(paras[4].text, QStringLiteral("e"));
    EXPECT_EQ(paras[5].list, 0);
}

TEST(RtfReader, AcceptsOnlyRtfAndIgnoresWhatFollowsTheDocument) {
    RtfReader reader;
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("kept"));
    EXPECT_FALSE(reader.Read("hello {\\rtf1 x}", &doc));
    EXPECT_FALSE(reader.ErrorString().isEmpty());
    EXPECT_FALSE(reader.Read("", &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("kept"));

    ASSERT_TRUE(reader.Read(QByteArray(" \r\n{\\rtf1 a\\par}\r\n\0{\\rtf1 b}", 28), &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("a"));
    EXPECT_FALSE(reader.Truncated());
    EXPECT_FALSE(doc.isUndoAvailable());
}
