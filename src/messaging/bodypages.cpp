#include "messaging/bodypages.h"

#include "editor/messagebody.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <map>

namespace corvane {
namespace {

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load(std::memory_order_relaxed);
}

bool Breakable(QChar c) {
    return c.isSpace() && c != QChar::Nbsp;
}

// Our formats: the document's, each once, those of paragraphs without their
// list (a page makes lists of its own).
class FormatTable {
public:
    FormatTable(const QTextDocument& doc, std::vector<QTextFormat>& out)
        : all_(doc.allFormats()), out_(out) {}
    int Index(int docIndex, bool block) {
        const int key = docIndex * 2 + (block ? 1 : 0);
        const auto found = seen_.constFind(key);
        if (found != seen_.constEnd())
            return *found;
        QTextFormat format = all_.value(docIndex);
        if (block)
            format.clearProperty(QTextFormat::ObjectIndex);
        out_.push_back(format);
        seen_.insert(key, int(out_.size()) - 1);
        return int(out_.size()) - 1;
    }

private:
    const QList<QTextFormat> all_;
    std::vector<QTextFormat>& out_;
    QHash<int, int> seen_;
};

// Whether the text holds a run of more than BodyPages::LongWord characters
// without a blank or a line end.
bool HasLongWord(QStringView text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        if (Breakable(c))
            run = 0;
        else if (++run > BodyPages::LongWord)
            return true;
    }
    return false;
}

} // namespace

std::shared_ptr<const BodyPages> BodyPages::Prepare(const QByteArray& body,
                                                    const PageLimits& limits,
                                                    const std::atomic<bool>* stop) {
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    LoadMessageBody(&doc, body, stop);
    if (Stopped(stop))
        return nullptr;
    return FromDocument(doc, limits, stop);
}

std::shared_ptr<const BodyPages> BodyPages::FromDocument(const QTextDocument& doc,
                                                         const PageLimits& limits,
                                                         const std::atomic<bool>* stop) {
    std::shared_ptr<BodyPages> pages(new BodyPages);
    bool stopped = false;
    pages->ReadParagraphs(doc, stop, stopped);
    if (stopped)
        return nullptr;
    pages->CutPages(limits);
    return pages;
}

void BodyPages::ReadParagraphs(const QTextDocument& doc, const std::atomic<bool>* stop,
                               bool& stopped) {
    FormatTable formats(doc, formats_);
    QHash<const QTextList*, int> listIds;
    std::vector<int> items; // per list, the items so far
    text_.reserve(doc.characterCount());
    int n = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if ((++n & 255) == 0 && Stopped(stop)) {
            stopped = true;
            return;
        }
        Paragraph p{text_.size(), 0, formats.Index(block.blockFormatIndex(), true),
                    formats.Index(block.charFormatIndex(), false)};
        if (const QTextList* list = block.textList()) {
            auto id = listIds.constFind(list);
            if (id == listIds.constEnd()) {
                id = listIds.insert(list, int(lists_.size()));
                lists_.push_back(list->format());
                items.push_back(0);
            }
            p.list = *id;
            p.item = items[size_t(*id)]++;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.length() == 0)
                continue;
            const qsizetype from = text_.size();
            text_ += fragment.text();
            const int format = formats.Index(fragment.charFormatIndex(), false);
            if (!runs_.empty() && runs_.back().format == format && runs_.back().end == from)
                runs_.back().end = text_.size();
            else
                runs_.push_back({text_.size(), format});
        }
        p.end = text_.size();
        paragraphs_.push_back(p);
    }
    text_.squeeze();
    runs_.shrink_to_fit();
    paragraphs_.shrink_to_fit();
}

qsizetype BodyPages::PieceEnd(int p, qsizetype from) const {
    const qsizetype end = paragraphs_[size_t(p)].end;
    if (end - from <= pieceChars_)
        return end;
    const QStringView piece = QStringView(text_).mid(from, pieceChars_);
    for (qsizetype i = piece.size() - 1; i > 0; --i)
        if (Breakable(piece[i]))
            return from + i + 1; // the blank stays with the piece it ends
    qsizetype cut = from + pieceChars_;
    if (text_[cut - 1].isHighSurrogate() && text_[cut].isLowSurrogate())
        --cut;
    return cut;
}

BodyPages::Place BodyPages::Next(Place piece, qsizetype pieceEnd) const {
    if (pieceEnd < paragraphs_[size_t(piece.paragraph)].end)
        return {piece.paragraph, pieceEnd};
    const int p = piece.paragraph + 1;
    return {p, p < int(paragraphs_.size()) ? paragraphs_[size_t(p)].begin : text_.size()};
}

bool BodyPages::InNumberedList(int p) const {
    const int list = paragraphs_[size_t(p)].list;
    return list >= 0 && lists_[size_t(list)].toListFormat().style() <= QTextListFormat::ListDecimal;
}

void BodyPages::CutPages(const PageLimits& limits) {
    pieceChars_ = std::max(2, limits.pieceChars);
    const qsizetype budget = std::max<qsizetype>(limits.pageChars, pieceChars_ + BlockWeight);
    const Place end{int(paragraphs_.size()), text_.size()};
    Place page{0, 0};
    pages_.push_back(page);
    qsizetype used = 0;
    // The list items in a row up to here, and whether one has numbers.
    int listFrom = -1;
    bool numbered = false;
    for (Place piece = page; !(piece == end);) {
        const bool starts = piece.at == paragraphs_[size_t(piece.paragraph)].begin;
        if (starts && !InList(piece.paragraph)) {
            listFrom = -1;
            numbered = false;
        } else if (starts) {
            listFrom = listFrom >= 0 ? listFrom : piece.paragraph;
            numbered = numbered || InNumberedList(piece.paragraph);
        }
        const qsizetype pieceEnd = PieceEnd(piece.paragraph, piece.at);
        const qsizetype weight = pieceEnd - piece.at + BlockWeight;
        if (used == 0 || used + weight <= budget) {
            used += weight;
            piece = Next(piece, pieceEnd);
            continue;
        }
        // A list with numbers that began on this page goes whole to the next.
        if (starts && numbered && listFrom > page.paragraph && listFrom < piece.paragraph)
            piece = {listFrom, paragraphs_[size_t(listFrom)].begin};
        page = piece;
        pages_.push_back(page);
        used = 0;
        listFrom = -1;
        numbered = false;
    }
}

bool BodyPages::BuildPage(int i, QTextDocument* page) const {
    page->setUndoRedoEnabled(false);
    page->clear();
    if (i < 0 || i >= PageCount())
        return false;
    const Place end =
        i + 1 < PageCount() ? pages_[size_t(i + 1)] : Place{int(paragraphs_.size()), text_.size()};
    QTextCursor cursor(page);
    cursor.beginEditBlock();
    std::map<int, QTextList*> lists;
    bool longWord = false, first = true;
    auto run = std::upper_bound(runs_.begin(), runs_.end(), pages_[size_t(i)].at,
                                [](qsizetype at, const Run& r) { return at < r.end; });
    for (Place piece = pages_[size_t(i)]; !(piece == end);) {
        const Paragraph& p = paragraphs_[size_t(piece.paragraph)];
        const bool continues = piece.at != p.begin;
        QTextBlockFormat blockFormat = formats_[size_t(p.blockFormat)].toBlockFormat();
        if (continues)
            blockFormat.setProperty(ContinuesParagraph, true);
        const QTextCharFormat charFormat = formats_[size_t(p.charFormat)].toCharFormat();
        if (first) {
            cursor.setBlockFormat(blockFormat);
            cursor.setBlockCharFormat(charFormat);
            first = false;
        } else {
            cursor.insertBlock(blockFormat, charFormat);
        }
        if (p.list >= 0 && !continues) {
            QTextList*& list = lists[p.list];
            if (list)
                list->add(cursor.block());
            else
                list = cursor.createList(lists_[size_t(p.list)].toListFormat());
        }
        const qsizetype pieceEnd = PieceEnd(piece.paragraph, piece.at);
        longWord = longWord || HasLongWord(QStringView(text_).mid(piece.at, pieceEnd - piece.at));
        for (qsizetype at = piece.at; at < pieceEnd;) {
            while (run->end <= at)
                ++run;
            const qsizetype to = std::min(run->end, pieceEnd);
            cursor.insertText(text_.mid(at, to - at), formats_[size_t(run->format)].toCharFormat());
            at = to;
        }
        piece = Next(piece, pieceEnd);
    }
    cursor.endEditBlock();
    return longWord;
}

qint64 BodyPages::Cost() const {
    return qint64(sizeof(*this)) + text_.capacity() * 2 + qint64(runs_.capacity() * sizeof(Run)) +
           qint64(paragraphs_.capacity() * sizeof(Paragraph)) +
           qint64(pages_.capacity() * sizeof(Place)) +
           qint64(formats_.size() + lists_.size()) * 256;
}

} // namespace corvane
