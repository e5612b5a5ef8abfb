#pragma once
// Lists. Old-style numbering says in {\*\pn ...} what list a paragraph is in
// (\pnlvlblt, \pnlvlbody, \pnlvlN with \pndec and the other styles, text
// before and after the number in {\pntxtb} {\pntxta}); newer writers put a
// list table reference (\lsN \ilvlN) and a {\listtext} marker, from which the
// list is guessed. Paragraphs of one list become one QTextList; a list at a
// level goes on numbering after a list inside it ends.
#include "editor/rtfstate.h"

#include <QString>

#include <array>

class QTextCursor;
class QTextList;

namespace corvane::rtf {

struct ListKey {
    ListKind kind = ListKind::None;
    int level = 0;
    QString before, after;
    bool operator==(const ListKey&) const = default;
};

// The list a paragraph belongs to; kind None when it is in none. marker is
// the text of its {\pntext} or {\listtext}, when markerSeen.
ListKey ListOf(const ParaState& para, bool markerSeen, const QString& marker);

// A {\*\pn} group that closed: its numbering becomes the paragraph's list.
void ApplyNumbering(const ParaState& pn, ParaState& para);

// The lists open at each level while the paragraphs are written.
class ListMaker {
public:
    // Puts the cursor's block into the list of key, opening one when needed.
    void Place(QTextCursor& cursor, const ListKey& key);
    // A paragraph outside lists ends every list.
    void EndAll() { lists_.fill(nullptr); }

private:
    // The list open at each level, outermost first.
    std::array<QTextList*, kMaxListLevel + 1> lists_{};
    std::array<ListKey, kMaxListLevel + 1> keys_{};
};

} // namespace corvane::rtf
