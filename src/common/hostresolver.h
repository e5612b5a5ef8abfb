#pragma once
// Finds the address of a computer by its name: first the addresses learned
// from arriving datagrams (the sender's name in the packet and the packet's
// source address), then the system resolver.
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QString>

namespace corvane {

class HostResolver {
public:
    static constexpr int MaxLearned = 4096;

    void Learn(const QString& computerName, const QHostAddress& address);
    QHostAddress Learned(const QString& computerName) const;
    void Forget(const QString& computerName);
    // A literal address, a learned name, or the system resolver (which may
    // block). A null address when the name does not resolve.
    QHostAddress Resolve(const QString& nameOrAddress) const;
    // Whether Resolve can answer without the system resolver.
    bool ResolvesAtOnce(const QString& nameOrAddress) const;

private:
    static QString Key(const QString& name) { return name.toUpper(); }
    QHash<QString, QHostAddress> learned_;
};

} // namespace corvane
