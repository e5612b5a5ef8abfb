// A person who is typing when a message arrives: the popup takes none of the
// keys. Real key events go to the window that has the keyboard at each key,
// as a keyboard's would.
#include "app/mainform.h"
#include "messaging/messagingcontroller.h"
#include "messaging/popupform.h"
#include "messaging/tmsg.h"
#include "support/testcontext.h"

#include <QApplication>
#include <QTcpSocket>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::MakeComputers;
using corvane::test::WaitUntil;

namespace {

void Type(const QString& text) {
    for (const QChar c : text) {
        QWindow* keyboard = QGuiApplication::focusWindow();
        ASSERT_NE(keyboard, nullptr);
        QTest::keyClick(keyboard, c.toLatin1());
        QCoreApplication::processEvents();
    }
}

} // namespace

TEST(PopupWhileTyping, EveryKeyAndTheEnterStayInTheEditorAndF6ReachesThePopup) {
    auto computers = MakeComputers(1);
    TMainForm anna(computers[0]->context);
    anna.RestoreApplication();
    anna.activateWindow();
    anna.Memo1->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&anna));
    const QString recipient = anna.CompNameBtn->text();

    const QString first = QStringLiteral("I am typing a long reply ");
    const QString second = QStringLiteral("and these words may vanish");
    Type(first);
    QTcpSocket boris;
    boris.connectToHost(computers[0]->context.network.bindAddress,
                        computers[0]->context.network.messagePort);
    ASSERT_TRUE(boris.waitForConnected(5000));
    boris.write(TMsg{"Boris", "HOST1", "{\\rtf1 hello}", "Boris"}.Encode());
    boris.disconnectFromHost();
    ASSERT_TRUE(WaitUntil([&] { return anna.Messaging->OpenPopups().size() == 1; }));
    Type(second);
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Return);
    Type(QStringLiteral("x"));
    QTest::qWait(150); // an accelerator acts within this

    EXPECT_EQ(anna.Memo1->toPlainText(), first + second + QStringLiteral("\nx"));
    const QList<TPopupForm*> popups = anna.Messaging->OpenPopups();
    ASSERT_EQ(popups.size(), 1);
    TPopupForm* popup = popups.first();
    EXPECT_FALSE(popup->Reached());
    EXPECT_EQ(anna.CompNameBtn->text(), recipient); // Reply was not pressed
    EXPECT_EQ(QApplication::activeWindow(), &anna);

    // F6 takes the keyboard to the popup; Esc there closes it.
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_F6);
    EXPECT_TRUE(popup->Reached());
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == popup; }));
    EXPECT_EQ(QApplication::focusWidget(), popup->BodyView());
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([&] { return anna.Messaging->OpenPopups().isEmpty(); }));
    EXPECT_EQ(anna.Memo1->toPlainText(), first + second + QStringLiteral("\nx"));
}
