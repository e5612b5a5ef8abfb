#include "editor/rtftables.h"

#include "editor/rtfcodepage.h"
#include "editor/rtfparser.h"

#include <QLatin1String>

#include <algorithm>

namespace corvane::rtf {
namespace {

constexpr std::size_t kMaxFonts = 4096;
constexpr int kMaxColors = 4096;
constexpr int kMaxNameChars = 256;

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

} // namespace

void FontTable::Start(int number) {
    open_ = true;
    number_ = number;
    charset_ = -1;
    codePage_ = 0;
    name_.clear();
    altName_.clear();
}

bool FontTable::Finish() {
    if (!open_)
        return false;
    open_ = false;
    if (fonts_.size() >= kMaxFonts && !fonts_.count(number_))
        return false;
    FontInfo info;
    info.family = altName_.trimmed().isEmpty() ? FaceName(name_) : altName_.trimmed();
    info.codePage = codePage_ > 0 ? codePage_ : CodePageOfCharset(charset_);
    fonts_[number_] = info;
    cacheFont_ = INT_MIN;
    return true;
}

void FontTable::SetCharset(int charset) {
    if (open_)
        charset_ = charset;
}

void FontTable::SetCodePage(int codePage) {
    if (open_ && codePage > 0 && codePage < 100000)
        codePage_ = codePage;
}

void FontTable::AppendName(char16_t c) {
    if (open_ && name_.size() < kMaxNameChars && c >= 0x20)
        name_.append(QChar(c));
}

void FontTable::AppendAltName(char16_t c) {
    if (open_ && altName_.size() < kMaxNameChars && c >= 0x20)
        altName_.append(QChar(c));
}

int FontTable::EntryCodePage() const {
    return codePage_ > 0 ? codePage_ : CodePageOfCharset(charset_);
}

int FontTable::CodePageOf(int number) {
    if (number != cacheFont_) {
        auto it = fonts_.find(number);
        cacheCodePage_ = it == fonts_.end() ? 0 : it->second.codePage;
        cacheFont_ = number;
    }
    return cacheCodePage_;
}

const FontInfo* FontTable::Find(int number) const {
    auto it = fonts_.find(number);
    return it == fonts_.end() ? nullptr : &it->second;
}

void ColorTable::SetRed(int v) {
    red_ = std::clamp(v, 0, 255);
    set_ = true;
}

void ColorTable::SetGreen(int v) {
    green_ = std::clamp(v, 0, 255);
    set_ = true;
}

void ColorTable::SetBlue(int v) {
    blue_ = std::clamp(v, 0, 255);
    set_ = true;
}

void ColorTable::Finish() {
    if (int(colors_.size()) < kMaxColors)
        colors_.push_back(set_ ? QColor(red_, green_, blue_) : QColor());
    red_ = green_ = blue_ = 0;
    set_ = false;
}

QColor ColorTable::At(int index) const {
    if (index < 0 || index >= int(colors_.size()))
        return {};
    return colors_[size_t(index)];
}

// \fcharset and \cpg of a font table entry, and the components of a colour.
void Parser::AddTableWords(ControlWords& t) {
    t.Add("fcharset", [](Parser& p, const WordCall& w) { p.fonts_.SetCharset(w.param); });
    t.Add("cpg", [](Parser& p, const WordCall& w) { p.fonts_.SetCodePage(w.param); });
    t.Add("red", [](Parser& p, const WordCall& w) { p.colors_.SetRed(w.param); });
    t.Add("green", [](Parser& p, const WordCall& w) { p.colors_.SetGreen(w.param); });
    t.Add("blue", [](Parser& p, const WordCall& w) { p.colors_.SetBlue(w.param); });
}

// A font or colour stored changes what the formats made so far would be.
void Parser::StartFont(int number) {
    FinishFont();
    fonts_.Start(number);
}

void Parser::FinishFont() {
    if (fonts_.Finish())
        formats_.clear();
}

void Parser::FinishColor() {
    colors_.Finish();
    formats_.clear();
}

} // namespace corvane::rtf
