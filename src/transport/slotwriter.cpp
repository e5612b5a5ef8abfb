#include "transport/slotwriter.h"

#include "common/ansicodec.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"

namespace corvane {

SlotWriter::SlotWriter(DatagramNetwork& network, QObject* parent)
    : QObject(parent), network_(network) {}

bool SlotWriter::ReachesAtOnce(HostContext& context, const QString& target) {
    return target == QLatin1String("*") || target == QLatin1String(".") || target.isEmpty() ||
           target.compare(context.LocalComputerName(), Qt::CaseInsensitive) == 0 ||
           context.resolver.ResolvesAtOnce(target);
}

bool SlotWriter::Write(const QString& target, const QString& slot, const QByteArray& text,
                       DatagramNetwork::Reach reach) {
    HostContext& context = network_.Context();
    const QByteArray frame = FrameDatagram(text, TickCount());
    const QString key = target.toUpper();
    if (ReachesAtOnce(context, target) && !waiting_.contains(key))
        return network_.Write(target, ToAnsi(slot), frame, reach);
    auto it = waiting_.find(key);
    if (it != waiting_.end()) {
        if (it->size() >= size_t(MaxWaiting))
            return false;
        it->push_back({ToAnsi(slot), frame, reach});
        return true;
    }
    waiting_.insert(key, {{ToAnsi(slot), frame, reach}});
    // The resolver bounds and remembers look-ups; it may answer at once.
    context.resolver.Lookup(target, this, [this, key, target](const QHostAddress& address) {
        LookedUp(key, target, address);
    });
    return true;
}

void SlotWriter::LookedUp(const QString& key, const QString& target, const QHostAddress& address) {
    const std::deque<Waiting> waiting = waiting_.take(key);
    if (address.isNull())
        return;
    network_.Context().resolver.LearnIfUnknown(target, address);
    for (const Waiting& w : waiting)
        network_.Write(target, w.slot, w.frame, w.reach);
}

} // namespace corvane
