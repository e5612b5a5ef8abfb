#pragma once
// What the network may make this computer send back: every answer is paid
// from the budget of the address the request came from.
//
//   - Bytes: each datagram received from a source adds BytesPerByteReceived
//     times its frame's size to the source's credit (at most MaxCredit); an
//     answer is sent only when the credit covers it, and costs its frames.
//   - Whole lists: a list answer (one datagram per entry) goes to a source at
//     most once every ListIntervalMs on average, ListBurst of them at once (a
//     member that leaves and comes back at once is answered again), and all
//     sources together get at most ListEntriesPerSecond entries a second
//     (with a burst of MaxListTokens).
//
// At most MaxSources addresses are remembered; the one heard least recently
// is forgotten first. The clock is a parameter so that tests can drive it.
#include <QHash>
#include <QHostAddress>
#include <functional>
#include <list>

namespace corvane {

class AnswerBudget {
public:
    static constexpr qint64 BytesPerByteReceived = 8;
    static constexpr qint64 MaxCredit = 16 * 1024;
    static constexpr qint64 ListIntervalMs = 5000;
    static constexpr qint64 ListBurst = 2;
    static constexpr qint64 ListEntriesPerSecond = 4096;
    static constexpr qint64 MaxListTokens = 2 * ListEntriesPerSecond;
    static constexpr int MaxSources = 1024;

    using Clock = std::function<qint64()>; // milliseconds, never going back

    explicit AnswerBudget(Clock clock = {});

    // A datagram of this many bytes came from source.
    void Received(const QHostAddress& source, qint64 bytes);
    // Takes bytes from the source's credit; false (nothing taken) when it
    // does not cover them.
    bool Spend(const QHostAddress& source, qint64 bytes);
    // Whether a whole list of this many entries may go to source now; if so
    // it counts as sent.
    bool TakeList(const QHostAddress& source, qint64 entries);

    qint64 Credit(const QHostAddress& source) const;
    int Sources() const { return int(sources_.size()); }

private:
    struct Source {
        qint64 credit = 0;
        qint64 listCredit = 0; // ListIntervalMs per whole list
        qint64 listCreditAt = 0;
        std::list<QHostAddress>::iterator age;
    };
    Source& Touch(const QHostAddress& source);
    void RefillTokens();

    Clock clock_;
    QHash<QHostAddress, Source> sources_;
    std::list<QHostAddress> byAge_; // least recently heard first
    qint64 tokens_ = MaxListTokens;
    qint64 tokensAt_ = 0;
};

} // namespace corvane
