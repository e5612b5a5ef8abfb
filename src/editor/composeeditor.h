#pragma once
// The compose editor: the text field Memo1, its toolbar Panel8, the editing
// actions (ActionList1) and the context menu PopupMenu2, with the handlers of
// all of them. The main window places Panel8 and Memo1 on its Compose page,
// binds its "&Edit" menu to the actions and hands the keys it does not keep
// itself to ContextMenuShortcut and ShortcutActions.
//
// Toolbar commands change the ActiveTextFormat; every move of the caret or
// selection sets the toolbar from the text there, without changing a format.
// The editing actions and Undo always act on Memo1, whichever control has the
// focus; Cut, Copy and Paste are enabled from the focused edit control.
#include "editor/activetextformat.h"

#include <QKeyCombination>
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QTextEdit;
class QToolButton;
class QWidget;

namespace corvane {

class ComposeTextEdit;
class EditorToolbar;
class HostContext;
class UndoLimit;

class ComposeEditor : public QObject {
    Q_OBJECT
public:
    static inline const QString OpenDialogTitle = QStringLiteral("Open File");
    static inline const QString OpenDialogFilter =
        QStringLiteral("Rich Text Files (*.RTF);;Text Files (*.TXT);;All Files (*)");

    // The controls become children of page; maxFileBytes is the largest file
    // that can be loaded (what one message can carry).
    ComposeEditor(QWidget* page, HostContext& context, qint64 maxFileBytes,
                  QObject* parent = nullptr);
    ~ComposeEditor() override;

    EditorToolbar* Panel8 = nullptr;
    ComposeTextEdit* Memo1 = nullptr;
    QObject* ActionList1 = nullptr;
    QAction* BoldAction = nullptr;
    QAction* ItalicAction = nullptr;
    QAction* UnderlineAction = nullptr;
    QAction* FontSizeAct = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* LoadFromFile1 = nullptr;

    ActiveTextFormat Format;
    UndoLimit* Undo = nullptr;
    // The Send button's rule, run with every caret move (set by the window).
    std::function<void()> Memo1Change;

    // Handlers. A style toggle fired by its action flips the button first.
    void BoldBtnClick(bool fromAction);
    void ItalBtnClick(bool fromAction);
    void UnderLineBtnClick(bool fromAction);
    void ComboBox1Change();
    void FontSizeActExecute();
    void ColorComboBox1Change();
    void FontComboBox1Change();
    void LeftAlignClick(QToolButton* button);
    void BulletsButtonClick();
    void Memo1SelectionChange();
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();
    void UndoBtnClick();
    void LoadFromFile1Click();
    // Cut, Copy and Paste follow the focused control while it is an edit
    // control; any other control leaves them as they are.
    void UpdateEditActions(QWidget* focus);

    // The toolbar's state applied to the ActiveTextFormat, as at start once
    // the stored settings are in the toolbar. A size that is not a whole
    // number ends it with the error, before colour, font, alignment and
    // bullets.
    void ApplyToolbarToEditor();
    // For the settings store: the size box's text and the buttons only
    // change the display; colour and font run their change handlers.
    QString SizeText() const;
    void SetSizeText(const QString& text);
    quint32 ColorValue() const;
    void SetColorValue(quint32 number);
    QString FontName() const;
    void SetFontName(const QString& family);

    // A menu item that shows the action's caption, hint, shortcut and
    // enabled state and runs it.
    static void BindToAction(QAction* item, QAction* action);
    // Gives a view (the incoming-message viewer) the context menu; its
    // commands still act on Memo1.
    void AttachContextMenu(QTextEdit* view);
    // A key pressed in focus: when focus or a parent carries PopupMenu2 and
    // the menu holds the key, the menu takes it (running the item when it is
    // enabled) and this returns true.
    bool ContextMenuShortcut(QWidget* focus, QKeyCombination key, bool run);
    // The actions of ActionList1 that have shortcuts, in their order.
    QList<QAction*> ShortcutActions() const;

private:
    void BuildActions();
    void ConnectToolbar();
    void StyleClick(QToolButton* button, int bit, bool fromAction);
    template <class F> void Edit(F apply);
    void WatchFocus(QWidget* old, QWidget* now);

    HostContext& context_;
    qint64 maxFileBytes_;
    QList<QPointer<QWidget>> menuHolders_;
    QMetaObject::Connection focusedSelection_;
    bool applyingDefault_ = false;
};

} // namespace corvane
