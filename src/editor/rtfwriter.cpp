#include "editor/rtfwriter.h"

#include "common/ansicodec.h"
#include "editor/editorformat.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {
namespace {

constexpr int kListHang = 360; // how far a list marker hangs left of the text
constexpr int kMaxListLevel = 9;

int Twips(double pixels) {
    return std::clamp(int(std::lround(pixels * TwipsPerPixel)), -MaxTwips, MaxTwips);
}

struct RunFormat {
    int font = -1;
    int halfPoints = -1;
    int color = 0;
    int highlight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    qint8 vertical = 0;
};

enum ListKind { NoList, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct ParaKey {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justified
    int left = 0, right = 0, first = 0, before = 0, after = 0;
    int line = 0;
    bool lineMultiple = false;
    int list = NoList;
    int level = 1;          // of a list: 1 outermost, up to kMaxListLevel
    QString prefix, suffix; // of numbers
    bool operator==(const ParaKey&) const = default;
};

ListKind KindOf(QTextListFormat::Style style) {
    switch (style) {
    case QTextListFormat::ListDecimal:
        return Decimal;
    case QTextListFormat::ListLowerAlpha:
        return LowerAlpha;
    case QTextListFormat::ListUpperAlpha:
        return UpperAlpha;
    case QTextListFormat::ListLowerRoman:
        return LowerRoman;
    case QTextListFormat::ListUpperRoman:
        return UpperRoman;
    default:
        return Bullet;
    }
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {
        defaultFont_ = doc.defaultFont();
        QString family = defaultFont_.families().value(0, defaultFont_.family());
        FontIndex(family.isEmpty() ? DefaultFontFamily : family);
    }

    QByteArray Write();

private:
    // Control words end at the next backslash, brace or line end; before
    // text they need the one-space delimiter.
    void Word(const char* word) {
        out_ += '\\';
        out_ += word;
        delimit_ = true;
    }
    void Word(const char* word, int n) {
        Word(word);
        out_ += QByteArray::number(n);
    }
    void Raw(const char* s) {
        out_ += s;
        delimit_ = false;
    }
    void Ascii(char c) {
        if (delimit_)
            out_ += ' ';
        out_ += c;
        delimit_ = false;
    }
    void Hex(unsigned char b) {
        static const char digits[] = "0123456789abcdef";
        out_ += "\\'";
        out_ += digits[b >> 4];
        out_ += digits[b & 15];
        delimit_ = false;
    }
    void Text(QStringView text, bool inName = false);
    void Paragraph(const QTextBlock& block, bool first);
    void Marker(const QTextBlock& block, const ParaKey& key);
    void Apply(const RunFormat& want);
    RunFormat FormatOf(const QTextCharFormat& cf);
    RunFormat FormatAt(int formatIndex, const QTextCharFormat& cf);
    ParaKey KeyOf(const QTextBlock& block) const;
    int FontIndex(const QString& family);
    int ColorIndex(const QColor& color);
    int SymbolFont() {
        if (symbolFont_ < 0) {
            symbolFont_ = int(fonts_.size());
            fonts_.push_back(QStringLiteral("Symbol"));
        }
        return symbolFont_;
    }

    const QTextDocument& doc_;
    QFont defaultFont_;
    QByteArray out_;
    bool delimit_ = false;
    RunFormat current_;
    ParaKey lastKey_;
    std::vector<QString> fonts_;
    QHash<QString, int> fontIndex_;
    int symbolFont_ = -1;
    std::vector<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
    QHash<int, RunFormat> formatCache_;
};

void Writer::Text(QStringView text, bool inName) {
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80) {
            switch (c) {
            case u'\\':
            case u'{':
            case u'}':
                out_ += '\\';
                out_ += char(c);
                delimit_ = false;
                break;
            case u'\t':
                if (!inName)
                    Word("tab");
                break;
            case u';':
                if (inName)
                    Hex(';'); // a bare ';' would end the font entry
                else
                    Ascii(';');
                break;
            default:
                if (c >= 0x20 && c < 0x7F)
                    Ascii(char(c));
                break;
            }
            continue;
        }
        switch (c) {
        case 0x2028:
            if (!inName)
                Word("line");
            continue;
        case 0x00A0:
            Raw("\\~");
            continue;
        case 0x00AD:
            Raw("\\-");
            continue;
        case 0x2011:
            Raw("\\_");
            continue;
        case 0x2029:
        case 0xFDD0:
        case 0xFDD1:
        case 0xFFFC:
            continue;
        default:
            break;
        }
        if (c < 0xA0 && c >= 0x7F)
            continue; // C1 controls
        Word("u", c > 0x7FFF ? int(c) - 0x10000 : int(c));
        bool ok = false;
        const char b = ch.isSurrogate() ? 0 : AnsiByteFor(c, &ok);
        if (ok)
            Hex(static_cast<unsigned char>(b));
        else
            Raw("?");
    }
}

int Writer::FontIndex(const QString& family) {
    auto it = fontIndex_.constFind(family);
    if (it != fontIndex_.constEnd())
        return *it;
    const int index = int(fonts_.size());
    fonts_.push_back(family);
    fontIndex_.insert(family, index);
    return index;
}

int Writer::ColorIndex(const QColor& color) {
    const QRgb rgb = color.rgb() & 0xFFFFFF;
    auto it = colorIndex_.constFind(rgb);
    if (it != colorIndex_.constEnd())
        return *it;
    colors_.push_back(rgb);
    const int index = int(colors_.size()); // entry 0 is the automatic colour
    colorIndex_.insert(rgb, index);
    return index;
}

RunFormat Writer::FormatOf(const QTextCharFormat& cf) {
    RunFormat r;
    const QFont font = cf.font().resolve(defaultFont_);
    QString family = font.families().value(0, font.family());
    r.font = family.isEmpty() ? 0 : FontIndex(family);
    double points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0)
        points = font.pixelSize() * 0.75;
    if (points <= 0)
        points = 12;
    r.halfPoints = std::clamp(int(std::lround(points * 2)), 1, 3276);
    r.bold = font.bold();
    r.italic = font.italic();
    r.underline = font.underline();
    r.strike = font.strikeOut();
    const QBrush fg = cf.foreground();
    if (fg.style() != Qt::NoBrush)
        r.color = ColorIndex(fg.color());
    const QBrush bg = cf.background();
    if (bg.style() != Qt::NoBrush)
        r.highlight = ColorIndex(bg.color());
    switch (cf.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        r.vertical = 1;
        break;
    case QTextCharFormat::AlignSubScript:
        r.vertical = -1;
        break;
    default:
        break;
    }
    return r;
}

RunFormat Writer::FormatAt(int formatIndex, const QTextCharFormat& cf) {
    auto it = formatCache_.constFind(formatIndex);
    if (it != formatCache_.constEnd())
        return *it;
    const RunFormat r = FormatOf(cf);
    formatCache_.insert(formatIndex, r);
    return r;
}

void Writer::Apply(const RunFormat& want) {
    RunFormat& cur = current_;
    if (want.font != cur.font)
        Word("f", want.font);
    if (want.halfPoints != cur.halfPoints)
        Word("fs", want.halfPoints);
    if (want.bold != cur.bold)
        Word(want.bold ? "b" : "b0");
    if (want.italic != cur.italic)
        Word(want.italic ? "i" : "i0");
    if (want.underline != cur.underline)
        Word(want.underline ? "ul" : "ulnone");
    if (want.strike != cur.strike)
        Word(want.strike ? "strike" : "strike0");
    if (want.color != cur.color)
        Word("cf", want.color);
    if (want.highlight != cur.highlight)
        Word("highlight", want.highlight);
    if (want.vertical != cur.vertical)
        Word(want.vertical > 0 ? "super" : want.vertical < 0 ? "sub" : "nosupersub");
    cur = want;
}

ParaKey Writer::KeyOf(const QTextBlock& block) const {
    ParaKey key;
    const QTextBlockFormat bf = block.blockFormat();
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        key.align = 1;
    else if (a & Qt::AlignJustify)
        key.align = 3;
    else if (a & Qt::AlignRight)
        key.align = 2;
    double left = bf.leftMargin() + bf.indent() * doc_.indentWidth();
    if (const QTextList* list = block.textList()) {
        const QTextListFormat lf = list->format();
        left += std::max(lf.indent(), 1) * doc_.indentWidth();
        key.left = Twips(left);
        key.first = -std::min(key.left, kListHang);
        key.list = KindOf(lf.style());
        key.level = std::clamp(lf.indent(), 1, kMaxListLevel);
        if (key.list != Bullet) {
            key.prefix = lf.numberPrefix();
            key.suffix = lf.hasProperty(QTextFormat::ListNumberSuffix) ? lf.numberSuffix()
                                                                       : QStringLiteral(".");
        }
    } else {
        key.left = Twips(left);
        key.first = Twips(bf.textIndent());
    }
    key.right = Twips(bf.rightMargin());
    key.before = Twips(bf.topMargin());
    key.after = Twips(bf.bottomMargin());
    switch (bf.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (std::lround(bf.lineHeight()) != 100 && bf.lineHeight() > 0) {
            key.line = std::clamp(int(std::lround(bf.lineHeight() * 2.4)), 1, MaxTwips);
            key.lineMultiple = true;
        }
        break;
    case QTextBlockFormat::MinimumHeight:
        key.line = std::max(0, Twips(bf.lineHeight()));
        break;
    case QTextBlockFormat::FixedHeight:
        key.line = -std::max(0, Twips(bf.lineHeight()));
        break;
    default:
        break;
    }
    return key;
}

// The marker a reader without lists shows, then the list itself.
void Writer::Marker(const QTextBlock& block, const ParaKey& key) {
    Raw("{");
    Word("pntext");
    if (key.list == Bullet) {
        Word("f", SymbolFont());
        Hex(0xB7);
    } else {
        Word("f", 0);
        Text(block.textList()->itemText(block));
    }
    Word("tab");
    Raw("}");
}

void Writer::Paragraph(const QTextBlock& block, bool first) {
    const ParaKey key = KeyOf(block);
    if (first || !(key == lastKey_)) {
        Word("pard");
        if (key.list != NoList) {
            Marker(block, key);
            Raw("{\\*");
            Word("pn");
            // A nested list names its level (\pnlvlN); the outermost one
            // says bullet or number as every rich-edit reader expects.
            if (key.list == Bullet) {
                if (key.level > 1)
                    Word("pnlvl", key.level);
                else
                    Word("pnlvlblt");
                Word("pnf", SymbolFont());
                Word("pnindent", 0);
                Raw("{\\pntxtb\\'b7}");
            } else {
                static const char* const styles[] = {"",        "",       "pndec", "pnlcltr",
                                                     "pnucltr", "pnlcrm", "pnucrm"};
                if (key.level > 1)
                    Word("pnlvl", key.level);
                else
                    Word("pnlvlbody");
                Word("pnf", 0);
                Word("pnindent", 0);
                Word("pnstart", 1);
                Word(styles[key.list]);
                if (!key.prefix.isEmpty()) {
                    Raw("{");
                    Word("pntxtb");
                    Text(key.prefix);
                    Raw("}");
                }
                Raw("{");
                Word("pntxta");
                Text(key.suffix);
                Raw("}");
            }
            Raw("}");
        }
        if (key.first != 0)
            Word("fi", key.first);
        if (key.left != 0)
            Word("li", key.left);
        if (key.right != 0)
            Word("ri", key.right);
        if (key.before != 0)
            Word("sb", key.before);
        if (key.after != 0)
            Word("sa", key.after);
        if (key.line != 0) {
            Word("sl", key.line);
            Word("slmult", key.lineMultiple ? 1 : 0);
        }
        static const char* const aligns[] = {nullptr, "qc", "qr", "qj"};
        if (key.align != 0)
            Word(aligns[key.align]);
        lastKey_ = key;
    } else if (key.list != NoList) {
        Marker(block, key);
    }
    bool empty = true;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        Apply(FormatAt(fragment.charFormatIndex(), fragment.charFormat()));
        Text(fragment.text());
        empty = false;
    }
    if (empty) // the paragraph mark carries the format of an empty line
        Apply(FormatAt(block.charFormatIndex(), block.charFormat()));
    Word("par");
    Raw("\r\n");
}

QByteArray Writer::Write() {
    out_.reserve(doc_.characterCount() * 2 + 256);
    Word("viewkind4");
    Word("uc1");
    bool first = true;
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        Paragraph(block, first);
        first = false;
    }
    out_ += '}';
    out_ += "\r\n";

    QByteArray head = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl";
    QByteArray body;
    body.swap(out_);
    for (size_t i = 0; i < fonts_.size(); ++i) {
        out_ += "{\\f" + QByteArray::number(qsizetype(i));
        out_ += int(i) == symbolFont_ ? "\\fnil\\fcharset2" : "\\fnil\\fcharset204";
        delimit_ = true;
        Text(fonts_[i], true);
        out_ += ";}";
    }
    out_ += "}\r\n{\\colortbl ;";
    for (QRgb rgb : colors_)
        out_ += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) + ';';
    out_ += "}\r\n";
    return head + out_ + body;
}

} // namespace

QByteArray RtfWriter::Write(const QTextDocument& doc) {
    return Writer(doc).Write();
}

QByteArray RtfWriter::Write(const QTextDocumentFragment& fragment) {
    QTextDocument doc;
    QTextCursor(&doc).insertFragment(fragment);
    return Write(doc);
}

} // namespace corvane
