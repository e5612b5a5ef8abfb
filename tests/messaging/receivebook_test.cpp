// The message port's book of connections, driven without sockets: reading
// slots and held bytes shared between addresses, slow senders, bursts.
#include "messaging/receivebook.h"

#include <gtest/gtest.h>

using namespace corvane;
using Step = ReceiveBook::Step;

namespace {
QHostAddress Host(int i) {
    return QHostAddress(quint32(0x0A000000 + i));
}
bool Has(const ReceiveBook::Actions& actions, Step step, quint64 id) {
    return std::find(actions.begin(), actions.end(), ReceiveBook::Action{step, id}) !=
           actions.end();
}
// Reads into a connection what it may take, up to bytes; returns what it took.
qint64 Fill(ReceiveBook& book, quint64 id, qint64 bytes, qint64 now) {
    qint64 taken = 0;
    ReceiveBook::Actions ignored;
    while (taken < bytes) {
        const qint64 room = std::min(book.Room(id, now, ignored), bytes - taken);
        if (room <= 0)
            break;
        book.Received(id, QByteArray(room, 'x'), now);
        taken += room;
    }
    return taken;
}
} // namespace

TEST(ReceiveBook, ReadingSlotsAreSharedBetweenAddresses) {
    ReceiveBook book({});
    quint64 id = 0;
    for (int a = 0; a < 16; ++a)
        for (int i = 0; i < 4; ++i)
            book.Accepted(++id, Host(a), 0);
    EXPECT_EQ(book.Reading(), ReceiveBook::MaxReading);
    // A newcomer from another address is read at once: a holder that made
    // progress lately waits unread, one that stalled is dropped.
    auto fresh = book.Accepted(++id, Host(99), 500);
    EXPECT_TRUE(Has(fresh, Step::Read, id));
    EXPECT_EQ(std::count_if(fresh.begin(), fresh.end(),
                            [](const auto& a) { return a.step == Step::Stop; }),
              1);
    auto later = book.Accepted(++id, Host(98), 500 + ReceiveBook::StallMs);
    EXPECT_TRUE(Has(later, Step::Read, id));
    EXPECT_EQ(std::count_if(later.begin(), later.end(),
                            [](const auto& a) { return a.step == Step::Drop; }),
              1);
    EXPECT_EQ(book.Reading(), ReceiveBook::MaxReading);
}

TEST(ReceiveBook, ABurstFromOneAddressWaitsUnreadAndIsReadInTurn) {
    ReceiveBook book({});
    constexpr int Burst = 200;
    for (quint64 id = 1; id <= Burst; ++id)
        for (const auto& a : book.Accepted(id, Host(1), 0))
            EXPECT_NE(a.step, Step::Drop);
    EXPECT_EQ(book.Connections(), Burst);
    EXPECT_EQ(book.ReadingFrom(Host(1)), ReceiveBook::MaxReadingPerAddress);
    // Another address is not kept waiting behind the burst.
    EXPECT_TRUE(Has(book.Accepted(Burst + 1, Host(2), 0), Step::Read, Burst + 1));
    book.Remove(Burst + 1, 0);
    int filed = 0;
    for (int round = 0; round < 2 * Burst && book.Connections() > 0; ++round)
        for (quint64 id = 1; id <= Burst; ++id)
            if (book.IsReading(id)) {
                book.Received(id, "record", 0);
                book.Ended(id, 0);
                book.Remove(id, 0);
                ++filed;
            }
    EXPECT_EQ(filed, Burst);
}

TEST(ReceiveBook, HeldBytesAreSharedAndAStalledHolderMakesRoom) {
    for (bool stalled : {false, true}) {
        SCOPED_TRACE(stalled ? "the holder stalled" : "the holder is progressing");
        ReceiveBook book({});
        // One address writes 11.5 MB on each of three connections.
        for (quint64 id = 1; id <= 3; ++id) {
            book.Accepted(id, Host(1), 0);
            Fill(book, id, 11500000, 0);
        }
        EXPECT_LE(book.Buffered(), ReceiveBook::MaxBufferedBytes);
        EXPECT_FALSE(book.IsReading(3)); // paused at the bound
        const qint64 now = stalled ? ReceiveBook::StallMs : ReceiveBook::StallMs / 2;
        book.Accepted(4, Host(2), now);
        ReceiveBook::Actions actions;
        const qint64 room = book.Room(4, now, actions);
        EXPECT_EQ(room > 0, stalled);
        EXPECT_EQ(book.Connections(), stalled ? 3 : 4);
        EXPECT_EQ(Has(actions, Step::Stop, 4), !stalled); // waits for room
        if (!stalled) {
            // The holder stalls from here on: the next tick lets the other in.
            const auto tick = book.Tick(2 * ReceiveBook::StallMs);
            EXPECT_TRUE(Has(tick, Step::Read, 4));
            EXPECT_GT(book.Room(4, 2 * ReceiveBook::StallMs, actions), 0);
        }
        EXPECT_LE(book.Buffered() + ReceiveBook::ReadChunk, ReceiveBook::MaxBufferedBytes);
    }
}

TEST(ReceiveBook, SlowSendersAndTimeouts) {
    const ReceiveBook::Times times{2000, 30000, 1000};
    struct Case {
        const char* what;
        qint64 bytesPerWindow;
        bool ends;
        qint64 at; // when the tick looks
        bool dropped;
    };
    const Case cases[] = {
        {"silent through its first window", 0, false, 1000, true},
        {"a trickle", ReceiveBook::MinBytesPerWindow - 1, false, 1000, true},
        {"the minimum rate", ReceiveBook::MinBytesPerWindow, false, 1000, false},
        {"a record that ended waits to be filed", 10, true, 20000, false},
        {"no whole record within the record time", ReceiveBook::MinBytesPerWindow, false, 30000,
         true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        ReceiveBook book(times);
        book.Accepted(1, Host(1), 0);
        for (qint64 t = 0; t < k.at; t += 1000) {
            if (k.bytesPerWindow)
                book.Received(1, QByteArray(k.bytesPerWindow, 'x'), t + 500);
            if (k.ends && t == 0)
                book.Ended(1, t + 500);
            if (t + 1000 < k.at)
                book.Tick(t + 1000);
        }
        ASSERT_TRUE(book.Contains(1));
        EXPECT_EQ(Has(book.Tick(k.at), Step::Drop, 1), k.dropped);
    }
}
