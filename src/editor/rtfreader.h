#pragma once
// Reads an RTF document into a QTextDocument.
//
// What is understood:
//   document   \rtf \ansi \mac \pc \pca \ansicpgN \deffN \ucN \uN \binN
//   tables     \fonttbl (\fN \fcharsetN \cpgN {\*\fname}) and \colortbl
//   text       plain characters, \'hh in the code page of the font's
//              \fcharset (else \ansicpg), \uN with \ucN fallback skipping,
//              \par \line \tab \~ \- \_ \\ \{ \} and the typographic words
//   character  \plain \fN \fsN \cfN \highlightN \cbN \b \i \ul* \ulnone
//              \strike \striked \super \sub \nosupersub \v
//   paragraph  \pard \ql \qc \qr \qj \liN \riN \fiN \sbN \saN \slN \slmultN;
//              the properties in force at \par format the paragraph it ends
//   lists      {\pntext} {\*\pn \pnlvlblt | \pnlvlbody | \pnlvlN \pndec ...} and
//              {\listtext} \lsN \ilvlN, as QTextList; a list at a level goes on
//              numbering after a list inside it ends
//   skipped    {\*...} destinations not named here, pictures, objects (their
//              \result is kept), field instructions (their result is kept),
//              stylesheets, info, headers, footers, footnotes, list tables
//
// Bad input never crashes, hangs or grows memory beyond the limits: the reader
// is one loop over the bytes with an explicit group stack whose depth is
// capped (deeper groups are counted and their content dropped), \bin skips at
// most the bytes that are left, numbers saturate, a document cut short keeps
// what was read, and everything after the outermost group is ignored.
//
// How the reader is put together, part by part of RTF: rtfparser.h.
#include <QByteArrayView>
#include <QString>
#include <atomic>

class QTextDocument;

namespace corvane {

class RtfReader {
public:
    struct Limits {
        int maxDepth = 512;            // groups deeper than this lose their content
        qsizetype maxChars = 16 << 20; // characters of text kept
        int maxParagraphs = 250000;
        // When set, the reading ends soon after it turns true (every 64 KiB
        // of input), keeping what was read, as a document cut short.
        const std::atomic<bool>* stop = nullptr;
    };

    RtfReader() = default;
    explicit RtfReader(const Limits& limits) : limits_(limits) {}

    // Replaces the document's content with the RTF document in rtf, its
    // indent width set to IndentStepUnits. Returns false, and leaves the
    // document as it was, when rtf is not an RTF document (it must start
    // with "{\rtf", after optional white space).
    bool Read(QByteArrayView rtf, QTextDocument* doc);

    // Why the last Read returned false.
    QString ErrorString() const { return error_; }
    // Whether the last Read met a document that ended before its outermost
    // group closed, or hit one of the limits; what was read is kept.
    bool Truncated() const { return truncated_; }

private:
    Limits limits_;
    QString error_;
    bool truncated_ = false;
};

} // namespace corvane
