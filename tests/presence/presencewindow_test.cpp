// Several copies of the main window in one process, each its own computer on
// loopback: they find each other, follow the toggle and departures, and the
// user chooses a recipient from the drop-down tree.
#include "app/mainform.h"
#include "common/fieldsplit.h"
#include "presence/infoform.h"
#include "presence/nodecolors.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <deque>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::WaitUntil;

namespace {

class PresenceWindowTest : public ::testing::Test {
protected:
    void SetUp() override { Make(3); }
    void TearDown() override {
        forms.clear(); // before the contexts they use
        computers.clear();
    }

    void Make(int n, int firstMs = 600000, int intervalMs = 600000) {
        computers = test::MakeComputers(n);
        for (auto& c : computers) {
            c->context.timings.presenceFirstMs = firstMs; // the timer waits unless a test runs it
            c->context.timings.presenceIntervalMs = intervalMs;
            c->context.timings.openWaitMs = 100;
            c->context.timings.userInfoWaitMs = 1000;
            forms.push_back(std::make_unique<TMainForm>(c->context));
            forms.back()->Options->CheckBox1->setChecked(false); // no exit question
        }
    }
    TMainForm& Form(int i) { return *forms[size_t(i)]; }
    NetworkTree& Tree(int i) { return Form(i).Presence->Tree(); }
    PresenceProtocol& Protocol(int i) { return Form(i).Presence->Protocol(); }
    NetworkTreeView& View(int i) { return Form(i).Presence->View(); }

    // Computer node texts in tree order, each with its record's name.
    QStringList Listed(int i) {
        QStringList out;
        for (const auto* node : Tree(i).ComputerNodes())
            out << node->Text() + QLatin1Char('@') + node->Record()->ComputerName;
        return out;
    }
    bool Lists(int i, const QStringList& expected) {
        return WaitUntil([&] { return Listed(i) == expected; }, 10000);
    }
    // The same nodes, each once, in whatever order they first answered: with
    // the timers running, a sweep that comes before an answer was read drops
    // that node and its next answer appends it at the end.
    bool ListsInAnyOrder(int i, QStringList expected) {
        expected.sort();
        return WaitUntil(
            [&] {
                QStringList listed = Listed(i);
                listed.sort();
                return listed == expected;
            },
            10000);
    }
    bool OnlineIn(int i, const QString& alias) {
        const auto* node = Tree(i).FindComputerNode(alias);
        return node && node->Record()->Online;
    }
    QTreeWidgetItem* Item(int i, const QString& text) {
        View(i).FlushPendingNodes();
        const auto found =
            Form(i).TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void ClickItem(int i, QTreeWidgetItem* item, bool twice = false) {
        QTreeWidget* view = Form(i).TreeView1;
        const QPoint at = view->visualItemRect(item).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        if (twice) // as a person does it: a click, then the second press
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    std::vector<std::unique_ptr<test::TestComputer>> computers;
    std::vector<std::unique_ptr<TMainForm>> forms;
};

const QStringList All3 = {"HOST1@HOST1", "HOST2@HOST2", "HOST3@HOST3"};

// How many pixels of a widget's picture have exactly this colour.
int PixelsOf(QWidget* widget, const QRect& area, const QColor& colour) {
    const QImage image = widget->grab(area).toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += QColor(image.pixel(x, y)) == colour;
    return n;
}

} // namespace

TEST_F(PresenceWindowTest, NewcomerListsEveryOpenCopyAfterItsWaitOthersAtTheirNextRequest) {
    Form(0).RestoreApplication();
    ASSERT_TRUE(Lists(0, {"HOST1@HOST1"})); // a copy answers its own request
    Form(1).RestoreApplication();
    Form(2).RestoreApplication();
    // The answers were held during the wait; they come in right after it.
    EXPECT_TRUE(Listed(2).isEmpty());
    ASSERT_TRUE(Lists(2, All3));
    ASSERT_TRUE(Lists(1, {"HOST1@HOST1", "HOST2@HOST2"}));
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1"}));
    EXPECT_EQ(Form(2).TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(Form(2).TreeView1->topLevelItem(0)->text(0), "General");
    EXPECT_EQ(Form(2).TreeView1->topLevelItem(0)->childCount(), 3);

    Protocol(0).WhoIsHereEvent();
    Protocol(1).WhoIsHereEvent();
    EXPECT_TRUE(Lists(0, All3));
    EXPECT_TRUE(Lists(1, All3));
}

TEST_F(PresenceWindowTest, RunningTimersListEveryCopyEverywhere) {
    TearDown();
    Make(3, 150, 1500);
    for (auto& f : forms)
        f->RestoreApplication();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ListsInAnyOrder(i, All3)) << i << ": " << Listed(i).join(u',').toStdString();
    // The first sweep sets the long interval.
    EXPECT_TRUE(WaitUntil([&] { return Protocol(0).SweepCount() >= 1; }, 10000));
    EXPECT_EQ(Form(0).RxTimerEvent1->interval(), 1500);
}

TEST_F(PresenceWindowTest, ToggleTurnsTheNodeRedElsewhereAtOnceAndBlueAgain) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    Protocol(2).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    ASSERT_TRUE(Lists(2, All3));
    TMainForm& b = Form(1);
    EXPECT_EQ(b.Toggle1->text(), "ONLINE");
    EXPECT_EQ(b.Toggle1->palette().color(QPalette::ButtonText), QColor(0, 128, 0));

    QTest::mouseClick(b.Toggle1, Qt::LeftButton);
    EXPECT_FALSE(b.OnlineFlag);
    EXPECT_EQ(b.Toggle1->text(), "OFFLINE");
    EXPECT_EQ(b.Toggle1->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return !OnlineIn(0, "HOST2") && !OnlineIn(2, "HOST2"); }));
    EXPECT_FALSE(OnlineIn(1, "HOST2")); // its own tree too
    EXPECT_TRUE(OnlineIn(0, "HOST3"));
    // An offline user still answers requests, as offline.
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(WaitUntil([&] { return Protocol(0).List().Count() == 3; }));
    Protocol(0).PresenceSweep();
    EXPECT_EQ(Listed(0), All3);
    EXPECT_FALSE(OnlineIn(0, "HOST2"));

    QTest::mouseClick(b.Toggle1, Qt::LeftButton);
    EXPECT_TRUE(b.OnlineFlag);
    EXPECT_EQ(b.Toggle1->text(), "ONLINE");
    EXPECT_TRUE(WaitUntil([&] { return OnlineIn(0, "HOST2") && OnlineIn(2, "HOST2"); }));
}

TEST_F(PresenceWindowTest, TreeDrawsOnlineBlueOfflineRedAndTheSelectionOnNavy) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    QTest::mouseClick(Form(1).Toggle1, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !OnlineIn(0, "HOST2"); }));
    TMainForm& a = Form(0);
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);
    ASSERT_TRUE(a.TreeView1->isVisible());
    QWidget* viewport = a.TreeView1->viewport();
    const QRect online = a.TreeView1->visualItemRect(Item(0, "HOST3"));
    const QRect offline = a.TreeView1->visualItemRect(Item(0, "HOST2"));
    EXPECT_GT(PixelsOf(viewport, online, NetworkNodeColors::Online), 0);
    EXPECT_EQ(PixelsOf(viewport, online, NetworkNodeColors::Offline), 0);
    EXPECT_GT(PixelsOf(viewport, offline, NetworkNodeColors::Offline), 0);
    ClickItem(0, Item(0, "HOST2"));
    EXPECT_GT(PixelsOf(viewport, offline, NetworkNodeColors::SelectedBackground), 0);
    EXPECT_GT(PixelsOf(viewport, offline, NetworkNodeColors::SelectedOffline), 0);
    EXPECT_EQ(PixelsOf(viewport, offline, NetworkNodeColors::Offline), 0);
    // Back online: the same row in the selected online colour, at once.
    QTest::mouseClick(Form(1).Toggle1, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return OnlineIn(0, "HOST2"); }));
    EXPECT_TRUE(WaitUntil(
        [&] { return PixelsOf(viewport, offline, NetworkNodeColors::SelectedOnline) > 0; }));
}

TEST_F(PresenceWindowTest, ClosedCopyGoesAtOnceVanishedCopyAtTheSweepAfterItsMissedRequest) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    Protocol(1).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    ASSERT_TRUE(Lists(1, All3));

    Form(2).close(); // says goodbye
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1", "HOST2@HOST2"}));
    EXPECT_TRUE(Lists(1, {"HOST1@HOST1", "HOST2@HOST2"}));

    forms[1].reset();            // gone without a word
    Protocol(0).PresenceSweep(); // its window had its answer: kept
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1", "HOST2@HOST2"}));
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(WaitUntil([&] { return Protocol(0).List().Count() == 1; }));
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1", "HOST2@HOST2"}));
    Protocol(0).PresenceSweep();
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1"}));
}

TEST_F(PresenceWindowTest, AliasChangeAndSharedAlias) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    // A new alias: a second node, the old one goes at the next sweep.
    Form(1).Options->AliasEdit->setText(QStringLiteral("Бетти"));
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, {"HOST1@HOST1", "HOST2@HOST2", "HOST3@HOST3", "Бетти@HOST2"}));
    // The new node comes with the second answer: the sweep waits for all three.
    ASSERT_TRUE(WaitUntil([&] { return Protocol(0).List().Count() == 3; }));
    Protocol(0).PresenceSweep();
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1", "HOST3@HOST3", "Бетти@HOST2"}));
    // Another computer takes the same alias: still one node, the first one's.
    Form(2).Options->AliasEdit->setText(QStringLiteral("Бетти"));
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(WaitUntil([&] { return Protocol(0).List().Count() == 3; }));
    Protocol(0).PresenceSweep();
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1", "Бетти@HOST2"}));
    // The departure of either removes the shared node.
    Form(2).close();
    EXPECT_TRUE(Lists(0, {"HOST1@HOST1"}));
}

TEST_F(PresenceWindowTest, RecipientCaptionFollowsTheChoice) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    TMainForm& a = Form(0);
    a.activateWindow(); // focus moves only in the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    a.Memo1->setPlainText(QStringLiteral("hello"));
    EXPECT_EQ(a.CompNameBtn->text(), "Select an Recipient");
    EXPECT_FALSE(a.SendBtn->isEnabled());

    // The first drop-down: under the button, as wide, every group open.
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);
    EXPECT_TRUE(a.TreeView1->isVisible());
    EXPECT_TRUE(a.CompNameBtn->isChecked());
    EXPECT_FALSE(a.FirstTreeOpen);
    EXPECT_EQ(a.TreeView1->width(), a.CompNameBtn->width());
    EXPECT_EQ(a.TreeView1->height(), 161);
    EXPECT_EQ(a.TreeView1->y(), a.CompNameBtn->y() + a.CompNameBtn->height() + 1);
    EXPECT_TRUE(a.TreeView1->topLevelItem(0)->isExpanded());
    EXPECT_TRUE(a.TreeView1->hasFocus());

    ClickItem(0, Item(0, "HOST2")); // a computer
    EXPECT_EQ(a.CompNameBtn->text(), "HOST2");
    EXPECT_TRUE(a.SendBtn->isEnabled());
    ClickItem(0, Item(0, "General")); // a group
    EXPECT_EQ(a.CompNameBtn->text(), "General");
    QTest::keyClick(a.TreeView1, Qt::Key_Down); // the keyboard chooses at each step
    EXPECT_EQ(a.CompNameBtn->text(), "HOST1");

    // Leaving the tree releases the button and hides the tree.
    a.Memo1->setFocus();
    EXPECT_TRUE(WaitUntil([&] { return !a.TreeView1->isVisible(); }));
    EXPECT_FALSE(a.CompNameBtn->isChecked());
    EXPECT_EQ(a.CompNameBtn->text(), "HOST1");

    // Later drop-downs keep what the user closed; a double click chooses and closes.
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);
    a.TreeView1->collapseItem(Item(0, "General"));
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton); // released: hidden
    EXPECT_FALSE(a.TreeView1->isVisible());
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);
    EXPECT_FALSE(Item(0, "General")->isExpanded());
    a.TreeView1->expandAll();
    ClickItem(0, Item(0, "HOST3"), true);
    EXPECT_EQ(a.CompNameBtn->text(), "HOST3");
    EXPECT_FALSE(a.TreeView1->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return !a.CompNameBtn->isChecked(); }));

    // Everybody, and back.
    a.RadioGroup1Items->button(1)->click();
    EXPECT_EQ(a.CompNameBtn->text(), "ALL");
    EXPECT_FALSE(a.CompNameBtn->isEnabled());
    EXPECT_TRUE(a.SendBtn->isEnabled());
    a.RadioGroup1Items->button(0)->click();
    EXPECT_EQ(a.CompNameBtn->text(), "Select an Recipient");
    EXPECT_TRUE(a.CompNameBtn->isEnabled());
    EXPECT_FALSE(a.SendBtn->isEnabled());
}

TEST_F(PresenceWindowTest, TheKeyboardChoosesInTheTreeAndAScreenReaderHearsTheChoice) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    TMainForm& a = Form(0);
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    auto spoken = [&] {
        return QAccessible::queryAccessibleInterface(a.CompNameBtn)->text(QAccessible::Name);
    };
    EXPECT_EQ(spoken(), "Select an Recipient");
    a.CompNameBtn->setFocus();
    QTest::keyClick(a.CompNameBtn, Qt::Key_Space); // opens the tree
    ASSERT_TRUE(a.TreeView1->hasFocus());
    struct Case {
        Qt::Key close;
        QString shown; // the caption after closing
    } cases[] = {{Qt::Key_Return, "HOST1"}, {Qt::Key_Escape, "HOST1"}, {Qt::Key_Enter, "HOST3"}};
    int downs = 0;
    for (const Case& c : cases) {
        if (!a.TreeView1->isVisible())
            QTest::keyClick(a.CompNameBtn, Qt::Key_Space);
        ASSERT_TRUE(a.TreeView1->isVisible());
        for (int i = 0; i <= downs; ++i) // the keys move on from the current node
            QTest::keyClick(a.TreeView1, Qt::Key_Down);
        downs = 1;
        QTest::keyClick(a.TreeView1, c.close);
        EXPECT_FALSE(a.TreeView1->isVisible());
        EXPECT_FALSE(a.CompNameBtn->isChecked());
        EXPECT_TRUE(a.CompNameBtn->hasFocus());
        EXPECT_EQ(a.CompNameBtn->text(), c.shown);
        EXPECT_EQ(spoken(), c.shown);
        EXPECT_EQ(View(0).SelectedNode()->Text(), c.shown);
    }
    // Esc after the first choice ever goes back to choosing nobody.
    a.RadioGroup1Items->button(1)->click();
    a.RadioGroup1Items->button(0)->click();
    a.TreeView1->clearSelection();
    QTest::keyClick(a.CompNameBtn, Qt::Key_Space);
    QTest::keyClick(a.TreeView1, Qt::Key_Home);
    EXPECT_EQ(a.CompNameBtn->text(), "General");
    QTest::keyClick(a.TreeView1, Qt::Key_Escape);
    EXPECT_EQ(a.CompNameBtn->text(), "Select an Recipient");
    EXPECT_EQ(View(0).SelectedNode(), nullptr);
}

TEST_F(PresenceWindowTest, RemovingTheChosenComputerChoosesNobody) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    TMainForm& a = Form(0);
    a.Memo1->setPlainText(QStringLiteral("hello"));
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);
    ClickItem(0, Item(0, "HOST2"));
    ASSERT_EQ(a.CompNameBtn->text(), "HOST2");
    Form(1).close();
    ASSERT_TRUE(Lists(0, {"HOST1@HOST1", "HOST3@HOST3"}));
    EXPECT_EQ(a.CompNameBtn->text(), "Select an Recipient");
    EXPECT_FALSE(a.SendBtn->isEnabled());
    EXPECT_EQ(View(0).SelectedNode(), nullptr);
    // The same through the sweep, with an alias that is not the name.
    Form(2).Options->AliasEdit->setText(QStringLiteral("Cid"));
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, {"HOST1@HOST1", "HOST3@HOST3", "Cid@HOST3"}));
    ASSERT_TRUE(WaitUntil([&] { return Protocol(0).List().Count() == 2; }));
    ClickItem(0, Item(0, "HOST3"));
    ASSERT_EQ(a.CompNameBtn->text(), "HOST3");
    Protocol(0).PresenceSweep();
    EXPECT_EQ(Listed(0), QStringList({"HOST1@HOST1", "Cid@HOST3"}));
    EXPECT_EQ(a.CompNameBtn->text(), "Select an Recipient");
    EXPECT_EQ(View(0).SelectedNode(), nullptr);
}

TEST_F(PresenceWindowTest, RebuildClearsTheTreeAndRefillsItFromTheAnswers) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    TMainForm& a = Form(0);
    a.CompNameBtn->setText(QStringLiteral("HOST2"));
    QTest::mouseClick(a.Options->ApplyBtn2, Qt::LeftButton);
    EXPECT_EQ(a.CompNameBtn->text(), "HOST2");
    EXPECT_TRUE(WaitUntil([&] { return Tree(0).ComputerCount() == 3; }, 10000));
    ASSERT_EQ(a.TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(a.TreeView1->topLevelItem(0)->text(0), "General");
    EXPECT_EQ(a.TreeView1->topLevelItem(0)->childCount(), 3);
}

TEST_F(PresenceWindowTest, UserInformationShowsTheAddressTheConnectionReached) {
    for (auto& f : forms)
        f->RestoreApplication();
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(Lists(0, All3));
    TMainForm& a = Form(0);
    Form(1).Options->AliasEdit->setText(QStringLiteral("Bob"));
    Protocol(0).WhoIsHereEvent();
    ASSERT_TRUE(WaitUntil([&] { return Tree(0).FindComputerNode("Bob") != nullptr; }));
    // A computer whose connection is refused: the address stays empty.
    computers[0]->context.resolver.Learn(QStringLiteral("GHOST"), test::LoopbackAddress(99));
    Protocol(0).IcqSlotMessageAvail(QByteArray("I_AM_HERE\xA9\xA9\xA9GHOST\xA9\xA9\xA9TRUE"
                                               "\xA9\xA9\xA9Ghost"));
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);

    struct Seen {
        QString caption, computer, alias, ip;
    };
    auto showInfo = [&](const QString& alias) {
        Seen seen;
        // A right click chooses the node and opens the menu.
        QWidget* viewport = a.TreeView1->viewport();
        QContextMenuEvent click(QContextMenuEvent::Mouse,
                                a.TreeView1->visualItemRect(Item(0, alias)).center());
        QApplication::sendEvent(viewport, &click);
        EXPECT_TRUE(View(0).PopupMenu1->isVisible());
        View(0).PopupMenu1->close();
        EXPECT_EQ(a.CompNameBtn->text(), alias);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* form = qobject_cast<TInfoForm*>(QApplication::activeModalWidget())) {
                seen = {form->windowTitle(), form->CompName->text(), form->AliasName->text(),
                        form->IP->text()};
                form->OKBtn->click();
            }
        });
        poll.start(20);
        View(0).ShowUserInfo1->trigger();
        return seen;
    };
    const Seen bob = showInfo(QStringLiteral("Bob"));
    EXPECT_EQ(bob.caption, "User Information");
    EXPECT_EQ(bob.computer, "HOST2");
    EXPECT_EQ(bob.alias, "Bob");
    EXPECT_EQ(bob.ip, computers[1]->context.network.bindAddress.toString());
    const Seen ghost = showInfo(QStringLiteral("Ghost"));
    EXPECT_EQ(ghost.computer, "GHOST");
    EXPECT_EQ(ghost.ip, "");
    EXPECT_TRUE(computers[0]->dialogs.shown.empty()); // no box about the failure

    // On a group it does nothing.
    ClickItem(0, Item(0, "General"));
    View(0).ShowUserInfo1->trigger();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(PresenceWindowTest, ShownTreeTakesNewNodesInBatchesInTreeOrder) {
    TMainForm& a = Form(0);
    a.show();
    QTest::mouseClick(a.CompNameBtn, Qt::LeftButton);
    ASSERT_TRUE(a.TreeView1->isVisible());
    auto announce = [&](const QByteArray& computer, const QByteArray& alias) {
        Protocol(0).IcqSlotMessageAvail(JoinFields({"I_AM_HERE", computer, "TRUE", alias}));
    };
    auto widgetOrder = [&] {
        QStringList out;
        for (int g = 0; g < a.TreeView1->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = a.TreeView1->topLevelItem(g);
            out << group->text(0);
            for (int c = 0; c < group->childCount(); ++c)
                out << QStringLiteral("  ") + group->child(c)->text(0);
        }
        return out;
    };
    auto modelOrder = [&] {
        QStringList out;
        Tree(0).ForEachNode([&out](const NetworkTree::Node& n) {
            out << (n.IsComputer() ? QStringLiteral("  ") : QString()) + n.Text();
        });
        return out;
    };
    for (int i = 0; i < 200; ++i)
        announce("PC" + QByteArray::number(i), "u" + QByteArray::number(i));
    // Some leave before their batch reached the view, one of them the first.
    for (int i : {0, 5, 199})
        Protocol(0).IcqSlotMessageAvail(JoinFields(
            {"OFFLINE_NOTIFY", "PC" + QByteArray::number(i), "u" + QByteArray::number(i)}));
    EXPECT_TRUE(WaitUntil([&] { return widgetOrder() == modelOrder(); }));
    EXPECT_EQ(a.TreeView1->topLevelItem(0)->childCount(), 197);
    // A rebuild drops what still waits.
    announce("PCX", "late");
    QTest::mouseClick(a.Options->ApplyBtn2, Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return widgetOrder() == modelOrder(); }));
    EXPECT_TRUE(a.TreeView1->findItems("late", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
}

TEST_F(PresenceWindowTest, RequesterNotHeardFromIsLookedUpWithoutStoppingTheWindow) {
    HostResolver& resolver = computers[0]->context.resolver;
    QStringList asked;
    std::deque<std::function<void(const QList<QHostAddress>&)>> answers;
    resolver.SetSystemLookup([&](const QString& name, QObject*, auto found) {
        asked.append(name);
        answers.push_back(std::move(found));
    });
    // Each request comes from the far computer's address.
    auto request = [&](const QByteArray& requester) {
        Protocol(0).IcqSlotMessageAvail(JoinFields({"WHO_IS_HERE", requester}), {},
                                        test::LoopbackAddress(98));
    };
    request("FAR-AWAY");
    request(QByteArray(64, 'x'));              // no host name has such a label
    EXPECT_EQ(asked, QStringList{"FAR-AWAY"}); // answered when the look-up returns
    // A flood of strangers' names starts only a few look-ups at a time and
    // queues a few more; the rest are not answered.
    for (int i = 0; i < 3 * HostResolver::MaxWaiting; ++i)
        request("NO-SUCH-" + QByteArray::number(i) + ".invalid");
    EXPECT_EQ(resolver.Running(), HostResolver::MaxRunning);
    EXPECT_EQ(resolver.Waiting(), HostResolver::MaxWaiting);
    EXPECT_EQ(asked.size(), HostResolver::MaxRunning);
    // The far computer is found: it keeps that address.
    answers[0]({test::LoopbackAddress(98)});
    EXPECT_EQ(resolver.Learned("FAR-AWAY"), test::LoopbackAddress(98));
    for (size_t i = 1; i < answers.size(); ++i)
        answers[i]({});
    EXPECT_EQ(resolver.Running() + resolver.Waiting(), 0);
    EXPECT_EQ(asked.size(), HostResolver::MaxRunning + HostResolver::MaxWaiting);
    // A name that was not found is not asked for again for a while.
    request("NO-SUCH-0.invalid");
    EXPECT_EQ(asked.size(), HostResolver::MaxRunning + HostResolver::MaxWaiting);
}

TEST_F(PresenceWindowTest, SendingAndAnsweringFindTheirNodes) {
    TMainForm& a = Form(0);
    NetworkTreeView& view = View(0);
    for (const char* alias : {"Ann", "Bob"})
        Protocol(0).IcqSlotMessageAvail(JoinFields({"I_AM_HERE", "PC", "TRUE", alias}));
    // Nothing selected: the first node is taken, the caption stays.
    const NetworkTree::Node* first = view.SelectedOrFirstNode();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Text(), "General");
    EXPECT_EQ(view.SelectedNode(), first);
    EXPECT_EQ(a.CompNameBtn->text(), "Select an Recipient");
    // Answering a sender chooses its node, in a closed group too.
    a.TreeView1->collapseAll();
    EXPECT_TRUE(view.SelectNodeWithText("Bob"));
    EXPECT_EQ(a.CompNameBtn->text(), "Bob");
    EXPECT_TRUE(Item(0, "General")->isExpanded());
    a.RadioGroup1Items->button(1)->click();
    a.RadioGroup1Items->button(0)->click(); // caption reset, Bob still selected
    EXPECT_TRUE(view.SelectNodeWithText("Bob"));
    EXPECT_EQ(a.CompNameBtn->text(), "Bob");
    EXPECT_EQ(view.SelectedOrFirstNode()->Text(), "Bob");
    EXPECT_FALSE(view.SelectNodeWithText("bob")); // exact text only
    EXPECT_EQ(a.CompNameBtn->text(), "Bob");
    Tree(0).Clear();
    EXPECT_EQ(view.SelectedOrFirstNode(), nullptr);
}
