#include "transport/sourceanswer.h"

#include "common/ansicodec.h"
#include "common/hostcontext.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"

namespace corvane {

SourceAnswer::SourceAnswer(DatagramNetwork& network, QObject* parent)
    : QObject(parent), network_(network) {}

SourceAnswer::Verdict SourceAnswer::Check(HostContext& context, const QString& named,
                                          const QHostAddress& source) {
    if (source.isNull() || named.isEmpty() || named == QLatin1String("*") ||
        named == QLatin1String("."))
        return Verdict::NotSource;
    if (named.compare(context.LocalComputerName(), Qt::CaseInsensitive) == 0)
        return Verdict::Self;
    const QHostAddress literal(named);
    if (!literal.isNull())
        return literal.isEqual(source, QHostAddress::ConvertV4MappedToIPv4) ? Verdict::Source
                                                                            : Verdict::NotSource;
    const QHostAddress learned = context.resolver.Learned(named);
    if (!learned.isNull())
        return learned == source ? Verdict::Source : Verdict::NotSource;
    return HostResolver::IsLookupName(named) ? Verdict::LookUp : Verdict::NotSource;
}

SourceAnswer::Verdict SourceAnswer::Answer(const QString& named, const QHostAddress& source,
                                           const QString& slot, const QList<QByteArray>& texts,
                                           Cost cost) {
    HostContext& context = network_.Context();
    const Verdict verdict = Check(context, named, source);
    switch (verdict) {
    case Verdict::Source:
    case Verdict::Self:
        Send(named, source, slot, texts, cost, verdict == Verdict::Self);
        break;
    case Verdict::LookUp:
        context.resolver.Lookup(named, this,
                                [this, named, source, slot, texts, cost](const QHostAddress& a) {
                                    if (a != source)
                                        return;
                                    network_.Context().resolver.LearnIfUnknown(named, a);
                                    Send(named, source, slot, texts, cost, false);
                                });
        break;
    case Verdict::NotSource:
        break;
    }
    return verdict;
}

void SourceAnswer::Send(const QString& named, const QHostAddress& source, const QString& slot,
                        const QList<QByteArray>& texts, Cost cost, bool self) {
    AnswerBudget& budget = network_.Budget();
    if (cost == Cost::WholeList) {
        if (!budget.TakeList(source, texts.size()))
            return;
    } else {
        qint64 bytes = 0;
        for (const QByteArray& t : texts)
            bytes += t.size() + FrameOverhead;
        if (!budget.Spend(source, bytes))
            return;
    }
    const QByteArray slotBytes = ToAnsi(slot);
    for (const QByteArray& text : texts) {
        const QByteArray frame = FrameDatagram(text, TickCount());
        if (self)
            network_.Write(QStringLiteral("."), slotBytes, frame);
        else
            network_.WriteAnswer(named, source, slotBytes, frame);
    }
}

} // namespace corvane
