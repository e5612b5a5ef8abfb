#include "messaging/sendresult.h"

#include <algorithm>

namespace corvane {

SendFailure FailureOf(DeliveryOutcome outcome) {
    switch (outcome) {
    case DeliveryOutcome::Unresolved:
        return SendFailure::Unresolved;
    case DeliveryOutcome::Refused:
        return SendFailure::Refused;
    case DeliveryOutcome::TimedOut:
        return SendFailure::NoAnswer;
    default:
        return SendFailure::Broken;
    }
}

QString FailureReason(Language language, SendFailure failure) {
    const bool ru = language == Language::Russian;
    switch (failure) {
    case SendFailure::NotInTree:
        return ru ? QStringLiteral("нет в списке сети") : QStringLiteral("not in the network list");
    case SendFailure::EmptyGroup:
        return ru ? QStringLiteral("в группе нет компьютеров")
                  : QStringLiteral("no computers in this group");
    case SendFailure::NobodyListed:
        return ru ? QStringLiteral("в списке сети нет компьютеров")
                  : QStringLiteral("no computers in the network list");
    case SendFailure::Unresolved:
        return ru ? QStringLiteral("компьютер не найден") : QStringLiteral("unknown computer");
    case SendFailure::Refused:
        return ru ? QStringLiteral("соединение отклонено") : QStringLiteral("connection refused");
    case SendFailure::NoAnswer:
        return ru ? QStringLiteral("нет ответа") : QStringLiteral("no answer");
    case SendFailure::Broken:
        break;
    }
    return ru ? QStringLiteral("соединение прервано") : QStringLiteral("connection broken");
}

QString FailureTarget(const QString& computer, const QString& alias) {
    if (alias.isEmpty() || alias.compare(computer, Qt::CaseInsensitive) == 0)
        return computer;
    return computer + QStringLiteral(" (") + alias + QLatin1Char(')');
}

QString FailureBoxText(const LanguageState& language, const QString& who, SendFailure failure) {
    return language.Text(Strings::NotSent) + QLatin1Char('\n') + who + QStringLiteral(": ") +
           FailureReason(language.Current(), failure);
}

namespace {
const QString MarkSeparator = QStringLiteral(" — ");
QString NotDeliveredNote(Language language) {
    return language == Language::Russian ? QStringLiteral("не доставлено: ")
                                         : QStringLiteral("not delivered to ");
}
} // namespace

QString NotDeliveredHeader(const LanguageState& language, const QString& header,
                           const QStringList& names) {
    QStringList once;
    for (const QString& name : names)
        if (!once.contains(name))
            once.append(name);
    return header + MarkSeparator + NotDeliveredNote(language.Current()) +
           once.join(QStringLiteral(", "));
}

DeliveryMarked SplitDeliveryMark(const QString& filedHeader) {
    qsizetype at = -1;
    for (Language language : {Language::English, Language::Russian})
        at = std::max(at, filedHeader.lastIndexOf(MarkSeparator + NotDeliveredNote(language)));
    if (at < 0)
        return {filedHeader, {}};
    return {filedHeader.left(at), filedHeader.mid(at + MarkSeparator.size())};
}

} // namespace corvane
