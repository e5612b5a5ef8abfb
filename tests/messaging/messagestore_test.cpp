#include "messaging/messagestore.h"

#include "support/testcontext.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::TestComputer;

namespace {

struct RecordingView : MessageStoreView {
    QByteArray header;
    QByteArray body;
    QString counter = QStringLiteral("(untouched)");
    int renders = 0; // messages shown and clears

    void ShowMessage(const QByteArray& h, const QByteArray& b) override {
        header = h;
        body = b;
        ++renders;
    }
    void ClearMessage() override {
        header.clear();
        body.clear();
        ++renders;
    }
    void ShowCounter(const QString& text) override { counter = text; }
    int dropped = 0;
    void ShowDropped(int count) override { dropped = count; }
};

// Runs f inside the next ProcessPendingMessages, i.e. inside step 3 of an append.
template <class F> void RunWhilePumping(F f) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), f, Qt::QueuedConnection);
}

class MessageStoreTest : public ::testing::Test {
protected:
    MessageStoreTest() { store.SetView(&view); }

    void Fill(int n) {
        for (int i = 1; i <= n; ++i)
            store.AppendToStore("H" + QByteArray::number(i), "B" + QByteArray::number(i));
    }
    QByteArrayList Headers() const {
        QByteArrayList out;
        for (const StoredMessage& m : store.Messages())
            out.append(m.Header());
        return out;
    }
    int Beeps() const { return computer.sound.beeps; }
    auto& Boxes() { return computer.dialogs.shown; }

    TestComputer computer{QStringLiteral("HOST1"), 2, {}};
    LanguageState language;
    MessageStore store{StoreKind::Incoming, computer.context, language};
    RecordingView view;
};

} // namespace

TEST(StoredMessageText, HeaderAndBodyJoinedBySeparator) {
    const StoredMessage m = StoredMessage::Make("Message from A", "{\\rtf1 x}");
    EXPECT_EQ(m.text, QByteArray("Message from A\xA9\xA9\xA9{\\rtf1 x}"));
    EXPECT_EQ(m.Header(), "Message from A");
    EXPECT_EQ(m.Body(), "{\\rtf1 x}");
    // An empty header makes the body field 1: the body is then read as empty.
    EXPECT_EQ(StoredMessage::Make("", "text").Body(), "");
}

TEST(StoredMessageText, CounterPlaceholdersTakePositionThenCount) {
    EXPECT_EQ(FormatCounter(QStringLiteral("Message %d of %d"), 3, 7), "Message 3 of 7");
    EXPECT_EQ(FormatCounter(QStringLiteral("Сообщение %d из %d"), 10, 12), "Сообщение 10 из 12");
    EXPECT_EQ(FormatCounter(QStringLiteral("Message 0 of 0"), 5, 6), "Message 0 of 0");
}

TEST_F(MessageStoreTest, EmptyStoreBeepsDeletesNothingAndStillAsksBeforeDeletingAll) {
    store.First();
    store.Previous();
    store.Next();
    store.Last();
    store.DeleteCurrent();
    EXPECT_EQ(Beeps(), 4);
    EXPECT_EQ(view.renders, 0);
    EXPECT_EQ(view.counter, "(untouched)");
    EXPECT_EQ(store.Position(), 0);

    store.DeleteAll();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Are you sure to delete all messages?");
    EXPECT_EQ(Boxes()[0].title, "Corvane 3.0");
    EXPECT_EQ(Boxes()[0].icon, DialogService::Icon::Question);
    EXPECT_EQ(Boxes()[0].buttons, DialogService::Yes | DialogService::No | DialogService::Cancel);
}

TEST_F(MessageStoreTest, OneMessageBeepsInAllFourDirections) {
    Fill(1);
    EXPECT_EQ(view.counter, "Message 1 of 1");
    const int renders = view.renders;
    store.First();
    store.Previous();
    store.Next();
    store.Last();
    EXPECT_EQ(Beeps(), 4);
    EXPECT_EQ(store.Position(), 1);
    EXPECT_EQ(view.renders, renders);
}

TEST_F(MessageStoreTest, BrowsingMovesOneAtATimeAndJumpsToTheEnds) {
    Fill(4);
    store.First();
    EXPECT_EQ(view.header, "H1");
    EXPECT_EQ(view.body, "B1");
    EXPECT_EQ(view.counter, "Message 1 of 4");
    store.Next();
    store.Next();
    EXPECT_EQ(view.header, "H3");
    EXPECT_EQ(view.counter, "Message 3 of 4");
    store.Previous();
    EXPECT_EQ(view.header, "H2");
    store.Last();
    EXPECT_EQ(view.header, "H4");
    EXPECT_EQ(view.counter, "Message 4 of 4");
    store.Next();
    store.Last();
    EXPECT_EQ(Beeps(), 2);
    store.First();
    store.First();
    store.Previous();
    EXPECT_EQ(Beeps(), 4);
    EXPECT_EQ(store.Position(), 1);
}

TEST_F(MessageStoreTest, DeletingAnyButTheLastShowsTheNextInItsPlace) {
    Fill(3);
    store.First(); // 1 of 3
    store.DeleteCurrent();
    EXPECT_EQ(Headers(), (QByteArrayList{"H2", "H3"}));
    EXPECT_EQ(store.Position(), 1);
    EXPECT_EQ(view.header, "H2");
    EXPECT_EQ(view.body, "B2");
    EXPECT_EQ(view.counter, "Message 1 of 2");

    Fill(2); // H2 H3 H1 H2
    store.First();
    store.Next(); // 2 of 4: H3
    store.DeleteCurrent();
    EXPECT_EQ(Headers(), (QByteArrayList{"H2", "H1", "H2"}));
    EXPECT_EQ(store.Position(), 2);
    EXPECT_EQ(view.header, "H1");
    EXPECT_EQ(view.counter, "Message 2 of 3");
    EXPECT_EQ(Beeps(), 0);
}

TEST_F(MessageStoreTest, DeletingTheLastShowsTheOneBefore) {
    Fill(3);
    store.DeleteCurrent();
    EXPECT_EQ(Headers(), (QByteArrayList{"H1", "H2"}));
    EXPECT_EQ(store.Position(), 2);
    EXPECT_EQ(view.header, "H2");
    EXPECT_EQ(view.counter, "Message 2 of 2");
    store.DeleteCurrent();
    EXPECT_EQ(store.Position(), 1);
    EXPECT_EQ(view.header, "H1");
    EXPECT_EQ(view.counter, "Message 1 of 1");
    store.DeleteCurrent(); // the only one
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Position(), 0);
    EXPECT_EQ(view.header, "");
    EXPECT_EQ(view.body, "");
    EXPECT_EQ(view.counter, "Message 0 of 0");
    EXPECT_EQ(Beeps(), 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MessageStoreTest, OnlyYesToDeleteAllEmptiesStoreAndPage) {
    Fill(3);
    store.Previous(); // 2 of 3
    const int renders = view.renders;
    computer.dialogs.answers = {DialogService::No, DialogService::Cancel, DialogService::Yes};
    store.DeleteAll();
    store.DeleteAll();
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(store.Position(), 2);
    EXPECT_EQ(view.renders, renders);
    EXPECT_EQ(view.counter, "Message 2 of 3");

    store.DeleteAll();
    EXPECT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Position(), 0);
    EXPECT_EQ(view.header, "");
    EXPECT_EQ(view.body, "");
    EXPECT_EQ(view.counter, "Message 0 of 0");
    store.Next();
    EXPECT_EQ(Beeps(), 1);
}

TEST_F(MessageStoreTest, OutgoingStoreAsksUnderItsOwnTitle) {
    MessageStore outgoing(StoreKind::Outgoing, computer.context, language);
    outgoing.DeleteAll();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].title, "Corvane Messeneger");
}

TEST_F(MessageStoreTest, ArrivalWhileAnOlderMessageIsShownJumpsToIt) {
    Fill(3);
    store.First();
    store.AppendToStore("H4", "B4");
    EXPECT_EQ(store.Position(), 4);
    EXPECT_EQ(view.header, "H4");
    EXPECT_EQ(view.counter, "Message 4 of 4");
    store.Next();
    EXPECT_EQ(Beeps(), 1);
    store.Previous();
    EXPECT_EQ(view.header, "H3");
    EXPECT_EQ(view.counter, "Message 3 of 4");
}

TEST_F(MessageStoreTest, SeparatorByteShowsWholeWhenAppendedAndCutWhenBrowsedBack) {
    const QByteArray header("Copy\xA9right");
    const QByteArray body("one\xA9two");
    store.AppendToStore(header, body);
    EXPECT_EQ(view.header, header);
    EXPECT_EQ(view.body, body);
    store.AppendToStore("H2", "B2");
    store.Previous();
    // The split yields Copy, right, one, two: header and body are the first two.
    EXPECT_EQ(view.header, "Copy");
    EXPECT_EQ(view.body, "right");
    EXPECT_EQ(store.At(1).text, header + QByteArray("\xA9\xA9\xA9") + body);
}

TEST_F(MessageStoreTest, AppendInsideAnAppendEndsOnTheNewestMessage) {
    RunWhilePumping([this] { store.AppendToStore("inner", "inner body"); });
    store.AppendToStore("outer", "outer body");
    EXPECT_EQ(Headers(), (QByteArrayList{"outer", "inner"}));
    EXPECT_EQ(store.Position(), 2);
    EXPECT_EQ(view.header, "inner");
    EXPECT_EQ(view.body, "inner body");
    EXPECT_EQ(view.counter, "Message 2 of 2");
    store.Next();
    EXPECT_EQ(Beeps(), 1);
}

TEST_F(MessageStoreTest, BrowsingInsideAnAppendStillEndsOnTheNewestMessage) {
    Fill(2);
    RunWhilePumping([this] { store.First(); });
    store.AppendToStore("H3", "B3");
    EXPECT_EQ(store.Position(), 3);
    EXPECT_EQ(view.header, "H3");
    EXPECT_EQ(view.body, "B3");
    EXPECT_EQ(view.counter, "Message 3 of 3");
}

TEST_F(MessageStoreTest, DeleteInsideAnAppendRemovesTheMessageOnScreen) {
    // The new message is the one on screen while other handlers run, so a
    // delete pressed then removes it, not the one shown before.
    Fill(1);
    RunWhilePumping([this] { store.DeleteCurrent(); });
    store.AppendToStore("H2", "B2");
    EXPECT_EQ(Headers(), (QByteArrayList{"H1"}));
    EXPECT_EQ(store.Position(), 1);
    EXPECT_EQ(view.header, "H1");
    EXPECT_EQ(view.counter, "Message 1 of 1");

    // Emptied inside an append: position and page agree on "nothing".
    computer.dialogs.answers = {DialogService::Yes};
    RunWhilePumping([this] { store.DeleteAll(); });
    store.AppendToStore("H3", "B3");
    RunWhilePumping([this] { store.DeleteCurrent(); });
    store.AppendToStore("H4", "B4");
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Position(), 0);
    EXPECT_EQ(view.header, "");
    EXPECT_EQ(view.counter, "Message 0 of 0");
    store.First();
    store.Last();
    EXPECT_EQ(Beeps(), 2);
}

TEST_F(MessageStoreTest, TextsFollowTheCurrentLanguage) {
    Fill(3);
    store.Previous();
    language.SetLanguage(Language::Russian);
    EXPECT_EQ(view.counter, "Message 2 of 3"); // rendered texts stay until redrawn
    store.RetranslateCounter();
    EXPECT_EQ(view.counter, "Сообщение 2 из 3");
    store.DeleteAll();
    EXPECT_EQ(Boxes().back().text, "Вы действительно хотите удалить все сообщения?");
    EXPECT_EQ(Boxes().back().title, "Corvane 3.0");
    computer.dialogs.answers = {DialogService::Yes};
    store.DeleteAll();
    EXPECT_EQ(view.counter, "Сообщение 0 из 0");
    language.SetLanguage(Language::English);
    store.RetranslateCounter();
    EXPECT_EQ(view.counter, "Message 0 of 0");
}

TEST_F(MessageStoreTest, TheOldestMessagesGoBeyondTheBoundsAndThePageSaysSo) {
    struct Case {
        const char* name;
        int messages;
        qsizetype bodyBytes;
        int kept;
    };
    const Case cases[] = {
        {"by count", MessageStore::MaxMessages + 2, 1, MessageStore::MaxMessages},
        {"by bytes", 3, MessageStore::MaxBytes / 2, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        computer.dialogs.answers = {DialogService::Yes};
        store.DeleteAll();
        EXPECT_EQ(view.dropped, 0);
        for (int i = 1; i <= k.messages; ++i)
            store.AppendToStore("H" + QByteArray::number(i), QByteArray(k.bodyBytes, 'b'));
        EXPECT_EQ(store.Count(), k.kept);
        EXPECT_EQ(view.dropped, k.messages - k.kept);
        EXPECT_LE(store.Bytes(), MessageStore::MaxBytes);
        EXPECT_EQ(store.Position(), k.kept); // the newest is shown
        EXPECT_EQ(store.At(k.kept).Header(), "H" + QByteArray::number(k.messages));
        EXPECT_EQ(store.At(1).Header(), "H" + QByteArray::number(k.messages - k.kept + 1));
    }
}
