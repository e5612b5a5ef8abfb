#include "messaging/storepage.h"

#include "common/ansicodec.h"
#include "support/testcontext.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace corvane;
using corvane::test::TestComputer;

namespace {

class StorePageTest : public ::testing::Test {
protected:
    void Build(StoreKind kind) {
        tab = std::make_unique<QWidget>();
        tab->resize(500, 300);
        page = std::make_unique<StorePage>(tab.get(), kind, computer.context, language);
    }
    void Click(const char* name) {
        auto* button = tab->findChild<QToolButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QString Counter(const char* name = "Label2") const {
        return tab->findChild<QLabel*>(QLatin1String(name))->text();
    }
    QString Header(const char* name = "Edit1") const {
        return tab->findChild<QLineEdit*>(QLatin1String(name))->text();
    }
    QString Body(const char* name = "Memo2") const {
        return tab->findChild<QTextEdit*>(QLatin1String(name))->toPlainText();
    }

    TestComputer computer{QStringLiteral("HOST1"), 2, {}};
    LanguageState language;
    std::unique_ptr<QWidget> tab;
    std::unique_ptr<StorePage> page;
};

struct Control {
    const char* name;
    const char* hint;
};

} // namespace

TEST_F(StorePageTest, PagesCarryTheNamedControlsAndHints) {
    const std::vector<Control> incoming = {{"FirstMsgBtn", "First message"},
                                           {"LeftBtn", "Previous message"},
                                           {"RightBtn", "Next message"},
                                           {"LastMsgBtn", "Last message"},
                                           {"DeleteBtn", "Delete current message"},
                                           {"DeleteAllBtn", "Delete all messages"}};
    const std::vector<Control> outgoing = {{"FirstMsgBtn2", "First message"},
                                           {"LeftBtn2", "Previous message"},
                                           {"RightBtn2", "Next message"},
                                           {"LastMsgBtn2", "Last message"},
                                           {"DeleteBtn2", "Delete Current Message"},
                                           {"DeleteAllBtn2", "Delete All Messages"}};
    for (StoreKind kind : {StoreKind::Incoming, StoreKind::Outgoing}) {
        Build(kind);
        const bool in = kind == StoreKind::Incoming;
        for (const Control& c : in ? incoming : outgoing) {
            auto* b = tab->findChild<QToolButton*>(QLatin1String(c.name));
            ASSERT_NE(b, nullptr) << c.name;
            EXPECT_EQ(b->toolTip(), c.hint) << c.name;
            EXPECT_EQ(b->accessibleName(), c.hint) << c.name;
            EXPECT_EQ(b->text(), "") << c.name;
        }
        for (const char* panel : in ? std::vector{"Panel2", "Panel3", "Panel4"}
                                    : std::vector{"Panel5", "Panel6", "Panel7"})
            EXPECT_NE(tab->findChild<QWidget*>(QLatin1String(panel)), nullptr) << panel;
        EXPECT_EQ(Counter(in ? "Label2" : "Label4"), "Message 0 of 0");
        auto* edit = tab->findChild<QLineEdit*>(QLatin1String(in ? "Edit1" : "Edit2"));
        auto* memo = tab->findChild<QTextEdit*>(QLatin1String(in ? "Memo2" : "Memo3"));
        ASSERT_TRUE(edit && memo);
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_FALSE(edit->accessibleName().isEmpty());
        EXPECT_FALSE(memo->accessibleName().isEmpty());
        EXPECT_EQ(memo->verticalScrollBarPolicy(),
                  in ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
    }
}

TEST_F(StorePageTest, ButtonsOfAnEmptyPageBeepAndDeleteAllStillAsks) {
    Build(StoreKind::Incoming);
    for (const char* name : {"FirstMsgBtn", "LeftBtn", "RightBtn", "LastMsgBtn", "DeleteBtn"})
        Click(name);
    EXPECT_EQ(computer.sound.beeps, 4);
    EXPECT_TRUE(computer.dialogs.shown.empty());
    Click("DeleteAllBtn");
    ASSERT_EQ(computer.dialogs.shown.size(), 1u);
    EXPECT_EQ(computer.dialogs.shown[0].title, "Corvane 3.0");
    EXPECT_EQ(Counter(), "Message 0 of 0");
}

TEST_F(StorePageTest, ButtonsBrowseDeleteAndAskUnderThePageTitle) {
    Build(StoreKind::Outgoing);
    for (const char* body : {"first", "second", "third"})
        page->AppendToStore(QStringLiteral("Message from A to B (%1)").arg(body), body);
    EXPECT_EQ(Counter("Label4"), "Message 3 of 3");
    Click("FirstMsgBtn2");
    Click("RightBtn2");
    EXPECT_EQ(Header("Edit2"), "Message from A to B (second)");
    EXPECT_EQ(Body("Memo3"), "second");
    EXPECT_EQ(Counter("Label4"), "Message 2 of 3");
    Click("DeleteBtn2");
    EXPECT_EQ(Body("Memo3"), "third");
    Click("LeftBtn2");
    Click("LastMsgBtn2");
    EXPECT_EQ(Counter("Label4"), "Message 2 of 2");

    language.SetLanguage(Language::Russian);
    page->RetranslateCounter();
    EXPECT_EQ(Counter("Label4"), "Сообщение 2 из 2");

    computer.dialogs.answers = {DialogService::Yes};
    Click("DeleteAllBtn2");
    ASSERT_EQ(computer.dialogs.shown.size(), 1u);
    EXPECT_EQ(computer.dialogs.shown[0].title, "Corvane Messeneger");
    EXPECT_EQ(page->Store().Count(), 0);
    EXPECT_EQ(Header("Edit2"), "");
    EXPECT_EQ(Body("Memo3"), "");
    EXPECT_EQ(Counter("Label4"), "Сообщение 0 из 0");
    EXPECT_EQ(computer.sound.beeps, 0);
}

TEST_F(StorePageTest, CopyrightSignShowsWholeWhenAppendedAndCutWhenBrowsedBack) {
    // "©" is the separator byte 0xA9 in Windows-1251.
    Build(StoreKind::Incoming);
    page->AppendToStore(QStringLiteral("Message from Иван © to ALL"), "body \xA9 part");
    EXPECT_EQ(Header(), "Message from Иван © to ALL");
    EXPECT_EQ(Body(), "body © part");
    EXPECT_EQ(page->Store().At(1).Header(), QByteArray("Message from \xC8\xE2\xE0\xED "));

    page->AppendToStore(QStringLiteral("second"), "x");
    Click("LeftBtn");
    EXPECT_EQ(Header(), "Message from Иван ");
    EXPECT_EQ(Body(), " to ALL");
    EXPECT_EQ(Counter(), "Message 1 of 2");
}

TEST_F(StorePageTest, RtfBodiesShowFormattedAndPlainBodiesAsTheyAre) {
    Build(StoreKind::Incoming);
    page->AppendToStore(QStringLiteral("h"), "{\\rtf1\\ansi {\\b Bold} text\\par}");
    auto* memo = tab->findChild<QTextEdit*>(QStringLiteral("Memo2"));
    EXPECT_EQ(Body(), "Bold text");
    QTextCursor cursor(memo->document());
    cursor.setPosition(2);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);

    page->AppendToStore(QStringLiteral("h"), "Auto Answer:\r\rI am away...\r\nback soon");
    EXPECT_EQ(Body(), "Auto Answer:\n\nI am away...\nback soon");
    Click("LeftBtn"); // back to the RTF body, read from the store
    EXPECT_EQ(Body(), "Bold text");
}

TEST_F(StorePageTest, CtrlFFindsTheWordsAndCountsTheMatches) {
    Build(StoreKind::Incoming);
    tab->show();
    for (const char* text : {"Привет всем", "hello", "привет снова"})
        page->AppendToStore(QStringLiteral("Message from Anna"), ToAnsi(QString::fromUtf8(text)));
    QTest::keyClick(page->BodyView(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(page->FindBar()->isVisible());
    struct Step {
        std::function<void()> act;
        const char* count;
        const char* counter;
    };
    QLineEdit* find = page->FindEdit();
    const Step steps[] = {
        {[&] { find->setText(QStringLiteral("ПРИВЕТ")); }, "Match 1 of 2", "Message 3 of 3"},
        {[&] { QTest::keyClick(find, Qt::Key_Return); }, "Match 2 of 2", "Message 1 of 3"},
        {[&] { QTest::keyClick(find, Qt::Key_Return); }, "Match 2 of 2", "Message 1 of 3"},
        {[&] { QTest::keyClick(find, Qt::Key_Return, Qt::ShiftModifier); }, "Match 1 of 2",
         "Message 3 of 3"},
        {[&] { Click("LeftBtn"); }, "Match 1 of 2", "Message 2 of 3"}, // until the next find
        {[&] { QTest::keyClick(find, Qt::Key_F3); }, "Match 2 of 2", "Message 1 of 3"},
        {[&] { find->setText(QStringLiteral("hel")); }, "Match 1 of 1", "Message 2 of 3"},
        {[&] { find->setText(QStringLiteral("nothing")); }, "No matches", "Message 2 of 3"},
        {[&] {
             language.SetLanguage(Language::Russian);
             page->RetranslateCounter();
         },
         "Совпадений нет", "Сообщение 2 из 3"},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(page->FindCount()->text(), QString::fromUtf8(s.count));
        EXPECT_EQ(Counter(), QString::fromUtf8(s.counter));
    }
    EXPECT_EQ(computer.sound.beeps, 1); // no older match
    QTest::keyClick(find, Qt::Key_Escape);
    EXPECT_FALSE(page->FindBar()->isVisible());
}
