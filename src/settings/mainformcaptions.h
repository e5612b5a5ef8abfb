#pragma once
// The captions and hints of the main window in both languages.
#include "settings/duallang.h"

namespace corvane {

const CaptionTable& MainFormCaptions();

// The two choices of "Send &To:" (single workstation, all computers), which
// the language commands set themselves.
struct SendToChoices {
    QString single;
    QString all;
};
SendToChoices SendToChoicesFor(Language language);

} // namespace corvane
