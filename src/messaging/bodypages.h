#pragma once
// A message body read once and cut into pages that a view lays out one at a
// time.
//
// A text view lays out the whole document it is given, and Qt's background
// layout works in steps of up to 200,000 characters, so a big document holds
// the window up however little of it shows. A body is therefore read once
// (off the window's thread), kept in a compact form - its text, its runs of
// one character format, its paragraphs with their formats and lists - and cut
// into pages of about PageLimits::pageChars characters, at paragraph ends
// where it can. Each view builds the one page it shows as a small document of
// its own.
//
// A paragraph longer than PageLimits::pieceChars shows as pieces, each a
// paragraph of the page's document, broken after the last blank that fits
// or, in a word that long, anywhere (never inside a surrogate pair); a piece
// that goes on with the paragraph before it carries ContinuesParagraph in
// its block format. Laying out one paragraph costs more than its length, so
// no view ever lays out a long one whole. A list with numbers is not cut in
// two by a page unless it is longer than a page: the page ends before it
// instead (a page's list numbers from 1).
//
// Nothing but the places where lines break changes: the pages in order hold
// every character of the body with its character format, and every paragraph
// with its format and list.
#include <QByteArray>
#include <QString>
#include <QTextFormat>
#include <atomic>
#include <memory>
#include <vector>

class QTextDocument;

namespace corvane {

struct PageLimits {
    int pageChars = 32 * 1024; // a paragraph counts BodyPages::BlockWeight more
    int pieceChars = 4000;
};

class BodyPages {
public:
    // What a paragraph costs a view beyond its characters, in characters.
    static constexpr int BlockWeight = 32;
    // A run of more non-blank characters than this is a long word: the lines
    // of its page must break anywhere, as breaking such a word at word
    // boundaries costs time with the square of its length.
    static constexpr int LongWord = 200;
    // Block format property of a piece that goes on with the paragraph
    // before it.
    static constexpr int ContinuesParagraph = QTextFormat::UserProperty + 1;

    // Reads the body as LoadMessageBody does (RTF with its formatting, any
    // other body as plain text) and cuts it. Null when stop turned true.
    static std::shared_ptr<const BodyPages> Prepare(const QByteArray& body,
                                                    const PageLimits& limits = {},
                                                    const std::atomic<bool>* stop = nullptr);
    // The same from a document already read; the document is only read.
    static std::shared_ptr<const BodyPages> FromDocument(const QTextDocument& doc,
                                                         const PageLimits& limits = {},
                                                         const std::atomic<bool>* stop = nullptr);

    int PageCount() const { return int(pages_.size()); } // at least 1
    qsizetype Characters() const { return text_.size(); }
    // Replaces the content of page with page i (0-based) and says whether it
    // holds a long word.
    bool BuildPage(int i, QTextDocument* page) const;
    // The bytes this holds, about.
    qint64 Cost() const;

private:
    struct Run {
        qsizetype end; // in text_
        int format;
    };
    struct Paragraph {
        qsizetype begin, end; // in text_
        int blockFormat, charFormat;
        int list = -1; // in lists_
        int item = 0;  // its place in its list, from 0
    };
    struct Place {
        int paragraph;
        qsizetype at; // in text_
        bool operator==(const Place&) const = default;
    };

    BodyPages() = default;
    void ReadParagraphs(const QTextDocument& doc, const std::atomic<bool>* stop, bool& stopped);
    void CutPages(const PageLimits& limits);
    // Where the piece that starts at `from` of paragraph p ends.
    qsizetype PieceEnd(int p, qsizetype from) const;
    bool InList(int p) const { return paragraphs_[size_t(p)].list >= 0; }
    bool InNumberedList(int p) const;
    // The piece after the one that ends at pieceEnd (its PieceEnd).
    Place Next(Place piece, qsizetype pieceEnd) const;

    QString text_;
    std::vector<Run> runs_;
    std::vector<Paragraph> paragraphs_;
    std::vector<QTextFormat> formats_;
    std::vector<QTextFormat> lists_; // list formats
    std::vector<Place> pages_;       // where each page starts
    int pieceChars_ = 4000;
};

} // namespace corvane
