#pragma once
// The texts of the incoming-message popup, and of the bar under a message body
// that is longer than one page, in each language. The popup takes them from
// here each time it is shown, the pages of the main window at each switch of
// the language.
#include "settings/stringtable.h"

#include <QString>

namespace corvane {

struct PopupCaptions {
    QString title;
    QString replyButton;
    QString closeButton;
};

PopupCaptions PopupCaptionsFor(Language language);

struct BodyBarTexts {
    QString continues; // %1 the page shown, %2 the pages
    QString lastPage;  // the same on the last page
    QString reading;   // while a big body is read
    QString elsewhere; // a popup that let go of the rest of its body
    QString previousPage;
    QString nextPage;
    QString saveToFile;
    QString saveTitle; // of the file dialog
    QString rtfFiles;
    QString textFiles;
    QString allFiles;
};

BodyBarTexts BodyBarTextsFor(Language language);

} // namespace corvane
