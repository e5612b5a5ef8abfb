#pragma once
// What an RTF group carries: where its text goes (the destination), the
// character and paragraph properties in force, and \uc. Opening a group copies
// the enclosing one's; closing it brings the enclosing one's back.
#include <QHash>
#include <QString>
#include <QtGlobal>

namespace corvane::rtf {

inline constexpr int kMaxListLevel = 8;

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

inline size_t qHash(const CharState& c, size_t seed = 0) {
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

} // namespace corvane::rtf
