#include "presence/presenceprotocol.h"

#include "common/hostcontext.h"
#include "common/timedwait.h"

#include <QTimer>

namespace corvane {

PresenceProtocol::PresenceProtocol(HostContext& context, NetworkTree& tree, QTimer& timer,
                                   bool& onlineFlag, std::function<QString()> alias,
                                   DatagramSender send, QObject* parent)
    : QObject(parent), context_(context), tree_(tree), timer_(timer), onlineFlag_(onlineFlag),
      alias_(std::move(alias)), send_(std::move(send)) {
    connect(&timer_, &QTimer::timeout, this, &PresenceProtocol::RxTimerEvent1Timer);
}

void PresenceProtocol::RxTimerEvent1Timer() {
    if (next_ == TimerHandler::WhoIsHere)
        WhoIsHereEvent();
    else
        PresenceSweep();
}

void PresenceProtocol::BroadcastRequest() {
    send_(QStringLiteral("*"), WhoIsHereDatagram(context_.LocalComputerName()), true);
}

void PresenceProtocol::IcqSlotOpen() {
    BroadcastRequest();
    PumpMessagesFor(context_.timings.openWaitMs);
}

void PresenceProtocol::WhoIsHereEvent() {
    list_.Clear();
    if (sweeps_ > 0)
        Q_EMIT RoundStarted();
    BroadcastRequest();
    next_ = TimerHandler::Sweep;
}

void PresenceProtocol::PresenceSweep() {
    next_ = TimerHandler::WhoIsHere;
    Reconcile();
    ++sweeps_;
    timer_.setInterval(context_.timings.presenceIntervalMs);
}

void PresenceProtocol::SetOnline(bool online) {
    send_(QStringLiteral("*"), IAmHereDatagram(context_.LocalComputerName(), online, alias_()),
          false);
    onlineFlag_ = online;
}

void PresenceProtocol::RebuildTree() {
    tree_.Clear();
    BroadcastRequest();
}

void PresenceProtocol::ResetRecipientIf(const QString& text) {
    if (recipient_ && recipient_->RecipientCaption() == text)
        recipient_->ResetRecipient();
}

void PresenceProtocol::RemoveNode(NetworkTree::Node* node) {
    const QString computer = node->Record()->ComputerName;
    tree_.RemoveComputerNode(node);
    if (!tree_.HasComputer(computer))
        Q_EMIT ComputerGone(computer);
}

// Whether a datagram's computer field names the sender in its packet's
// header, and it came from an address.
static bool NamesItsSender(const PresenceDatagram& d, const QString& packetSender,
                           const QHostAddress& from) {
    return !from.isNull() && !packetSender.isEmpty() &&
           d.computer.size() <= PresenceProtocol::MaxNameLength &&
           d.computer.compare(packetSender, Qt::CaseInsensitive) == 0;
}

void PresenceProtocol::RelearnSender(const PresenceDatagram& d, const QString& packetSender,
                                     const QHostAddress& from) {
    switch (d.kind) {
    case PresenceDatagram::Kind::WhoIsHere:
    case PresenceDatagram::Kind::IAmHere:
    case PresenceDatagram::Kind::OnlineNotify:
        break;
    default:
        return; // a departure moves nothing
    }
    if (NamesItsSender(d, packetSender, from))
        context_.resolver.Learn(packetSender, from);
}

void PresenceProtocol::IcqSlotMessageAvail(const QByteArray& msg, const QString& packetSender,
                                           const QHostAddress& from) {
    const PresenceDatagram d = ParsePresenceDatagram(msg);
    RelearnSender(d, packetSender, from);
    switch (d.kind) {
    case PresenceDatagram::Kind::WhoIsHere:
        // To the requester only, and only when it sent the request itself:
        // a request naming "*", a broadcast or a third computer gets nothing.
        if (answer_)
            answer_(d.computer, from,
                    IAmHereDatagram(context_.LocalComputerName(), onlineFlag_, alias_()));
        if (NamesItsSender(d, packetSender, from) && HostResolver::IsComputerName(d.computer))
            Q_EMIT RequestHeard(d.computer, from);
        break;
    case PresenceDatagram::Kind::IAmHere:
    case PresenceDatagram::Kind::OnlineNotify:
        if (d.computer.size() > MaxNameLength || d.alias.size() > MaxNameLength)
            break;
        if (list_.Count() >= MaxListed && !list_.Contains(d.computer, d.alias))
            break;
        if (tree_.ComputerCount() >= MaxComputers && !tree_.FindComputerNode(d.alias))
            break;
        RecordPresence(d.computer, d.alias, d.online);
        tree_.UpsertComputerNode(d.computer, d.alias, d.online);
        break;
    case PresenceDatagram::Kind::OfflineNotify: {
        if (d.computer == context_.LocalComputerName())
            break; // our own departure, seen by a copy of this computer
        ResetRecipientIf(d.computer);
        if (NetworkTree::Node* node = tree_.FindComputerNode(d.alias)) {
            // The caption holds the alias of a chosen computer: a departed
            // computer must not stay the recipient.
            ResetRecipientIf(node->Text());
            RemoveNode(node);
        }
        break;
    }
    case PresenceDatagram::Kind::Unknown:
        break;
    }
}

void PresenceProtocol::Reconcile() {
    // First pass: the flags of the listed computers that have a node. A listed
    // computer without a node (removed by a departure or a rebuild during the
    // window) stays absent until it announces itself again.
    bool changed = false;
    for (const PresenceList::Entry& entry : list_.Entries()) {
        NetworkTree::Node* node = tree_.FindComputerNode(entry.alias);
        if (node && node->Record()->Online != entry.online) {
            node->Record()->Online = entry.online;
            changed = true;
        }
    }
    // Second pass: every computer node once, in tree order, taken before any
    // is removed; a node whose computer and alias were not listed goes.
    for (NetworkTree::Node* node : tree_.ComputerNodes()) {
        if (list_.Contains(node->Record()->ComputerName, node->Text()))
            continue;
        ResetRecipientIf(node->Text());
        RemoveNode(node);
    }
    if (recipient_)
        recipient_->ResetRecipientIfGone();
    if (changed)
        tree_.RequestRepaint();
}

} // namespace corvane
