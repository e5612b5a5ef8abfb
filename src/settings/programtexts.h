#pragma once
// Texts the program shows or speaks that neither the caption tables nor the
// string tables hold, in both languages: questions and notices put together
// in code, and the names, descriptions and hints of controls that a screen
// reader speaks or a tool tip shows. The windows are built with the English
// column; the language commands apply the column of the language chosen.
#include "settings/stringtable.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvane {

enum class ProgramText {
    ExitQuestion, // the exit confirmation
    TrayNotice,   // where the program went at its first start
    NoTrayNotice, // the same on a desktop without a tray
    BoxInformation,
    BoxQuestion,
    BoxWarning,
    BoxError,
    BoxButtons,
    // The kept messages: %1 the file, %2 the reason, %3 the name kept aside.
    HistoryKeptAside,
    HistoryNotWritable,
    HistoryRemoveQuestion,
    HistoryNotRemoved,
    // Find on the message pages: %1 the match shown (newest first), %2 the
    // count; %1 the count.
    FindMatch,
    FindMatches,
    FindNone,
    DroppedNote, // %1 messages went to make room
};

QString TextIn(Language language, ProgramText text);

// One spoken or shown property of a control, found by its objectName.
struct SpokenRow {
    enum class Kind {
        Name,        // accessible name (of an editable box, its line too)
        Description, // accessible description
        Hint,        // tool tip
        ItemNames,   // a box's items, in order: accessible text and tool tip
    };
    QString control;
    Kind kind;
    QStringList english; // one text, or one per item
    QStringList russian;

    const QStringList& In(Language language) const {
        return language == Language::Russian ? russian : english;
    }
};

// The main window's rows.
const std::vector<SpokenRow>& MainFormSpokenTexts();

} // namespace corvane
