#pragma once
// Helpers of the RTF tests: documents described run by run and paragraph by
// paragraph, with every format resolved against the document's default font,
// so that two documents compare by what they show.
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"

#include <QColor>
#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace corvane::test {

struct RunInfo {
    QString text;
    QString family;
    double points = 0;
    bool bold = false, italic = false, underline = false, strike = false;
    QColor color;      // invalid: automatic
    QColor background; // invalid: none
    int vertical = 0;
    bool SameFormat(const RunInfo& o) const {
        return family == o.family && points == o.points && bold == o.bold && italic == o.italic &&
               underline == o.underline && strike == o.strike && color == o.color &&
               background == o.background && vertical == o.vertical;
    }
    bool operator==(const RunInfo& o) const { return text == o.text && SameFormat(o); }
};

struct ParaInfo {
    QString text;
    int align = 0;     // 0 left, 1 centre, 2 right, 3 justified
    int left = 0;      // pixels from the page edge to the text, list indent included
    int firstLine = 0; // pixels, paragraphs outside lists
    int list = 0;      // QTextListFormat::Style, 0 outside lists
    QString marker;    // the list's marker text for numbered items
    std::vector<RunInfo> runs;
    bool operator==(const ParaInfo&) const = default;
};

inline void PrintTo(const RunInfo& r, std::ostream* os) {
    *os << '"' << r.text.toStdString() << "\" " << r.family.toStdString() << ' ' << r.points << "pt"
        << (r.bold ? " b" : "") << (r.italic ? " i" : "") << (r.underline ? " ul" : "")
        << (r.strike ? " strike" : "")
        << (r.color.isValid() ? " " + r.color.name().toStdString() : "")
        << (r.background.isValid() ? " bg" + r.background.name().toStdString() : "")
        << (r.vertical ? (r.vertical > 0 ? " super" : " sub") : "");
}

inline void PrintTo(const ParaInfo& p, std::ostream* os) {
    *os << "[align " << p.align << " left " << p.left << " first " << p.firstLine << " list "
        << p.list << " " << p.marker.toStdString() << "] ";
    for (const RunInfo& r : p.runs) {
        PrintTo(r, os);
        *os << " | ";
    }
}

inline RunInfo RunOf(const QTextDocument& doc, const QTextCharFormat& cf, const QString& text) {
    RunInfo r;
    r.text = text;
    const QFont f = cf.font().resolve(doc.defaultFont());
    r.family = f.families().value(0, f.family());
    r.points = f.pointSizeF();
    r.bold = f.bold();
    r.italic = f.italic();
    r.underline = f.underline();
    r.strike = f.strikeOut();
    if (cf.foreground().style() != Qt::NoBrush)
        r.color = cf.foreground().color();
    if (cf.background().style() != Qt::NoBrush)
        r.background = cf.background().color();
    if (cf.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        r.vertical = 1;
    else if (cf.verticalAlignment() == QTextCharFormat::AlignSubScript)
        r.vertical = -1;
    return r;
}

inline std::vector<ParaInfo> Describe(const QTextDocument& doc) {
    std::vector<ParaInfo> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        ParaInfo p;
        p.text = b.text();
        const QTextBlockFormat bf = b.blockFormat();
        const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
        p.align = (a & Qt::AlignHCenter)   ? 1
                  : (a & Qt::AlignJustify) ? 3
                  : (a & Qt::AlignRight)   ? 2
                                           : 0;
        double left = bf.leftMargin() + bf.indent() * doc.indentWidth();
        if (const QTextList* list = b.textList()) {
            left += list->format().indent() * doc.indentWidth();
            p.list = list->format().style();
            if (p.list < QTextListFormat::ListSquare)
                p.marker = list->itemText(b);
        } else {
            p.firstLine = qRound(bf.textIndent());
        }
        p.left = qRound(left);
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            RunInfo r = RunOf(doc, frag.charFormat(), frag.text());
            if (!p.runs.empty() && p.runs.back().SameFormat(r))
                p.runs.back().text += r.text;
            else
                p.runs.push_back(r);
        }
        out.push_back(p);
    }
    return out;
}

inline QByteArray ReadSample(const char* name) {
    QFile f(QStringLiteral(CORVANE_RTF_TESTDATA "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing sample " << name;
        return {};
    }
    return f.readAll();
}

// Reads RTF into doc and expects it to be accepted.
inline void ReadRtf(const QByteArray& rtf, QTextDocument* doc) {
    RtfReader reader;
    ASSERT_TRUE(reader.Read(rtf, doc)) << reader.ErrorString().toStdString();
}

inline bool AllBytesBelow128(const QByteArray& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 128)
            return false;
    return true;
}

} // namespace corvane::test
