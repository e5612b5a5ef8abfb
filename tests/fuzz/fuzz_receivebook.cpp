// The message port's book of connections: each input is a sequence of
// events (accepts, bytes, ends, resets, filings, time passing). A record
// handed over must be exactly the bytes its connection brought, nothing of a
// dropped connection is handed over, and the bounds hold after every event.
//
//   input = *( op arg1 arg2 )   ; op modulo 6: accept, data, end, reset, file, tick
#include "messaging/receivebook.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>

using namespace corvane;

namespace {

struct Shadow {
    std::map<quint64, QByteArray> sent; // what each live connection brought
    void Apply(const ReceiveBook::Actions& actions) {
        for (const auto& a : actions)
            if (a.step == ReceiveBook::Step::Drop)
                sent.erase(a.id);
    }
};

void Check(const ReceiveBook& book, const Shadow& shadow) {
    if (book.Buffered() > ReceiveBook::MaxBufferedBytes ||
        book.Reading() > ReceiveBook::MaxReading || book.Connections() > ReceiveBook::MaxHeldHard ||
        book.Connections() != int(shadow.sent.size()))
        std::abort();
    qint64 held = 0;
    for (const auto& [id, bytes] : shadow.sent) {
        if (book.Data(id) != bytes ||
            book.ReadingFrom(book.From(id)) > ReceiveBook::MaxReadingPerAddress)
            std::abort();
        held += bytes.size();
    }
    if (held != book.Buffered())
        std::abort();
}

quint64 Pick(const Shadow& shadow, uint8_t n) {
    if (shadow.sent.empty())
        return 0;
    auto it = shadow.sent.begin();
    std::advance(it, n % shadow.sent.size());
    return it->first;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReceiveBook book(ReceiveBook::Times{3000, 20000, 1000});
    Shadow shadow;
    quint64 next = 1;
    qint64 now = 0;
    for (size_t at = 0; at + 3 <= size; at += 3) {
        const uint8_t op = data[at] % 6, x = data[at + 1], y = data[at + 2];
        const quint64 id = Pick(shadow, x);
        switch (op) {
        case 0:
            if (book.MayAccept()) {
                shadow.sent[next] = {};
                shadow.Apply(book.Accepted(next++, QHostAddress(quint32(0x0A000000 + y % 8)), now));
            }
            break;
        case 1: {
            ReceiveBook::Actions actions;
            const qint64 room = id ? book.Room(id, now, actions) : 0;
            shadow.Apply(actions);
            if (room > 0 && shadow.sent.count(id)) {
                const QByteArray bytes(std::min<qint64>(room, qint64(y) * 1024 + 1), char(x));
                shadow.sent[id] += bytes;
                shadow.Apply(book.Received(id, bytes, now));
            }
            break;
        }
        case 2:
            if (id && book.IsReading(id))
                shadow.Apply(book.Ended(id, now));
            break;
        case 3:
        case 4: // a reset, or a record handed over and filed
            if (id && (op == 3 || book.IsEnded(id))) {
                shadow.sent.erase(id);
                shadow.Apply(book.Remove(id, now));
            }
            break;
        case 5:
            now += qint64(y) * 20;
            shadow.Apply(book.Tick(now));
            break;
        }
        Check(book, shadow);
    }
    return 0;
}
