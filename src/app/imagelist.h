#pragma once
#include <QIcon>
#include <QList>
#include <QPixmap>

namespace corvane {

// The six 16 x 16 pictures shared by the network tree and the address book:
// 0 envelope, 1 open envelope, 2 speech bubble, 3 bell, 4 group, 5 computer.
class ImageList {
public:
    static constexpr int GroupImage = 4;
    static constexpr int ComputerImage = 5;
    static constexpr int Count = 6;

    ImageList();
    QPixmap Pixmap(int index) const;
    // The same picture for a selected node as for any other.
    QIcon Icon(int index) const;
    // The program's own icon (tray, window, desktop entry).
    static QIcon ApplicationIcon();

private:
    QList<QPixmap> images_;
};

} // namespace corvane
