#include "editor/rtfcodepage.h"

#include "common/ansicodec.h"

namespace corvane::rtf {
namespace {

// Unicode of the bytes 0x80..0xFF; bytes a code page leaves unassigned map to
// the C1 control of the same value.
constexpr std::array<char16_t, 128> kCp1250 = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, //
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, //
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, //
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, //
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, //
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, //
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, //
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, //
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, //
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, //
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, //
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, //
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, //
};

// 0x80..0x9F of Windows-1252; 0xA0..0xFF are Latin-1.
constexpr std::array<char16_t, 32> kCp1252Low = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

std::array<char16_t, 128> Cp1252() {
    std::array<char16_t, 128> t{};
    for (int i = 0; i < 128; ++i)
        t[i] = i < 32 ? kCp1252Low[i] : char16_t(0x80 + i);
    return t;
}

std::array<char16_t, 128> Cp1251() {
    std::array<char16_t, 128> t{};
    char bytes[128];
    for (int i = 0; i < 128; ++i)
        bytes[i] = char(0x80 + i);
    const QString s = FromAnsi(QByteArrayView(bytes, 128));
    for (int i = 0; i < 128; ++i)
        t[i] = s[i].unicode();
    return t;
}

// The Symbol font's bullet is the only one of its glyphs that RTF writers put
// into documents as text (list markers); the rest is read as Windows-1252.
std::array<char16_t, 128> Symbol() {
    std::array<char16_t, 128> t = Cp1252();
    t[0xB7 - 0x80] = 0x2022;
    return t;
}

QByteArray CodecName(int codePage) {
    switch (codePage) {
    case 10000:
        return "macintosh";
    case 1361:
        return "johab";
    default:
        return "cp" + QByteArray::number(codePage);
    }
}

} // namespace

int CodePageOfCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return SymbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

bool IsDoubleByteCodePage(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 1361;
}

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

const CodePageDecoder::Table& CodePageDecoder::TableFor(int codePage) {
    if (codePage == lastCodePage_)
        return *lastTable_;
    auto it = tables_.find(codePage);
    if (it == tables_.end()) {
        auto table = std::make_unique<Table>();
        switch (codePage) {
        case 1250:
            *table = kCp1250;
            break;
        case 1251:
            *table = Cp1251();
            break;
        case SymbolCodePage:
            *table = Symbol();
            break;
        default: {
            *table = Cp1252();
            if (codePage == 1252 || IsDoubleByteCodePage(codePage))
                break;
            QStringDecoder decoder(CodecName(codePage).constData(),
                                   QStringConverter::Flag::Stateless);
            if (!decoder.isValid())
                break;
            for (int i = 0; i < 128; ++i) {
                const char byte = char(0x80 + i);
                const QString s = decoder(QByteArrayView(&byte, 1));
                if (s.size() == 1 && s[0] != QChar::ReplacementCharacter)
                    (*table)[i] = s[0].unicode();
            }
        }
        }
        it = tables_.emplace(codePage, std::move(table)).first;
    }
    lastCodePage_ = codePage;
    lastTable_ = it->second.get();
    return *lastTable_;
}

char16_t CodePageDecoder::DecodeByte(int codePage, unsigned char byte) {
    if (byte < 0x80)
        return byte;
    return TableFor(codePage)[byte - 0x80];
}

bool CodePageDecoder::IsLeadByte(int codePage, unsigned char byte) {
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    case 1361:
        return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xF9);
    default:
        return false;
    }
}

QString CodePageDecoder::DecodePair(int codePage, unsigned char lead, unsigned char trail) {
    auto it = pairDecoders_.find(codePage);
    if (it == pairDecoders_.end())
        it = pairDecoders_
                 .emplace(codePage,
                          std::make_unique<QStringDecoder>(CodecName(codePage).constData(),
                                                           QStringConverter::Flag::Stateless))
                 .first;
    QStringDecoder& decoder = *it->second;
    if (!decoder.isValid())
        return {};
    const char pair[2] = {char(lead), char(trail)};
    QString s = decoder(QByteArrayView(pair, 2));
    if (s.isEmpty() || s.contains(QChar::ReplacementCharacter))
        return {};
    return s;
}

} // namespace corvane::rtf
