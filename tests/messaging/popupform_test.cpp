#include "messaging/popupform.h"
#include "messaging/popupplacement.h"

#include "common/errors.h"
#include "settings/stringtable.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace corvane;

namespace {

// Lets the popups that closed themselves go.
void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class PopupFormTest : public ::testing::Test {
protected:
    ~PopupFormTest() override {
        for (QPointer<TPopupForm>& p : popups)
            delete p.data();
    }
    TPopupForm* Open(const QString& header, const QByteArray& body,
                     std::function<void()> reply = {}) {
        auto* popup = new TPopupForm(language, std::move(reply));
        popup->SetMessage(header, body);
        popup->show();
        popups.append(popup);
        return popup;
    }

    LanguageState language;
    QList<QPointer<TPopupForm>> popups;
};

} // namespace

TEST_F(PopupFormTest, OwnWindowOnTopCentredAndNotModal) {
    TPopupForm* p = Open(QStringLiteral("Message from A to B"), "hello");
    EXPECT_EQ(p->parentWidget(), nullptr);
    EXPECT_TRUE(p->isWindow());
    EXPECT_FALSE(p->isModal());
    EXPECT_TRUE(p->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(p->testAttribute(Qt::WA_DeleteOnClose));
    // The outer size; the offscreen platform draws a frame too.
    EXPECT_EQ(p->frameGeometry().size(), QSize(389, 282));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(p->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(p->frameGeometry().center().y() - screen.center().y()), 1);

    EXPECT_EQ(p->windowTitle(), "Incoming Message (F6)");
    EXPECT_EQ(p->ReplyButton()->text(), "&Reply");
    EXPECT_EQ(p->CloseButton()->text(), "Close");
    EXPECT_EQ(p->ReplyButton()->objectName(), "ReplyBtn");
    EXPECT_EQ(p->CloseButton()->objectName(), "CloseBtn");
    EXPECT_LT(p->ReplyButton()->mapTo(p, QPoint()).x(), p->CloseButton()->mapTo(p, QPoint()).x());
    EXPECT_GT(p->ReplyButton()->mapTo(p, QPoint()).y(), p->BodyView()->mapTo(p, QPoint()).y());

    EXPECT_EQ(p->HeaderLine()->objectName(), "Edit1");
    EXPECT_EQ(p->BodyView()->objectName(), "Memo1");
    EXPECT_TRUE(p->HeaderLine()->isReadOnly());
    EXPECT_TRUE(p->BodyView()->isReadOnly());
    const QColor face = p->palette().color(QPalette::Button);
    EXPECT_EQ(p->HeaderLine()->palette().color(QPalette::Base), face);
    EXPECT_EQ(p->BodyView()->palette().color(QPalette::Base), face);
}

TEST_F(PopupFormTest, CaptionsFollowTheLanguageEachTimeItIsShown) {
    language.SetLanguage(Language::Russian);
    TPopupForm* p = Open(QStringLiteral("h"), "b");
    EXPECT_EQ(p->windowTitle(), "Новое сообщение (F6)");
    EXPECT_EQ(p->ReplyButton()->text(), "&Ответить");
    EXPECT_EQ(p->CloseButton()->text(), "Закрыть");

    language.SetLanguage(Language::English);
    EXPECT_EQ(p->windowTitle(), "Новое сообщение (F6)"); // an open popup keeps its captions
    p->hide();
    p->show();
    EXPECT_EQ(p->windowTitle(), "Incoming Message (F6)");
    EXPECT_EQ(p->CloseButton()->text(), "Close");
}

TEST_F(PopupFormTest, SeveralPopupsShowTheirOwnMessages) {
    TPopupForm* first = Open(QStringLiteral("Message from Анна to ALL"), "first body");
    TPopupForm* second = Open(QStringLiteral("Message from Олег to ALL"), "second\rbody");
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(first->HeaderLine()->text(), "Message from Анна to ALL");
    EXPECT_EQ(first->BodyView()->toPlainText(), "first body");
    EXPECT_EQ(second->HeaderLine()->text(), "Message from Олег to ALL");
    EXPECT_EQ(second->BodyView()->toPlainText(), "second\nbody");

    QTest::mouseClick(second->CloseButton(), Qt::LeftButton);
    DeleteClosedWindows();
    EXPECT_TRUE(popups[1].isNull());
    ASSERT_FALSE(popups[0].isNull());
    EXPECT_TRUE(first->isVisible());
}

TEST_F(PopupFormTest, EscClosesAndDestroysThePopup) {
    for (int i = 0; i < 3; ++i) {
        TPopupForm* p = Open(QStringLiteral("h"), "b");
        p->Reach(); // the person has come to it
        QWidget* target = i == 0   ? static_cast<QWidget*>(p)
                          : i == 1 ? static_cast<QWidget*>(p->BodyView())
                                   : static_cast<QWidget*>(p->HeaderLine());
        QTest::keyClick(target, Qt::Key_Escape);
        DeleteClosedWindows();
        EXPECT_TRUE(popups.back().isNull()) << i;
    }
}

TEST_F(PopupFormTest, ReplyRunsTheActionOnceThenCloses) {
    int replies = 0;
    TPopupForm* p = Open(QStringLiteral("h"), "b", [&] {
        ++replies;
        EXPECT_TRUE(popups.back() && popups.back()->isVisible()); // closes afterwards
    });
    QTest::mouseClick(p->ReplyButton(), Qt::LeftButton);
    EXPECT_EQ(replies, 1);
    DeleteClosedWindows();
    EXPECT_TRUE(popups.back().isNull());
}

TEST_F(PopupFormTest, ReplyClosesEvenWhenTheActionFails) {
    const std::vector<std::function<void()>> failures = {
        [] { throw AppError(QStringLiteral("List index out of bounds")); },
        [] { throw std::runtime_error("x"); },
        [] { throw 42; },
    };
    for (const auto& fail : failures) {
        TPopupForm* p = Open(QStringLiteral("h"), "b", fail);
        EXPECT_NO_THROW(QTest::mouseClick(p->ReplyButton(), Qt::LeftButton));
        DeleteClosedWindows();
        EXPECT_TRUE(popups.back().isNull());
    }
    // Without an action Reply just closes.
    TPopupForm* p = Open(QStringLiteral("h"), "b");
    QTest::mouseClick(p->ReplyButton(), Qt::LeftButton);
    DeleteClosedWindows();
    EXPECT_TRUE(popups.back().isNull());
}

TEST(PopupPlacement, CentredFirstThenAStepOnAndNeverOffTheArea) {
    const QRect area(0, 0, 1000, 700);
    const QSize size(389, 282);
    const struct {
        std::optional<QPoint> previous;
        QPoint expected;
    } cases[] = {
        {std::nullopt, {305, 209}},     // centred
        {QPoint(305, 209), {333, 237}}, // a step right and down
        // Past an edge it comes round from the other side, a little further
        // on each time, so later rounds do not cover earlier ones.
        {QPoint(600, 100), {16, 128}},
        {QPoint(100, 410), {128, 19}},
        {QPoint(611, 418), {27, 27}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextPopupPosition(area, size, c.previous), c.expected);
    // A popup larger than the area keeps to its top-left corner.
    EXPECT_EQ(NextPopupPosition(QRect(50, 20, 300, 200), size, QPoint(50, 20)), QPoint(50, 20));
}

TEST(PopupHeader, LongNamesGiveWayButTheTimeStays) {
    const QFontMetrics metrics(QApplication::font());
    const QString time = QStringLiteral(" (07.12.2026 09:05:01)");
    const QString shortHeader = QStringLiteral("Message from Anna to Boris") + time;
    const QString longHeader = QStringLiteral("Message from ") + QString(60, QLatin1Char('A')) +
                               QStringLiteral(" to ") + QString(60, QLatin1Char('B')) + time;
    const int roomy = metrics.horizontalAdvance(shortHeader) + 4;
    EXPECT_EQ(FitHeader(shortHeader, metrics, roomy), shortHeader);
    for (int width : {roomy, metrics.horizontalAdvance(time) + 10, 10}) {
        const QString shown = FitHeader(longHeader, metrics, width);
        EXPECT_TRUE(shown.endsWith(time)) << width;
        EXPECT_TRUE(shown.contains(QChar(0x2026))) << width;
        if (width > metrics.horizontalAdvance(time) + 20) {
            EXPECT_LE(metrics.horizontalAdvance(shown), width);
            EXPECT_TRUE(shown.startsWith(QStringLiteral("Message"))) << width;
        }
    }
}

TEST_F(PopupFormTest, TheWholeHeaderStaysReachableWhenItIsShortened) {
    const QString header = QStringLiteral("Message from ") + QString(80, QLatin1Char('N')) +
                           QStringLiteral(" to ALL (07.12.2026 09:05:01)");
    TPopupForm* p = Open(header, "b");
    EXPECT_TRUE(p->HeaderLine()->text().endsWith(QStringLiteral("(07.12.2026 09:05:01)")));
    EXPECT_NE(p->HeaderLine()->text(), header);
    EXPECT_EQ(p->HeaderLine()->toolTip(), header);
    EXPECT_EQ(p->HeaderLine()->accessibleDescription(), header);
    EXPECT_EQ(p->Header(), header);
}

TEST_F(PopupFormTest, APopupWaitsUntilTheModalBoxIsAnswered) {
    QDialog box;
    box.setModal(true);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    auto* p = new TPopupForm(language, {});
    popups.append(p);
    p->SetMessage(QStringLiteral("h"), "b");
    p->ShowBesideModalBoxes();
    QTest::qWait(20);
    EXPECT_FALSE(p->isVisible());
    EXPECT_TRUE(p->IsOpen());
    box.accept();
    EXPECT_TRUE(QTest::qWaitFor([&] { return p->isVisible(); }, 5000));
    // Closed while it waited, it never shows.
    QDialog second;
    second.setModal(true);
    second.show();
    auto* q = new TPopupForm(language, {});
    popups.append(q);
    q->ShowBesideModalBoxes();
    q->close();
    second.accept();
    QTest::qWait(20);
    EXPECT_FALSE(popups.back() && popups.back()->isVisible());
}

// Until the person reaches it, the popup lets no key act on it: what is
// typed goes on to the window the person was typing in, as typed there. A
// click reaches it.
TEST_F(PopupFormTest, UntilReachedItTakesNoKeys) {
    QWidget typing;
    auto* editor = new QTextEdit(&typing);
    typing.show();
    typing.activateWindow();
    editor->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&typing));

    int replies = 0;
    auto* p = new TPopupForm(language, [&] { ++replies; });
    popups.append(p);
    p->SetMessage(QStringLiteral("h"), "b");
    p->show();
    EXPECT_TRUE(p->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* typed;
    } keys[] = {{Qt::Key_A, Qt::NoModifier, "a"},       {Qt::Key_Space, Qt::NoModifier, " "},
                {Qt::Key_Return, Qt::NoModifier, "\n"}, {Qt::Key_Escape, Qt::NoModifier, ""},
                {Qt::Key_R, Qt::AltModifier, "r"},      {Qt::Key_Tab, Qt::NoModifier, "\t"}};
    QString expected;
    for (const auto& k : keys) {
        for (QWidget* target : {static_cast<QWidget*>(p), static_cast<QWidget*>(p->ReplyButton()),
                                static_cast<QWidget*>(p->BodyView())}) {
            QTest::keyClick(target, Qt::Key(k.key), k.modifiers);
            expected += QString::fromUtf8(k.typed);
        }
    }
    QTest::qWait(150); // an accelerator would act by now
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(replies, 0);
    EXPECT_EQ(editor->toPlainText(), expected);

    QTest::mouseClick(p->BodyView()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(p->Reached());
    EXPECT_FALSE(p->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QTest::keyClick(p->BodyView(), Qt::Key_Escape);
    DeleteClosedWindows();
    EXPECT_TRUE(popups.back().isNull());
}
