#pragma once
// The RTF reader's state while it reads one document into a QTextDocument.
// It is the tokenizer's sink (rtftokenizer.h); its parts live in the files of
// the part of RTF they know:
//
//   rtfparser.cpp      the reading loop, the dispatch of control words, and
//                      text: characters, \'hh in code pages, \uN, symbols,
//                      the document words (\ansicpg \deff \uc) and text words
//   rtfgroups.cpp      groups and destinations: which group's text goes where
//   rtfformatting.cpp  character and paragraph properties, and the paragraphs
//                      written into the document with their formats
//   rtflists.cpp       list numbering and the QTextLists
//   rtftables.cpp      the font and colour tables
//
// Each part adds the control words it knows to one table (rtfcontrolwords.h).
#include "editor/rtfcodepage.h"
#include "editor/rtfcontrolwords.h"
#include "editor/rtflists.h"
#include "editor/rtfreader.h"
#include "editor/rtfstate.h"
#include "editor/rtftables.h"

#include <QHash>
#include <QTextCharFormat>
#include <QTextCursor>

#include <string_view>
#include <vector>

class QTextDocument;

namespace corvane::rtf {

class Parser {
public:
    Parser(const RtfReader::Limits& limits, QTextDocument* doc)
        : limits_(limits), doc_(doc), cursor_(doc) {}

    // in[pos] is the first byte after the opening brace of the document.
    void Run(QByteArrayView in, qsizetype pos);
    bool truncated() const { return truncated_; }

    // The tokenizer's sink.
    bool Done() const { return done_; }
    bool Skipping() const { return overflow_ > 0 || stack_.back().dest == Dest::Skip; }
    void OpenGroup();
    void CloseGroup();
    void OnControlWord(std::string_view name, bool hasParam, int param);
    void OnBinary();
    void OnSymbol(unsigned char c);
    void OnLiteral(unsigned char c);
    void OnByte(unsigned char b);

private:
    static const ControlWords& Words();
    static void AddDocumentWords(ControlWords& t);
    static void AddTextWords(ControlWords& t);
    static void AddDestinationWords(ControlWords& t);
    static void AddCharacterWords(ControlWords& t);
    static void AddParagraphWords(ControlWords& t);
    static void AddListWords(ControlWords& t);
    static void AddTableWords(ControlWords& t);

    // The handler of a word that stands for one character.
    template <char16_t C> static void PutWord(Parser& p, const WordCall&) { p.PutChar(C); }

    void OnUnicode(int param);
    void PutChar(char16_t c);
    void StartFont(int number);
    void FinishFont();
    void FinishColor();
    int CurrentCodePage();
    void EndParagraph();
    void EmitParagraph(const ParaState& para, const CharState& mark);
    QTextCharFormat Format(const CharState& ch);
    void Stop() {
        truncated_ = true;
        done_ = true;
    }

    const RtfReader::Limits limits_;
    QTextDocument* doc_;
    QTextCursor cursor_;
    CodePageDecoder decoder_;

    std::vector<Group> stack_;
    int overflow_ = 0; // groups opened beyond the depth limit and not closed yet
    bool done_ = false;
    bool closed_ = false;
    bool truncated_ = false;
    bool starPending_ = false;
    int ucSkip_ = 0;
    int leadByte_ = -1; // first byte of a two-byte character

    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    FontTable fonts_;
    ColorTable colors_;

    QString scratch_; // {\pntxtb} {\pntxta}
    QString marker_;
    bool markerSeen_ = false;

    struct TextRun {
        CharState ch;
        qsizetype start;
    };
    QString text_; // of the paragraph being read
    std::vector<TextRun> runs_;
    qsizetype totalChars_ = 0;
    int paragraphs_ = 0;

    QHash<CharState, QTextCharFormat> formats_;
    ListMaker lists_;
};

} // namespace corvane::rtf
