#pragma once
// The compose editor's toolbar, Panel8, in two rows: the size, colour and
// font-name boxes, then the style toggles, the alignment group, bullets, the
// clipboard buttons (glyphs only), Undo and Load. It holds controls only;
// ComposeEditor gives them their handlers.
#include <QComboBox>
#include <QWidget>
#include <array>

class QToolButton;

namespace corvane {

// A drop-down of colour swatches without names; its value is the colour
// number (red in the low byte). A value that is none of the 16 standard
// colours is added at the end of the list.
class ColorComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorComboBox(QWidget* parent = nullptr);
    quint32 ColorValue() const;
    void SetColorValue(quint32 number);
};

// A drop-down of the screen's font families, sorted by name, each once and
// without the foundry that tells apart families of the same name ("C059", not
// "C059 [urw]" and "C059 [UKWN]"). A family the screen does not have (the
// default, DefaultFontFamily, or a stored or received one) is listed under its
// own name and drawn with the face the system puts in its place, so the name
// is what a message carries.
class FontNameBox : public QComboBox {
    Q_OBJECT
public:
    explicit FontNameBox(QWidget* parent = nullptr);
    // The family chosen; the items carry no foundry.
    QString Family() const { return currentText(); }
    // Selects the font's first family, adding it to the list when it is not
    // there. The font reads the name as Qt does (a list with commas, quotes
    // and spaces taken off), which a stored or received name relies on.
    void setCurrentFont(const QFont& font);
};

class EditorToolbar : public QWidget {
    Q_OBJECT
public:
    explicit EditorToolbar(QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr; // size
    ColorComboBox* ColorComboBox1 = nullptr;
    FontNameBox* FontComboBox1 = nullptr;
    QToolButton* BoldBtn = nullptr;
    QToolButton* ItalBtn = nullptr;
    QToolButton* UnderLineBtn = nullptr;
    QToolButton* LeftAlign = nullptr;
    QToolButton* CenterAlign = nullptr;
    QToolButton* RightAlign = nullptr;
    QToolButton* BulletsButton = nullptr;
    QToolButton* CutBtn = nullptr;
    QToolButton* CopyBtn = nullptr;
    QToolButton* PasteBtn = nullptr;
    QToolButton* UndoBtn = nullptr;
    QToolButton* LoadBtn = nullptr;

    // The alignment group's buttons with their values (left 0, right 1,
    // centre 2), in toolbar order.
    struct AlignButton {
        QToolButton* button;
        int value;
    };
    std::array<AlignButton, 3> AlignButtons() const;
};

} // namespace corvane
