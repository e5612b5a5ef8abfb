#include "common/hostresolver.h"

#include <QHostInfo>

namespace corvane {

void HostResolver::Learn(const QString& computerName, const QHostAddress& address) {
    if (computerName.isEmpty() || address.isNull())
        return;
    const QString key = Key(computerName);
    if (!learned_.contains(key) && learned_.size() >= MaxLearned)
        learned_.erase(learned_.begin()); // bounded: forget an arbitrary old one
    learned_.insert(key, address);
}

QHostAddress HostResolver::Learned(const QString& computerName) const {
    return learned_.value(Key(computerName));
}

void HostResolver::Forget(const QString& computerName) { learned_.remove(Key(computerName)); }

bool HostResolver::ResolvesAtOnce(const QString& nameOrAddress) const {
    QHostAddress literal;
    return literal.setAddress(nameOrAddress) || learned_.contains(Key(nameOrAddress));
}

QHostAddress HostResolver::Resolve(const QString& nameOrAddress) const {
    if (nameOrAddress.isEmpty())
        return {};
    QHostAddress literal;
    if (literal.setAddress(nameOrAddress))
        return literal;
    const QHostAddress known = Learned(nameOrAddress);
    if (!known.isNull())
        return known;
    const QHostInfo info = QHostInfo::fromName(nameOrAddress);
    for (const QHostAddress& a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a;
    return {};
}

} // namespace corvane
