#include "app/imagelist.h"

#include <QPainter>
#include <QPainterPath>

namespace corvane {
namespace {

QPixmap Blank() {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    return p;
}

QPixmap Envelope(bool open) {
    QPixmap p = Blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(60, 60, 90), 1));
    g.setBrush(QColor(250, 245, 220));
    g.drawRect(QRectF(1.5, 4.5, 13, 9));
    if (open) {
        g.drawLine(QPointF(1.5, 4.5), QPointF(8, 1));
        g.drawLine(QPointF(8, 1), QPointF(14.5, 4.5));
    }
    g.drawLine(QPointF(1.5, 4.5), QPointF(8, 9.5));
    g.drawLine(QPointF(8, 9.5), QPointF(14.5, 4.5));
    return p;
}

QPixmap Bubble() {
    QPixmap p = Blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(20, 80, 160), 1));
    g.setBrush(QColor(200, 225, 255));
    g.drawRoundedRect(QRectF(1.5, 1.5, 13, 9), 3, 3);
    QPainterPath tail;
    tail.moveTo(4, 10.5);
    tail.lineTo(3, 14.5);
    tail.lineTo(8, 10.5);
    g.drawPath(tail);
    return p;
}

QPixmap Bell() {
    QPixmap p = Blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(120, 90, 0), 1));
    g.setBrush(QColor(255, 210, 60));
    QPainterPath bell;
    bell.moveTo(3, 12);
    bell.cubicTo(4, 10, 3, 3, 8, 3);
    bell.cubicTo(13, 3, 12, 10, 13, 12);
    bell.closeSubpath();
    g.drawPath(bell);
    g.drawEllipse(QPointF(8, 13.5), 1.5, 1.5);
    return p;
}

QPixmap Group() {
    QPixmap p = Blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(130, 90, 10), 1));
    g.setBrush(QColor(250, 200, 80));
    g.drawRect(QRectF(1.5, 4.5, 13, 9));
    g.drawRect(QRectF(1.5, 2.5, 5, 2));
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(40, 90, 170));
    g.drawEllipse(QPointF(6, 8), 1.5, 1.5);
    g.drawEllipse(QPointF(10, 8), 1.5, 1.5);
    g.drawRect(QRectF(4.5, 10, 3, 2.5));
    g.drawRect(QRectF(8.5, 10, 3, 2.5));
    return p;
}

QPixmap Computer() {
    QPixmap p = Blank();
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(50, 50, 50), 1));
    g.setBrush(QColor(190, 190, 190));
    g.drawRect(QRectF(1.5, 1.5, 13, 9));
    g.setBrush(QColor(40, 110, 200));
    g.drawRect(QRectF(3.5, 3.5, 9, 5));
    g.setBrush(QColor(160, 160, 160));
    g.drawRect(QRectF(6.5, 10.5, 3, 2));
    g.drawRect(QRectF(3.5, 12.5, 9, 2));
    return p;
}

} // namespace

ImageList::ImageList() {
    images_ = {Envelope(false), Envelope(true), Bubble(), Bell(), Group(), Computer()};
}

QIcon ImageList::Icon(int index) const {
    const QPixmap pixmap = Pixmap(index);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

QPixmap ImageList::Pixmap(int index) const {
    return index >= 0 && index < images_.size() ? images_[index] : QPixmap();
}

QIcon ImageList::ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap p(size, size);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        g.scale(size / 16.0, size / 16.0);
        g.setPen(QPen(QColor(20, 60, 120), 0.8));
        g.setBrush(QColor(60, 140, 220));
        g.drawRoundedRect(QRectF(1, 2, 14, 10), 3, 3);
        QPainterPath tail;
        tail.moveTo(4, 11.5);
        tail.lineTo(3, 15);
        tail.lineTo(8, 11.5);
        g.drawPath(tail);
        g.setPen(QPen(Qt::white, 1.2));
        g.drawLine(QPointF(4, 5.5), QPointF(12, 5.5));
        g.drawLine(QPointF(4, 8.5), QPointF(10, 8.5));
        g.end();
        icon.addPixmap(p);
    }
    return icon;
}

} // namespace corvane
