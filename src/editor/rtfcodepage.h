#pragma once
// Code pages of RTF text. An RTF document names its ANSI code page in the
// header (\ansicpgN, or \ansi \mac \pc \pca) and each font names a character
// set (\fcharsetN); a \'hh byte is decoded with the code page of the font in
// use, falling back to the document's. Windows-1250/1251/1252 and the Symbol
// font are built in; other code pages are looked up in the platform's codecs
// once and cached.
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <array>
#include <memory>
#include <unordered_map>

namespace corvane::rtf {

// Windows' pseudo code page of the Symbol character set (\fcharset2).
inline constexpr int SymbolCodePage = 42;

// The code page of a font character set, or 0 for "the document's code page"
// (DEFAULT_CHARSET 1 and unknown sets).
int CodePageOfCharset(int charset);

// Whether a code page uses two-byte characters (932, 936, 949, 950, 1361).
bool IsDoubleByteCodePage(int codePage);

class CodePageDecoder {
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    // One byte of a single-byte code page. Unknown code pages decode as 1252.
    char16_t DecodeByte(int codePage, unsigned char byte);
    // A lead and trail byte of a double-byte code page; an empty string when
    // the pair is not a character.
    QString DecodePair(int codePage, unsigned char lead, unsigned char trail);
    // Whether a byte starts a two-byte character in that code page.
    static bool IsLeadByte(int codePage, unsigned char byte);

private:
    using Table = std::array<char16_t, 128>;
    const Table& TableFor(int codePage);
    std::unordered_map<int, std::unique_ptr<Table>> tables_;
    std::unordered_map<int, std::unique_ptr<QStringDecoder>> pairDecoders_;
    int lastCodePage_ = -1;
    const Table* lastTable_ = nullptr;
};

} // namespace corvane::rtf
