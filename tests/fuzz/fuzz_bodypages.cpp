// A message body cut into pages, on any bytes (the first two choose the page
// and piece sizes, the rest is the body): the pages together hold the body's
// text, paragraph by paragraph; no paragraph of a page is longer than a piece
// and no page weighs more than its bound; no piece begins inside a surrogate
// pair.
#include "editor/messagebody.h"
#include "messaging/bodypages.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using corvane::BodyPages;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const corvane::PageLimits limits{16 + data[0] * 4, 2 + data[1] % 64};
    const QByteArray body(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    QTextDocument source;
    corvane::LoadMessageBody(&source, body);
    QString expected;
    for (QTextBlock b = source.begin(); b.isValid(); b = b.next())
        expected += (b == source.begin() ? QString() : QStringLiteral("\n")) + b.text();

    const auto pages = BodyPages::FromDocument(source, limits);
    if (!pages || pages->PageCount() < 1)
        std::abort();
    const qsizetype bound = std::max(limits.pageChars, limits.pieceChars + BodyPages::BlockWeight);
    QString joined;
    bool first = true;
    for (int i = 0; i < pages->PageCount(); ++i) {
        QTextDocument page;
        pages->BuildPage(i, &page);
        qsizetype weight = 0;
        for (QTextBlock b = page.begin(); b.isValid(); b = b.next()) {
            const QString text = b.text();
            weight += text.size() + BodyPages::BlockWeight;
            if (text.size() > limits.pieceChars)
                std::abort();
            const bool continues = b.blockFormat().hasProperty(BodyPages::ContinuesParagraph);
            if (continues && !text.isEmpty() && text.front().isLowSurrogate() &&
                !joined.isEmpty() && joined.back().isHighSurrogate())
                std::abort(); // a pair cut in two
            if (!first && !continues)
                joined += QLatin1Char('\n');
            joined += text;
            first = false;
        }
        if (weight > bound)
            std::abort();
    }
    if (joined != expected)
        std::abort();
    return 0;
}
