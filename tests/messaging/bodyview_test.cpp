// The body view: a long body a page at a time, with a bar in the language of
// the window, saved byte for byte; big bodies are read once, off the window's
// thread, and only for whoever still waits.
#include "messaging/bodyview.h"

#include "messaging/bodyloader.h"
#include "support/testcontext.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::TestComputer;
using corvane::test::WaitUntil;

namespace {

// Plain text of about three pages, each line naming itself.
QByteArray LongBody(const QByteArray& name = "line") {
    QByteArray body;
    for (int i = 0; body.size() < 3 * 32 * 1024; ++i)
        body += name + ' ' + QByteArray::number(i) + " \xA9 \xcf\xf0\xe8\xe2\xe5\xf2 words\r\n";
    return body;
}

struct Bar {
    QString label, previous, next, save;
};

Bar BarOf(const BodyView& view) {
    return {view.PageLabel()->text(), view.PreviousButton()->text(), view.NextButton()->text(),
            view.SaveButton()->text()};
}

} // namespace

TEST(BodyView, ALongBodyShowsAPageAtATimeUnderABarInTheWindowsLanguage) {
    BodyLoader loader;
    BodyView view(QStringLiteral("Memo2"), QString());
    view.SetLoader(&loader);
    const QByteArray body = LongBody();
    view.Show(body);
    EXPECT_TRUE(view.Reading());
    EXPECT_FALSE(view.Bar()->isHidden());
    EXPECT_EQ(view.PageLabel()->text(), "Reading the message…");
    EXPECT_TRUE(view.NextButton()->isHidden());
    ASSERT_TRUE(WaitUntil([&] { return !view.Reading(); }, 30000));

    const int pages = BodyPages::Prepare(body)->PageCount();
    ASSERT_GE(pages, 3);
    ASSERT_EQ(view.PageCount(), pages);
    EXPECT_TRUE(view.Text()->toPlainText().startsWith("line 0 © Привет words\n"));
    EXPECT_FALSE(view.PreviousButton()->isEnabled());
    EXPECT_EQ(view.PageLabel()->text(),
              QStringLiteral("The message continues: page 1 of %1").arg(pages));
    for (int i = 1; i < pages; ++i)
        view.NextButton()->click();
    EXPECT_EQ(view.CurrentPage(), pages - 1);
    EXPECT_FALSE(view.NextButton()->isEnabled());
    EXPECT_TRUE(view.Text()->toPlainText().endsWith(" Привет words\n"));

    const struct {
        Language language;
        Bar bar;
    } languages[] = {
        {Language::Russian,
         {QStringLiteral("Конец сообщения: страница %1 из %1").arg(pages), "Назад", "Дальше",
          "Сохранить в файл…"}},
        {Language::English,
         {QStringLiteral("The end of the message: page %1 of %1").arg(pages), "Previous page",
          "Next page", "Save to file…"}},
    };
    for (const auto& l : languages) {
        view.SetLanguage(l.language);
        const Bar bar = BarOf(view);
        EXPECT_EQ(bar.label, l.bar.label);
        EXPECT_EQ(bar.previous, l.bar.previous);
        EXPECT_EQ(bar.next, l.bar.next);
        EXPECT_EQ(bar.save, l.bar.save);
        EXPECT_EQ(view.SaveButton()->accessibleName(), l.bar.save);
    }

    // A short body is all on show: no bar, and nothing kept beside its page.
    view.Show("short");
    EXPECT_TRUE(view.Bar()->isHidden());
    EXPECT_EQ(view.PageCount(), 1);
    EXPECT_LT(view.Cost(), 64 * 1024);
}

TEST(BodyView, SaveToFileWritesTheBodyAsReceivedOrSaysWhyNot) {
    TestComputer computer(QStringLiteral("HOST1"), 2, {});
    const QString dir = computer.dir.path();
    QByteArray rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < 200 * 1024)
        rtf += "{\\b bold} \\'cf\\'f0\\'e8 text\\par\r\n";
    rtf += "}";
    const struct {
        const char* name;
        QByteArray body;
        QString path;
        bool written;
    } cases[] = {
        {"RTF", rtf, dir + "/message.rtf", true},
        {"plain text with the separator byte and CR LF", LongBody(), dir + "/message.txt", true},
        {"into a folder that does not exist", LongBody(), dir + "/none/message.txt", false},
    };
    BodyLoader loader;
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        BodyView view(QStringLiteral("Memo1"), QString());
        view.SetLoader(&loader);
        view.SetContext(&computer.context);
        view.Show(t.body);
        ASSERT_TRUE(WaitUntil([&] { return !view.Reading(); }, 30000));
        ASSERT_FALSE(view.SaveButton()->isHidden());
        computer.dialogs.shown.clear();
        computer.dialogs.fileNames = {t.path};
        view.SaveButton()->click();
        QFile file(t.path);
        if (t.written) {
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), t.body);
            EXPECT_TRUE(computer.dialogs.shown.empty());
        } else {
            EXPECT_FALSE(file.exists());
            ASSERT_EQ(computer.dialogs.shown.size(), 1u);
            EXPECT_TRUE(computer.dialogs.shown[0].text.startsWith("Cannot write " + t.path));
        }
    }
}

TEST(BodyView, BigBodiesAreReadOnceAndOnlyForWhoeverStillWaits) {
    BodyLoader loader;
    BodyView first(QStringLiteral("Memo1"), QString()), second(QStringLiteral("Memo2"), QString());
    for (BodyView* view : {&first, &second})
        view->SetLoader(&loader);
    // Two views of one arrival share the reading of its bytes.
    const QByteArray shared = LongBody("shared");
    first.Show(shared);
    second.Show(shared);
    EXPECT_EQ(loader.Pending(), 1);
    // A view that takes another body before the first is read shows only
    // the one it took last; nobody waits for the first any more.
    first.Show(LongBody("other"));
    second.Show(LongBody("last"));
    EXPECT_EQ(loader.Pending(), 2);
    ASSERT_TRUE(WaitUntil([&] { return loader.Pending() == 0; }, 30000));
    EXPECT_TRUE(first.Text()->toPlainText().startsWith("other 0 "));
    EXPECT_TRUE(second.Text()->toPlainText().startsWith("last 0 "));
    {
        // A view that goes while its body is read takes nothing with it.
        BodyView gone(QStringLiteral("Memo3"), QString());
        gone.SetLoader(&loader);
        gone.Show(LongBody("gone"));
    }
    EXPECT_EQ(loader.Pending(), 0);
}

TEST(BodyView, ASmallBodyReadAtOnceIsSharedByTheNextViewOfTheSameBytes) {
    BodyLoader loader;
    const QByteArray small = "one small body\r\n", big = LongBody("big");
    const auto pages = loader.PrepareNow(small);
    ASSERT_TRUE(pages);
    EXPECT_EQ(loader.PrepareNow(small), pages);
    // Equal bytes elsewhere are another body, read again.
    EXPECT_NE(loader.PrepareNow(QByteArray(small.constData(), small.size())), pages);
    // A body over the kept size is not held by the loader.
    ASSERT_GT(big.size(), BodyLoader::KeptBytes);
    const auto bigPages = loader.PrepareNow(big);
    ASSERT_TRUE(bigPages);
    EXPECT_EQ(bigPages.use_count(), 1);
    EXPECT_NE(loader.PrepareNow(big), bigPages);
}
