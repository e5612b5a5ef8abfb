// Groups and destinations. A group starts with the state of the group around
// it; a destination word at its start says where its text goes (the font or
// colour table, a list marker, numbering text) or that it is dropped. The
// group stack is capped: deeper groups are counted and their content dropped.
#include "editor/rtfparser.h"

#include <utility>

namespace corvane::rtf {
namespace {

// Destinations whose content is never shown, whether or not they are marked
// with \*.
// clang-format off
constexpr std::string_view kSkipped[] = {
    "aftncn", "aftnsep", "aftnsepc", "annotation", "atnauthor", "atndate", "atnicn", "atnid",
    "atnref", "atntime", "author", "bkmkend", "bkmkstart", "blipuid", "buptim", "category",
    "colorschememapping", "comment", "company", "creatim", "datafield", "datastore", "do",
    "doccomm", "docvar", "falt", "filetbl", "fldinst", "footer", "footerf", "footerl",
    "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "generator", "header", "headerf",
    "headerl", "headerr", "hlinkbase", "info", "keywords", "latentstyles", "listoverridetable",
    "listtable", "manager", "mmathPr", "nonshppict", "objclass", "objdata", "objname",
    "operator", "panose", "pgdsctbl", "pict", "picprop", "pnseclvl", "printim", "private",
    "revtbl", "revtim", "rsidtbl", "rxe", "shp", "shpinst", "shppict", "sn", "sp", "stylesheet",
    "subject", "sv", "tc", "template", "themedata", "title", "txe", "userprops", "xe",
    "xmlnstbl",
};
// clang-format on

} // namespace

void Parser::OpenGroup() {
    leadByte_ = -1;
    ucSkip_ = 0;
    starPending_ = false;
    if (overflow_ > 0 || int(stack_.size()) >= limits_.maxDepth) {
        if (overflow_ == 0)
            truncated_ = true;
        ++overflow_;
        return;
    }
    stack_.push_back(stack_.back());
}

void Parser::CloseGroup() {
    leadByte_ = -1;
    ucSkip_ = 0;
    starPending_ = false;
    if (overflow_ > 0) {
        --overflow_;
        return;
    }
    Group closing = std::move(stack_.back());
    stack_.pop_back();
    if (stack_.empty()) {
        // The outermost group is closed: what follows (RichEdit ends its
        // streams with CR LF and a NUL) is not part of the document.
        stack_.push_back(std::move(closing));
        closed_ = true;
        done_ = true;
        return;
    }
    Group& parent = stack_.back();
    switch (closing.dest) {
    case Dest::FontTable:
        FinishFont();
        break;
    case Dest::Pn:
        if (parent.dest == Dest::Body)
            ApplyNumbering(closing.para, parent.para);
        break;
    case Dest::PnBefore:
        if (parent.dest == Dest::Pn)
            parent.para.listBefore = scratch_;
        break;
    case Dest::PnAfter:
        if (parent.dest == Dest::Pn)
            parent.para.listAfter = scratch_;
        break;
    default:
        break;
    }
}

// The words that open a destination. A word that opens one only inside
// another (\fname in the font table, \pntxtb in {\*\pn}) drops its group
// anywhere else.
void Parser::AddDestinationWords(ControlWords& t) {
    t.AddDestination("fonttbl", [](Parser&, const WordCall& w) { w.g.dest = Dest::FontTable; });
    t.AddDestination("colortbl", [](Parser& p, const WordCall& w) {
        w.g.dest = Dest::ColorTable;
        p.colors_.Begin();
    });
    t.AddDestination("fname", [](Parser&, const WordCall& w) {
        w.g.dest = w.g.dest == Dest::FontTable ? Dest::FontAltName : Dest::Skip;
    });
    for (std::string_view marker : {"pntext", "listtext"})
        t.AddDestination(marker, [](Parser& p, const WordCall& w) {
            if (w.g.dest != Dest::Body) {
                w.g.dest = Dest::Skip;
                return;
            }
            w.g.dest = Dest::Marker;
            p.markerSeen_ = true;
            p.marker_.clear();
        });
    t.AddDestination("pn", [](Parser&, const WordCall& w) {
        if (w.g.dest != Dest::Body) {
            w.g.dest = Dest::Skip;
            return;
        }
        ParaState& para = w.g.para;
        w.g.dest = Dest::Pn;
        para.pnBullet = para.pnNumbered = false;
        para.pnStyle = ListKind::None;
        para.pnLevel = 0;
        para.listBefore.clear();
        para.listAfter.clear();
    });
    t.AddDestination("pntxtb", [](Parser& p, const WordCall& w) {
        w.g.dest = w.g.dest == Dest::Pn ? Dest::PnBefore : Dest::Skip;
        if (w.g.dest == Dest::PnBefore)
            p.scratch_.clear();
    });
    t.AddDestination("pntxta", [](Parser& p, const WordCall& w) {
        w.g.dest = w.g.dest == Dest::Pn ? Dest::PnAfter : Dest::Skip;
        if (w.g.dest == Dest::PnAfter)
            p.scratch_.clear();
    });
    t.AddDestination("object", [](Parser&, const WordCall& w) {
        w.g.dest = w.g.dest == Dest::Body ? Dest::Object : Dest::Skip;
    });
    t.AddDestination("result", [](Parser&, const WordCall& w) {
        if (w.g.dest == Dest::Object)
            w.g.dest = Dest::Body;
    });
    for (std::string_view skipped : kSkipped)
        t.AddDestination(skipped, [](Parser&, const WordCall& w) { w.g.dest = Dest::Skip; });
}

} // namespace corvane::rtf
