// The reading loop and the text: which control word means what (through the
// table of words), and every character of the document on its way to the
// destination of its group.
#include "editor/rtfparser.h"

#include "editor/rtftokenizer.h"

#include <algorithm>

namespace corvane::rtf {
namespace {

constexpr int kMaxUcSkip = 16;
constexpr int kMaxMarkerChars = 32;

} // namespace

void Parser::Run(QByteArrayView in, qsizetype pos) {
    stack_.reserve(64);
    stack_.push_back(Group{});
    cursor_.beginEditBlock();
    Tokenize(in, pos, *this, limits_.stop);
    if (!closed_)
        truncated_ = true;
    // A paragraph that no \par ended is the document's last.
    if (!runs_.empty() && paragraphs_ < limits_.maxParagraphs && !stack_.empty())
        EmitParagraph(stack_.back().para, stack_.back().ch);
    cursor_.endEditBlock();
}

const ControlWords& Parser::Words() {
    static const ControlWords words = [] {
        ControlWords t;
        AddDocumentWords(t);
        AddTextWords(t);
        AddDestinationWords(t);
        AddCharacterWords(t);
        AddParagraphWords(t);
        AddListWords(t);
        AddTableWords(t);
        return t;
    }();
    return words;
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
    const ControlWords::Entry* word = Words().Find(name);
    const bool starred = starPending_;
    starPending_ = false;
    if (!word || (starred && !word->destination)) {
        // Unknown words are ignored; a \* before a word that opens no
        // destination of ours makes the group skipped whole.
        if (starred)
            g.dest = Dest::Skip;
        return;
    }
    word->handle(*this, WordCall{g, hasParam, param});
}

void Parser::OnBinary() {
    // The bytes of a \bin stand for one character of a \u fallback.
    if (ucSkip_ > 0)
        --ucSkip_;
}

// The document's code page, the default font, and Unicode characters.
void Parser::AddDocumentWords(ControlWords& t) {
    t.Add("ansi", [](Parser& p, const WordCall&) { p.docCodePage_ = 1252; });
    t.Add("mac", [](Parser& p, const WordCall&) { p.docCodePage_ = 10000; });
    t.Add("pc", [](Parser& p, const WordCall&) { p.docCodePage_ = 437; });
    t.Add("pca", [](Parser& p, const WordCall&) { p.docCodePage_ = 850; });
    t.Add("ansicpg", [](Parser& p, const WordCall& w) {
        if (w.param > 0 && w.param < 100000)
            p.docCodePage_ = w.param;
    });
    t.Add("deff", [](Parser& p, const WordCall& w) { p.defaultFont_ = w.param; });
    t.Add("uc", [](Parser&, const WordCall& w) { w.g.uc = std::clamp(w.param, 0, kMaxUcSkip); });
    t.Add("u", [](Parser& p, const WordCall& w) { p.OnUnicode(w.param); });
}

// Paragraph ends, and the words that stand for one character.
void Parser::AddTextWords(ControlWords& t) {
    // A table's rows and cells are paragraphs and tabs here.
    for (std::string_view par : {"par", "sect", "page", "row", "nestrow"})
        t.Add(par, [](Parser& p, const WordCall& w) {
            if (w.g.dest == Dest::Body)
                p.EndParagraph();
        });
    t.Add("line", &PutWord<0x2028>);
    t.Add("tab", &PutWord<u'\t'>);
    t.Add("cell", &PutWord<u'\t'>);
    t.Add("nestcell", &PutWord<u'\t'>);
    t.Add("emdash", &PutWord<0x2014>);
    t.Add("endash", &PutWord<0x2013>);
    t.Add("emspace", &PutWord<0x2003>);
    t.Add("enspace", &PutWord<0x2002>);
    t.Add("qmspace", &PutWord<0x2005>);
    t.Add("bullet", &PutWord<0x2022>);
    t.Add("lquote", &PutWord<0x2018>);
    t.Add("rquote", &PutWord<0x2019>);
    t.Add("ldblquote", &PutWord<0x201C>);
    t.Add("rdblquote", &PutWord<0x201D>);
    t.Add("zwj", &PutWord<0x200D>);
    t.Add("zwnj", &PutWord<0x200C>);
    t.Add("ltrmark", &PutWord<0x200E>);
    t.Add("rtlmark", &PutWord<0x200F>);
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
    if (IsDoubleByteCodePage(cp)) {
        if (leadByte_ >= 0) {
            const QString s = decoder_.DecodePair(cp, static_cast<unsigned char>(leadByte_), b);
            leadByte_ = -1;
            for (QChar ch : s)
                PutChar(ch.unicode());
            return;
        }
        if (CodePageDecoder::IsLeadByte(cp, b)) {
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

// The code page of a \'hh byte: the font's in the font table, else the font
// in use, else the document's.
int Parser::CurrentCodePage() {
    const Group& g = stack_.back();
    if (g.dest == Dest::FontTable || g.dest == Dest::FontAltName) {
        const int cp = fonts_.EntryCodePage();
        return cp > 0 ? cp : docCodePage_;
    }
    const int cp = fonts_.CodePageOf(g.ch.font < 0 ? defaultFont_ : g.ch.font);
    return cp > 0 ? cp : docCodePage_;
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
        fonts_.AppendName(c);
        break;
    case Dest::FontAltName:
        fonts_.AppendAltName(c);
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

} // namespace corvane::rtf
