#pragma once
// The syntax of RTF: braces open and close groups; a backslash starts a
// control word (letters, then an optional signed number, then an optional
// space that belongs to the word), a control symbol (one other character), or
// \'hh (one byte in hex); everything else is a literal byte, except line ends,
// which mean nothing. \binN is followed by N raw bytes.
//
// Tokenize hands each piece to a sink, which decides what it means:
//
//   bool Done() const           the reading ends
//   bool Skipping() const       the text of the current group is dropped; the
//                               sink is then told only about braces and \bin
//   void OpenGroup() / CloseGroup()
//   void OnControlWord(std::string_view name, bool hasParam, int param)
//   void OnBinary()             a \bin with its bytes was passed over
//   void OnByte(unsigned char)  \'hh
//   void OnSymbol(unsigned char)
//   void OnLiteral(unsigned char)
#include <QByteArrayView>

#include <algorithm>
#include <atomic>
#include <climits>
#include <string_view>

namespace corvane::rtf {

inline constexpr int kMaxControlWord = 32;              // longer words are nobody's keywords
inline constexpr qsizetype kStopCheckBytes = 64 * 1024; // how often a stop request is looked at

inline bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
inline int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct WordToken {
    std::string_view name;
    bool hasParam = false;
    int param = 0;  // saturates at INT_MAX (or -INT_MAX); the digits are still consumed
    qsizetype next; // the first byte after the word and its delimiting space
};

// The control word whose first letter is at in[i].
inline WordToken ReadControlWord(QByteArrayView in, qsizetype i) {
    const char* p = in.data();
    const qsizetype n = in.size();
    const qsizetype start = i;
    while (i < n && IsLetter(static_cast<unsigned char>(p[i])))
        ++i;
    WordToken word;
    word.name = std::string_view(p + start, size_t(i - start));
    bool negative = false;
    qint64 value = 0;
    if (i + 1 < n && p[i] == '-' && IsDigit(static_cast<unsigned char>(p[i + 1]))) {
        negative = true;
        ++i;
    }
    while (i < n && IsDigit(static_cast<unsigned char>(p[i]))) {
        word.hasParam = true;
        if (value <= INT_MAX)
            value = value * 10 + (p[i] - '0');
        ++i;
    }
    if (i < n && p[i] == ' ')
        ++i;
    value = std::min<qint64>(value, INT_MAX);
    word.param = int(negative ? -value : value);
    word.next = i;
    return word;
}

// What follows the backslash at in[pos]; returns where the next piece starts.
template <class Sink> qsizetype ReadControl(QByteArrayView in, qsizetype pos, Sink& sink) {
    const char* p = in.data();
    const qsizetype n = in.size();
    const qsizetype i = pos + 1;
    if (i >= n)
        return n;
    const auto c = static_cast<unsigned char>(p[i]);
    if (IsLetter(c)) {
        const WordToken word = ReadControlWord(in, i);
        if (word.name == "bin") {
            // Raw bytes follow; they are skipped in every destination, or a
            // brace among them would end a group early.
            qsizetype next = word.next;
            if (word.hasParam && word.param > 0)
                next += std::min<qsizetype>(word.param, n - next);
            sink.OnBinary();
            return next;
        }
        if (sink.Skipping())
            return word.next;
        sink.OnControlWord(word.name.size() > size_t(kMaxControlWord) ? std::string_view()
                                                                      : word.name,
                           word.hasParam, word.param);
        return word.next;
    }
    if (c == '\'') {
        const int hi = i + 1 < n ? HexValue(static_cast<unsigned char>(p[i + 1])) : -1;
        const int lo = i + 2 < n ? HexValue(static_cast<unsigned char>(p[i + 2])) : -1;
        if (hi < 0 || lo < 0)
            return i + 1; // a broken escape is dropped
        if (!sink.Skipping())
            sink.OnByte(static_cast<unsigned char>(hi * 16 + lo));
        return i + 3;
    }
    if (sink.Skipping())
        return i + 1;
    if (c == '\r' || c == '\n')
        sink.OnControlWord("par", false, 0); // a backslash before a line end is \par
    else
        sink.OnSymbol(c);
    return i + 1;
}

// Reads in from in[pos] until the sink is done or the bytes end. When stop is
// set and turns true, the reading ends at the next check.
template <class Sink>
void Tokenize(QByteArrayView in, qsizetype pos, Sink& sink, const std::atomic<bool>* stop) {
    const char* p = in.data();
    const qsizetype n = in.size();
    qsizetype nextStopCheck = pos + kStopCheckBytes;
    while (pos < n && !sink.Done()) {
        if (pos >= nextStopCheck) {
            nextStopCheck = pos + kStopCheckBytes;
            if (stop && stop->load(std::memory_order_relaxed))
                break;
        }
        if (sink.Skipping()) {
            while (pos < n && p[pos] != '{' && p[pos] != '}' && p[pos] != '\\')
                ++pos;
            if (pos >= n)
                break;
        }
        const auto c = static_cast<unsigned char>(p[pos]);
        switch (c) {
        case '{':
            ++pos;
            sink.OpenGroup();
            break;
        case '}':
            ++pos;
            sink.CloseGroup();
            break;
        case '\\':
            pos = ReadControl(in, pos, sink);
            break;
        case '\r':
        case '\n':
            ++pos;
            break;
        default:
            ++pos;
            sink.OnLiteral(c);
            break;
        }
    }
}

} // namespace corvane::rtf
