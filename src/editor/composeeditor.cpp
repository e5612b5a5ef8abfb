#include "editor/composeeditor.h"

#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/hostcontext.h"
#include "editor/composetextedit.h"
#include "editor/documentfile.h"
#include "editor/editorformat.h"
#include "editor/editortoolbar.h"
#include "editor/undolimit.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <memory>

namespace corvane {

namespace {

// A pick in the box's list, or Enter in its line, gives the focus to target.
// Stepping through the items of a closed box with the arrow keys keeps the
// focus in the box.
void ReturnFocusAfterPick(QComboBox* box, QWidget* target) {
    struct ListWatch : QObject {
        using QObject::QObject;
        bool justClosed = false;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Hide) {
                justClosed = true; // the pick, if any, is announced right after
                QTimer::singleShot(0, this, [this] { justClosed = false; });
            }
            return false;
        }
    };
    auto* watch = new ListWatch(box);
    box->view()->window()->installEventFilter(watch);
    QObject::connect(box, &QComboBox::activated, target, [watch, target] {
        if (watch->justClosed)
            target->setFocus(Qt::OtherFocusReason);
    });
    if (box->lineEdit())
        QObject::connect(box->lineEdit(), &QLineEdit::returnPressed, target,
                         [target] { target->setFocus(Qt::OtherFocusReason); });
}

} // namespace

ComposeEditor::ComposeEditor(QWidget* page, HostContext& context, qint64 maxFileBytes,
                             QObject* parent)
    : QObject(parent), context_(context), maxFileBytes_(maxFileBytes) {
    Panel8 = new EditorToolbar(page);
    Memo1 = new ComposeTextEdit(page);
    Memo1->setAccessibleName(QStringLiteral("Message content"));
    // A bulleted paragraph hangs its marker in one indent step: 10 points.
    Memo1->document()->setIndentWidth(IndentStepUnits);
    Undo = new UndoLimit(Memo1->document(), this);
    BuildActions();
    ConnectToolbar();
    AttachContextMenu(Memo1);

    connect(Memo1, &QTextEdit::cursorPositionChanged, this, &ComposeEditor::Memo1SelectionChange);
    connect(Memo1, &QTextEdit::selectionChanged, this, &ComposeEditor::Memo1SelectionChange);
    connect(Memo1, &QTextEdit::textChanged, this, [this] {
        // A cleared editor starts again with the default format.
        if (applyingDefault_ || !Memo1->document()->isEmpty() ||
            Memo1->document()->isUndoAvailable())
            return;
        applyingDefault_ = true;
        QTextCursor c = Memo1->textCursor();
        Format.ApplyDefaultToEmptyDocument(c);
        Memo1->setTextCursor(c);
        applyingDefault_ = false;
    });
    connect(Undo, &UndoLimit::Changed, this,
            [this] { Panel8->UndoBtn->setEnabled(Undo->CanUndo()); });
    connect(Memo1, &ComposeTextEdit::UndoRequested, this, &ComposeEditor::UndoBtnClick);
    connect(Memo1, &ComposeTextEdit::RedoRequested, this, [this] {
        QTextCursor c = Memo1->textCursor();
        if (Undo->Redo(&c))
            Memo1->setTextCursor(c);
    });
    connect(qApp, &QApplication::focusChanged, this, &ComposeEditor::WatchFocus);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdateEditActions(QApplication::focusWidget()); });
}

ComposeEditor::~ComposeEditor() {
    disconnect(focusedSelection_);
}

void ComposeEditor::BuildActions() {
    ActionList1 = new QObject(this);
    ActionList1->setObjectName(QStringLiteral("ActionList1"));
    auto make = [this](const char* name, const QString& caption, const QString& hint,
                       QKeyCombination key) {
        auto* a = new QAction(caption, ActionList1);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(hint);
        a->setShortcut(key);
        // The window resolves the keys itself, in its own order.
        a->setShortcutContext(Qt::WidgetShortcut);
        return a;
    };
    BoldAction = make("BoldAction", QString(), QStringLiteral("Bold"), Qt::CTRL | Qt::Key_B);
    ItalicAction = make("ItalicAction", QString(), QStringLiteral("Italic"), Qt::CTRL | Qt::Key_I);
    UnderlineAction =
        make("UnderlineAction", QString(), QStringLiteral("Underline"), Qt::CTRL | Qt::Key_U);
    FontSizeAct = make("FontSizeAct", QString(), QString(), Qt::CTRL | Qt::Key_S);
    EditCut1 =
        make("EditCut1", QStringLiteral("Cu&t"), QStringLiteral("Cut"), Qt::CTRL | Qt::Key_X);
    EditCopy1 =
        make("EditCopy1", QStringLiteral("&Copy"), QStringLiteral("Copy"), Qt::CTRL | Qt::Key_C);
    EditPaste1 =
        make("EditPaste1", QStringLiteral("&Paste"), QStringLiteral("Paste"), Qt::CTRL | Qt::Key_V);
    EditCut1->setEnabled(false);
    EditCopy1->setEnabled(false);
    EditPaste1->setEnabled(QGuiApplication::clipboard()->mimeData() &&
                           QGuiApplication::clipboard()->mimeData()->hasText());

    auto run = [this](QAction* a, void (ComposeEditor::*handler)()) {
        connect(a, &QAction::triggered, this,
                [this, handler] { RunHandler(context_, [&] { (this->*handler)(); }); });
    };
    connect(BoldAction, &QAction::triggered, this, [this] { BoldBtnClick(true); });
    connect(ItalicAction, &QAction::triggered, this, [this] { ItalBtnClick(true); });
    connect(UnderlineAction, &QAction::triggered, this, [this] { UnderLineBtnClick(true); });
    run(FontSizeAct, &ComposeEditor::FontSizeActExecute);
    run(EditCut1, &ComposeEditor::EditCut1Execute);
    run(EditCopy1, &ComposeEditor::EditCopy1Execute);
    run(EditPaste1, &ComposeEditor::EditPaste1Execute);

    PopupMenu2 = new QMenu(Memo1);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->setAccessibleName(QStringLiteral("Edit"));
    const struct {
        QAction** item;
        const char* name;
        QAction* action;
    } items[] = {
        {&Cut1, "Cut1", EditCut1}, {&Copy1, "Copy1", EditCopy1}, {&Paste1, "Paste1", EditPaste1}};
    for (const auto& i : items) {
        *i.item = PopupMenu2->addAction(QString());
        (*i.item)->setObjectName(QLatin1String(i.name));
        BindToAction(*i.item, i.action);
    }
    LoadFromFile1 = PopupMenu2->addAction(QStringLiteral("&Load From File..."));
    LoadFromFile1->setObjectName(QStringLiteral("LoadFromFile1"));
    run(LoadFromFile1, &ComposeEditor::LoadFromFile1Click);

    // The buttons are bound to the actions and show only their glyphs.
    for (auto [button, action] :
         {std::pair{Panel8->CutBtn, EditCut1}, std::pair{Panel8->CopyBtn, EditCopy1},
          std::pair{Panel8->PasteBtn, EditPaste1}}) {
        action->setIcon(button->icon());
        button->setDefaultAction(action);
    }
}

void ComposeEditor::BindToAction(QAction* item, QAction* action) {
    // The caption and hint follow only when the action's own change: a
    // caption given to the item itself (another language) stays while the
    // action is merely enabled or disabled.
    struct Shown {
        QString text, hint;
    };
    auto shown = std::make_shared<Shown>();
    auto mirror = [item, action, shown] {
        if (action->text() != shown->text)
            item->setText(shown->text = action->text());
        if (action->toolTip() != shown->hint)
            item->setToolTip(shown->hint = action->toolTip());
        item->setShortcut(action->shortcut());
        item->setShortcutContext(Qt::WidgetShortcut);
        item->setEnabled(action->isEnabled());
    };
    mirror();
    connect(action, &QAction::changed, item, mirror);
    connect(item, &QAction::triggered, action, [action] {
        if (action->isEnabled())
            action->trigger();
    });
}

void ComposeEditor::ConnectToolbar() {
    EditorToolbar* t = Panel8;
    connect(t->BoldBtn, &QToolButton::clicked, this, [this] { BoldBtnClick(false); });
    connect(t->ItalBtn, &QToolButton::clicked, this, [this] { ItalBtnClick(false); });
    connect(t->UnderLineBtn, &QToolButton::clicked, this, [this] { UnderLineBtnClick(false); });
    connect(t->ComboBox1, &QComboBox::editTextChanged, this,
            [this] { RunHandler(context_, [this] { ComboBox1Change(); }); });
    connect(t->ColorComboBox1, &QComboBox::currentIndexChanged, this,
            &ComposeEditor::ColorComboBox1Change);
    connect(t->FontComboBox1, &QComboBox::currentIndexChanged, this,
            &ComposeEditor::FontComboBox1Change);
    // After a pick the person goes on writing: the focus returns to the text.
    for (QComboBox* box : {t->ComboBox1, static_cast<QComboBox*>(t->ColorComboBox1),
                           static_cast<QComboBox*>(t->FontComboBox1)})
        ReturnFocusAfterPick(box, Memo1);
    for (const auto& a : t->AlignButtons()) {
        QToolButton* button = a.button;
        connect(button, &QToolButton::clicked, this, [this, button] { LeftAlignClick(button); });
    }
    connect(t->BulletsButton, &QToolButton::clicked, this, &ComposeEditor::BulletsButtonClick);
    connect(t->UndoBtn, &QToolButton::clicked, this, &ComposeEditor::UndoBtnClick);
    connect(t->LoadBtn, &QToolButton::clicked, this,
            [this] { RunHandler(context_, [this] { LoadFromFile1Click(); }); });
}

// Runs apply on a copy of the editor's cursor and gives the editor the
// result, so that a format set with no selection is the typing format.
template <class F> void ComposeEditor::Edit(F apply) {
    QTextCursor c = Memo1->textCursor();
    apply(c);
    Memo1->setTextCursor(c);
}

void ComposeEditor::StyleClick(QToolButton* button, int bit, bool fromAction) {
    if (fromAction)
        button->setChecked(!button->isChecked());
    Edit([&](QTextCursor& c) {
        int style = Format.Style(c);
        style = button->isChecked() ? style | bit : style & ~bit;
        Format.SetStyle(c, style);
    });
}

void ComposeEditor::BoldBtnClick(bool fromAction) {
    StyleClick(Panel8->BoldBtn, Style::Bold, fromAction);
}
void ComposeEditor::ItalBtnClick(bool fromAction) {
    StyleClick(Panel8->ItalBtn, Style::Italic, fromAction);
}
void ComposeEditor::UnderLineBtnClick(bool fromAction) {
    StyleClick(Panel8->UnderLineBtn, Style::Underline, fromAction);
}

void ComposeEditor::ComboBox1Change() {
    const QString text = Panel8->ComboBox1->currentText();
    // While the user retypes the size the box is empty for a moment: the
    // format keeps its size until a number stands there.
    if (text.isEmpty())
        return;
    const int points = WholeNumberOrThrow(text);
    Edit([&](QTextCursor& c) { Format.SetSize(c, points); });
}

void ComposeEditor::FontSizeActExecute() {
    Panel8->ComboBox1->setFocus(Qt::ShortcutFocusReason);
    Panel8->ComboBox1->lineEdit()->selectAll();
}

void ComposeEditor::ColorComboBox1Change() {
    const QColor color = ColorFromNumber(Panel8->ColorComboBox1->ColorValue());
    Edit([&](QTextCursor& c) { Format.SetColor(c, color); });
}

void ComposeEditor::FontComboBox1Change() {
    const QString family = FontName();
    if (family.isEmpty())
        return;
    Edit([&](QTextCursor& c) { Format.SetFontName(c, family); });
}

void ComposeEditor::LeftAlignClick(QToolButton* button) {
    int value = Alignment::Left;
    for (const auto& a : Panel8->AlignButtons()) {
        if (a.button == button)
            value = a.value;
        else if (button->isChecked())
            a.button->setChecked(false);
    }
    Edit([&](QTextCursor& c) { Format.SetAlignment(c, value); });
}

void ComposeEditor::BulletsButtonClick() {
    const bool on = Panel8->BulletsButton->isChecked();
    Edit([&](QTextCursor& c) { Format.SetBullets(c, on); });
}

void ComposeEditor::Memo1SelectionChange() {
    const TextState s = TextStateAt(Memo1->textCursor());
    EditorToolbar* t = Panel8;
    t->BoldBtn->setChecked(s.style & Style::Bold);
    t->ItalBtn->setChecked(s.style & Style::Italic);
    t->UnderLineBtn->setChecked(s.style & Style::Underline);
    {
        const QSignalBlocker size(t->ComboBox1);
        const QSignalBlocker font(t->FontComboBox1);
        t->ComboBox1->setEditText(QString::number(s.points));
        t->FontComboBox1->setCurrentFont(QFont(s.fontName));
    }
    if (s.alignment != Alignment::Justify)
        for (const auto& a : t->AlignButtons())
            a.button->setChecked(a.value == s.alignment);
    t->BulletsButton->setChecked(s.numbered);
    t->UndoBtn->setEnabled(Undo->CanUndo());
    if (Memo1Change)
        Memo1Change();
}

void ComposeEditor::EditCut1Execute() {
    Memo1->cut();
}
void ComposeEditor::EditCopy1Execute() {
    Memo1->copy();
}
void ComposeEditor::EditPaste1Execute() {
    Memo1->paste();
}

void ComposeEditor::UndoBtnClick() {
    Edit([&](QTextCursor& c) { Undo->Undo(&c); });
}

void ComposeEditor::LoadFromFile1Click() {
    const QString fileName = context_.dialogs->OpenFileName(OpenDialogTitle, OpenDialogFilter);
    if (fileName.isEmpty())
        return;
    // The load replaces the content; what was there cannot be undone.
    QTextDocument* doc = Memo1->document();
    if (LoadDocumentFile(fileName, doc, maxFileBytes_) == DocumentFormat::PlainText) {
        // Plain text takes the editor's default format.
        doc->setUndoRedoEnabled(false);
        QTextCursor all(doc);
        all.select(QTextCursor::Document);
        all.mergeCharFormat(Format.DefaultFormat());
        all.mergeBlockCharFormat(Format.DefaultFormat());
        doc->setUndoRedoEnabled(true);
    }
    QTextCursor start(doc);
    Memo1->setTextCursor(start);
    Memo1SelectionChange();
}

void ComposeEditor::WatchFocus(QWidget*, QWidget* now) {
    disconnect(focusedSelection_);
    if (!now || now->window() != Memo1->window())
        return;
    auto update = [this, now] { UpdateEditActions(now); };
    if (auto* line = qobject_cast<QLineEdit*>(now))
        focusedSelection_ = connect(line, &QLineEdit::selectionChanged, this, update);
    else if (auto* text = qobject_cast<QTextEdit*>(now))
        focusedSelection_ = connect(text, &QTextEdit::selectionChanged, this, update);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(now))
        focusedSelection_ = connect(plain, &QPlainTextEdit::selectionChanged, this, update);
    UpdateEditActions(now);
}

void ComposeEditor::UpdateEditActions(QWidget* focus) {
    bool selected = false;
    if (auto* line = qobject_cast<QLineEdit*>(focus))
        selected = line->hasSelectedText();
    else if (auto* text = qobject_cast<QTextEdit*>(focus))
        selected = text->textCursor().hasSelection();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus))
        selected = plain->textCursor().hasSelection();
    else
        return; // not an edit control: the states stay
    EditCut1->setEnabled(selected);
    EditCopy1->setEnabled(selected);
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    EditPaste1->setEnabled(clip && clip->hasText());
}

void ComposeEditor::ApplyToolbarToEditor() {
    EditorToolbar* t = Panel8;
    // On an editor with nothing to undo (at start) the format is no step to
    // undo: Undo stays disabled.
    QTextDocument* doc = Memo1->document();
    const bool fresh = !doc->isUndoAvailable() && !doc->isRedoAvailable();
    doc->setUndoRedoEnabled(!fresh);
    const auto enableUndo = qScopeGuard([doc] { doc->setUndoRedoEnabled(true); });
    Edit([&](QTextCursor& c) {
        int style = Format.Style(c);
        for (auto [button, bit] :
             {std::pair{t->BoldBtn, Style::Bold}, std::pair{t->ItalBtn, Style::Italic},
              std::pair{t->UnderLineBtn, Style::Underline}})
            style = button->isChecked() ? style | bit : style & ~bit;
        Format.SetStyle(c, style);
        Format.SetSize(c, WholeNumberOrThrow(SizeText()));
        Format.SetColor(c, ColorFromNumber(ColorValue()));
        Format.SetFontName(c, FontName());
        for (const auto& a : t->AlignButtons())
            if (a.button->isChecked())
                Format.SetAlignment(c, a.value);
        Format.SetBullets(c, t->BulletsButton->isChecked());
    });
}

QString ComposeEditor::SizeText() const {
    return Panel8->ComboBox1->currentText();
}

void ComposeEditor::SetSizeText(const QString& text) {
    const QSignalBlocker block(Panel8->ComboBox1);
    Panel8->ComboBox1->setEditText(text);
}

quint32 ComposeEditor::ColorValue() const {
    return Panel8->ColorComboBox1->ColorValue();
}

void ComposeEditor::SetColorValue(quint32 number) {
    Panel8->ColorComboBox1->SetColorValue(number);
}

QString ComposeEditor::FontName() const {
    return Panel8->FontComboBox1->Family();
}

void ComposeEditor::SetFontName(const QString& family) {
    Panel8->FontComboBox1->setCurrentFont(QFont(family));
}

void ComposeEditor::AttachContextMenu(QTextEdit* view) {
    menuHolders_.append(view);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        UpdateEditActions(view);
        PopupMenu2->popup(view->viewport()->mapToGlobal(at));
    });
}

bool ComposeEditor::ContextMenuShortcut(QWidget* focus, QKeyCombination key, bool run) {
    bool holds = false;
    for (QWidget* w = focus; w && !holds; w = w->parentWidget())
        holds = menuHolders_.contains(w);
    if (!holds)
        return false;
    for (QAction* item : PopupMenu2->actions()) {
        if (item->shortcut() != QKeySequence(key))
            continue;
        if (run && item->isEnabled())
            item->trigger();
        return true;
    }
    return false;
}

QList<QAction*> ComposeEditor::ShortcutActions() const {
    return {BoldAction, ItalicAction, UnderlineAction, FontSizeAct,
            EditCut1,   EditCopy1,    EditPaste1};
}

} // namespace corvane
