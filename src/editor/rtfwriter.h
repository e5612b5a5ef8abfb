#pragma once
// Writes a QTextDocument as RTF in the form the Windows rich-edit control
// writes it (RichEdit 2.0/3.0), so that it, WordPad, Word and LibreOffice read
// the same text and formatting:
//
//   {\rtf1\ansi\ansicpg1251\deff0\deflang1049
//   {\fonttbl{\f0\fnil\fcharset204 Arial;}{\f1\fnil\fcharset2 Symbol;}}CRLF
//   {\colortbl ;\red255\green0\blue0;}CRLF
//   \viewkind4\uc1
//   \pard\qc\li200 ... runs ...\par CRLF          paragraph format changed
//   ... runs ...\par CRLF                         same format as the last one
//   \pard{\pntext\f1\'b7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'b7}}\fi-360\li600 ...\par
//   {\pntext\f1\'b7\tab}...\par                   next item of the same list
//   \pard{\pntext\f0 1.\tab}{\*\pn\pnlvl2\pnf0\pnindent0\pnstart1\pndec{\pntxta.}}...
//                                                 a list inside a list: its level
//   }
//
// Runs are written as deltas of the character format: \fN \fsN (half points)
// \b \b0 \i \i0 \ul \ulnone \strike \strike0 \cfN \highlightN \super \sub
// \nosupersub. Soft line breaks are \line, tabs \tab. Every paragraph ends
// with \par, so a document of n paragraphs reads back as n paragraphs.
//
// The output is 7-bit: \ { } are escaped, and every character above 127 is
// written as \uN (signed 16-bit; two for characters beyond U+FFFF) followed by
// its Windows-1251 byte as \'hh, or "?" when Windows-1251 has none. The byte
// 0xA9 that separates record fields therefore never occurs.
#include <QByteArray>

class QTextDocument;
class QTextDocumentFragment;

namespace corvane {

class RtfWriter {
public:
    QByteArray Write(const QTextDocument& doc);
    QByteArray Write(const QTextDocumentFragment& fragment);
};

} // namespace corvane
