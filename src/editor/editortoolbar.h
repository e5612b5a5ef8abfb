#pragma once
// The compose editor's toolbar, Panel8, in two rows: the size, colour and
// font-name boxes, then the style toggles, the alignment group, bullets, the
// clipboard buttons (glyphs only), Undo and Load. It holds controls only;
// ComposeEditor gives them their handlers.
#include <QComboBox>
#include <QWidget>
#include <array>

class QFontComboBox;
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

class EditorToolbar : public QWidget {
    Q_OBJECT
public:
    explicit EditorToolbar(QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr; // size
    ColorComboBox* ColorComboBox1 = nullptr;
    QFontComboBox* FontComboBox1 = nullptr;
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
