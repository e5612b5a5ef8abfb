// Reading and writing a message body of about 1 MB with mixed formatting:
// Cyrillic and Latin runs in several fonts, sizes and colours, bold, italic
// and underline, centred and indented paragraphs, bullets. Target: 50 ms each.
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <benchmark/benchmark.h>

namespace {

QTextDocument* MixedDocument(qsizetype targetBytes) {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    const QString words[] = {
        QString::fromUtf8("Привет, коллеги! "),    QStringLiteral("Meeting at 10:00, "),
        QString::fromUtf8("отчёт готов © 2026. "), QStringLiteral("see \\share{x}\t"),
        QString::fromUtf8("Ёлка «зелёная» — "),    QStringLiteral("plain ascii text here. ")};
    const QString families[] = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                                QStringLiteral("Courier New")};
    const QColor colors[] = {Qt::black, Qt::red, QColor(0, 128, 0), Qt::blue};
    QTextList* list = nullptr;
    for (int p = 0;; ++p) {
        QTextBlockFormat bf;
        bf.setAlignment(p % 7 == 3    ? Qt::AlignHCenter
                        : p % 11 == 5 ? Qt::AlignRight
                                      : Qt::AlignLeft);
        if (p % 13 == 4)
            bf.setLeftMargin(20);
        if (p > 0)
            c.insertBlock(bf);
        else
            c.setBlockFormat(bf);
        if (p % 5 == 1) {
            if (list)
                list->add(c.block());
            else
                list = c.createList(QTextListFormat::ListDisc);
        } else {
            list = nullptr;
        }
        for (int r = 0; r < 12; ++r) {
            const int k = p * 12 + r;
            QTextCharFormat f;
            f.setFontFamilies({families[k % 3]});
            f.setFontPointSize(8 + (k % 5) * 2);
            f.setFontWeight(k % 4 == 1 ? QFont::Bold : QFont::Normal);
            f.setFontItalic(k % 6 == 2);
            f.setFontUnderline(k % 9 == 4);
            f.setForeground(colors[k % 4]);
            c.insertText(words[k % 6], f);
            if (k % 17 == 0)
                c.insertText(QString(QChar::LineSeparator), f);
        }
        if (p % 50 == 49 && corvane::RtfWriter().Write(*doc).size() >= targetBytes)
            return doc;
    }
}

const QTextDocument& Document() {
    static QTextDocument* doc = MixedDocument(1 << 20);
    return *doc;
}

const QByteArray& Rtf() {
    static const QByteArray rtf = corvane::RtfWriter().Write(Document());
    return rtf;
}

void BM_WriteRtf1MB(benchmark::State& state) {
    const QTextDocument& doc = Document();
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray rtf = corvane::RtfWriter().Write(doc);
        bytes = rtf.size();
        benchmark::DoNotOptimize(rtf);
    }
    state.counters["rtf_bytes"] = double(bytes);
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_WriteRtf1MB)->Unit(benchmark::kMillisecond);

void BM_ReadRtf1MB(benchmark::State& state) {
    const QByteArray& rtf = Rtf();
    int blocks = 0;
    for (auto _ : state) {
        QTextDocument doc;
        corvane::RtfReader().Read(rtf, &doc);
        blocks = doc.blockCount();
    }
    state.counters["paragraphs"] = blocks;
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadRtf1MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
