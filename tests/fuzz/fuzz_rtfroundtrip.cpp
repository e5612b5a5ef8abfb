// What the RTF writer writes, the reader reads back: the same paragraphs with
// the same text, character formats, list levels and list numbers. The input
// bytes describe a document:
//
//   0x01           a new paragraph outside lists
//   0x02 L S       a new list paragraph at level L % 3 + 1, style S % 3
//                  (numbers, bullets, letters); an open list of that level
//                  and style goes on, a deeper one ends
//   0x03..0x06     bold, italic, underline, strike on or off
//   0x07 C         colour C % 4 (0: automatic)
//   0x20..0x7E     that character; 0xC0..0xFF the Cyrillic letter of
//                  Windows-1251; anything else is skipped
#include "common/ansicodec.h"
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"

#include <QColor>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace corvane;

namespace {

struct Para {
    QString text;
    int list = 0, level = 0;
    QString marker;
    std::vector<std::pair<QString, QString>> runs; // text, format
    bool operator==(const Para&) const = default;
};

QString FormatKey(const QTextCharFormat& f) {
    const QColor c = f.foreground().style() == Qt::NoBrush ? QColor() : f.foreground().color();
    return QStringLiteral("%1%2%3%4 %5")
        .arg(f.fontWeight() > QFont::Normal)
        .arg(f.fontItalic())
        .arg(f.fontUnderline())
        .arg(f.fontStrikeOut())
        .arg(c.isValid() ? c.name() : QString());
}

std::vector<Para> Describe(const QTextDocument& doc) {
    std::vector<Para> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        Para p;
        p.text = b.text();
        if (const QTextList* list = b.textList()) {
            p.list = list->format().style();
            p.level = list->format().indent();
            p.marker = list->itemText(b);
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString key = FormatKey(it.fragment().charFormat());
            if (!p.runs.empty() && p.runs.back().second == key)
                p.runs.back().first += it.fragment().text();
            else
                p.runs.emplace_back(it.fragment().text(), key);
        }
        out.push_back(p);
    }
    return out;
}

void Build(QByteArrayView in, QTextDocument* doc) {
    static const QTextListFormat::Style styles[] = {
        QTextListFormat::ListDecimal, QTextListFormat::ListDisc, QTextListFormat::ListLowerAlpha};
    static const QColor colours[] = {QColor(), QColor(255, 0, 0), QColor(0, 128, 0),
                                     QColor(0, 0, 255)};
    QTextCursor c(doc);
    QTextCharFormat f;
    std::vector<QTextList*> open; // the list at each level, outermost first
    bool first = true;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const auto b = static_cast<unsigned char>(in[i]);
        if (b == 0x01 || b == 0x02) {
            if (!first)
                c.insertBlock(QTextBlockFormat(), f);
            first = false;
            if (b == 0x01 || i + 2 >= in.size()) {
                open.clear();
                continue;
            }
            const size_t level = static_cast<unsigned char>(in[++i]) % 3 + 1;
            const auto style = styles[static_cast<unsigned char>(in[++i]) % 3];
            open.resize(std::min(open.size(), level));
            if (open.size() == level && open.back() && open.back()->format().style() == style) {
                open.back()->add(c.block());
                continue;
            }
            open.resize(level - 1);
            QTextListFormat lf;
            lf.setStyle(style);
            lf.setIndent(int(level));
            open.push_back(c.createList(lf));
        } else if (b >= 0x03 && b <= 0x06) {
            if (b == 0x03)
                f.setFontWeight(f.fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
            if (b == 0x04)
                f.setFontItalic(!f.fontItalic());
            if (b == 0x05)
                f.setFontUnderline(!f.fontUnderline());
            if (b == 0x06)
                f.setFontStrikeOut(!f.fontStrikeOut());
        } else if (b == 0x07 && i + 1 < in.size()) {
            const QColor colour = colours[static_cast<unsigned char>(in[++i]) % 4];
            if (colour.isValid())
                f.setForeground(colour);
            else
                f.clearForeground();
        } else if ((b >= 0x20 && b <= 0x7E) || b >= 0xC0) {
            c.insertText(FromAnsi(QByteArrayView(in.data() + i, 1)), f);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0; // documents of a few pages say everything longer ones would
    QTextDocument doc;
    Build(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), &doc);
    const QByteArray rtf = RtfWriter().Write(doc);
    QTextDocument back;
    if (!RtfReader().Read(rtf, &back) || Describe(back) != Describe(doc))
        std::abort();
    return 0;
}
