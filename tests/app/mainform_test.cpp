#include "app/mainform.h"

#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "editor/composeeditor.h"
#include "editor/editortoolbar.h"
#include "messaging/messagelistener.h"
#include "messaging/storepage.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"
#include "transport/datagramnetwork.h"
#include "transport/mailslot.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpServer>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::MakeComputers;
using corvane::test::TestComputer;
using corvane::test::WaitUntil;

namespace {

// A second computer that watches the presence slot.
struct Watcher {
    explicit Watcher(TestComputer& c) : network(c.context), slot(network) {
        c.context.datagrams = &network;
        slot.SetSlot(QStringLiteral("CORVANE3"));
        slot.OnMessageAvail = [this](TmdCustomMailSlot*, const QByteArray& m) { received << m; };
        slot.Open();
    }
    DatagramNetwork network;
    TmdSecureMail slot;
    QByteArrayList received;
    bool Saw(const QByteArray& keyword) const {
        for (const QByteArray& r : received)
            if (Field(r, 1) == keyword)
                return true;
        return false;
    }
};

void MakeActive(TMainForm& form) {
    form.RestoreApplication();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

} // namespace

TEST(MainForm, ShellAsCreated) {
    auto computers = MakeComputers(1);
    TMainForm form(computers[0]->context);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Corvane"));
    ASSERT_EQ(form.PageControl1->count(), 5);
    const QStringList captions = {"Compose", "Incoming", "Outgoing", "Groups", "Options"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.PageControl1->tabText(i), captions[i]);
        EXPECT_EQ(form.PageControl1->widget(i)->objectName(),
                  QStringLiteral("TabSheet%1").arg(i + 1));
    }
    EXPECT_FALSE(form.SendBtn->isEnabled());
    EXPECT_EQ(form.SendBtn->toolTip(), QStringLiteral("F5 - Send message"));
    EXPECT_EQ(form.CloseBtn->text(), QStringLiteral("Hi&de"));
    EXPECT_EQ(form.ChatBtn->text(), QStringLiteral("Cha&t"));
    EXPECT_EQ(form.ExitMenu->text(), QStringLiteral("E&xit"));
    EXPECT_EQ(form.ExitMenu->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_TRUE(form.IsPopupMenu->isChecked());
    EXPECT_TRUE(form.English1->isChecked());
    EXPECT_FALSE(form.Russian1->isChecked());
    for (const char* name : {"IsPopupMenu", "Russian1", "English1", "ExitMenu", "Undo1", "N2"})
        EXPECT_NE(form.findChild<QAction*>(QLatin1String(name)), nullptr) << name;
    EXPECT_FALSE(form.IcqSlot->Active());
    EXPECT_EQ(form.IcqSlot->Slot(), QStringLiteral("CORVANE3"));
    EXPECT_TRUE(form.MsgServer->IsListening());
    for (int i = 0; i < ImageList::Count; ++i)
        EXPECT_EQ(form.ImageList1.Pixmap(i).size(), QSize(16, 16));
    EXPECT_GE(form.minimumWidth(), TMainForm::DesignWidth);
    // Nothing but the presence timer wakes an idle copy.
    for (QTimer* timer : form.findChildren<QTimer*>())
        EXPECT_TRUE(!timer->isActive() || timer == form.RxTimerEvent1)
            << timer->objectName().toStdString();

    form.AppActivate();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Corvane 3.0"));
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
    EXPECT_FALSE(form.EverShown());
}

TEST(MainForm, FirstShowingFillsTheAliasAndOpensTheEndpoint) {
    auto computers = MakeComputers(2);
    Watcher watcher(*computers[1]);
    TMainForm form(computers[0]->context);
    int laterSteps = 0;
    form.AfterEndpointOpen.push_back([&] { ++laterSteps; });
    form.RestoreApplication();
    EXPECT_TRUE(form.EverShown());
    EXPECT_EQ(form.Options->AliasEdit->text(), QStringLiteral("HOST1"));
    EXPECT_TRUE(form.IcqSlot->Active());
    EXPECT_EQ(laterSteps, 1);
    // Later restores only bring the window back.
    form.Options->AliasEdit->setText(QString());
    form.RestoreApplication();
    EXPECT_EQ(form.Options->AliasEdit->text(), QString());
    EXPECT_EQ(laterSteps, 1);
}

TEST(MainForm, AnEndpointThatCannotOpenStopsTheRestoreWithTheErrorBox) {
    auto computers = MakeComputers(1);
    TestComputer& c = *computers[0];
    TMainForm first(c.context);
    first.RestoreApplication();
    ASSERT_TRUE(first.IcqSlot->Active());

    // A second copy on the same address: its port is taken.
    TestComputer twin(QStringLiteral("HOST1"), 2, {});
    twin.context.network.messagePort = 0; // its own listener somewhere else
    TMainForm second(twin.context);
    int laterSteps = 0;
    second.AfterEndpointOpen.push_back([&] { ++laterSteps; });
    second.Options->AliasEdit->setText(QStringLiteral("Kept"));
    second.RestoreApplication();
    EXPECT_FALSE(second.IcqSlot->Active());
    EXPECT_EQ(laterSteps, 0);
    ASSERT_EQ(twin.dialogs.shown.size(), 1u);
    EXPECT_EQ(twin.dialogs.shown[0].text, QStringLiteral("Mailslot allready exists."));
    EXPECT_EQ(twin.dialogs.shown[0].title, QStringLiteral("Corvane 3.0"));
    EXPECT_EQ(twin.dialogs.shown[0].icon, DialogService::Icon::Stop);
    EXPECT_EQ(second.Options->AliasEdit->text(), QStringLiteral("Kept"));
}

TEST(MainForm, StartUpFailsWhenTheMessagePortIsTaken) {
    auto computers = MakeComputers(1);
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(computers[0]->context.network.bindAddress,
                              computers[0]->context.network.messagePort));
    try {
        TMainForm form(computers[0]->context);
        FAIL() << "the window came up";
    } catch (const StartupError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("37139"))) << e.Message().toStdString();
    }
}

TEST(MainForm, DecliningTheExitQuestionChangesNothing) {
    auto computers = MakeComputers(2);
    Watcher watcher(*computers[1]);
    TestComputer& c = *computers[0];
    TMainForm form(c.context);
    MakeActive(form);
    for (auto answer : {DialogService::No, DialogService::Cancel}) {
        c.dialogs.answers = {answer};
        form.ExitMenuClick();
        EXPECT_TRUE(form.isVisible());
    }
    ASSERT_EQ(c.dialogs.shown.size(), 2u);
    EXPECT_EQ(c.dialogs.shown[0].text, QStringLiteral("Are you sure to quit?"));
    EXPECT_EQ(c.dialogs.shown[0].title, QStringLiteral("Corvane 3.0"));
    EXPECT_EQ(c.dialogs.shown[0].icon, DialogService::Icon::Question);
    EXPECT_EQ(c.dialogs.shown[0].buttons,
              DialogService::Yes | DialogService::No | DialogService::Cancel);
    PumpMessagesFor(100);
    EXPECT_FALSE(watcher.Saw("OFFLINE_NOTIFY"));
    EXPECT_TRUE(form.IcqSlot->Active());
    EXPECT_TRUE(form.MsgServer->IsListening());
}

TEST(MainForm, ClosingSendsTheDepartureAndShutsTheEndpoints) {
    auto computers = MakeComputers(2);
    Watcher watcher(*computers[1]);
    TestComputer& c = *computers[0];
    TMainForm form(c.context);
    QSignalSpy closed(&form, &TMainForm::Closed);
    MakeActive(form);
    form.Options->AliasEdit->setText(QStringLiteral("Anna"));
    c.dialogs.answers = {DialogService::Yes};
    form.ExitMenuClick();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(form.IcqSlot->Active());
    EXPECT_FALSE(form.MsgServer->IsListening());
    ASSERT_TRUE(WaitUntil([&] { return watcher.Saw("OFFLINE_NOTIFY"); }));
    for (const QByteArray& r : watcher.received)
        if (Field(r, 1) == "OFFLINE_NOTIFY") {
            EXPECT_EQ(r, JoinFields({"OFFLINE_NOTIFY", "HOST1", "Anna"}));
        }
}

TEST(MainForm, WithoutConfirmationOrAtSessionEndThereIsNoQuestion) {
    auto computers = MakeComputers(2);
    Watcher watcher(*computers[1]);
    {
        TestComputer& c = *computers[0];
        TMainForm form(c.context);
        MakeActive(form);
        form.Options->CheckBox1->setChecked(false);
        QSignalSpy closed(&form, &TMainForm::Closed);
        form.ExitMenuClick();
        EXPECT_EQ(closed.count(), 1);
        EXPECT_TRUE(c.dialogs.shown.empty());
    }
    {
        TestComputer c(QStringLiteral("HOST1"), 2, {3});
        TMainForm form(c.context);
        MakeActive(form);
        QSignalSpy closed(&form, &TMainForm::Closed);
        form.SessionClose();
        EXPECT_EQ(closed.count(), 1);
        EXPECT_TRUE(c.dialogs.shown.empty());
    }
    ASSERT_TRUE(WaitUntil([&] {
        int n = 0;
        for (const QByteArray& r : watcher.received)
            n += Field(r, 1) == "OFFLINE_NOTIFY";
        return n == 2;
    }));
}

TEST(MainForm, F5IsConsumedAndSendsOnlyWhenSendIsEnabled) {
    auto computers = MakeComputers(1);
    TMainForm form(computers[0]->context);
    MakeActive(form);
    int sends = 0;
    form.SendBtnClick = [&] { ++sends; };
    form.Memo1->setFocus();
    QTest::keyClick(form.Memo1, Qt::Key_F5);
    EXPECT_EQ(sends, 0);
    form.Memo1->setPlainText(QStringLiteral("hello"));
    EXPECT_FALSE(form.SendBtn->isEnabled()); // no recipient yet
    form.CompNameBtn->setText(QStringLiteral("ALL"));
    form.Memo1Change();
    EXPECT_TRUE(form.SendBtn->isEnabled());
    QTest::keyClick(form.Memo1, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(form.Memo1->toPlainText(), QStringLiteral("hello"));
}

TEST(MainForm, CtrlXCutsInTheEditorAndExitsElsewhere) {
    auto computers = MakeComputers(1);
    TestComputer& c = *computers[0];
    TMainForm form(c.context);
    MakeActive(form);
    form.Memo1->setPlainText(QStringLiteral("cut me"));
    form.Memo1->selectAll();
    form.Memo1->setFocus();
    QTest::keyClick(form.Memo1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form.Memo1->toPlainText(), QString());
    EXPECT_TRUE(c.dialogs.shown.empty());

    c.dialogs.answers = {DialogService::No};
    form.PageControl1->setCurrentWidget(form.TabSheet5);
    form.Options->CheckBox4->setFocus();
    QTest::keyClick(form.Options->CheckBox4, Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(c.dialogs.shown.size(), 1u);
    EXPECT_EQ(c.dialogs.shown[0].text, QStringLiteral("Are you sure to quit?"));
}

TEST(MainForm, PopupSwitchInvertsItsCheckMark) {
    auto computers = MakeComputers(1);
    TMainForm form(computers[0]->context);
    form.IsPopupMenu->trigger();
    EXPECT_FALSE(form.IsPopupMenu->isChecked());
    form.IsPopupMenu->trigger();
    EXPECT_TRUE(form.IsPopupMenu->isChecked());
}

TEST(MainForm, EditorKeysActOnTheComposeEditorFromAnywhere) {
    auto computers = MakeComputers(1);
    TestComputer& c = *computers[0];
    TMainForm form(c.context);
    MakeActive(form);
    form.Memo1->setPlainText(QStringLiteral("compose"));
    QTextCursor all(form.Memo1->document());
    all.setPosition(0);
    all.setPosition(4, QTextCursor::KeepAnchor);
    form.Memo1->setTextCursor(all);
    // Ctrl+B with the focus on a button of the Options page.
    form.PageControl1->setCurrentWidget(form.TabSheet5);
    form.Options->ApplyBtn2->setFocus();
    QTest::keyClick(form.Options->ApplyBtn2, Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(form.Editor->Panel8->BoldBtn->isChecked());
    QTextCursor at(form.Memo1->document());
    at.setPosition(2);
    EXPECT_EQ(at.charFormat().fontWeight(), QFont::Bold);
    // The alias field keeps its own Cut: Ctrl+X there cuts, it does not exit.
    form.Options->AliasEdit->setText(QStringLiteral("Anna"));
    form.Options->AliasEdit->setFocus();
    form.Options->AliasEdit->selectAll();
    QTest::keyClick(form.Options->AliasEdit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form.Options->AliasEdit->text(), QString());
    form.PageControl1->setCurrentWidget(form.TabSheet1); // so does the size box
    QComboBox* size = form.Editor->Panel8->ComboBox1;
    size->setFocus();
    size->lineEdit()->selectAll();
    QTest::keyClick(size, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(size->currentText(), QString());
    EXPECT_TRUE(c.dialogs.shown.empty());

    // The incoming viewer's context menu and keys act on the compose editor.
    QTextEdit* memo2 = form.Incoming->BodyView();
    memo2->setPlainText(QStringLiteral("incoming"));
    memo2->selectAll();
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    memo2->setFocus();
    ASSERT_TRUE(form.Editor->Copy1->isEnabled());
    QGuiApplication::clipboard()->clear();
    form.Editor->Copy1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("comp"));
    QTest::keyClick(memo2, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form.Memo1->toPlainText(), QStringLiteral("ose"));
    EXPECT_EQ(memo2->toPlainText(), QStringLiteral("incoming"));
    EXPECT_TRUE(c.dialogs.shown.empty());
    EXPECT_EQ(form.Cut2->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));

    // Tab goes on from the compose editor to the next control of the page.
    form.PageControl1->setCurrentWidget(form.TabSheet1);
    form.Memo1->setFocus();
    QTest::keyClick(form.Memo1, Qt::Key_Tab);
    EXPECT_TRUE(form.ClearBtn->hasFocus());
    EXPECT_EQ(form.Memo1->toPlainText(), QStringLiteral("ose"));
}

TEST(MainForm, CtrlXNeverEndsTheProgramPastTheExitQuestion) {
    auto computers = MakeComputers(1);
    TestComputer& c = *computers[0];
    TMainForm form(c.context);
    QSignalSpy closed(&form, &TMainForm::Closed);
    MakeActive(form);
    form.PageControl1->setCurrentWidget(form.TabSheet5);
    form.Options->CheckBox4->setFocus();
    // A held key: its repeats do not run Exit.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier, QStringLiteral("\x18"),
                     true);
    QApplication::sendEvent(form.Options->CheckBox4, &repeat);
    EXPECT_TRUE(c.dialogs.shown.empty());
    // A second close asked for while the question is open does not close.
    int inner = 0;
    c.dialogs.onShow = [&](const test::ShownBox&) {
        if (inner++ == 0)
            form.ExitMenuClick();
    };
    c.dialogs.answers = {DialogService::No};
    QTest::keyClick(form.Options->CheckBox4, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(c.dialogs.shown.size(), 1u);
    EXPECT_EQ(closed.count(), 0);
    c.dialogs.onShow = nullptr;
    // Another window is active (as without a window manager, where keys come
    // to a window that never became active): the question is still asked.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    ASSERT_FALSE(form.isActiveWindow());
    c.dialogs.answers = {DialogService::Cancel};
    QTest::keyClick(form.Options->CheckBox4, Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(c.dialogs.shown.size(), 2u);
    EXPECT_EQ(c.dialogs.shown[1].text, QStringLiteral("Are you sure to quit?"));
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(form.IcqSlot->Active());
}
