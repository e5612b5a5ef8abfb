#include "messaging/popupplacement.h"

namespace corvane {
namespace {
// One axis: a step on from the previous corner, wrapped into the room there
// is, [origin, origin + span].
int Cascade(int origin, int span, int previous, int step) {
    if (span <= 0)
        return origin;
    const int offset = (previous - origin + step) % (span + 1);
    return origin + (offset < 0 ? offset + span + 1 : offset);
}
} // namespace

QPoint NextPopupPosition(const QRect& area, const QSize& size,
                         const std::optional<QPoint>& previous, int step) {
    if (!previous) {
        QRect r(QPoint(0, 0), size);
        r.moveCenter(area.center());
        return {qMax(area.left(), r.left()), qMax(area.top(), r.top())};
    }
    return {Cascade(area.left(), area.width() - size.width(), previous->x(), step),
            Cascade(area.top(), area.height() - size.height(), previous->y(), step)};
}

} // namespace corvane
