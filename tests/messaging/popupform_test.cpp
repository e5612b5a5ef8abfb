#include "messaging/popupform.h"

#include "common/errors.h"
#include "settings/stringtable.h"

#include <QApplication>
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

    EXPECT_EQ(p->windowTitle(), "Incoming Message");
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
    EXPECT_EQ(p->windowTitle(), "Новое сообщение");
    EXPECT_EQ(p->ReplyButton()->text(), "&Ответить");
    EXPECT_EQ(p->CloseButton()->text(), "Закрыть");

    language.SetLanguage(Language::English);
    EXPECT_EQ(p->windowTitle(), "Новое сообщение"); // an open popup keeps its captions
    p->hide();
    p->show();
    EXPECT_EQ(p->windowTitle(), "Incoming Message");
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
