#pragma once
// The document's tables: {\fonttbl} names each font number's family and
// character set (\fN \fcharsetN \cpgN, a name ended by ';', {\*\fname}), and
// {\colortbl} lists colours (\redN \greenN \blueN, each entry ended by ';').
#include <QColor>
#include <QString>

#include <climits>
#include <unordered_map>
#include <vector>

namespace corvane::rtf {

struct FontInfo {
    QString family;
    int codePage = 0; // 0: the document's code page
};

class FontTable {
public:
    // \fN inside the table starts an entry (the caller finishes the open one).
    void Start(int number);
    // The ';' or the end of the table: the open entry is stored. Returns
    // whether an entry was stored; past a limit of fonts new numbers are not.
    bool Finish();
    void SetCharset(int charset);
    void SetCodePage(int codePage);
    void AppendName(char16_t c);
    void AppendAltName(char16_t c);
    // The code page of the entry being read, 0 when it named none.
    int EntryCodePage() const;

    // The code page of a font, 0 for unknown fonts and fonts that name none.
    int CodePageOf(int number);
    const FontInfo* Find(int number) const;

private:
    std::unordered_map<int, FontInfo> fonts_;
    bool open_ = false;
    int number_ = 0;
    int charset_ = -1;
    int codePage_ = 0;
    QString name_, altName_;
    int cacheFont_ = INT_MIN;
    int cacheCodePage_ = 0;
};

class ColorTable {
public:
    // \colortbl: an entry that set no component is "automatic".
    void Begin() { set_ = false; }
    void SetRed(int v);
    void SetGreen(int v);
    void SetBlue(int v);
    // The ';' that ends an entry.
    void Finish();
    // The colour of an entry; invalid for "automatic" and numbers not listed.
    QColor At(int index) const;

private:
    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool set_ = false;
};

} // namespace corvane::rtf
