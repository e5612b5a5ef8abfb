#pragma once
// The colours of the network tree. A selected node is drawn bold in light
// colours on navy; any other node in the window's colours: groups in the
// window-text colour, online computers blue, offline computers red.
#include <QColor>
#include <QPalette>
#include <optional>

namespace corvane {

class NetworkNodeColors {
public:
    static inline const QColor SelectedBackground{0, 0, 128};
    static inline const QColor SelectedOnline{0, 255, 255};
    static inline const QColor SelectedOffline{255, 179, 179};
    static inline const QColor Online{0, 0, 255};
    static inline const QColor Offline{255, 0, 0};

    QColor text;
    std::optional<QColor> background; // solid, only for the selected node
    bool bold = false;

    // isComputer false for a group; online is a computer's record flag.
    static NetworkNodeColors For(bool isComputer, bool online, bool selected,
                                 const QPalette& palette);
};

} // namespace corvane
