// Character and paragraph properties: the words that set them, and how a
// paragraph that ended goes into the document as a block of formatted runs.
// The properties in force at \par format the paragraph it ends.
#include "editor/editorformat.h"
#include "editor/rtfparser.h"

#include <QTextDocument>

#include <algorithm>

namespace corvane::rtf {
namespace {

int ClampTwips(int v) {
    return std::clamp(v, -MaxTwips, MaxTwips);
}

QTextBlockFormat BlockFormat(const ParaState& para, bool inList, int level, qreal indentWidth) {
    QTextBlockFormat bf;
    static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                               Qt::AlignJustify};
    bf.setAlignment(kAlign[para.align & 3]);
    double left = para.left / TwipsPerPixel;
    if (inList) {
        // The list draws its marker in its own indent; the rest is margin.
        left = std::max(0.0, left - indentWidth * (level + 1));
    } else {
        left = std::max(0.0, left);
        bf.setTextIndent(std::max(para.first / TwipsPerPixel, -left));
    }
    bf.setLeftMargin(left);
    bf.setRightMargin(std::max(0.0, para.right / TwipsPerPixel));
    bf.setTopMargin(std::max(0.0, para.before / TwipsPerPixel));
    bf.setBottomMargin(std::max(0.0, para.after / TwipsPerPixel));
    if (para.line > 0 && para.lineMultiple)
        bf.setLineHeight(std::clamp(para.line * 100.0 / 240.0, 10.0, 1000.0),
                         QTextBlockFormat::ProportionalHeight);
    else if (para.line > 0)
        bf.setLineHeight(para.line / TwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else if (para.line < 0)
        bf.setLineHeight(-para.line / TwipsPerPixel, QTextBlockFormat::FixedHeight);
    return bf;
}

} // namespace

void Parser::AddCharacterWords(ControlWords& t) {
    t.Add("plain", [](Parser&, const WordCall& w) { w.g.ch = CharState{}; });
    t.Add("f", [](Parser& p, const WordCall& w) {
        if (w.g.dest == Dest::FontTable)
            p.StartFont(w.param);
        else
            w.g.ch.font = w.param;
    });
    t.Add("fs", [](Parser&, const WordCall& w) {
        w.g.ch.halfPoints = w.param > 0 ? std::min(w.param, 3276) : 24;
    });
    t.Add("cf", [](Parser&, const WordCall& w) { w.g.ch.color = w.param; });
    for (std::string_view highlight : {"cb", "highlight"})
        t.Add(highlight, [](Parser&, const WordCall& w) { w.g.ch.highlight = w.param; });
    t.Add("b", [](Parser&, const WordCall& w) { w.g.ch.bold = w.On(); });
    t.Add("i", [](Parser&, const WordCall& w) { w.g.ch.italic = w.On(); });
    // Every underline style is an underline here.
    for (std::string_view ul : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                                "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                                "ulthldash", "ululdbwave", "ulw", "ulwave"})
        t.Add(ul, [](Parser&, const WordCall& w) { w.g.ch.underline = w.On(); });
    t.Add("ulnone", [](Parser&, const WordCall& w) { w.g.ch.underline = false; });
    for (std::string_view strike : {"strike", "striked"})
        t.Add(strike, [](Parser&, const WordCall& w) { w.g.ch.strike = w.On(); });
    t.Add("v", [](Parser&, const WordCall& w) { w.g.ch.hidden = w.On(); });
    t.Add("super", [](Parser&, const WordCall& w) { w.g.ch.vertical = 1; });
    t.Add("sub", [](Parser&, const WordCall& w) { w.g.ch.vertical = -1; });
    t.Add("nosupersub", [](Parser&, const WordCall& w) { w.g.ch.vertical = 0; });
}

void Parser::AddParagraphWords(ControlWords& t) {
    t.Add("pard", [](Parser&, const WordCall& w) {
        // Inside {\*\pn} the numbering being read is kept.
        const ParaState pn = w.g.para;
        w.g.para = ParaState{};
        if (w.g.dest == Dest::Pn) {
            w.g.para.pnBullet = pn.pnBullet;
            w.g.para.pnNumbered = pn.pnNumbered;
            w.g.para.pnStyle = pn.pnStyle;
            w.g.para.pnLevel = pn.pnLevel;
        }
    });
    t.Add("ql", [](Parser&, const WordCall& w) { w.g.para.align = 0; });
    t.Add("qc", [](Parser&, const WordCall& w) { w.g.para.align = 1; });
    t.Add("qr", [](Parser&, const WordCall& w) { w.g.para.align = 2; });
    for (std::string_view justified : {"qj", "qd"})
        t.Add(justified, [](Parser&, const WordCall& w) { w.g.para.align = 3; });
    for (std::string_view left : {"li", "lin"})
        t.Add(left, [](Parser&, const WordCall& w) { w.g.para.left = ClampTwips(w.param); });
    for (std::string_view right : {"ri", "rin"})
        t.Add(right, [](Parser&, const WordCall& w) { w.g.para.right = ClampTwips(w.param); });
    t.Add("fi", [](Parser&, const WordCall& w) { w.g.para.first = ClampTwips(w.param); });
    t.Add("sb", [](Parser&, const WordCall& w) { w.g.para.before = ClampTwips(w.param); });
    t.Add("sa", [](Parser&, const WordCall& w) { w.g.para.after = ClampTwips(w.param); });
    t.Add("sl", [](Parser&, const WordCall& w) { w.g.para.line = ClampTwips(w.param); });
    t.Add("slmult", [](Parser&, const WordCall& w) { w.g.para.lineMultiple = w.On(); });
}

QTextCharFormat Parser::Format(const CharState& ch) {
    auto it = formats_.constFind(ch);
    if (it != formats_.constEnd())
        return *it;
    QTextCharFormat f;
    const FontInfo* font = fonts_.Find(ch.font < 0 ? defaultFont_ : ch.font);
    if (!font && ch.font >= 0)
        font = fonts_.Find(defaultFont_);
    if (font && !font->family.isEmpty())
        f.setFontFamilies(QStringList{font->family});
    f.setFontPointSize(ch.halfPoints / 2.0);
    f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(ch.italic);
    f.setFontUnderline(ch.underline);
    f.setFontStrikeOut(ch.strike);
    if (const QColor c = colors_.At(ch.color); c.isValid())
        f.setForeground(c);
    if (ch.highlight > 0)
        if (const QColor c = colors_.At(ch.highlight); c.isValid())
            f.setBackground(c);
    if (ch.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (ch.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    formats_.insert(ch, f);
    return f;
}

void Parser::EndParagraph() {
    if (paragraphs_ >= limits_.maxParagraphs) {
        Stop();
        return;
    }
    EmitParagraph(stack_.back().para, stack_.back().ch);
}

void Parser::EmitParagraph(const ParaState& para, const CharState& mark) {
    const ListKey key = ListOf(para, markerSeen_, marker_);
    const bool inList = key.kind != ListKind::None;
    const QTextBlockFormat bf = BlockFormat(para, inList, key.level, doc_->indentWidth());
    const QTextCharFormat markFormat = Format(mark);
    if (paragraphs_ == 0) {
        cursor_.setBlockFormat(bf);
        cursor_.setBlockCharFormat(markFormat);
    } else {
        cursor_.insertBlock(bf, markFormat);
    }
    ++paragraphs_;
    if (inList)
        lists_.Place(cursor_, key);
    else
        lists_.EndAll();
    for (size_t r = 0; r < runs_.size(); ++r) {
        const qsizetype start = runs_[r].start;
        const qsizetype end = r + 1 < runs_.size() ? runs_[r + 1].start : text_.size();
        cursor_.insertText(text_.mid(start, end - start), Format(runs_[r].ch));
    }
    runs_.clear();
    text_.clear();
    markerSeen_ = false;
    marker_.clear();
}

} // namespace corvane::rtf
