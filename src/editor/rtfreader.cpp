#include "editor/rtfreader.h"

#include "editor/editorformat.h"

#include "editor/messagebody.h"
#include "editor/rtfcodepage.h"

#include <QColor>
#include <QHash>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {
namespace {

constexpr double kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch
constexpr int kMaxControlWord = 32;     // longer words are nobody's keywords
constexpr int kMaxUcSkip = 16;
constexpr int kMaxTwips = 31680; // 22 inches, the widest page RTF writers use
constexpr std::size_t kMaxFonts = 4096;
constexpr int kMaxColors = 4096;
constexpr int kMaxNameChars = 256;
constexpr int kMaxMarkerChars = 32;
constexpr int kMaxListLevel = 8;
constexpr qsizetype kStopCheckBytes = 64 * 1024; // how often a stop request is looked at

// Where the text of a group goes.
enum class Dest : quint8 {
    Body,        // the document
    FontTable,   // font names
    FontAltName, // {\*\fname}
    ColorTable,  // ';' ends an entry
    Marker,      // {\pntext} {\listtext}: the list marker as a reader without lists would show it
    Pn,          // {\*\pn}
    PnBefore,    // {\pntxtb}
    PnAfter,     // {\pntxta}
    Object,      // text of an object is dropped, its \result is kept
    Skip,        // everything dropped until the group closes
};

enum class ListKind : quint8 {
    None,
    Bullet,
    Decimal,
    LowerAlpha,
    UpperAlpha,
    LowerRoman,
    UpperRoman
};

struct CharState {
    int font = -1; // -1: \deff
    int halfPoints = 24;
    int color = 0;
    int highlight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    qint8 vertical = 0; // 1 superscript, -1 subscript
    bool operator==(const CharState&) const = default;
};

size_t qHash(const CharState& c, size_t seed = 0) {
    return qHashMulti(seed, c.font, c.halfPoints, c.color, c.highlight,
                      (c.bold << 0) | (c.italic << 1) | (c.underline << 2) | (c.strike << 3) |
                          (c.hidden << 4),
                      c.vertical);
}

struct ParaState {
    quint8 align = 0; // 0 left, 1 centre, 2 right, 3 justified
    int left = 0;     // twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    int line = 0;
    bool lineMultiple = false;
    // The list the paragraph belongs to, from {\*\pn}; lasts until \pard.
    ListKind list = ListKind::None;
    QString listBefore, listAfter;
    // Inside {\*\pn} while it is read.
    bool pnBullet = false;
    bool pnNumbered = false;
    ListKind pnStyle = ListKind::None;
    int pnLevel = 0; // \pnlvlN: the list level N (1..9) of a nested list
    int listId = 0;  // \ls: a list of the list table, which is not read
    int level = 0;   // \ilvl
};

struct Group {
    Dest dest = Dest::Body;
    int uc = 1;
    CharState ch;
    ParaState para;
};

// clang-format off
enum class Kw : quint8 {
    // destinations
    fonttbl, colortbl, fname, pntext, pn, pntxtb, pntxta, object, result, skip,
    // document
    ansi, mac, pc, pca, ansicpg, deff, uc, u,
    // text
    par, line, tab, cell, emdash, endash, emspace, enspace, qmspace, bullet, lquote, rquote,
    ldblquote, rdblquote, zwj, zwnj, ltrmark, rtlmark,
    // character
    plain, f, fs, cf, highlight, b, i, ul, ulnone, strike, super, sub, nosupersub, v,
    // paragraph
    pard, ql, qc, qr, qj, li, ri, fi, sb, sa, sl, slmult, ls, ilvl,
    // old-style paragraph numbering
    pnlvlblt, pnlvlbody, pnlvl, pnlvlcont, pndec, pnlcltr, pnucltr, pnlcrm, pnucrm,
    // tables
    fcharset, cpg, red, green, blue,
};
// clang-format on

struct Word {
    std::string_view name;
    Kw kw;
};

// Destinations whose content is never shown, whether or not they are marked
// with \*.
// clang-format off
constexpr std::string_view kSkipped[] = {
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atndate", "atnicn", "atnid",
    "atnref", "atntime", "author", "bkmkend", "bkmkstart", "blipuid", "buptim", "category",
    "colorschememapping", "comment", "company", "creatim", "datafield", "datastore", "do",
    "doccomm", "docvar", "falt", "filetbl", "fldinst", "footer", "footerf", "footerl",
    "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator", "header", "headerf",
    "headerl", "headerr", "hlinkbase", "info", "keywords", "latentstyles", "listoverridetable",
    "listtable", "manager", "mmathPr", "nonshppict", "objclass", "objdata", "objname",
    "operator", "panose", "pgdsctbl", "pict", "picprop", "pnseclvl", "printim", "private",
    "revtbl", "revtim", "rsidtbl", "rxe", "shp", "shpinst", "shppict", "sn", "sp", "stylesheet",
    "subject", "sv", "tc", "template", "themedata", "title", "txe", "userprops", "xe",
    "xmlnstbl",
};
// clang-format on

std::vector<Word> MakeWords() {
    // clang-format off
    std::vector<Word> w = {
        {"fonttbl", Kw::fonttbl}, {"colortbl", Kw::colortbl}, {"fname", Kw::fname},
        {"pntext", Kw::pntext}, {"listtext", Kw::pntext}, {"pn", Kw::pn},
        {"pntxtb", Kw::pntxtb}, {"pntxta", Kw::pntxta}, {"object", Kw::object},
        {"result", Kw::result}, {"ansi", Kw::ansi}, {"mac", Kw::mac}, {"pc", Kw::pc},
        {"pca", Kw::pca}, {"ansicpg", Kw::ansicpg}, {"deff", Kw::deff}, {"uc", Kw::uc},
        {"u", Kw::u}, {"par", Kw::par}, {"sect", Kw::par}, {"page", Kw::par}, {"row", Kw::par},
        {"nestrow", Kw::par}, {"line", Kw::line}, {"tab", Kw::tab}, {"cell", Kw::cell},
        {"nestcell", Kw::cell}, {"emdash", Kw::emdash}, {"endash", Kw::endash},
        {"emspace", Kw::emspace}, {"enspace", Kw::enspace}, {"qmspace", Kw::qmspace},
        {"bullet", Kw::bullet}, {"lquote", Kw::lquote}, {"rquote", Kw::rquote},
        {"ldblquote", Kw::ldblquote}, {"rdblquote", Kw::rdblquote}, {"zwj", Kw::zwj},
        {"zwnj", Kw::zwnj}, {"ltrmark", Kw::ltrmark}, {"rtlmark", Kw::rtlmark},
        {"plain", Kw::plain}, {"f", Kw::f}, {"fs", Kw::fs}, {"cf", Kw::cf},
        {"cb", Kw::highlight}, {"highlight", Kw::highlight}, {"b", Kw::b}, {"i", Kw::i},
        {"ulnone", Kw::ulnone}, {"strike", Kw::strike}, {"striked", Kw::strike},
        {"super", Kw::super}, {"sub", Kw::sub}, {"nosupersub", Kw::nosupersub}, {"v", Kw::v},
        {"pard", Kw::pard}, {"ql", Kw::ql}, {"qc", Kw::qc}, {"qr", Kw::qr}, {"qj", Kw::qj},
        {"qd", Kw::qj}, {"li", Kw::li}, {"lin", Kw::li}, {"ri", Kw::ri}, {"rin", Kw::ri},
        {"fi", Kw::fi}, {"sb", Kw::sb}, {"sa", Kw::sa}, {"sl", Kw::sl}, {"slmult", Kw::slmult},
        {"ls", Kw::ls}, {"ilvl", Kw::ilvl}, {"pnlvlblt", Kw::pnlvlblt},
        {"pnlvlbody", Kw::pnlvlbody}, {"pnlvl", Kw::pnlvl}, {"pnlvlcont", Kw::pnlvlcont},
        {"pndec", Kw::pndec}, {"pnlcltr", Kw::pnlcltr}, {"pnucltr", Kw::pnucltr},
        {"pnlcrm", Kw::pnlcrm}, {"pnucrm", Kw::pnucrm}, {"fcharset", Kw::fcharset},
        {"cpg", Kw::cpg}, {"red", Kw::red}, {"green", Kw::green}, {"blue", Kw::blue},
    };
    // clang-format on
    // Every underline style is an underline here.
    for (std::string_view ul : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                                "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                                "ulthldash", "ululdbwave", "ulw", "ulwave"})
        w.push_back({ul, Kw::ul});
    for (std::string_view s : kSkipped)
        w.push_back({s, Kw::skip});
    std::sort(w.begin(), w.end(), [](const Word& a, const Word& b) { return a.name < b.name; });
    return w;
}

const Kw* Lookup(std::string_view name) {
    static const std::vector<Word> words = MakeWords();
    auto it = std::lower_bound(words.begin(), words.end(), name,
                               [](const Word& w, std::string_view n) { return w.name < n; });
    if (it == words.end() || it->name != name)
        return nullptr;
    return &it->kw;
}

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int ClampTwips(int v) {
    return std::clamp(v, -kMaxTwips, kMaxTwips);
}

// RichEdit on Cyrillic and Central European systems names fonts after the
// Windows font substitutes ("Arial CYR"); the face is the name without it.
QString FaceName(QString name) {
    static const char* const suffixes[] = {" CYR", " Cyr", " CE", " Baltic", " Greek", " Tur"};
    name = name.trimmed();
    for (const char* s : suffixes) {
        const QLatin1String suffix(s);
        if (name.size() > suffix.size() && name.endsWith(suffix)) {
            name.chop(suffix.size());
            break;
        }
    }
    return name;
}

struct FontInfo {
    QString family;
    int codePage = 0; // 0: the document's code page
};

struct ListKey {
    ListKind kind = ListKind::None;
    int level = 0;
    QString before, after;
    bool operator==(const ListKey&) const = default;
};

class Parser {
public:
    Parser(const RtfReader::Limits& limits, QTextDocument* doc)
        : limits_(limits), doc_(doc), cursor_(doc) {}

    // in[pos] is the first byte after the opening brace of the document.
    void Run(QByteArrayView in, qsizetype pos);
    bool truncated() const { return truncated_; }

private:
    bool Skipping() const { return overflow_ > 0 || stack_.back().dest == Dest::Skip; }
    qsizetype ParseControl(QByteArrayView in, qsizetype pos);
    void OpenGroup();
    void CloseGroup();
    void OnControlWord(std::string_view name, bool hasParam, int param);
    void OnSymbol(unsigned char c);
    void OnLiteral(unsigned char c);
    void OnByte(unsigned char b);
    void OnUnicode(int param);
    void PutChar(char16_t c);
    void StartFont(int number);
    void FinishFont();
    void FinishColor();
    int CurrentCodePage();
    int CodePageOfFont(int font);
    void EndParagraph();
    void EmitParagraph(const ParaState& para, const CharState& mark);
    QTextCharFormat Format(const CharState& ch);
    QTextBlockFormat BlockFormat(const ParaState& para, bool inList, int level) const;
    QColor ColorAt(int index) const;
    void Stop() {
        truncated_ = true;
        done_ = true;
    }

    const RtfReader::Limits limits_;
    QTextDocument* doc_;
    QTextCursor cursor_;
    rtf::CodePageDecoder decoder_;

    std::vector<Group> stack_;
    int overflow_ = 0; // groups opened beyond the depth limit and not closed yet
    bool done_ = false;
    bool closed_ = false;
    bool truncated_ = false;
    bool starPending_ = false;
    int ucSkip_ = 0;
    int leadByte_ = -1; // first byte of a two-byte character

    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    std::unordered_map<int, FontInfo> fonts_;
    bool fontOpen_ = false;
    int fontNumber_ = 0;
    int fontCharset_ = -1;
    int fontCodePage_ = 0;
    QString fontName_, fontAltName_;
    int cpCacheFont_ = INT_MIN;
    int cpCacheValue_ = 0;

    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    QString scratch_; // {\pntxtb} {\pntxta}
    QString marker_;
    bool markerSeen_ = false;

    struct TextRun {
        CharState ch;
        qsizetype start;
    };
    QString text_; // of the paragraph being read
    std::vector<TextRun> runs_;
    qsizetype totalChars_ = 0;
    int paragraphs_ = 0;

    QHash<CharState, QTextCharFormat> formats_;
    // The list open at each level, outermost first.
    std::array<QTextList*, kMaxListLevel + 1> lists_{};
    std::array<ListKey, kMaxListLevel + 1> listKeys_{};
};

void Parser::Run(QByteArrayView in, qsizetype pos) {
    const char* p = in.data();
    const qsizetype n = in.size();
    stack_.reserve(64);
    stack_.push_back(Group{});
    cursor_.beginEditBlock();
    qsizetype nextStopCheck = pos + kStopCheckBytes;
    while (pos < n && !done_) {
        if (pos >= nextStopCheck) {
            nextStopCheck = pos + kStopCheckBytes;
            if (limits_.stop && limits_.stop->load(std::memory_order_relaxed))
                break;
        }
        if (Skipping()) {
            while (pos < n && p[pos] != '{' && p[pos] != '}' && p[pos] != '\\')
                ++pos;
            if (pos >= n)
                break;
        }
        const auto c = static_cast<unsigned char>(p[pos]);
        switch (c) {
        case '{':
            ++pos;
            OpenGroup();
            break;
        case '}':
            ++pos;
            CloseGroup();
            break;
        case '\\':
            pos = ParseControl(in, pos);
            break;
        case '\r':
        case '\n':
            ++pos;
            break;
        default:
            ++pos;
            OnLiteral(c);
            break;
        }
    }
    if (!closed_)
        truncated_ = true;
    // A paragraph that no \par ended is the document's last.
    if (!runs_.empty() && paragraphs_ < limits_.maxParagraphs && !stack_.empty())
        EmitParagraph(stack_.back().para, stack_.back().ch);
    cursor_.endEditBlock();
}

qsizetype Parser::ParseControl(QByteArrayView in, qsizetype pos) {
    const char* p = in.data();
    const qsizetype n = in.size();
    qsizetype i = pos + 1;
    if (i >= n)
        return n;
    const auto c = static_cast<unsigned char>(p[i]);
    if (IsLetter(c)) {
        const qsizetype start = i;
        while (i < n && IsLetter(static_cast<unsigned char>(p[i])))
            ++i;
        const std::string_view name(p + start, size_t(i - start));
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (i + 1 < n && p[i] == '-' && IsDigit(static_cast<unsigned char>(p[i + 1]))) {
            negative = true;
            ++i;
        }
        while (i < n && IsDigit(static_cast<unsigned char>(p[i]))) {
            hasParam = true;
            if (value <= INT_MAX) // saturates; the digits are still consumed
                value = value * 10 + (p[i] - '0');
            ++i;
        }
        if (i < n && p[i] == ' ')
            ++i;
        value = std::min<qint64>(value, INT_MAX);
        const int param = int(negative ? -value : value);
        if (name == "bin") {
            // Raw bytes follow; they are skipped in every destination, or a
            // brace among them would end a group early.
            if (hasParam && param > 0)
                i += std::min<qsizetype>(param, n - i);
            if (ucSkip_ > 0)
                --ucSkip_;
            return i;
        }
        if (Skipping())
            return i;
        OnControlWord(name.size() > size_t(kMaxControlWord) ? std::string_view() : name, hasParam,
                      param);
        return i;
    }
    if (c == '\'') {
        const int hi = i + 1 < n ? HexValue(static_cast<unsigned char>(p[i + 1])) : -1;
        const int lo = i + 2 < n ? HexValue(static_cast<unsigned char>(p[i + 2])) : -1;
        if (hi < 0 || lo < 0)
            return i + 1; // a broken escape is dropped
        if (!Skipping())
            OnByte(static_cast<unsigned char>(hi * 16 + lo));
        return i + 3;
    }
    if (Skipping())
        return i + 1;
    if (c == '\r' || c == '\n')
        OnControlWord("par", false, 0);
    else
        OnSymbol(c);
    return i + 1;
}

void Parser::OpenGroup() {
    leadByte_ = -1;
    ucSkip_ = 0;
    starPending_ = false;
    if (overflow_ > 0 || int(stack_.size()) >= limits_.maxDepth) {
        if (overflow_ == 0)
            truncated_ = true;
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
}

void Parser::CloseGroup() {
    leadByte_ = -1;
    ucSkip_ = 0;
    starPending_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    Group closing = std::move(stack_.back());
    stack_.pop_back();
    if (stack_.empty()) {
        // The outermost group is closed: what follows (RichEdit ends its
        // streams with CR LF and a NUL) is not part of the document.
        stack_.push_back(std::move(closing));
        closed_ = true;
        done_ = true;
        return;
    }
    Group& parent = stack_.back();
    switch (closing.dest) {
    case Dest::FontTable:
        if (fontOpen_)
            FinishFont();
        break;
    case Dest::Pn:
        if (parent.dest == Dest::Body) {
            const ParaState& pn = closing.para;
            ListKind kind = ListKind::None;
            if (pn.pnBullet)
                kind = ListKind::Bullet;
            else if (pn.pnStyle != ListKind::None)
                kind = pn.pnStyle;
            else if (pn.pnNumbered)
                kind = ListKind::Decimal;
            else if (pn.pnLevel > 0)
                kind = ListKind::Bullet;
            if (pn.pnLevel > 0)
                parent.para.level = pn.pnLevel - 1;
            parent.para.list = kind;
            parent.para.listBefore = pn.listBefore;
            parent.para.listAfter = pn.listAfter;
        }
        break;
    case Dest::PnBefore:
        if (parent.dest == Dest::Pn)
            parent.para.listBefore = scratch_;
        break;
    case Dest::PnAfter:
        if (parent.dest == Dest::Pn)
            parent.para.listAfter = scratch_;
        break;
    default:
        break;
    }
}

void Parser::OnControlWord(std::string_view name, bool hasParam, int param) {
    leadByte_ = -1;
    if (ucSkip_ > 0) {
        // A control word stands for one character of a \u fallback.
        --ucSkip_;
        starPending_ = false;
        return;
    }
    Group& g = stack_.back();
    const Kw* found = Lookup(name);
    const bool starred = starPending_;
    starPending_ = false;
    if (!found) {
        // Unknown words are ignored; an unknown destination marked with \*
        // is skipped whole.
        if (starred)
            g.dest = Dest::Skip;
        return;
    }
    const Kw kw = *found;
    const bool on = !hasParam || param != 0;
    switch (kw) {
    case Kw::fonttbl:
        g.dest = Dest::FontTable;
        break;
    case Kw::colortbl:
        g.dest = Dest::ColorTable;
        colorSet_ = false;
        break;
    case Kw::fname:
        g.dest = g.dest == Dest::FontTable ? Dest::FontAltName : Dest::Skip;
        break;
    case Kw::pntext:
        if (g.dest == Dest::Body) {
            g.dest = Dest::Marker;
            markerSeen_ = true;
            marker_.clear();
        } else {
            g.dest = Dest::Skip;
        }
        break;
    case Kw::pn:
        if (g.dest == Dest::Body) {
            g.dest = Dest::Pn;
            g.para.pnBullet = g.para.pnNumbered = false;
            g.para.pnStyle = ListKind::None;
            g.para.pnLevel = 0;
            g.para.listBefore.clear();
            g.para.listAfter.clear();
        } else {
            g.dest = Dest::Skip;
        }
        break;
    case Kw::pntxtb:
    case Kw::pntxta:
        if (g.dest == Dest::Pn) {
            g.dest = kw == Kw::pntxtb ? Dest::PnBefore : Dest::PnAfter;
            scratch_.clear();
        } else {
            g.dest = Dest::Skip;
        }
        break;
    case Kw::object:
        g.dest = g.dest == Dest::Body ? Dest::Object : Dest::Skip;
        break;
    case Kw::result:
        if (g.dest == Dest::Object)
            g.dest = Dest::Body;
        break;
    case Kw::skip:
        g.dest = Dest::Skip;
        break;
    default:
        if (starred) {
            // A \* before a word that opens no destination of ours.
            g.dest = Dest::Skip;
            return;
        }
        break;
    }
    switch (kw) {
    case Kw::ansi:
        docCodePage_ = 1252;
        break;
    case Kw::mac:
        docCodePage_ = 10000;
        break;
    case Kw::pc:
        docCodePage_ = 437;
        break;
    case Kw::pca:
        docCodePage_ = 850;
        break;
    case Kw::ansicpg:
        if (param > 0 && param < 100000)
            docCodePage_ = param;
        break;
    case Kw::deff:
        defaultFont_ = param;
        break;
    case Kw::uc:
        g.uc = std::clamp(param, 0, kMaxUcSkip);
        break;
    case Kw::u:
        OnUnicode(param);
        break;
    case Kw::par:
        if (g.dest == Dest::Body)
            EndParagraph();
        break;
    case Kw::line:
        PutChar(0x2028);
        break;
    case Kw::tab:
    case Kw::cell:
        PutChar(u'\t');
        break;
    case Kw::emdash:
        PutChar(0x2014);
        break;
    case Kw::endash:
        PutChar(0x2013);
        break;
    case Kw::emspace:
        PutChar(0x2003);
        break;
    case Kw::enspace:
        PutChar(0x2002);
        break;
    case Kw::qmspace:
        PutChar(0x2005);
        break;
    case Kw::bullet:
        PutChar(0x2022);
        break;
    case Kw::lquote:
        PutChar(0x2018);
        break;
    case Kw::rquote:
        PutChar(0x2019);
        break;
    case Kw::ldblquote:
        PutChar(0x201C);
        break;
    case Kw::rdblquote:
        PutChar(0x201D);
        break;
    case Kw::zwj:
        PutChar(0x200D);
        break;
    case Kw::zwnj:
        PutChar(0x200C);
        break;
    case Kw::ltrmark:
        PutChar(0x200E);
        break;
    case Kw::rtlmark:
        PutChar(0x200F);
        break;
    case Kw::plain:
        g.ch = CharState{};
        break;
    case Kw::f:
        if (g.dest == Dest::FontTable)
            StartFont(param);
        else
            g.ch.font = param;
        break;
    case Kw::fs:
        g.ch.halfPoints = param > 0 ? std::min(param, 3276) : 24;
        break;
    case Kw::cf:
        g.ch.color = param;
        break;
    case Kw::highlight:
        g.ch.highlight = param;
        break;
    case Kw::b:
        g.ch.bold = on;
        break;
    case Kw::i:
        g.ch.italic = on;
        break;
    case Kw::ul:
        g.ch.underline = on;
        break;
    case Kw::ulnone:
        g.ch.underline = false;
        break;
    case Kw::strike:
        g.ch.strike = on;
        break;
    case Kw::v:
        g.ch.hidden = on;
        break;
    case Kw::super:
        g.ch.vertical = 1;
        break;
    case Kw::sub:
        g.ch.vertical = -1;
        break;
    case Kw::nosupersub:
        g.ch.vertical = 0;
        break;
    case Kw::pard: {
        // Inside {\*\pn} the numbering being read is kept.
        const ParaState pn = g.para;
        g.para = ParaState{};
        if (g.dest == Dest::Pn) {
            g.para.pnBullet = pn.pnBullet;
            g.para.pnNumbered = pn.pnNumbered;
            g.para.pnStyle = pn.pnStyle;
            g.para.pnLevel = pn.pnLevel;
        }
        break;
    }
    case Kw::ql:
        g.para.align = 0;
        break;
    case Kw::qc:
        g.para.align = 1;
        break;
    case Kw::qr:
        g.para.align = 2;
        break;
    case Kw::qj:
        g.para.align = 3;
        break;
    case Kw::li:
        g.para.left = ClampTwips(param);
        break;
    case Kw::ri:
        g.para.right = ClampTwips(param);
        break;
    case Kw::fi:
        g.para.first = ClampTwips(param);
        break;
    case Kw::sb:
        g.para.before = ClampTwips(param);
        break;
    case Kw::sa:
        g.para.after = ClampTwips(param);
        break;
    case Kw::sl:
        g.para.line = ClampTwips(param);
        break;
    case Kw::slmult:
        g.para.lineMultiple = on;
        break;
    case Kw::ls:
        g.para.listId = std::max(param, 0);
        break;
    case Kw::ilvl:
        g.para.level = std::clamp(param, 0, kMaxListLevel);
        break;
    case Kw::pnlvlblt:
        g.para.pnBullet = true;
        break;
    case Kw::pnlvlbody:
        g.para.pnNumbered = true;
        break;
    case Kw::pnlvl:
        // A level of its own; without a numbering style it is a bulleted one.
        g.para.pnLevel = std::clamp(param, 1, kMaxListLevel + 1);
        break;
    case Kw::pnlvlcont:
        g.para.pnBullet = g.para.pnNumbered = false;
        g.para.pnStyle = ListKind::None;
        break;
    case Kw::pndec:
        g.para.pnStyle = ListKind::Decimal;
        break;
    case Kw::pnlcltr:
        g.para.pnStyle = ListKind::LowerAlpha;
        break;
    case Kw::pnucltr:
        g.para.pnStyle = ListKind::UpperAlpha;
        break;
    case Kw::pnlcrm:
        g.para.pnStyle = ListKind::LowerRoman;
        break;
    case Kw::pnucrm:
        g.para.pnStyle = ListKind::UpperRoman;
        break;
    case Kw::fcharset:
        if (fontOpen_)
            fontCharset_ = param;
        break;
    case Kw::cpg:
        if (fontOpen_ && param > 0 && param < 100000)
            fontCodePage_ = param;
        break;
    case Kw::red:
        red_ = std::clamp(param, 0, 255);
        colorSet_ = true;
        break;
    case Kw::green:
        green_ = std::clamp(param, 0, 255);
        colorSet_ = true;
        break;
    case Kw::blue:
        blue_ = std::clamp(param, 0, 255);
        colorSet_ = true;
        break;
    default:
        break;
    }
}

void Parser::OnSymbol(unsigned char c) {
    leadByte_ = -1;
    if (c == '*') {
        starPending_ = true;
        return;
    }
    starPending_ = false;
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        PutChar(c);
        break;
    case '~':
        PutChar(0x00A0);
        break;
    case '-':
        PutChar(0x00AD);
        break;
    case '_':
        PutChar(0x2011);
        break;
    case '\t':
        PutChar(u'\t');
        break;
    default: // \| \: and the unknown
        break;
    }
}

void Parser::OnLiteral(unsigned char c) {
    starPending_ = false;
    if (c >= 0x80 || leadByte_ >= 0) {
        // Raw 8-bit text, or the trail byte of a two-byte character.
        OnByte(c);
        return;
    }
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    if (c == ';') {
        switch (stack_.back().dest) {
        case Dest::FontTable:
            FinishFont();
            return;
        case Dest::FontAltName:
            return;
        case Dest::ColorTable:
            FinishColor();
            return;
        default:
            break;
        }
    }
    PutChar(c);
}

void Parser::OnByte(unsigned char b) {
    starPending_ = false;
    if (ucSkip_ > 0) {
        --ucSkip_;
        leadByte_ = -1;
        return;
    }
    const int cp = CurrentCodePage();
    if (rtf::IsDoubleByteCodePage(cp)) {
        if (leadByte_ >= 0) {
            const QString s = decoder_.DecodePair(cp, static_cast<unsigned char>(leadByte_), b);
            leadByte_ = -1;
            for (QChar ch : s)
                PutChar(ch.unicode());
            return;
        }
        if (rtf::CodePageDecoder::IsLeadByte(cp, b)) {
            leadByte_ = b;
            return;
        }
    }
    leadByte_ = -1;
    PutChar(decoder_.DecodeByte(cp, b));
}

void Parser::OnUnicode(int param) {
    if (param >= -32768 && param <= 65535)
        PutChar(char16_t(param < 0 ? param + 65536 : param));
    ucSkip_ = stack_.back().uc;
}

void Parser::PutChar(char16_t c) {
    Group& g = stack_.back();
    switch (g.dest) {
    case Dest::Body: {
        if (g.ch.hidden)
            return;
        if ((c < 0x20 && c != u'\t') || (c >= 0x7F && c < 0xA0))
            return; // control characters, and bytes a code page leaves unassigned
        if (c == 0x2029)
            c = 0x2028;
        // Characters QTextDocument keeps for its own structure, and
        // non-characters.
        if (c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC || c == 0xFFFE || c == 0xFFFF)
            return;
        if (totalChars_ >= limits_.maxChars) {
            Stop();
            return;
        }
        if (runs_.empty() || !(runs_.back().ch == g.ch))
            runs_.push_back(TextRun{g.ch, text_.size()});
        text_.append(QChar(c));
        ++totalChars_;
        break;
    }
    case Dest::FontTable:
        if (fontOpen_ && fontName_.size() < kMaxNameChars && c >= 0x20)
            fontName_.append(QChar(c));
        break;
    case Dest::FontAltName:
        if (fontOpen_ && fontAltName_.size() < kMaxNameChars && c >= 0x20)
            fontAltName_.append(QChar(c));
        break;
    case Dest::Marker:
        if (marker_.size() < kMaxMarkerChars)
            marker_.append(QChar(c));
        break;
    case Dest::PnBefore:
    case Dest::PnAfter:
        if (scratch_.size() < kMaxMarkerChars && c >= 0x20)
            scratch_.append(QChar(c));
        break;
    default:
        break;
    }
}

void Parser::StartFont(int number) {
    if (fontOpen_)
        FinishFont();
    fontOpen_ = true;
    fontNumber_ = number;
    fontCharset_ = -1;
    fontCodePage_ = 0;
    fontName_.clear();
    fontAltName_.clear();
}

void Parser::FinishFont() {
    if (!fontOpen_)
        return;
    fontOpen_ = false;
    if (fonts_.size() >= kMaxFonts && !fonts_.count(fontNumber_))
        return;
    FontInfo info;
    info.family = fontAltName_.trimmed().isEmpty() ? FaceName(fontName_) : fontAltName_.trimmed();
    info.codePage = fontCodePage_ > 0 ? fontCodePage_ : rtf::CodePageOfCharset(fontCharset_);
    fonts_[fontNumber_] = info;
    cpCacheFont_ = INT_MIN;
    formats_.clear();
}

void Parser::FinishColor() {
    if (int(colors_.size()) < kMaxColors)
        colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
    formats_.clear();
}

int Parser::CurrentCodePage() {
    const Dest dest = stack_.back().dest;
    if (dest == Dest::FontTable || dest == Dest::FontAltName) {
        int cp = fontCodePage_ > 0 ? fontCodePage_ : rtf::CodePageOfCharset(fontCharset_);
        return cp > 0 ? cp : docCodePage_;
    }
    return CodePageOfFont(stack_.back().ch.font);
}

int Parser::CodePageOfFont(int font) {
    if (font < 0)
        font = defaultFont_;
    if (font != cpCacheFont_) {
        auto it = fonts_.find(font);
        cpCacheValue_ = it == fonts_.end() ? 0 : it->second.codePage;
        cpCacheFont_ = font;
    }
    return cpCacheValue_ > 0 ? cpCacheValue_ : docCodePage_;
}

QColor Parser::ColorAt(int index) const {
    if (index < 0 || index >= int(colors_.size()))
        return {};
    return colors_[size_t(index)];
}

QTextCharFormat Parser::Format(const CharState& ch) {
    auto it = formats_.constFind(ch);
    if (it != formats_.constEnd())
        return *it;
    QTextCharFormat f;
    auto font = fonts_.find(ch.font < 0 ? defaultFont_ : ch.font);
    if (font == fonts_.end() && ch.font >= 0)
        font = fonts_.find(defaultFont_);
    if (font != fonts_.end() && !font->second.family.isEmpty())
        f.setFontFamilies(QStringList{font->second.family});
    f.setFontPointSize(ch.halfPoints / 2.0);
    f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(ch.italic);
    f.setFontUnderline(ch.underline);
    f.setFontStrikeOut(ch.strike);
    if (const QColor c = ColorAt(ch.color); c.isValid())
        f.setForeground(c);
    if (ch.highlight > 0)
        if (const QColor c = ColorAt(ch.highlight); c.isValid())
            f.setBackground(c);
    if (ch.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (ch.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    formats_.insert(ch, f);
    return f;
}

QTextBlockFormat Parser::BlockFormat(const ParaState& para, bool inList, int level) const {
    QTextBlockFormat bf;
    static constexpr Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                               Qt::AlignJustify};
    bf.setAlignment(kAlign[para.align & 3]);
    double left = para.left / kTwipsPerPixel;
    if (inList) {
        // The list draws its marker in its own indent; the rest is margin.
        left = std::max(0.0, left - doc_->indentWidth() * (level + 1));
    } else {
        left = std::max(0.0, left);
        bf.setTextIndent(std::max(para.first / kTwipsPerPixel, -left));
    }
    bf.setLeftMargin(left);
    bf.setRightMargin(std::max(0.0, para.right / kTwipsPerPixel));
    bf.setTopMargin(std::max(0.0, para.before / kTwipsPerPixel));
    bf.setBottomMargin(std::max(0.0, para.after / kTwipsPerPixel));
    if (para.line > 0 && para.lineMultiple)
        bf.setLineHeight(std::clamp(para.line * 100.0 / 240.0, 10.0, 1000.0),
                         QTextBlockFormat::ProportionalHeight);
    else if (para.line > 0)
        bf.setLineHeight(para.line / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else if (para.line < 0)
        bf.setLineHeight(-para.line / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    return bf;
}

// A list known only from the marker text a writer put before the paragraph
// ("1.", "a)", a bullet): numbered when it holds a number or a letter.
ListKey GuessList(const QString& marker) {
    ListKey key;
    key.kind = ListKind::Bullet;
    QString m = marker.simplified();
    m.remove(QLatin1Char(' '));
    qsizetype first = -1, last = -1;
    bool digits = false, upper = false;
    for (qsizetype i = 0; i < m.size(); ++i) {
        const char16_t c = m[i].unicode();
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (digit || letter) {
            if (first < 0)
                first = i;
            last = i;
            digits = digits || digit;
            upper = upper || (c >= 'A' && c <= 'Z');
        }
    }
    if (first < 0 || m.size() > 8)
        return key;
    key.kind = digits ? ListKind::Decimal : upper ? ListKind::UpperAlpha : ListKind::LowerAlpha;
    key.before = m.left(first);
    key.after = m.mid(last + 1);
    return key;
}

void Parser::EndParagraph() {
    if (paragraphs_ >= limits_.maxParagraphs) {
        Stop();
        return;
    }
    EmitParagraph(stack_.back().para, stack_.back().ch);
}

void Parser::EmitParagraph(const ParaState& para, const CharState& mark) {
    ListKey key;
    if (para.list != ListKind::None) {
        key.kind = para.list;
        key.level = para.level;
        if (key.kind != ListKind::Bullet) {
            key.before = para.listBefore;
            key.after = para.listAfter;
        }
    } else if (markerSeen_ || para.listId > 0) {
        key = GuessList(marker_);
        key.level = para.level;
    }
    const bool inList = key.kind != ListKind::None;
    const QTextBlockFormat bf = BlockFormat(para, inList, key.level);
    const QTextCharFormat markFormat = Format(mark);
    if (paragraphs_ == 0) {
        cursor_.setBlockFormat(bf);
        cursor_.setBlockCharFormat(markFormat);
    } else {
        cursor_.insertBlock(bf, markFormat);
    }
    ++paragraphs_;
    if (inList) {
        // A list at a level goes on after a deeper one ends; a deeper level
        // that ended starts afresh next time.
        const size_t level = size_t(std::clamp(key.level, 0, kMaxListLevel));
        for (size_t deeper = level + 1; deeper < lists_.size(); ++deeper)
            lists_[deeper] = nullptr;
        QTextList*& list = lists_[level];
        ListKey& listKey = listKeys_[level];
        if (list && listKey == key) {
            list->add(cursor_.block());
        } else {
            QTextListFormat lf;
            static constexpr QTextListFormat::Style kStyle[] = {
                QTextListFormat::ListDisc,       QTextListFormat::ListDisc,
                QTextListFormat::ListDecimal,    QTextListFormat::ListLowerAlpha,
                QTextListFormat::ListUpperAlpha, QTextListFormat::ListLowerRoman,
                QTextListFormat::ListUpperRoman};
            lf.setStyle(kStyle[int(key.kind)]);
            lf.setIndent(key.level + 1);
            if (key.kind != ListKind::Bullet) {
                lf.setNumberPrefix(key.before);
                lf.setNumberSuffix(key.after);
            }
            list = cursor_.createList(lf);
            listKey = key;
        }
    } else {
        lists_.fill(nullptr);
    }
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

} // namespace

bool RtfReader::Read(QByteArrayView rtf, QTextDocument* doc) {
    error_.clear();
    truncated_ = false;
    if (rtf.isEmpty()) {
        error_ = QStringLiteral("The document is empty");
        return false;
    }
    if (!LooksLikeRtf(rtf)) {
        error_ = QStringLiteral("Not an RTF document: it does not start with \"{\\rtf\"");
        return false;
    }
    qsizetype pos = 0;
    while (rtf[pos] != '{')
        ++pos;
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    doc->setIndentWidth(IndentStepUnits);
    Parser parser(limits_, doc);
    parser.Run(rtf, pos + 1);
    truncated_ = parser.truncated();
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
    return true;
}

} // namespace corvane
