#pragma once
// Where a new incoming-message popup opens, so that several stay visible:
// the first is centred on the screen's free area; each next one opens one
// step right and down of the previous popup; past an edge it comes round
// from the other side of that axis (a little further on at each round), so
// it never leaves the area.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace corvane {

inline constexpr int PopupCascadeStep = 28;

// The outer top-left corner for a popup of outer size size.
QPoint NextPopupPosition(const QRect& area, const QSize& size,
                         const std::optional<QPoint>& previous, int step = PopupCascadeStep);

} // namespace corvane
