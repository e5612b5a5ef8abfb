// Big messages reaching a whole main window: the popups stay within what they
// may cost, and records go on being filed while a big body is read and shown.
#include "app/mainform.h"
#include "messaging/bodyview.h"
#include "messaging/messageclient.h"
#include "messaging/messagingcontroller.h"
#include "messaging/popupform.h"
#include "messaging/storepage.h"
#include "messaging/tmsg.h"
#include "support/testcontext.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::WaitUntil;

namespace {

struct Receiver {
    Receiver() : computers(test::MakeComputers(1)) {
        computers[0]->context.timings.presenceFirstMs = 600000;
        form = std::make_unique<TMainForm>(computers[0]->context);
        form->RestoreApplication();
        sender.network.bindAddress = test::LoopbackAddress(30);
        sender.timings.deliveryTimeoutMs = 60000;
    }
    bool Send(const QByteArray& body) {
        const QString to = computers[0]->context.network.bindAddress.toString();
        return DeliverToAll(sender, {to}, TMsg{"Anna", "Boris", body, "Anna"}.Encode()) ==
               QList<DeliveryOutcome>{DeliveryOutcome::Delivered};
    }
    bool Read() {
        return WaitUntil([&] { return form->Messaging->Loader().Pending() == 0; }, 60000);
    }
    std::vector<std::unique_ptr<test::TestComputer>> computers;
    std::unique_ptr<TMainForm> form;
    HostContext sender;
};

// About 2 MB of formatted text whose first words name it.
QByteArray Formatted(int n, qsizetype bytes = 2 * 1024 * 1024) {
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 message " +
                     QByteArray::number(n) + "\\par\r\n";
    while (rtf.size() < bytes)
        rtf += "{\\b bold} {\\i italic} \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 {\\fs28 big} words\\par\r\n";
    return rtf + "}";
}

} // namespace

TEST(BigMessages, TheOldestPopupsKeepOnlyTheirPageToStayWithinTheirCost) {
    Receiver r;
    const int n = 8;
    for (int i = 1; i <= n; ++i) {
        ASSERT_TRUE(r.Send(Formatted(i))) << i;
        ASSERT_TRUE(r.Read());
    }
    EXPECT_EQ(r.form->Incoming->Store().Count(), n);
    QCoreApplication::processEvents(); // the cost of the last reading is counted
    const QList<TPopupForm*> open = r.form->Messaging->OpenPopups();
    ASSERT_EQ(open.size(), n);
    qint64 cost = 0;
    int collapsed = 0;
    for (int i = 0; i < n; ++i) {
        BodyView* view = open[i]->Body();
        cost += view->Cost();
        collapsed += view->Collapsed();
        // The oldest collapse first; each still shows its first page.
        EXPECT_EQ(view->Collapsed(), i < collapsed) << i;
        EXPECT_EQ(view->PageCount() > 1, !view->Collapsed()) << i;
        EXPECT_TRUE(
            view->Text()->toPlainText().startsWith(QStringLiteral("message %1\n").arg(i + 1)))
            << i;
    }
    EXPECT_GT(collapsed, 0);
    EXPECT_FALSE(open.last()->Body()->Collapsed());
    EXPECT_LE(cost, MessagingController::MaxPopupCost);
    EXPECT_EQ(open.first()->Body()->PageLabel()->text(),
              "The message continues on the Incoming page");
}

TEST(BigMessages, ARecordArrivingWhileABigBodyIsReadAndShownIsFiledAtOnce) {
    Receiver r;
    ASSERT_TRUE(r.Send(Formatted(1, 12 * 1024 * 1024)));
    // The next record is filed while the big one is read, and after it is
    // shown.
    ASSERT_TRUE(r.Send("small one"));
    EXPECT_EQ(r.form->Incoming->Store().Count(), 2);
    ASSERT_TRUE(r.Read());
    ASSERT_TRUE(r.Send("small two"));
    EXPECT_EQ(r.form->Incoming->Store().Count(), 3);
    EXPECT_EQ(r.form->Incoming->BodyView()->toPlainText(), "small two");
    const QList<TPopupForm*> open = r.form->Messaging->OpenPopups();
    ASSERT_EQ(open.size(), 3);
    EXPECT_TRUE(open[0]->BodyView()->toPlainText().startsWith("message 1\n"));
}
