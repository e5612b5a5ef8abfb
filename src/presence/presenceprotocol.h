#pragma once
// The presence protocol of one computer: copies find each other without a
// server. A request ("WHO_IS_HERE") goes to every computer, each answers the
// requester ("I_AM_HERE"), the answers are gathered in the PresenceList and,
// 20 seconds after the request, the network tree is reconciled with them, so
// the sweep drops computers that did not answer. A departing copy says so
// ("OFFLINE_NOTIFY") and goes from every tree at once.
//
// The presence timer alternates its two handlers:
//
//   creation --1 s--> WhoIsHereEvent --1 s--> PresenceSweep (interval := 20 s)
//            --20 s--> WhoIsHereEvent --20 s--> PresenceSweep --20 s--> ...
//
// so requests go out at about 1 s, 22 s, 62 s, 102 s ... and each sweep
// follows its request by 20 s. The intervals come from the host context's
// timings (presenceFirstMs set by the window at creation, presenceIntervalMs).
#include "presence/networktree.h"
#include "presence/presencedatagrams.h"
#include "presence/presencelist.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>

class QTimer;

namespace corvane {

class HostContext;

// The recipient choice, as presence sees it: removing the chosen computer
// resets it.
class RecipientHolder {
public:
    virtual ~RecipientHolder() = default;
    virtual QString RecipientCaption() const = 0;
    // No recipient chosen (string-table entry 0); sending is not possible.
    virtual void ResetRecipient() = 0;
    // The same when the caption names a node that is no longer in the tree
    // (after a rebuild its computer did not come back).
    virtual void ResetRecipientIfGone() {}
};

class PresenceProtocol : public QObject {
    Q_OBJECT
public:
    // Writes one presence datagram to a target ("*", or a computer name);
    // request: it is a request (which also goes to the listed other networks).
    using DatagramSender =
        std::function<bool(const QString& target, const QByteArray& text, bool request)>;
    // Answers a request that named the requester and came from source; the
    // answer goes there only when the two are one computer (sourceanswer.h).
    using AnswerSender = std::function<void(const QString& named, const QHostAddress& source,
                                            const QByteArray& text)>;
    enum class TimerHandler { WhoIsHere, Sweep };
    // Bounds on what announcements can make the list and the tree hold: no
    // copy of the program announces longer names (the packet header holds 255
    // bytes) or more computers than an office has.
    static constexpr int MaxNameLength = 255;
    static constexpr int MaxComputers = 4096;
    static constexpr int MaxListed = 2 * MaxComputers;

    // onlineFlag is the window's OnlineFlag; alias reads the alias field now.
    PresenceProtocol(HostContext& context, NetworkTree& tree, QTimer& timer, bool& onlineFlag,
                     std::function<QString()> alias, DatagramSender send,
                     QObject* parent = nullptr);

    void SetRecipientHolder(RecipientHolder* recipient) { recipient_ = recipient; }
    // Without an answer sender requests are not answered.
    void SetAnswerSender(AnswerSender answer) { answer_ = std::move(answer); }

    // The main endpoint has opened: request, then wait (the answers are held
    // until this returns).
    void IcqSlotOpen();
    // One payload of the main endpoint, with the sender's name from the
    // packet header and the packet's source address when known. A request,
    // answer or arrival whose computer field names the packet's sender moves
    // that name to the source address: the only way a learned address changes.
    void IcqSlotMessageAvail(const QByteArray& msg, const QString& packetSender = {},
                             const QHostAddress& from = {});
    void WhoIsHereEvent();
    void PresenceSweep();
    // The online toggle changed: tell every computer, then take the state.
    void SetOnline(bool online);
    void RecordPresence(const QString& computer, const QString& alias, bool online) {
        list_.RecordPresence(computer, alias, online);
    }
    // The tree starts afresh: clear it with its records and request.
    void RebuildTree();

    const PresenceList& List() const { return list_; }
    PresenceList& List() { return list_; }
    TimerHandler NextTimerHandler() const { return next_; }
    int SweepCount() const { return sweeps_; }

Q_SIGNALS:
    // No node of the tree names this computer any more since its departure
    // or a sweep: presence no longer sees it.
    void ComputerGone(const QString& computer);
    // A request came from from, sent by the computer it names (so it can be
    // asked back).
    void RequestHeard(const QString& computer, const QHostAddress& from);
    // A round of requests begins: the timer's request after a sweep (its
    // first request, right after the creation, belongs to the round that
    // began then), just before that request goes out.
    void RoundStarted();

private:
    void RxTimerEvent1Timer();
    void BroadcastRequest();
    void ResetRecipientIf(const QString& text);
    void RemoveNode(NetworkTree::Node* node);
    void RelearnSender(const PresenceDatagram& d, const QString& packetSender,
                       const QHostAddress& from);
    void Reconcile();

    HostContext& context_;
    NetworkTree& tree_;
    QTimer& timer_;
    bool& onlineFlag_;
    std::function<QString()> alias_;
    DatagramSender send_;
    AnswerSender answer_;
    RecipientHolder* recipient_ = nullptr;
    PresenceList list_;
    TimerHandler next_ = TimerHandler::WhoIsHere;
    int sweeps_ = 0;
};

} // namespace corvane
