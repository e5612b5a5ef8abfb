#include "settings/inidocument.h"

#include <QStringDecoder>
#include <algorithm>
#include <iterator>
#include <utility>

namespace corvane {
namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

int DigitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

QString Folded(const QString& name) {
    return name.toCaseFolded();
}

// Appends the character of a hex or octal escape whose digits start at i;
// returns the index of its last digit.
qsizetype NumericEscape(QStringView raw, qsizetype i, int base, QString& out) {
    char32_t value = 0;
    qsizetype j = i;
    for (; j < raw.size() && DigitValue(raw[j], base) >= 0; ++j)
        if (value <= 0x10FFFF)
            value = value * char32_t(base) + char32_t(DigitValue(raw[j], base));
    if (j == i)
        return i - 1; // "\x" without digits stands for nothing
    const bool valid = value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    out += QString::fromUcs4(valid ? &value : U"\uFFFD", 1);
    return j - 1;
}

// The one-letter escapes: the letter and the character it stands for.
constexpr std::pair<char16_t, char16_t> LetterEscapes[] = {
    {u'a', u'\a'}, {u'b', u'\b'}, {u'f', u'\f'}, {u'n', u'\n'},
    {u'r', u'\r'}, {u't', u'\t'}, {u'v', u'\v'},
};

// Appends what the escape at raw[i] (a backslash) stands for; returns the
// index of its last character.
qsizetype Unescape(QStringView raw, qsizetype i, QString& out) {
    if (i + 1 >= raw.size())
        return i; // a backslash at the end stands for nothing
    const QChar e = raw[i + 1];
    if (e == u'x')
        return NumericEscape(raw, i + 2, 16, out);
    if (DigitValue(e, 8) >= 0)
        return NumericEscape(raw, i + 1, 8, out);
    for (const auto& [letter, character] : LetterEscapes)
        if (e == letter) {
            out += QChar(character);
            return i + 1;
        }
    out += e; // \" \' \? \\ and any other character stand for themselves
    return i + 1;
}

bool EndsInOddBackslashes(const QString& text) {
    qsizetype n = 0;
    while (n < text.size() && text[text.size() - 1 - n] == u'\\')
        ++n;
    return n % 2 == 1;
}

// The lines of a text; a line ends at LF, CR LF or CR.
class Lines {
public:
    explicit Lines(QStringView text) : text_(text) {}
    std::optional<QStringView> Next() {
        if (pos_ >= text_.size())
            return std::nullopt;
        qsizetype end = pos_;
        while (end < text_.size() && text_[end] != u'\n' && text_[end] != u'\r')
            ++end;
        const QStringView line = text_.sliced(pos_, end - pos_);
        pos_ = end;
        if (pos_ < text_.size())
            pos_ += (text_[pos_] == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n')
                        ? 2
                        : 1;
        ++number_;
        return line;
    }
    int Number() const { return number_; }

private:
    QStringView text_;
    qsizetype pos_ = 0;
    int number_ = 0;
};

// Without blanks, line ends and byte-order marks at either end.
QStringView Trimmed(QStringView text) {
    auto blank = [](QChar c) { return c.isSpace() || c == QChar(0xFEFF); };
    while (!text.isEmpty() && blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

bool IsComment(QStringView trimmed) {
    return trimmed.isEmpty() || trimmed[0] == u';' || trimmed[0] == u'#';
}

} // namespace

std::optional<IniDocument> IniDocument::Parse(QByteArrayView bytes, IniDamage* damage) {
    IniDamage local;
    IniDamage& d = damage ? *damage : local;
    d = {};
    d.size = bytes.size();
    if (bytes.size() > MaxSettingsFileBytes) {
        d.kind = IniDamage::Kind::TooLarge;
        return std::nullopt;
    }
    for (const char c : bytes)
        if (uchar(c) < 0x20 && c != '\t' && c != '\r' && c != '\n') {
            d.kind = IniDamage::Kind::NotText;
            return std::nullopt;
        }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        d.kind = IniDamage::Kind::NotText;
        return std::nullopt;
    }

    IniDocument doc;
    int current = -1; // values before any section belong to the top
    Lines lines(text);
    while (const auto line = lines.Next()) {
        const QStringView t = Trimmed(*line);
        if (IsComment(t))
            continue;
        d.line = lines.Number();
        if (t[0] == u'[') {
            const qsizetype close = t.indexOf(u']');
            if (close < 0) {
                d.kind = IniDamage::Kind::OpenSection;
                return std::nullopt;
            }
            if (!IsComment(Trimmed(t.sliced(close + 1)))) {
                d.kind = IniDamage::Kind::StrayLine;
                return std::nullopt;
            }
            const QString header = t.sliced(1, close - 1).toString();
            const QString name = DecodeName(header);
            current = doc.Add(header, name);
            continue;
        }
        const qsizetype eq = line->indexOf(u'=');
        const QString key = eq < 0 ? QString() : Trimmed(line->first(eq)).toString();
        if (key.isEmpty()) {
            d.kind = IniDamage::Kind::StrayLine;
            return std::nullopt;
        }
        QString raw = line->sliced(eq + 1).toString();
        while (EndsInOddBackslashes(raw)) {
            raw.chop(1);
            const auto more = lines.Next();
            if (!more)
                break;
            raw += *more;
        }
        if (current < 0)
            current = doc.Add(QString(), QString());
        Put(doc.sections_[size_t(current)], {key, DecodeName(key), raw});
    }
    d = {};
    return doc;
}

int IniDocument::Add(const QString& header, const QString& name) {
    const QString folded = Folded(name);
    if (const auto found = byName_.constFind(folded); found != byName_.cend())
        return *found;
    if (name.isEmpty()) { // the values before any header come first
        sections_.insert(sections_.begin(), {header, name, {}, {}});
        Reindex();
        return 0;
    }
    const int i = int(sections_.size());
    byName_.insert(folded, i);
    sections_.push_back({header, name, {}, {}});
    return i;
}

IniDocument::Section* IniDocument::Find(const QString& section) {
    const int i = byName_.value(Folded(section), -1);
    return i < 0 ? nullptr : &sections_[size_t(i)];
}

const IniDocument::Section* IniDocument::Find(const QString& section) const {
    const int i = byName_.value(Folded(section), -1);
    return i < 0 ? nullptr : &sections_[size_t(i)];
}

void IniDocument::Put(Section& section, Entry entry) {
    const QString folded = Folded(entry.name);
    const int i = section.byName.value(folded, -1);
    if (i >= 0) {
        section.entries[size_t(i)] = std::move(entry); // the later one counts
        return;
    }
    section.byName.insert(folded, int(section.entries.size()));
    section.entries.push_back(std::move(entry));
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& name) const {
    const Section* s = Find(section);
    const int i = s ? s->byName.value(Folded(name), -1) : -1;
    if (i < 0)
        return std::nullopt;
    return DecodeValue(s->entries[size_t(i)].raw);
}

void IniDocument::SetValue(const QString& section, const QString& name, const QString& text) {
    Section& s = sections_[size_t(Add(EncodeName(section), section))];
    if (s.name != section) { // the program's spelling from now on
        s.name = section;
        s.header = EncodeName(section);
    }
    Put(s, {EncodeName(name), name, EncodeValue(text)});
}

void IniDocument::RemoveSection(const QString& section) {
    const int i = byName_.value(Folded(section), -1);
    if (i < 0)
        return;
    sections_.erase(sections_.begin() + i);
    Reindex();
}

void IniDocument::Reindex() {
    byName_.clear();
    for (size_t k = 0; k < sections_.size(); ++k)
        byName_.insert(Folded(sections_[k].name), int(k));
}

QByteArray IniDocument::Render() const {
    QString out;
    auto values = [&out](const Section& s) {
        for (const Entry& e : s.entries)
            out += e.key + u'=' + e.raw + u'\n';
    };
    for (const Section& s : sections_) {
        if (s.name.isEmpty()) { // first, without a header
            values(s);
            continue;
        }
        if (!out.isEmpty())
            out += u'\n';
        out += u'[' + s.header + QStringLiteral("]\n");
        values(s);
    }
    return out.toUtf8();
}

QStringList IniDocument::Sections() const {
    QStringList out;
    for (const Section& s : sections_)
        if (!s.name.isEmpty() || !s.entries.empty()) // "[]" alone holds nothing
            out.append(s.name);
    return out;
}

QStringList IniDocument::Names(const QString& section) const {
    QStringList out;
    if (const Section* s = Find(section))
        for (const Entry& e : s->entries)
            out.append(e.name);
    return out;
}

QString IniDocument::DecodeValue(QStringView raw) {
    QStringList parts;
    QString part;
    qsizetype kept = 0; // characters of the part that are not trimmed away
    bool quoted = false;
    auto finish = [&] {
        qsizetype end = part.size();
        while (end > kept && IsBlank(part[end - 1]))
            --end;
        parts.append(part.first(end));
        part.clear();
        kept = 0;
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == u'\\') {
            i = Unescape(raw, i, part);
            kept = part.size();
        } else if (quoted || c == u'"') {
            if (c == u'"')
                quoted = !quoted;
            else
                part += c;
            kept = part.size();
        } else if (c == u';') {
            break; // a comment
        } else if (c == u',') {
            finish();
        } else if (!IsBlank(c) || !part.isEmpty()) {
            part += c;
        }
    }
    finish();
    QString text = parts.join(QStringLiteral(", "));
    if (parts.size() == 1 && text.startsWith(u'@')) {
        if (text.startsWith(QStringLiteral("@@")))
            text.remove(0, 1);
        else if (text.startsWith(QStringLiteral("@ByteArray(")) && text.endsWith(u')'))
            text = text.sliced(11).chopped(1);
        else if (text.startsWith(QStringLiteral("@String(")) && text.endsWith(u')'))
            text = text.sliced(8).chopped(1); // how a text with a NUL was written
        else if (text.startsWith(QStringLiteral("@Variant(")) ||
                 text == QStringLiteral("@Invalid()"))
            text.clear(); // a value of another kind has no text
    }
    return text;
}

QString IniDocument::EncodeValue(const QString& text) {
    QString out;
    if (text.startsWith(u'@'))
        out += u'@';
    bool needsQuotes = false;
    bool escapeNextIfDigit = false; // after \0 and \x.., a digit would continue it
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u';' || u == u',' || u == u'=')
            needsQuotes = true;
        if (escapeNextIfDigit && DigitValue(c, 16) >= 0) {
            out += QStringLiteral("\\x") + QString::number(u, 16);
            continue;
        }
        escapeNextIfDigit = false;
        const auto letter = std::find_if(std::begin(LetterEscapes), std::end(LetterEscapes),
                                         [u](const auto& e) { return e.second == u; });
        if (letter != std::end(LetterEscapes)) {
            out += u'\\';
            out += QChar(letter->first);
        } else if (u == u'"' || u == u'\\') {
            out += u'\\';
            out += c;
        } else if (u <= 0x1F) {
            out += u == 0 ? QStringLiteral("\\0") : QStringLiteral("\\x") + QString::number(u, 16);
            escapeNextIfDigit = true;
        } else {
            out += c;
        }
    }
    if (needsQuotes || out.startsWith(u' ') || out.endsWith(u' '))
        return u'"' + out + u'"';
    return out;
}

QString IniDocument::DecodeName(QStringView raw) {
    const QStringView t = Trimmed(raw);
    QString out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        auto hex = [&](qsizetype from, int n) {
            int v = 0;
            for (int k = 0; k < n; ++k) {
                const int d = from + k < t.size() ? DigitValue(t[from + k], 16) : -1;
                if (d < 0)
                    return -1;
                v = v * 16 + d;
            }
            return v;
        };
        int v = -1;
        if (t[i] == u'%' && i + 1 < t.size() && t[i + 1] == u'U' && (v = hex(i + 2, 4)) >= 0) {
            out += QChar(char16_t(v));
            i += 5;
        } else if (t[i] == u'%' && (v = hex(i + 1, 2)) >= 0) {
            out += QChar(char16_t(v));
            i += 2;
        } else {
            out += t[i] == u'\\' ? QChar(u'/') : t[i];
        }
    }
    return out;
}

QString IniDocument::EncodeName(const QString& name) {
    QString out;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
            u == u'_' || u == u'-' || u == u'.')
            out += c;
        else if (u <= 0xFF)
            out += QStringLiteral("%%1").arg(int(u), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QStringLiteral("%U%1").arg(int(u), 4, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

} // namespace corvane
