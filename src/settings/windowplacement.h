#pragma once
// A window's placement as the store keeps it, and its mapping from the
// values' texts:
//
//   Flags=0              2 when a minimized window comes back maximized
//   ShowCmd=1            1 normal, 2 minimized, 3 maximized
//   PixelsPerInch=96     the screen's logical pixels per inch at saving
//   MinMaxPos=-1,-1,-1,-1  minimized x, y, then maximized x, y (not used here)
//   NormPos=10,20,380,488  left, top, right, bottom of the normal rectangle
//
// The numbers of a position are separated by commas or blanks.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>

namespace corvane {

enum class ShowState { Normal, Minimized, Maximized };

struct WindowPlacement {
    static constexpr int RestoreToMaximized = 2; // a flag

    int flags = 0;
    ShowState show = ShowState::Normal;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    QRect normalRect; // right and bottom of the text are left + width, top + height
};

// 1, 5, 9 normal; 2, 6, 7 minimized; 3 maximized; anything else normal.
ShowState ShowStateOf(int showCmd);
int ShowCmdOf(ShowState state);

// Up to four numbers; one that is missing or not a number takes its fallback.
std::array<int, 4> ParsePositions(const QString& text, const std::array<int, 4>& fallback);
QString PositionsText(const std::array<int, 4>& numbers);

std::array<int, 4> RectPositions(const QRect& rect);
QRect PositionsRect(const std::array<int, 4>& numbers);

// A rectangle whose title strip lies on no screen is moved (and shrunk where
// it is larger) onto the screen it overlaps most, else the first; screens are
// their available areas, the primary first. Unchanged when it shows or when
// there are no screens.
QRect FitOntoScreens(const QRect& rect, const QList<QRect>& screens);

} // namespace corvane
