#include "transport/answerbudget.h"

#include <QElapsedTimer>
#include <algorithm>

namespace corvane {

AnswerBudget::AnswerBudget(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        clock_ = [timer] { return timer->elapsed(); };
    }
    tokensAt_ = clock_();
}

AnswerBudget::Source& AnswerBudget::Touch(const QHostAddress& source) {
    auto it = sources_.find(source);
    if (it != sources_.end()) {
        byAge_.splice(byAge_.end(), byAge_, it->age);
        return *it;
    }
    if (int(sources_.size()) >= MaxSources) {
        sources_.remove(byAge_.front());
        byAge_.pop_front();
    }
    Source fresh;
    fresh.listCredit = ListBurst * ListIntervalMs;
    fresh.listCreditAt = clock_();
    fresh.age = byAge_.insert(byAge_.end(), source);
    return *sources_.insert(source, fresh);
}

void AnswerBudget::Received(const QHostAddress& source, qint64 bytes) {
    if (source.isNull() || bytes <= 0)
        return;
    Source& s = Touch(source);
    s.credit = std::min(MaxCredit, s.credit + bytes * BytesPerByteReceived);
}

bool AnswerBudget::Spend(const QHostAddress& source, qint64 bytes) {
    auto it = sources_.find(source);
    if (it == sources_.end() || it->credit < bytes)
        return false;
    it->credit -= bytes;
    return true;
}

void AnswerBudget::RefillTokens() {
    const qint64 now = clock_();
    const qint64 elapsed = now - tokensAt_;
    if (elapsed <= 0)
        return;
    tokens_ = std::min(MaxListTokens, tokens_ + elapsed * ListEntriesPerSecond / 1000);
    tokensAt_ = now;
}

bool AnswerBudget::TakeList(const QHostAddress& source, qint64 entries) {
    auto it = sources_.find(source);
    if (it == sources_.end())
        return false; // nothing came from there
    const qint64 now = clock_();
    it->listCredit =
        std::min(ListBurst * ListIntervalMs, it->listCredit + (now - it->listCreditAt));
    it->listCreditAt = now;
    if (it->listCredit < ListIntervalMs)
        return false;
    RefillTokens();
    if (entries > tokens_)
        return false;
    tokens_ -= entries;
    it->listCredit -= ListIntervalMs;
    return true;
}

qint64 AnswerBudget::Credit(const QHostAddress& source) const {
    const auto it = sources_.find(source);
    return it == sources_.end() ? 0 : it->credit;
}

} // namespace corvane
