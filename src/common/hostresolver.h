#pragma once
// Finds the address of a computer by its name: first the addresses learned
// from arriving datagrams (the sender's name in the packet and the packet's
// source address), then the system resolver.
//
// What the network may change: a name is learned from a datagram only after
// it passed every check (LearnIfUnknown), and a learned address is replaced
// only by a presence datagram that names its own sender (Learn). At most
// MaxLearned names are kept; to make room the name heard least recently goes,
// but never a name the keep rule holds (the computers listed in the network
// tree): invented names cannot push out the address of a computer in use.
//
// System look-ups are for names a stranger may choose, so they are bounded: a
// name longer than a host name can be is never looked up, at most MaxRunning
// look-ups run at once with MaxWaiting more queued (beyond that the answer is
// "unknown" at once), requests for one name share one look-up, and a name
// that failed is answered "unknown" for FailureMemoryMs without asking again.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <list>
#include <memory>

namespace corvane {

class HostResolver {
public:
    static constexpr int MaxLearned = 8192;
    static constexpr int MaxLabelBytes = 63;
    static constexpr int MaxNameBytes = 255;
    static constexpr int MaxRunning = 4;
    static constexpr int MaxWaiting = 32;
    static constexpr int FailureMemoryMs = 60000;
    static constexpr int MaxFailuresKept = 1024;

    using Done = std::function<void(const QHostAddress& address)>; // null: unknown
    // The system look-up: calls found with the addresses of name (none when
    // it failed), later, on the thread's event loop. Tests replace it.
    using SystemLookup = std::function<void(const QString& name, QObject* context,
                                            std::function<void(const QList<QHostAddress>&)> found)>;

    HostResolver();
    ~HostResolver();
    HostResolver(const HostResolver&) = delete;
    HostResolver& operator=(const HostResolver&) = delete;

    // Which names must keep their learned address (upper-case names given).
    using Keep = std::function<bool(const QString& name)>;
    void SetKeep(Keep keep) { keep_ = std::move(keep); }

    // Sets or replaces the address of a name; the name counts as heard now.
    void Learn(const QString& computerName, const QHostAddress& address);
    // Sets the address of a name that has none yet; a name heard again from
    // its learned address counts as heard now.
    void LearnIfUnknown(const QString& computerName, const QHostAddress& address);
    int LearnedCount() const { return int(learned_.size()); }
    QHostAddress Learned(const QString& computerName) const;
    void Forget(const QString& computerName);

    // A literal address, a learned name, or the system resolver (which may
    // block; bounded and remembered as Lookup is). A null address when the
    // name does not resolve.
    QHostAddress Resolve(const QString& nameOrAddress);
    // Whether Resolve can answer without the system resolver.
    bool ResolvesAtOnce(const QString& nameOrAddress) const;

    // Answers through done: at once (inside this call) for a literal address,
    // a learned name, a name that cannot be or recently was not found, or
    // when too many look-ups wait; otherwise when the system look-up returns.
    // done is not called once receiver (when given) is gone.
    void Lookup(const QString& nameOrAddress, QObject* receiver, Done done);

    // Whether a text can be a host name at all (lengths of its ASCII form).
    static bool IsLookupName(const QString& name);
    // Whether a name from the network may be kept as the address of one
    // computer: a host name, not "*", ".", a wildcard or a literal address
    // (which could be a broadcast).
    static bool IsComputerName(const QString& name);

    int Running() const { return int(running_.size()); }
    int Waiting() const { return int(waiting_.size()); }
    void SetSystemLookup(SystemLookup lookup) { systemLookup_ = std::move(lookup); }

private:
    struct Waiter {
        QPointer<QObject> receiver;
        Done done;
    };
    struct Entry {
        QHostAddress address;
        std::list<QString>::iterator age;
    };
    static QString Key(const QString& name) { return name.toUpper(); }
    // Learned, for a name already made a key.
    QHostAddress LearnedKey(const QString& key) const;
    bool MakeRoom();
    bool RecentlyFailed(const QString& key);
    void RememberFailure(const QString& key);
    void StartNext();
    void Finished(const QString& key, const QList<QHostAddress>& addresses);

    QHash<QString, Entry> learned_;
    std::list<QString> byAge_; // least recently heard first
    Keep keep_;
    QHash<QString, QDeadlineTimer> failed_;
    QHash<QString, QList<Waiter>> running_; // by key: everyone waiting for it
    std::deque<QString> waiting_;           // keys not started yet
    QHash<QString, QList<Waiter>> queued_;
    SystemLookup systemLookup_;
    std::unique_ptr<QObject> lookupContext_;
};

} // namespace corvane
