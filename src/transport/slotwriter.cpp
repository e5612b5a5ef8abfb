#include "transport/slotwriter.h"

#include "common/ansicodec.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"

#include <QHostInfo>

namespace corvane {

SlotWriter::SlotWriter(DatagramNetwork& network, QObject* parent)
    : QObject(parent), network_(network) {}

bool SlotWriter::Write(const QString& target, const QString& slot, const QByteArray& text) {
    HostContext& context = network_.Context();
    const QByteArray frame = FrameDatagram(text, TickCount());
    const QString key = target.toUpper();
    const bool atOnce = target == QLatin1String("*") || target == QLatin1String(".") ||
                        target.isEmpty() ||
                        target.compare(context.LocalComputerName(), Qt::CaseInsensitive) == 0 ||
                        context.resolver.ResolvesAtOnce(target);
    if (atOnce && !waiting_.contains(key))
        return network_.Write(target, ToAnsi(slot), frame);
    auto it = waiting_.find(key);
    if (it == waiting_.end()) {
        if (waiting_.size() >= MaxLookups)
            return false;
        it = waiting_.insert(key, {});
        QHostInfo::lookupHost(target, this, [this, key, target](const QHostInfo& info) {
            LookedUp(key, target, info.addresses());
        });
    }
    if (it->size() >= size_t(MaxWaiting))
        return false;
    it->push_back({ToAnsi(slot), frame});
    return true;
}

void SlotWriter::LookedUp(const QString& key, const QString& target,
                          const QList<QHostAddress>& found) {
    const std::deque<Waiting> waiting = waiting_.take(key);
    for (const QHostAddress& address : found) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        network_.Context().resolver.Learn(target, address);
        for (const Waiting& w : waiting)
            network_.Write(target, w.slot, w.frame);
        return;
    }
}

} // namespace corvane
