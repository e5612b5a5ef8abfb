// Real documents of other programs: each reads with its text and a few facts
// of its formatting.
#include "rtftestutil.h"

using namespace corvane;
using namespace corvane::test;

namespace {

struct Sample {
    QTextDocument doc;
    std::vector<ParaInfo> paras;
    bool truncated = false;
    explicit Sample(const char* name) {
        RtfReader reader;
        EXPECT_TRUE(reader.Read(ReadSample(name), &doc)) << name;
        truncated = reader.Truncated();
        paras = Describe(doc);
    }
    QString Text() const { return doc.toPlainText(); }
    // The first run whose text contains s.
    const RunInfo& Run(const QString& s) const {
        for (const ParaInfo& p : paras)
            for (const RunInfo& r : p.runs)
                if (r.text.contains(s))
                    return r;
        ADD_FAILURE() << "no run with " << s.toStdString();
        static const RunInfo none;
        return none;
    }
    const ParaInfo& Para(const QString& s) const {
        for (const ParaInfo& p : paras)
            if (p.text.contains(s))
                return p;
        ADD_FAILURE() << "no paragraph with " << s.toStdString();
        static const ParaInfo none;
        return none;
    }
};

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(RtfSamples, WordPadParagraphProperties) {
    Sample s("wordpad-msftedit41-paragraph-properties.rtf");
    EXPECT_FALSE(s.truncated);
    ASSERT_EQ(s.paras.size(), 5u);
    EXPECT_EQ(s.paras[0].text, U("This is a simple five paragraph document."));
    EXPECT_EQ(s.Run(U("is")).points, 11.0);
    EXPECT_EQ(s.paras[0].runs[1].text, U("is"));
    EXPECT_EQ(s.paras[0].runs[1].points, 22.0);
    EXPECT_EQ(s.paras[0].runs[1].family, U("Calibri"));
    EXPECT_TRUE(s.Run(U("simple")).bold);
    const RunInfo& five = s.Run(U("five"));
    EXPECT_TRUE(five.bold && five.underline && !five.italic);
    const RunInfo& para = s.Run(U("paragraph "));
    EXPECT_TRUE(para.bold && para.underline && para.italic);
    EXPECT_EQ(s.Run(U("second")).color, QColor(0, 77, 187));
    // The \pard\qc after the \line centres the whole second paragraph.
    EXPECT_EQ(s.paras[1].text,
              U("This is the second paragraph with a\u2028line break and it is centered."));
    EXPECT_EQ(s.paras[1].align, 1);
    EXPECT_EQ(s.paras[3].align, 2);
    EXPECT_EQ(s.paras[4].align, 0);
}

TEST(RtfSamples, WordPadColoursAndHighlights) {
    Sample s("wordpad-riched20-win10-colors-highlight.rtf");
    ASSERT_EQ(s.paras.size(), 6u);
    EXPECT_TRUE(s.paras[0].text.isEmpty());
    EXPECT_EQ(s.paras[1].text, U("Normal Line 1")); // "\highlight0Normal": the digit ends the word
    EXPECT_FALSE(s.Text().contains(U("test RTF"))); // the \info title
    EXPECT_EQ(s.Run(U("Colored Line")).color, QColor(0, 255, 0));
    EXPECT_EQ(s.Run(U("Highlighted Line")).background, QColor(255, 0, 0));
    const RunInfo& both = s.Run(U("Colored & Highlighted"));
    EXPECT_EQ(both.color, QColor(255, 255, 255));
    EXPECT_EQ(both.background, QColor(0, 0, 255));
    EXPECT_EQ(both.points, 8.5);
    EXPECT_EQ(both.family, U("Courier New"));
}

TEST(RtfSamples, SurrogatePairsAndCp1252Escapes) {
    Sample s("wordpad-riched20-win10-u-surrogates.rtf");
    EXPECT_EQ(s.Text(), U("Iñtërnâtiônàlizætiøn☃💩"));
}

TEST(RtfSamples, WordPadBulletsAndNumbering) {
    Sample s("wordpad-riched20-win10-bullets-numbering.rtf");
    ASSERT_EQ(s.paras.size(), 6u);
    EXPECT_EQ(s.paras[0].list, 0);
    EXPECT_EQ(s.paras[1].text, U("Bullet"));
    EXPECT_EQ(s.paras[1].list, QTextListFormat::ListDisc);
    EXPECT_EQ(s.paras[2].list, QTextListFormat::ListDisc);
    EXPECT_EQ(s.doc.findBlockByNumber(1).textList(), s.doc.findBlockByNumber(2).textList());
    EXPECT_EQ(s.paras[3].list, 0);
    EXPECT_EQ(s.paras[4].list, QTextListFormat::ListDecimal);
    EXPECT_EQ(s.paras[5].marker, U("2."));
    EXPECT_EQ(s.paras[5].left, 48); // \li720
    EXPECT_FALSE(s.Text().contains(QChar(0xB7)));
    EXPECT_FALSE(s.Text().contains(QChar(0x2022)));
}

TEST(RtfSamples, BulletsWithoutIndentsAndAWhiteColour) {
    Sample s("riched20-win10-bullets-colour.rtf");
    ASSERT_EQ(s.paras.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.paras[size_t(i)].list, QTextListFormat::ListDisc);
    EXPECT_EQ(s.paras[3].text, U("D"));
    EXPECT_EQ(s.paras[3].marker, U("1)"));
    EXPECT_EQ(s.Run(U("A")).color, QColor(255, 255, 255));
    EXPECT_EQ(s.Run(U("A")).points, 11.5);
}

TEST(RtfSamples, MsfteditColoursAndUnderline) {
    Sample s("msftedit41-colours-underline.rtf");
    const RunInfo& title = s.Run(U("Overview of Policy/Claims"));
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.points, 16.0);
    EXPECT_EQ(title.color, QColor(0, 0, 0));
    const RunInfo& rule = s.paras[1].runs.at(0);
    EXPECT_TRUE(rule.underline);
    EXPECT_EQ(rule.color, QColor(122, 122, 122));
    EXPECT_EQ(rule.points, 12.0);
}

TEST(RtfSamples, UkrainianInCp1251) {
    Sample s("riched20-cp1251-ukrainian-align-colour.rtf");
    EXPECT_EQ(s.paras[0].align, 1);
    const ParaInfo& head = s.Para(U("УХВАЛА"));
    EXPECT_EQ(head.align, 3);
    const RunInfo& word = s.Run(U("УХВАЛА"));
    EXPECT_TRUE(word.bold);
    EXPECT_EQ(word.family, U("Calibri"));
    EXPECT_EQ(word.color, QColor(0, 0, 0));
    EXPECT_EQ(word.background, QColor(255, 255, 255));
    EXPECT_TRUE(s.Text().contains(U("27 грудня 2018 року")));
    EXPECT_TRUE(s.Text().contains(U("м. Київ")));
    EXPECT_TRUE(s.Text().contains(U("Є")));
    // The empty first line is set in \f0, "Times New Roman CYR" named by its \fname.
    EXPECT_EQ(s.doc.begin().charFormat().fontFamilies().toStringList().value(0),
              U("Times New Roman"));
}

TEST(RtfSamples, PolishCp1250WithCeFontName) {
    Sample s("msftedit41-cp1250-fname-CE.rtf");
    ASSERT_EQ(s.paras.size(), 3u);
    EXPECT_EQ(s.paras[0].text, U("zażółć gęślą jaźń"));
    EXPECT_EQ(s.paras[1].text, U("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"));
    EXPECT_EQ(s.paras[0].runs[0].family, U("Arial"));
}

TEST(RtfSamples, FontCharsetBeatsTheDocumentCodePage) {
    Sample s("wordpad-msftedit41-fcharset238-in-cp1252-doc.rtf");
    EXPECT_EQ(s.paras[0].text, U("Článek týdne"));
    EXPECT_EQ(s.paras[1].text, U("Část svitku s textem Knihy Izajáš"));
    EXPECT_TRUE(s.Text().contains(U("př.\u2009n.\u2009l.")));
}

TEST(RtfSamples, WordStylesheetAndEscapedBraces) {
    Sample s("word2002-cp1251-russian-stylesheet.rtf");
    EXPECT_FALSE(s.Text().contains(U("heading")));
    EXPECT_FALSE(s.Text().contains(U("Методика"))); // the \info title
    const ParaInfo& p = s.Para(U("{ some text inside curly brackets }"));
    EXPECT_EQ(p.align, 1);
    const RunInfo& r = s.Run(U("curly"));
    EXPECT_TRUE(r.bold);
    EXPECT_EQ(r.family, U("Arial"));
    EXPECT_EQ(r.points, 10.0);
    EXPECT_EQ(r.color, QColor(0, 0, 128));
}

TEST(RtfSamples, WordUc2WithDoubleByteFallbacks) {
    Sample s("word-uc2-dbcs-fallback.rtf");
    EXPECT_EQ(s.Text(), U("0 年 abc 念"));
}

TEST(RtfSamples, BinaryPictureDataIsSkipped) {
    Sample s("word97-bin-in-pict.rtf");
    EXPECT_TRUE(s.truncated); // two groups are never closed
    EXPECT_FALSE(s.Text().contains(QChar(0xFF)));
    EXPECT_FALSE(s.Text().contains(U("PBrush")));
    EXPECT_FALSE(s.Text().contains(U("Nicole")));
}

TEST(RtfSamples, LibreOfficeLists) {
    Sample s("libreoffice34-listtext-lists.rtf");
    const ParaInfo& two = s.Para(U("two"));
    EXPECT_EQ(two.list, QTextListFormat::ListDecimal);
    EXPECT_EQ(two.marker, U("2."));
    EXPECT_EQ(s.Para(U("second")).list, QTextListFormat::ListDisc);
    EXPECT_EQ(s.Para(U("A short unordered list:")).list, 0);
    EXPECT_FALSE(s.Text().contains(QChar(0x2013)));
}

TEST(RtfSamples, Cp1251WithoutCharsetsAndNestedTables) {
    Sample s("unknown-writer-cp1251-no-fcharset-nested-tables.rtf");
    const ParaInfo& head = s.Para(U("У Х В А Л А"));
    EXPECT_EQ(head.align, 1);
    const RunInfo& r = s.Run(U("У Х В А Л А"));
    EXPECT_TRUE(r.bold);
    EXPECT_EQ(r.points, 20.0);
    EXPECT_EQ(r.family, U("Times New Roman"));
}
