#include "presence/nodecolors.h"

namespace corvane {

NetworkNodeColors NetworkNodeColors::For(bool isComputer, bool online, bool selected,
                                         const QPalette& palette) {
    NetworkNodeColors c;
    if (selected) {
        c.bold = true;
        c.background = SelectedBackground;
        if (isComputer)
            c.text = online ? SelectedOnline : SelectedOffline;
        else
            c.text = palette.color(QPalette::Active, QPalette::HighlightedText);
    } else if (isComputer) {
        c.text = online ? Online : Offline;
    } else {
        c.text = palette.color(QPalette::Active, QPalette::WindowText);
    }
    return c;
}

} // namespace corvane
