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
                                           const QString& slot, const QList<QByteArray>& texts) {
    return Decide(named, source, [this, named, source, slot, texts](bool self) {
        qint64 bytes = 0;
        for (const QByteArray& t : texts)
            bytes += t.size() + FrameOverhead;
        if (network_.Budget().Spend(source, bytes))
            Write(named, source, slot, texts, self);
    });
}

SourceAnswer::Verdict SourceAnswer::AnswerList(const QString& named, const QHostAddress& source,
                                               const QString& slot, qsizetype entries,
                                               ListBuilder build) {
    return Decide(named, source, [this, named, source, slot, entries, build](bool self) {
        if (network_.Budget().TakeList(source, entries))
            Write(named, source, slot, build(), self);
    });
}

SourceAnswer::Verdict SourceAnswer::Decide(const QString& named, const QHostAddress& source,
                                           std::function<void(bool self)> send) {
    HostContext& context = network_.Context();
    const Verdict verdict = Check(context, named, source);
    switch (verdict) {
    case Verdict::Source:
    case Verdict::Self:
        send(verdict == Verdict::Self);
        break;
    case Verdict::LookUp:
        context.resolver.Lookup(named, this, [this, named, source, send](const QHostAddress& a) {
            if (a != source)
                return;
            network_.Context().resolver.LearnIfUnknown(named, a);
            send(false);
        });
        break;
    case Verdict::NotSource:
        break;
    }
    return verdict;
}

void SourceAnswer::Write(const QString& named, const QHostAddress& source, const QString& slot,
                         const QList<QByteArray>& texts, bool self) {
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
