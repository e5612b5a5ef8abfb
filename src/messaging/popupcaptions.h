#pragma once
// The texts of the incoming-message popup in each language. The popup takes
// them from here each time it is shown.
#include "settings/stringtable.h"

#include <QString>

namespace corvane {

struct PopupCaptions {
    QString title;
    QString replyButton;
    QString closeButton;
};

PopupCaptions PopupCaptionsFor(Language language);

} // namespace corvane
