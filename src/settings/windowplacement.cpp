#include "settings/windowplacement.h"

#include <QRegularExpression>
#include <algorithm>

namespace corvane {

ShowState ShowStateOf(int showCmd) {
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return ShowState::Minimized;
    case 3:
        return ShowState::Maximized;
    default:
        return ShowState::Normal;
    }
}

int ShowCmdOf(ShowState state) {
    switch (state) {
    case ShowState::Minimized:
        return 2;
    case ShowState::Maximized:
        return 3;
    case ShowState::Normal:
        break;
    }
    return 1;
}

std::array<int, 4> ParsePositions(const QString& text, const std::array<int, 4>& fallback) {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    std::array<int, 4> out = fallback;
    for (int i = 0; i < 4 && i < parts.size(); ++i) {
        bool ok = false;
        const int n = parts[i].toInt(&ok);
        if (ok)
            out[size_t(i)] = n;
    }
    return out;
}

QString PositionsText(const std::array<int, 4>& n) {
    return QStringLiteral("%1,%2,%3,%4").arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]);
}

std::array<int, 4> RectPositions(const QRect& r) {
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

QRect PositionsRect(const std::array<int, 4>& n) {
    return QRect(QPoint(n[0], n[1]), QSize(n[2] - n[0], n[3] - n[1]));
}

QRect FitOntoScreens(const QRect& rect, const QList<QRect>& screens) {
    if (screens.isEmpty() || rect.isEmpty())
        return rect;
    // The strip a person grabs to move the window must be reachable.
    const QRect titleStrip(rect.topLeft(), QSize(rect.width(), std::min(rect.height(), 24)));
    const int needWidth = std::min(rect.width(), 48);
    const QRect* best = &screens.front();
    qint64 bestArea = -1;
    for (const QRect& screen : screens) {
        const QRect strip = titleStrip.intersected(screen);
        if (strip.width() >= needWidth && strip.height() >= std::min(titleStrip.height(), 8))
            return rect;
        const QRect common = rect.intersected(screen);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            bestArea = area;
            best = &screen;
        }
    }
    QRect fitted(rect.topLeft(), rect.size().boundedTo(best->size()));
    fitted.moveLeft(
        std::clamp(fitted.left(), best->left(), best->left() + best->width() - fitted.width()));
    fitted.moveTop(
        std::clamp(fitted.top(), best->top(), best->top() + best->height() - fitted.height()));
    return fitted;
}

} // namespace corvane
