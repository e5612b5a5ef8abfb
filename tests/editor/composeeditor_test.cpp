// The compose editor's window: toolbar, following the caret, the alignment
// group, the size box, keys, undo and loading files.
#include "editor/composeeditor.h"

#include "editor/composetextedit.h"
#include "editor/editorformat.h"
#include "editor/editortoolbar.h"
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"
#include "editor/undolimit.h"
#include "support/testcontext.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextList>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::TestComputer;

namespace {

struct EditorPage {
    EditorPage() : computer(QStringLiteral("HOST1"), 2, {}) {
        auto* layout = new QVBoxLayout(&page);
        editor = std::make_unique<ComposeEditor>(&page, computer.context, 1 << 20);
        layout->addWidget(editor->Panel8);
        layout->addWidget(editor->Memo1);
        other = new QPushButton(QStringLiteral("other"), &page);
        layout->addWidget(other);
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
    }
    EditorToolbar& Bar() { return *editor->Panel8; }
    ComposeTextEdit& Memo() { return *editor->Memo1; }
    QTextCharFormat FormatAt(int pos) {
        QTextCursor c(Memo().document());
        c.setPosition(pos + 1);
        return c.charFormat();
    }
    void Select(int from, int to) {
        QTextCursor c(Memo().document());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        Memo().setTextCursor(c);
    }
    void Caret(int at) { Select(at, at); }
    void Type(const char* text) {
        Memo().setFocus();
        QTest::keyClicks(&Memo(), QLatin1String(text));
    }
    TestComputer computer;
    QWidget page;
    std::unique_ptr<ComposeEditor> editor;
    QPushButton* other = nullptr;
};

} // namespace

TEST(ComposeEditor, ToolbarAsCreated) {
    EditorPage p;
    EditorToolbar& t = p.Bar();
    EXPECT_EQ(t.objectName(), QStringLiteral("Panel8"));
    const struct {
        QWidget* control;
        const char* name;
        const char* hint;
    } controls[] = {
        {t.ComboBox1, "ComboBox1", "Font Size (CTRL-S)"},
        {t.ColorComboBox1, "ColorComboBox1", "Font Color"},
        {t.FontComboBox1, "FontComboBox1", "Font Name"},
        {t.BoldBtn, "BoldBtn", "Bold (CTRL-B)"},
        {t.ItalBtn, "ItalBtn", "Italic (CTRL-I)"},
        {t.UnderLineBtn, "UnderLineBtn", "Underline (CTRL-U)"},
        {t.LeftAlign, "LeftAlign", "Align Left"},
        {t.CenterAlign, "CenterAlign", "Align Center"},
        {t.RightAlign, "RightAlign", "Align Right"},
        {t.BulletsButton, "BulletsButton", "Bullets"},
        {t.CutBtn, "CutBtn", "Cut"},
        {t.CopyBtn, "CopyBtn", "Copy"},
        {t.PasteBtn, "PasteBtn", "Paste"},
        {t.UndoBtn, "UndoBtn", "Undo"},
        {t.LoadBtn, "LoadBtn", "Load From File"},
    };
    for (const auto& c : controls) {
        EXPECT_EQ(c.control->objectName(), QLatin1String(c.name));
        EXPECT_EQ(c.control->toolTip(), QLatin1String(c.hint)) << c.name;
        EXPECT_FALSE(c.control->accessibleName().isEmpty()) << c.name;
        EXPECT_NE(c.control->focusPolicy(), Qt::NoFocus) << c.name;
        if (auto* b = qobject_cast<QToolButton*>(c.control)) {
            EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly) << c.name;
            EXPECT_FALSE(b->icon().isNull()) << c.name;
            EXPECT_FALSE(b->isChecked()) << c.name;
        }
    }
    EXPECT_EQ(t.ComboBox1->count(), 16);
    EXPECT_EQ(t.ComboBox1->maxVisibleItems(), 12);
    EXPECT_EQ(t.ComboBox1->currentText(), QStringLiteral("8"));
    EXPECT_EQ(t.ColorComboBox1->count(), 16);
    EXPECT_EQ(t.ColorComboBox1->ColorValue(), 0u);
    EXPECT_TRUE(t.ColorComboBox1->itemText(9).isEmpty()); // swatches, no names
    EXPECT_FALSE(t.UndoBtn->isEnabled());
    EXPECT_TRUE(t.LoadBtn->isEnabled());
    EXPECT_EQ(p.editor->EditCut1->text(), QStringLiteral("Cu&t"));
    EXPECT_EQ(p.editor->BoldAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    EXPECT_EQ(p.editor->FontSizeAct->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QStringList menu;
    for (QAction* a : p.editor->PopupMenu2->actions())
        menu << a->objectName();
    EXPECT_EQ(menu, QStringList({"Cut1", "Copy1", "Paste1", "LoadFromFile1"}));
    EXPECT_EQ(p.editor->Copy1->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
}

TEST(ComposeEditor, ToolbarCommandsOnASelectionAndOnTheTextTypedNext) {
    EditorPage p;
    p.Memo().setPlainText(QStringLiteral("Hello world"));
    p.Select(6, 11);
    QTest::mouseClick(p.Bar().BoldBtn, Qt::LeftButton);
    p.Bar().ColorComboBox1->setCurrentIndex(9); // red
    p.Bar().ComboBox1->setEditText(QStringLiteral("14"));
    EXPECT_EQ(p.FormatAt(7).fontWeight(), QFont::Bold);
    EXPECT_EQ(p.FormatAt(7).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(p.FormatAt(7).fontPointSize(), 14);
    EXPECT_NE(p.FormatAt(2).fontWeight(), QFont::Bold);

    p.Caret(5);
    EXPECT_FALSE(p.Bar().BoldBtn->isChecked());
    QTest::mouseClick(p.Bar().ItalBtn, Qt::LeftButton);
    p.Bar().ComboBox1->setEditText(QStringLiteral("500"));
    p.Type("x");
    EXPECT_TRUE(p.FormatAt(5).fontItalic());
    EXPECT_EQ(p.FormatAt(5).fontPointSize(), 500);
    EXPECT_FALSE(p.FormatAt(4).fontItalic());
    // Ctrl+B from the action flips the button first.
    p.editor->BoldAction->trigger();
    EXPECT_TRUE(p.Bar().BoldBtn->isChecked());
    p.Type("y");
    EXPECT_EQ(p.FormatAt(6).fontWeight(), QFont::Bold);
    EXPECT_TRUE(p.FormatAt(6).fontItalic());
    // Cleared after sending: the next message starts with the same format.
    p.Memo().clear();
    p.Type("z");
    EXPECT_EQ(p.FormatAt(0).fontWeight(), QFont::Bold);
    EXPECT_TRUE(p.FormatAt(0).fontItalic());
    EXPECT_EQ(p.FormatAt(0).fontPointSize(), 500);
}

namespace {

// Picks an item of a box's list with the mouse, as a person does.
void PickFromList(QComboBox* box, int index) {
    box->showPopup();
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QRect item = list->visualRect(list->model()->index(index, 0));
    const QPoint at(std::min(item.center().x(), list->viewport()->width() / 2), item.center().y());
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Clicks into the text at a character position.
void ClickAt(ComposeTextEdit& memo, int position) {
    QTextCursor c(memo.document());
    c.setPosition(position);
    QTest::mouseClick(memo.viewport(), Qt::LeftButton, {}, memo.cursorRect(c).center());
}

} // namespace

TEST(ComposeEditor, FormatRulesAsAPersonMeetsThem) {
    const struct {
        const char* rule;
        std::function<void(EditorPage&)> check;
    } rules[] = {
        {"a click back at the caret keeps the size and colour picked",
         [](EditorPage& p) {
             p.Memo().setPlainText(QStringLiteral("abc"));
             p.Caret(3);
             PickFromList(p.Bar().ComboBox1, 5);      // 14
             PickFromList(p.Bar().ColorComboBox1, 9); // red
             ClickAt(p.Memo(), 3);
             QTest::keyClicks(&p.Memo(), QStringLiteral("xy"));
             EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("abcxy"));
             EXPECT_EQ(p.FormatAt(4).fontPointSize(), 14);
             EXPECT_EQ(p.FormatAt(4).foreground().color(), QColor(255, 0, 0));
         }},
        {"a click elsewhere takes the format of the text there",
         [](EditorPage& p) {
             p.Memo().setPlainText(QStringLiteral("abc"));
             p.Caret(3);
             PickFromList(p.Bar().ComboBox1, 5);
             ClickAt(p.Memo(), 1);
             QTest::keyClicks(&p.Memo(), QStringLiteral("x"));
             EXPECT_NE(p.FormatAt(1).fontPointSize(), 14);
             EXPECT_NE(p.Bar().ComboBox1->currentText(), QStringLiteral("14"));
         }},
        {"after a pick in a box the focus is back in the text; arrow keys keep it in the box",
         [](EditorPage& p) {
             EditorToolbar& t = p.Bar();
             for (QComboBox* box : {t.ComboBox1, static_cast<QComboBox*>(t.ColorComboBox1),
                                    static_cast<QComboBox*>(t.FontComboBox1)}) {
                 box->setFocus();
                 PickFromList(box, 2);
                 EXPECT_TRUE(p.Memo().hasFocus()) << box->objectName().toStdString();
             }
             t.ColorComboBox1->setFocus();
             QTest::keyClick(t.ColorComboBox1, Qt::Key_Down);
             EXPECT_TRUE(t.ColorComboBox1->hasFocus());
             t.ComboBox1->setFocus();
             t.ComboBox1->lineEdit()->setText(QStringLiteral("20"));
             QTest::keyClick(t.ComboBox1->lineEdit(), Qt::Key_Return);
             EXPECT_TRUE(p.Memo().hasFocus());
         }},
        {"Undo is disabled at start, also after the toolbar's format is applied",
         [](EditorPage& p) {
             QTest::mouseClick(p.Bar().CenterAlign, Qt::LeftButton);
             p.Bar().BoldBtn->setChecked(true);
             p.Memo().document()->clearUndoRedoStacks();
             p.editor->ApplyToolbarToEditor();
             EXPECT_FALSE(p.Bar().UndoBtn->isEnabled());
             EXPECT_FALSE(p.Memo().document()->isUndoAvailable());
             p.Type("x");
             EXPECT_TRUE(p.Bar().UndoBtn->isEnabled());
             EXPECT_EQ(p.FormatAt(0).fontWeight(), QFont::Bold);
         }},
        {"a bullet hangs 10 points in the editor and in the RTF, also after clearing",
         [](EditorPage& p) {
             for (int round = 0; round < 2; ++round) {
                 p.Memo().clear();
                 p.Type("item");
                 p.Bar().BulletsButton->setChecked(false);
                 QTest::mouseClick(p.Bar().BulletsButton, Qt::LeftButton);
                 const QTextBlock block = p.Memo().document()->firstBlock();
                 ASSERT_NE(block.textList(), nullptr);
                 const double hang =
                     block.textList()->format().indent() * p.Memo().document()->indentWidth();
                 EXPECT_NEAR(hang * 72.0 / 96.0, 10.0, 0.01); // points
                 const QByteArray rtf = RtfWriter().Write(*p.Memo().document());
                 EXPECT_TRUE(rtf.contains("\\fi-200\\li200")) << rtf.constData();
                 // and a receiver shows it so
                 QTextDocument received;
                 ASSERT_TRUE(RtfReader().Read(rtf, &received));
                 const QTextList* list = received.firstBlock().textList();
                 ASSERT_NE(list, nullptr);
                 EXPECT_NEAR(list->format().indent() * received.indentWidth() +
                                 received.firstBlock().blockFormat().leftMargin(),
                             hang, 0.01);
             }
         }},
        {"the default font is listed and sent as Times New Roman",
         [](EditorPage& p) {
             EXPECT_EQ(p.Bar().FontComboBox1->currentText(), QStringLiteral("Times New Roman"));
             p.editor->ApplyToolbarToEditor();
             p.Type("x");
             const QByteArray rtf = RtfWriter().Write(*p.Memo().document());
             EXPECT_TRUE(rtf.contains(" Times New Roman;}")) << rtf.constData();
         }},
        {"each family is listed once, without its foundry; a missing one by its own name",
         [](EditorPage& p) {
             QComboBox* box = p.Bar().FontComboBox1;
             QStringList listed;
             for (int i = 0; i < box->count(); ++i)
                 listed << box->itemText(i);
             EXPECT_EQ(listed.removeDuplicates(), 0);
             for (const QString& family : QFontDatabase::families())
                 EXPECT_TRUE(listed.contains(FontFamilyName(family))) << family.toStdString();
             EXPECT_FALSE(listed.join(u'|').contains(QLatin1String(" [")))
                 << listed.join(u'|').toStdString();
             p.editor->SetFontName(QStringLiteral("No Such Face"));
             EXPECT_EQ(p.editor->FontName(), QStringLiteral("No Such Face"));
             EXPECT_EQ(box->count(), listed.size() + 1);
         }},
    };
    for (const auto& r : rules) {
        SCOPED_TRACE(r.rule);
        EditorPage p;
        r.check(p);
    }
}

TEST(ComposeEditor, TheToolbarFollowsTheCaretWithoutChangingAnyFormat) {
    EditorPage p;
    p.Memo().setHtml(QStringLiteral(
        "<p>plain <b><i><span style='font-size:14pt; font-family:\"DejaVu Sans Mono\"'>rich</span>"
        "</i></b></p><p align=center>middle</p><p align=justify>justified</p>"
        "<ul><li>item</li></ul>"));
    EditorToolbar& t = p.Bar();
    const int revision = p.Memo().document()->revision();
    p.Caret(8); // inside "rich"
    EXPECT_TRUE(t.BoldBtn->isChecked());
    EXPECT_TRUE(t.ItalBtn->isChecked());
    EXPECT_FALSE(t.UnderLineBtn->isChecked());
    EXPECT_EQ(t.ComboBox1->currentText(), QStringLiteral("14"));
    EXPECT_EQ(t.FontComboBox1->currentText(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_TRUE(t.LeftAlign->isChecked());
    p.Caret(14); // "middle"
    EXPECT_FALSE(t.BoldBtn->isChecked());
    EXPECT_TRUE(t.CenterAlign->isChecked());
    EXPECT_FALSE(t.LeftAlign->isChecked());
    p.Caret(22); // justified: the alignment buttons stay
    EXPECT_TRUE(t.CenterAlign->isChecked());
    EXPECT_FALSE(t.BulletsButton->isChecked());
    p.Caret(p.Memo().document()->characterCount() - 2); // the bulleted item
    EXPECT_TRUE(t.BulletsButton->isChecked());
    EXPECT_EQ(p.Memo().document()->revision(), revision);
    EXPECT_FALSE(t.UndoBtn->isEnabled());
}

TEST(ComposeEditor, AlignmentGroupAndBullets) {
    EditorPage p;
    p.Memo().setPlainText(QStringLiteral("one\ntwo"));
    p.Caret(1);
    EditorToolbar& t = p.Bar();
    const auto align = [&] {
        return AlignmentValue(p.Memo().document()->firstBlock().blockFormat().alignment());
    };
    const auto down = [&] {
        return QList<bool>{t.LeftAlign->isChecked(), t.CenterAlign->isChecked(),
                           t.RightAlign->isChecked()};
    };
    QTest::mouseClick(t.CenterAlign, Qt::LeftButton);
    EXPECT_EQ(down(), QList<bool>({false, true, false}));
    EXPECT_EQ(align(), Alignment::Center);
    QTest::mouseClick(t.RightAlign, Qt::LeftButton);
    EXPECT_EQ(down(), QList<bool>({false, false, true}));
    EXPECT_EQ(align(), Alignment::Right);
    // The button that is down releases and applies its alignment again.
    QTest::mouseClick(t.RightAlign, Qt::LeftButton);
    EXPECT_EQ(down(), QList<bool>({false, false, false}));
    EXPECT_EQ(align(), Alignment::Right);
    EXPECT_EQ(AlignmentValue(p.Memo().document()->lastBlock().blockFormat().alignment()),
              Alignment::Left);

    QTest::mouseClick(t.BulletsButton, Qt::LeftButton);
    EXPECT_NE(p.Memo().document()->firstBlock().textList(), nullptr);
    EXPECT_EQ(p.Memo().document()->lastBlock().textList(), nullptr);
    QTest::mouseClick(t.BulletsButton, Qt::LeftButton);
    EXPECT_EQ(p.Memo().document()->firstBlock().textList(), nullptr);
}

TEST(ComposeEditor, SizeBoxTakesWholeNumbersOnly) {
    EditorPage p;
    p.Memo().setPlainText(QStringLiteral("abc"));
    p.Select(0, 3);
    QComboBox* size = p.Bar().ComboBox1;
    size->setEditText(QStringLiteral("20"));
    size->setEditText(QString()); // retyping: no box, the size stays
    EXPECT_TRUE(p.computer.dialogs.shown.empty());
    size->setEditText(QStringLiteral("2x"));
    ASSERT_EQ(p.computer.dialogs.shown.size(), 1u);
    EXPECT_EQ(p.computer.dialogs.shown[0].text,
              QStringLiteral("'2x' is not a valid integer value."));
    EXPECT_EQ(size->currentText(), QStringLiteral("2x"));
    EXPECT_EQ(p.FormatAt(1).fontPointSize(), 20);
    size->setEditText(QStringLiteral("0"));
    EXPECT_EQ(p.FormatAt(1).fontPointSize(), 0);
    // Ctrl+S takes the focus to the size box.
    p.editor->FontSizeAct->trigger();
    EXPECT_TRUE(size->hasFocus());
}

TEST(ComposeEditor, TabMovesOnCtrlTabTypesATabAndUndoStaysInItsLimit) {
    EditorPage p;
    p.Memo().setFocus();
    QTest::keyClick(&p.Memo(), Qt::Key_Tab);
    EXPECT_TRUE(p.other->hasFocus());
    EXPECT_TRUE(p.Memo().toPlainText().isEmpty());
    p.Memo().setFocus();
    QTest::keyClick(&p.Memo(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("\t"));
    EXPECT_TRUE(p.Memo().hasFocus());

    EXPECT_TRUE(p.Bar().UndoBtn->isEnabled());
    QTest::keyClick(&p.Memo(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(p.Memo().toPlainText().isEmpty());
    EXPECT_FALSE(p.Bar().UndoBtn->isEnabled());
    QTest::keyClick(&p.Memo(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("\t"));
}

TEST(ComposeEditor, EditActionsFollowTheFocusedEditControl) {
    EditorPage p;
    auto* field = new QLineEdit(QStringLiteral("field"), &p.page);
    field->show();
    p.Memo().setPlainText(QStringLiteral("text"));
    p.Memo().setFocus();
    p.Select(0, 2);
    EXPECT_TRUE(p.editor->EditCut1->isEnabled());
    EXPECT_TRUE(p.editor->Cut1->isEnabled());            // the menu item follows
    p.editor->Cut1->setText(QStringLiteral("Вырезать")); // its own caption stays
    EXPECT_TRUE(p.Bar().CopyBtn->isEnabled());
    p.other->setFocus(); // not an edit control: unchanged
    EXPECT_TRUE(p.editor->EditCopy1->isEnabled());
    field->setFocus();
    field->deselect();
    EXPECT_FALSE(p.editor->EditCopy1->isEnabled());
    EXPECT_FALSE(p.editor->Cut1->isEnabled());
    EXPECT_EQ(p.editor->Cut1->text(), QStringLiteral("Вырезать"));
    EXPECT_FALSE(p.Bar().CutBtn->isEnabled());
    field->selectAll();
    EXPECT_TRUE(p.editor->EditCopy1->isEnabled());
    // The actions act on the editor, whichever control has the focus.
    p.editor->EditCut1->trigger();
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("xt"));
    EXPECT_EQ(field->text(), QStringLiteral("field"));
}

TEST(ComposeEditor, LoadingFiles) {
    EditorPage p;
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    const QString rtfInCapitals = write("NOTE.TXT", "{\\rtf1 {\\b x}\\par}");
    const QString rtfUnknown = write("letter.msg", "{\\rtf1 {\\b bold}\\par}");
    auto& d = p.computer.dialogs;
    d.fileNames = {rtfInCapitals, rtfUnknown, QString(), dir.filePath(QStringLiteral("gone.rtf"))};
    p.Memo().setPlainText(QStringLiteral("old"));
    QTest::mouseClick(p.Bar().LoadBtn, Qt::LeftButton);
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("{\\rtf1 {\\b x}\\par}"));
    p.editor->LoadFromFile1->trigger();
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("bold"));
    EXPECT_EQ(p.FormatAt(1).fontWeight(), QFont::Bold);
    p.editor->LoadFromFile1->trigger(); // cancelled
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("bold"));
    p.editor->LoadFromFile1->trigger();
    EXPECT_EQ(p.Memo().toPlainText(), QStringLiteral("bold"));
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text,
              QStringLiteral("Cannot open file ") + dir.filePath(QStringLiteral("gone.rtf")) + ".");
    EXPECT_EQ(d.shown[0].title, QStringLiteral("Corvane 3.0"));
}
