#include "editor/rtflists.h"

#include "editor/rtfparser.h"

#include <QTextCursor>
#include <QTextList>

#include <algorithm>

namespace corvane::rtf {
namespace {

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

} // namespace

ListKey ListOf(const ParaState& para, bool markerSeen, const QString& marker) {
    ListKey key;
    if (para.list != ListKind::None) {
        key.kind = para.list;
        key.level = para.level;
        if (key.kind != ListKind::Bullet) {
            key.before = para.listBefore;
            key.after = para.listAfter;
        }
    } else if (markerSeen || para.listId > 0) {
        key = GuessList(marker);
        key.level = para.level;
    }
    return key;
}

void ApplyNumbering(const ParaState& pn, ParaState& para) {
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
        para.level = pn.pnLevel - 1;
    para.list = kind;
    para.listBefore = pn.listBefore;
    para.listAfter = pn.listAfter;
}

void ListMaker::Place(QTextCursor& cursor, const ListKey& key) {
    // A list at a level goes on after a deeper one ends; a deeper level
    // that ended starts afresh next time.
    const size_t level = size_t(std::clamp(key.level, 0, kMaxListLevel));
    for (size_t deeper = level + 1; deeper < lists_.size(); ++deeper)
        lists_[deeper] = nullptr;
    QTextList*& list = lists_[level];
    ListKey& listKey = keys_[level];
    if (list && listKey == key) {
        list->add(cursor.block());
        return;
    }
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
    list = cursor.createList(lf);
    listKey = key;
}

// The words inside {\*\pn}, and the list table references of a paragraph.
void Parser::AddListWords(ControlWords& t) {
    t.Add("pnlvlblt", [](Parser&, const WordCall& w) { w.g.para.pnBullet = true; });
    t.Add("pnlvlbody", [](Parser&, const WordCall& w) { w.g.para.pnNumbered = true; });
    // A level of its own; without a numbering style it is a bulleted one.
    t.Add("pnlvl", [](Parser&, const WordCall& w) {
        w.g.para.pnLevel = std::clamp(w.param, 1, kMaxListLevel + 1);
    });
    t.Add("pnlvlcont", [](Parser&, const WordCall& w) {
        w.g.para.pnBullet = w.g.para.pnNumbered = false;
        w.g.para.pnStyle = ListKind::None;
    });
    t.Add("pndec", [](Parser&, const WordCall& w) { w.g.para.pnStyle = ListKind::Decimal; });
    t.Add("pnlcltr", [](Parser&, const WordCall& w) { w.g.para.pnStyle = ListKind::LowerAlpha; });
    t.Add("pnucltr", [](Parser&, const WordCall& w) { w.g.para.pnStyle = ListKind::UpperAlpha; });
    t.Add("pnlcrm", [](Parser&, const WordCall& w) { w.g.para.pnStyle = ListKind::LowerRoman; });
    t.Add("pnucrm", [](Parser&, const WordCall& w) { w.g.para.pnStyle = ListKind::UpperRoman; });
    t.Add("ls", [](Parser&, const WordCall& w) { w.g.para.listId = std::max(w.param, 0); });
    t.Add("ilvl", [](Parser&, const WordCall& w) {
        w.g.para.level = std::clamp(w.param, 0, kMaxListLevel);
    });
}

} // namespace corvane::rtf
