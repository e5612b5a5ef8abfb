#include "common/hostresolver.h"

#include <QHostInfo>
#include <QUrl>

namespace corvane {
namespace {

QHostAddress FirstIPv4(const QList<QHostAddress>& addresses) {
    for (const QHostAddress& a : addresses)
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a;
    return {};
}

void SystemLookupByQt(const QString& name, QObject* context,
                      std::function<void(const QList<QHostAddress>&)> found) {
    QHostInfo::lookupHost(name, context, [found = std::move(found)](const QHostInfo& info) {
        found(info.addresses());
    });
}

} // namespace

HostResolver::HostResolver()
    : systemLookup_(&SystemLookupByQt), lookupContext_(std::make_unique<QObject>()) {}

HostResolver::~HostResolver() = default;

bool HostResolver::MakeRoom() {
    // The least recently heard name the keep rule lets go; a kept one met on
    // the way counts as heard, so the next search does not meet it again.
    for (qsizetype tries = learned_.size(); tries > 0 && !byAge_.empty(); --tries) {
        const QString oldest = byAge_.front();
        if (keep_ && keep_(oldest)) {
            byAge_.splice(byAge_.end(), byAge_, byAge_.begin());
            continue;
        }
        byAge_.pop_front();
        learned_.remove(oldest);
        return true;
    }
    return false;
}

void HostResolver::Learn(const QString& computerName, const QHostAddress& address) {
    if (computerName.isEmpty() || address.isNull())
        return;
    const QString key = Key(computerName);
    auto it = learned_.find(key);
    if (it != learned_.end()) {
        it->address = address;
        byAge_.splice(byAge_.end(), byAge_, it->age);
    } else {
        if (learned_.size() >= MaxLearned && !MakeRoom())
            return; // every name is kept: the new one is not learned
        learned_.insert(key, Entry{address, byAge_.insert(byAge_.end(), key)});
    }
    failed_.remove(key);
}

void HostResolver::LearnIfUnknown(const QString& computerName, const QHostAddress& address) {
    auto it = learned_.find(Key(computerName));
    if (it == learned_.end())
        Learn(computerName, address);
    else if (it->address == address)
        byAge_.splice(byAge_.end(), byAge_, it->age);
}

QHostAddress HostResolver::Learned(const QString& computerName) const {
    return LearnedKey(Key(computerName));
}

QHostAddress HostResolver::LearnedKey(const QString& key) const {
    const auto it = learned_.find(key);
    return it == learned_.end() ? QHostAddress() : it->address;
}

void HostResolver::Forget(const QString& computerName) {
    const auto it = learned_.find(Key(computerName));
    if (it == learned_.end())
        return;
    byAge_.erase(it->age);
    learned_.erase(it);
}

bool HostResolver::ResolvesAtOnce(const QString& nameOrAddress) const {
    QHostAddress literal;
    return literal.setAddress(nameOrAddress) || learned_.contains(Key(nameOrAddress));
}

bool HostResolver::IsLookupName(const QString& name) {
    if (name.isEmpty() || name.size() > MaxNameBytes)
        return false;
    const QByteArray ace = QUrl::toAce(name);
    if (ace.isEmpty() || ace.size() > MaxNameBytes)
        return false;
    qsizetype start = 0;
    while (start < ace.size()) {
        qsizetype dot = ace.indexOf('.', start);
        if (dot < 0)
            dot = ace.size();
        const qsizetype label = dot - start;
        if (label == 0 || label > MaxLabelBytes)
            return false;
        start = dot + 1;
    }
    return true;
}

bool HostResolver::IsComputerName(const QString& name) {
    return IsLookupName(name) && !name.contains(QLatin1Char('*')) &&
           !name.contains(QLatin1Char('?')) && QHostAddress(name).isNull();
}

bool HostResolver::RecentlyFailed(const QString& key) {
    auto it = failed_.find(key);
    if (it == failed_.end())
        return false;
    if (!it->hasExpired())
        return true;
    failed_.erase(it);
    return false;
}

void HostResolver::RememberFailure(const QString& key) {
    if (failed_.size() >= MaxFailuresKept) {
        for (auto it = failed_.begin(); it != failed_.end();)
            it = it->hasExpired() ? failed_.erase(it) : std::next(it);
        if (failed_.size() >= MaxFailuresKept)
            failed_.erase(failed_.begin());
    }
    failed_.insert(key, QDeadlineTimer(FailureMemoryMs));
}

QHostAddress HostResolver::Resolve(const QString& nameOrAddress) {
    if (nameOrAddress.isEmpty())
        return {};
    QHostAddress literal;
    if (literal.setAddress(nameOrAddress))
        return literal;
    const QString key = Key(nameOrAddress);
    const QHostAddress known = LearnedKey(key);
    if (!known.isNull())
        return known;
    if (!IsLookupName(nameOrAddress) || RecentlyFailed(key))
        return {};
    const QHostAddress found = FirstIPv4(QHostInfo::fromName(nameOrAddress).addresses());
    if (found.isNull())
        RememberFailure(key);
    return found;
}

void HostResolver::Lookup(const QString& nameOrAddress, QObject* receiver, Done done) {
    if (!done)
        return;
    QHostAddress literal;
    if (literal.setAddress(nameOrAddress)) {
        done(literal);
        return;
    }
    const QString key = Key(nameOrAddress);
    const QHostAddress known = LearnedKey(key);
    if (!known.isNull()) {
        done(known);
        return;
    }
    if (!IsLookupName(nameOrAddress) || RecentlyFailed(key)) {
        done({});
        return;
    }
    Waiter waiter{QPointer<QObject>(receiver ? receiver : lookupContext_.get()), std::move(done)};
    if (auto it = running_.find(key); it != running_.end()) {
        it->append(std::move(waiter));
        return;
    }
    if (auto it = queued_.find(key); it != queued_.end()) {
        it->append(std::move(waiter));
        return;
    }
    if (int(waiting_.size()) >= MaxWaiting) {
        waiter.done({});
        return;
    }
    // The name as given goes to the system; the key only groups requests.
    waiting_.push_back(nameOrAddress);
    queued_[key].append(std::move(waiter));
    StartNext();
}

void HostResolver::StartNext() {
    while (running_.size() < MaxRunning && !waiting_.empty()) {
        const QString name = waiting_.front();
        waiting_.pop_front();
        const QString key = Key(name);
        running_.insert(key, queued_.take(key));
        systemLookup_(name, lookupContext_.get(),
                      [this, key](const QList<QHostAddress>& found) { Finished(key, found); });
    }
}

void HostResolver::Finished(const QString& key, const QList<QHostAddress>& addresses) {
    const QList<Waiter> waiters = running_.take(key);
    const QHostAddress address = FirstIPv4(addresses);
    if (address.isNull())
        RememberFailure(key);
    StartNext();
    for (const Waiter& w : waiters)
        if (w.receiver && w.done)
            w.done(address);
}

} // namespace corvane
