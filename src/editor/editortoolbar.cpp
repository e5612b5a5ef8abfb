#include "editor/editortoolbar.h"

#include "editor/editorformat.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

namespace corvane {
namespace {

constexpr int GlyphSize = 16;

// A glyph drawn on a transparent 16 x 16 square, used where the desktop's
// icon theme has none.
QIcon Drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(GlyphSize, GlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.5));
    draw(p);
    p.end();
    return QIcon(pixmap);
}

QIcon Letter(const QString& letter, void (QFont::*style)(bool)) {
    return Drawn([&](QPainter& p) {
        QFont f(QStringLiteral("Serif"));
        f.setPixelSize(14);
        (f.*style)(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, GlyphSize, GlyphSize), Qt::AlignCenter, letter);
    });
}

// Four lines of a paragraph, aligned as given.
QIcon Lines(Qt::Alignment alignment) {
    return Drawn([alignment](QPainter& p) {
        const int widths[] = {14, 9, 14, 9};
        for (int i = 0; i < 4; ++i) {
            const int w = widths[i];
            const int x = alignment & Qt::AlignHCenter ? (GlyphSize - w) / 2
                          : alignment & Qt::AlignRight ? GlyphSize - 1 - w
                                                       : 1;
            const qreal y = 3.5 + i * 3;
            p.drawLine(QPointF(x, y), QPointF(x + w, y));
        }
    });
}

QIcon Bullets() {
    return Drawn([](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
            const qreal y = 3.5 + i * 4.5;
            p.save();
            p.setBrush(p.pen().color());
            p.drawEllipse(QPointF(2.5, y), 1.2, 1.2);
            p.restore();
            p.drawLine(QPointF(6, y), QPointF(15, y));
        }
    });
}

QIcon Scissors() {
    return Drawn([](QPainter& p) {
        p.drawEllipse(QPointF(4, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(12, 12), 2.5, 2.5);
        p.drawLine(QPointF(5.5, 10), QPointF(12, 1));
        p.drawLine(QPointF(10.5, 10), QPointF(4, 1));
    });
}

QIcon Sheets() {
    return Drawn([](QPainter& p) {
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
    });
}

QIcon Clipboard() {
    return Drawn([](QPainter& p) {
        p.drawRect(QRectF(2.5, 2.5, 11, 12.5));
        p.setBrush(p.pen().color());
        p.drawRect(QRectF(5.5, 1, 5, 3));
    });
}

QIcon UndoArrow() {
    return Drawn([](QPainter& p) {
        QPainterPath arc;
        arc.moveTo(4, 6);
        arc.cubicTo(10, 2, 16, 6, 14, 11);
        arc.cubicTo(13, 13, 11, 14, 9, 14);
        p.drawPath(arc);
        p.drawLine(QPointF(4, 6), QPointF(4, 1.5));
        p.drawLine(QPointF(4, 6), QPointF(8.5, 6.5));
    });
}

QIcon Folder() {
    return Drawn([](QPainter& p) {
        QPainterPath path;
        path.moveTo(1.5, 3.5);
        path.lineTo(6, 3.5);
        path.lineTo(7.5, 5.5);
        path.lineTo(14.5, 5.5);
        path.lineTo(14.5, 13.5);
        path.lineTo(1.5, 13.5);
        path.closeSubpath();
        p.setBrush(QColor(0xF0, 0xD0, 0x70));
        p.drawPath(path);
    });
}

QIcon Glyph(const char* themeName, const QIcon& drawn) {
    return QIcon::fromTheme(QLatin1String(themeName), drawn);
}

QToolButton* MakeButton(QWidget* parent, QLayout* row, const char* name, const char* hint,
                        const QIcon& icon, bool checkable) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(QLatin1String(hint));
    b->setAccessibleName(QLatin1String(hint));
    b->setIcon(icon);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    row->addWidget(b);
    return b;
}

} // namespace

ColorComboBox::ColorComboBox(QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(28, 12));
    for (const StandardColor& c : StandardColors()) {
        QPixmap swatch(iconSize());
        swatch.fill(QColor::fromRgb(c.rgb));
        QPainter(&swatch).drawRect(swatch.rect().adjusted(0, 0, -1, -1));
        addItem(QIcon(swatch), QString(), ColorNumber(QColor::fromRgb(c.rgb)));
        const int i = count() - 1;
        setItemData(i, QLatin1String(c.name), Qt::AccessibleTextRole);
        setItemData(i, QLatin1String(c.name), Qt::ToolTipRole);
    }
}

quint32 ColorComboBox::ColorValue() const {
    return currentData().toUInt();
}

void ColorComboBox::SetColorValue(quint32 number) {
    int i = findData(number);
    if (i < 0) {
        QPixmap swatch(iconSize());
        swatch.fill(ColorFromNumber(number));
        addItem(QIcon(swatch), QString(), number);
        i = count() - 1;
        const QString name = ColorFromNumber(number).name();
        setItemData(i, name, Qt::AccessibleTextRole);
        setItemData(i, name, Qt::ToolTipRole);
    }
    setCurrentIndex(i);
}

FontNameBox::FontNameBox(QWidget* parent) : QComboBox(parent) {
    QStringList families = QFontDatabase::families();
    for (QString& family : families)
        family = FontFamilyName(family);
    families.removeDuplicates(); // the first of each stays
    if (!families.contains(DefaultFontFamily))
        families.append(DefaultFontFamily);
    families.sort(Qt::CaseInsensitive);
    addItems(families);
}

void FontNameBox::setCurrentFont(const QFont& font) {
    const QString family = FontFamilyName(font.families().value(0, font.family()));
    if (family.isEmpty() || family == currentText())
        return; // runs at every move of the caret: no search for the current one
    int i = findText(family, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (i < 0) {
        i = 0;
        while (i < count() && QString::compare(itemText(i), family, Qt::CaseInsensitive) < 0)
            ++i;
        const QSignalBlocker quiet(this); // the choice is announced once, below
        insertItem(i, family);
    }
    setCurrentIndex(i);
}

EditorToolbar::EditorToolbar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel8"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);

    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(2);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMaxVisibleItems(12);
    ComboBox1->addItems(FontSizeItems());
    ComboBox1->setEditText(QStringLiteral("8"));
    ComboBox1->setMinimumContentsLength(3);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setToolTip(QStringLiteral("Font Size (CTRL-S)"));
    ComboBox1->setAccessibleName(QStringLiteral("Font Size"));
    ComboBox1->lineEdit()->setAccessibleName(QStringLiteral("Font Size"));
    ColorComboBox1 = new ColorComboBox(this);
    ColorComboBox1->setObjectName(QStringLiteral("ColorComboBox1"));
    ColorComboBox1->setToolTip(QStringLiteral("Font Color"));
    ColorComboBox1->setAccessibleName(QStringLiteral("Font Color"));
    FontComboBox1 = new FontNameBox(this);
    FontComboBox1->setObjectName(QStringLiteral("FontComboBox1"));
    FontComboBox1->setCurrentFont(QFont(DefaultFontFamily));
    FontComboBox1->setToolTip(QStringLiteral("Font Name"));
    FontComboBox1->setAccessibleName(QStringLiteral("Font Name"));
    FontComboBox1->setMinimumContentsLength(8);
    FontComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    boxes->addWidget(ComboBox1);
    boxes->addWidget(ColorComboBox1);
    boxes->addWidget(FontComboBox1, 1);
    rows->addLayout(boxes);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    BoldBtn =
        MakeButton(this, buttons, "BoldBtn", "Bold (CTRL-B)",
                   Glyph("format-text-bold", Letter(QStringLiteral("B"), &QFont::setBold)), true);
    ItalBtn = MakeButton(
        this, buttons, "ItalBtn", "Italic (CTRL-I)",
        Glyph("format-text-italic", Letter(QStringLiteral("I"), &QFont::setItalic)), true);
    UnderLineBtn = MakeButton(
        this, buttons, "UnderLineBtn", "Underline (CTRL-U)",
        Glyph("format-text-underline", Letter(QStringLiteral("U"), &QFont::setUnderline)), true);
    buttons->addSpacing(4);
    LeftAlign = MakeButton(this, buttons, "LeftAlign", "Align Left",
                           Glyph("format-justify-left", Lines(Qt::AlignLeft)), true);
    CenterAlign = MakeButton(this, buttons, "CenterAlign", "Align Center",
                             Glyph("format-justify-center", Lines(Qt::AlignHCenter)), true);
    RightAlign = MakeButton(this, buttons, "RightAlign", "Align Right",
                            Glyph("format-justify-right", Lines(Qt::AlignRight)), true);
    buttons->addSpacing(4);
    BulletsButton = MakeButton(this, buttons, "BulletsButton", "Bullets",
                               Glyph("format-list-unordered", Bullets()), true);
    buttons->addSpacing(4);
    CutBtn = MakeButton(this, buttons, "CutBtn", "Cut", Glyph("edit-cut", Scissors()), false);
    CopyBtn = MakeButton(this, buttons, "CopyBtn", "Copy", Glyph("edit-copy", Sheets()), false);
    PasteBtn =
        MakeButton(this, buttons, "PasteBtn", "Paste", Glyph("edit-paste", Clipboard()), false);
    buttons->addSpacing(4);
    UndoBtn = MakeButton(this, buttons, "UndoBtn", "Undo", Glyph("edit-undo", UndoArrow()), false);
    UndoBtn->setEnabled(false);
    LoadBtn = MakeButton(this, buttons, "LoadBtn", "Load From File",
                         Glyph("document-open", Folder()), false);
    buttons->addStretch(1);
    rows->addLayout(buttons);
}

std::array<EditorToolbar::AlignButton, 3> EditorToolbar::AlignButtons() const {
    return {{{LeftAlign, Alignment::Left},
             {CenterAlign, Alignment::Center},
             {RightAlign, Alignment::Right}}};
}

} // namespace corvane
