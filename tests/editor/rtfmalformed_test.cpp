// Bad input: every document ends, with what could be read, and memory stays
// bounded. Sizes are large enough that recursion would overflow the stack and
// quadratic work would not finish within the test timeout.
#include "rtftestutil.h"

#include <QRandomGenerator>

using namespace corvane;
using namespace corvane::test;

namespace {

struct Result {
    QString text;
    bool truncated = false;
};

Result ReadAny(const QByteArray& rtf, RtfReader::Limits limits = {}) {
    QTextDocument doc;
    RtfReader reader(limits);
    EXPECT_TRUE(reader.Read(rtf, &doc));
    return {doc.toPlainText(), reader.Truncated()};
}

QByteArray Repeat(const char* s, int n) {
    return QByteArray(s).repeated(n);
}

} // namespace

TEST(RtfMalformed, DeepNestingKeepsShallowTextAndDropsTheDeepest) {
    const Result deep =
        ReadAny("{\\rtf1 a" + Repeat("{", 100000) + "deep" + Repeat("}", 100000) + "b}");
    EXPECT_EQ(deep.text, QStringLiteral("ab"));
    EXPECT_TRUE(deep.truncated);
    EXPECT_EQ(ReadAny("{\\rtf1 " + Repeat("{", 100) + "kept" + Repeat("}", 100) + "}").text,
              QStringLiteral("kept"));
    const Result open = ReadAny("{\\rtf1 x" + Repeat("{\\b ", 100000) + "y");
    EXPECT_EQ(open.text, QStringLiteral("x"));
    EXPECT_TRUE(open.truncated);
    EXPECT_EQ(ReadAny("{\\rtf1 " + Repeat("{}", 1000000) + "flat}").text, QStringLiteral("flat"));
}

TEST(RtfMalformed, BinaryDataOfAnyLength) {
    EXPECT_EQ(ReadAny("{\\rtf1 before{\\*\\x\\bin999999999 ab").text, QStringLiteral("before"));
    EXPECT_EQ(ReadAny("{\\rtf1 before\\bin2147483647 after}").text, QStringLiteral("before"));
    EXPECT_EQ(ReadAny("{\\rtf1 before\\bin99999999999999999999 after}").text,
              QStringLiteral("before"));
    EXPECT_EQ(ReadAny("{\\rtf1 before \\bin-5 after}").text, QStringLiteral("before after"));
    EXPECT_EQ(ReadAny("{\\rtf1 a\\bin2 }}b}").text, QStringLiteral("ab"));
    const QByteArray hex = "{\\rtf1{\\pict " + QByteArray(8 << 20, 'f') + "}after}";
    EXPECT_EQ(ReadAny(hex).text, QStringLiteral("after"));
}

TEST(RtfMalformed, OverlongWordsAndNumbers) {
    EXPECT_EQ(ReadAny("{\\rtf1 text\\f99999999999999999999 more}").text,
              QStringLiteral("textmore"));
    EXPECT_EQ(ReadAny("{\\rtf1 \\fs99999999999 a\\fs-5 b\\li-99999999999 c\\cf-3 d\\u99999999999 e"
                      "\\uc1000000\\u1044 fgh}")
                  .text,
              QStringLiteral("abcd\u0414")); // \uc is capped, the group end stops the skip
    EXPECT_EQ(ReadAny("{\\rtf1 x\\" + QByteArray(100000, 'a') + " y}").text, QStringLiteral("xy"));
}

TEST(RtfMalformed, UnbalancedAndTruncatedDocuments) {
    const Result extra = ReadAny("{\\rtf1 one}}} two}");
    EXPECT_EQ(extra.text, QStringLiteral("one"));
    EXPECT_FALSE(extra.truncated);
    const Result missing = ReadAny("{\\rtf1{\\b bold {\\i both} after");
    EXPECT_EQ(missing.text, QStringLiteral("bold both after"));
    EXPECT_TRUE(missing.truncated);
    for (const QByteArray& rtf :
         {QByteArray("{\\rtf"), QByteArray("{\\rtf1\\"), QByteArray("{\\rtf1\\'"),
          QByteArray("{\\rtf1\\u"), QByteArray("{\\rtf1\\u-"), QByteArray("{\\rtf1{\\*")})
        EXPECT_TRUE(ReadAny(rtf).text.isEmpty()) << rtf.constData();
    // Every prefix of real documents.
    for (const char* name :
         {"wordpad-riched20-win10-bullets-numbering.rtf", "word-uc2-dbcs-fallback.rtf",
          "wordpad-msftedit41-paragraph-properties.rtf"}) {
        const QByteArray whole = ReadSample(name);
        for (qsizetype n = 5; n <= whole.size(); ++n)
            ReadAny(whole.left(n));
    }
}

TEST(RtfMalformed, LimitsCutTheDocument) {
    RtfReader::Limits limits;
    limits.maxParagraphs = 10;
    const Result paras = ReadAny("{\\rtf1 " + Repeat("p\\par ", 1000) + "}", limits);
    EXPECT_EQ(paras.text.count(QLatin1Char('p')), 10);
    EXPECT_TRUE(paras.truncated);
    limits = {};
    limits.maxChars = 100;
    const Result chars = ReadAny("{\\rtf1 " + QByteArray(10000, 'x') + "}", limits);
    EXPECT_EQ(chars.text.size(), 100);
    EXPECT_TRUE(chars.truncated);
}

// Random bytes among RTF tokens: nothing crashes, and what was read writes out
// and reads back as the same text.
TEST(RtfMalformed, RandomDocumentsReadAndRoundTrip) {
    static const char* const tokens[] = {"{",
                                         "}",
                                         "\\",
                                         "\\par ",
                                         "\\b ",
                                         "\\'e9",
                                         "\\u1071?",
                                         "\\uc3 ",
                                         "{\\*\\pn\\pnlvlblt}",
                                         "{\\pntext x}",
                                         "\\bin3 ",
                                         "{\\fonttbl{\\f0\\fcharset128 A;}}",
                                         "\\f0",
                                         "\\cf5",
                                         "text ",
                                         "\xff",
                                         "\xa9",
                                         "\\pard\\qc",
                                         "{\\colortbl;\\red1;}",
                                         "\\ls1",
                                         "\\line",
                                         "\\tab",
                                         "\\~",
                                         ";",
                                         "\r\n",
                                         "\\'8",
                                         "\\u-1"};
    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        QByteArray rtf = "{\\rtf1";
        const int n = int(random.bounded(200));
        for (int i = 0; i < n; ++i) {
            if (random.bounded(4) == 0)
                rtf += char(random.bounded(256));
            else
                rtf += tokens[random.bounded(int(std::size(tokens)))];
        }
        QTextDocument doc;
        RtfReader reader;
        ASSERT_TRUE(reader.Read(rtf, &doc));
        const QByteArray written = RtfWriter().Write(doc);
        ASSERT_TRUE(AllBytesBelow128(written));
        QTextDocument back;
        ReadRtf(written, &back);
        ASSERT_EQ(back.toRawText(), doc.toRawText()) << rtf.toPercentEncoding().constData();
    }
}
