// The corvane-rtf converter as a program.
#include "rtftestutil.h"

#include <QDir>
#include <QProcess>

using namespace corvane::test;

namespace {

struct Output {
    int exitCode = -1;
    QByteArray out, err;
};

Output Convert(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(CORVANE_RTF_TOOL), args);
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

TEST(RtfTool, RoundTripsEverySample) {
    const QDir dir(QStringLiteral(CORVANE_RTF_TESTDATA));
    const QStringList samples = dir.entryList({QStringLiteral("*.rtf")});
    ASSERT_EQ(samples.size(), 14);
    for (const QString& name : samples) {
        const QString path = dir.filePath(name);
        const Output text = Convert({path});
        ASSERT_EQ(text.exitCode, 0) << name.toStdString();
        const Output rtf = Convert({QStringLiteral("--to"), QStringLiteral("rtf"), path});
        ASSERT_EQ(rtf.exitCode, 0);
        EXPECT_TRUE(AllBytesBelow128(rtf.out)) << name.toStdString();
        const Output again = Convert({QStringLiteral("-")}, rtf.out);
        EXPECT_EQ(again.out, text.out) << name.toStdString();
    }
}

TEST(RtfTool, ConvertsTextAndHtmlToRtf) {
    const QByteArray text = "Привет, © мир\n\tвторая строка\n";
    const Output rtf = Convert({"--from", "text", "--to", "rtf"}, text);
    ASSERT_EQ(rtf.exitCode, 0);
    EXPECT_TRUE(AllBytesBelow128(rtf.out));
    EXPECT_EQ(Convert({}, rtf.out).out, text);

    const Output fromHtml =
        Convert({"--from", "html", "--to", "rtf"}, "<p align=center><b>Жирный</b></p>");
    EXPECT_TRUE(fromHtml.out.contains("\\qc"));
    const Output html = Convert({"--to", "html"}, fromHtml.out);
    EXPECT_TRUE(html.out.contains("align=\"center\""));
    EXPECT_TRUE(html.out.contains("font-weight:700"));
    EXPECT_TRUE(html.out.contains("Жирный"));
}

TEST(RtfTool, RejectsBadInputAndUsage) {
    const Output notRtf = Convert({}, "plain text");
    EXPECT_EQ(notRtf.exitCode, 1);
    EXPECT_TRUE(notRtf.err.contains("Not an RTF document"));
    EXPECT_EQ(Convert({}, "").exitCode, 1);
    EXPECT_EQ(Convert({QStringLiteral("/nonexistent/file.rtf")}).exitCode, 1);
    EXPECT_EQ(Convert({"--to", "pdf"}).exitCode, 2);
    EXPECT_EQ(Convert({"--bogus"}).exitCode, 2);
    const Output help = Convert({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: corvane-rtf"));
}
