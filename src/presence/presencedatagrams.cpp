#include "presence/presencedatagrams.h"

#include "common/ansicodec.h"
#include "common/fieldsplit.h"

namespace corvane {

PresenceDatagram ParsePresenceDatagram(QByteArrayView payload) {
    const QByteArrayList fields = SplitFields(payload);
    auto field = [&fields](int n) -> QByteArrayView {
        return n <= fields.size() ? QByteArrayView(fields[n - 1]) : QByteArrayView();
    };
    PresenceDatagram d;
    const QByteArrayView keyword = field(1);
    if (keyword == PresenceKeywords::WhoIsHere) {
        d.kind = PresenceDatagram::Kind::WhoIsHere;
        d.computer = FromAnsi(field(2));
    } else if (keyword == PresenceKeywords::IAmHere || keyword == PresenceKeywords::OnlineNotify) {
        d.kind = keyword == PresenceKeywords::IAmHere ? PresenceDatagram::Kind::IAmHere
                                                      : PresenceDatagram::Kind::OnlineNotify;
        d.computer = FromAnsi(field(2));
        d.online = field(3) == PresenceKeywords::StateTrue;
        d.alias = FromAnsi(field(4));
    } else if (keyword == PresenceKeywords::OfflineNotify) {
        d.kind = PresenceDatagram::Kind::OfflineNotify;
        d.computer = FromAnsi(field(2));
        d.alias = FromAnsi(field(3));
    }
    return d;
}

QByteArray WhoIsHereDatagram(const QString& computer) {
    return JoinFields({PresenceKeywords::WhoIsHere, ToAnsi(computer)});
}

QByteArray IAmHereDatagram(const QString& computer, bool online, const QString& alias) {
    return JoinFields({PresenceKeywords::IAmHere, ToAnsi(computer),
                       online ? PresenceKeywords::StateTrue : PresenceKeywords::StateFalse,
                       ToAnsi(alias)});
}

QByteArray OfflineNotifyDatagram(const QString& computer, const QString& alias) {
    return JoinFields({PresenceKeywords::OfflineNotify, ToAnsi(computer), ToAnsi(alias)});
}

} // namespace corvane
