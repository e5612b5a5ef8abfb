#pragma once
// What the user is told about a send that did not reach everybody, in the
// current language:
//
//   failure box  = entry 5 LF who ": " reason
//                  ("Message did not send!\nBORIS (Boris): no answer")
//   who          = computer [" (" alias ")"]   (the alias when it differs)
//   filed header = header " — " note names      (only when someone missed it)
//                  ("... (07.12.2026 9:05:01) — not delivered to Boris, Vera")
//
// A message that reached nobody is still filed, so its text is never lost;
// its header says so.
#include "messaging/messageclient.h"
#include "settings/stringtable.h"

#include <QString>
#include <QStringList>

namespace corvane {

enum class SendFailure {
    NotInTree,    // the recipient caption names no node of the tree
    EmptyGroup,   // a group without computers
    NobodyListed, // everybody, with no computer in the tree
    Unresolved,   // the computer name leads to no address
    Refused,      // nothing listens there
    NoAnswer,     // no answer within the delivery time
    Broken        // the connection broke before the record was taken
};

SendFailure FailureOf(DeliveryOutcome outcome);
QString FailureReason(Language language, SendFailure failure);
QString FailureTarget(const QString& computer, const QString& alias = QString());
QString FailureBoxText(const LanguageState& language, const QString& who, SendFailure failure);
// The header of a filed message that some targets did not get; names in the
// order given, each once.
QString NotDeliveredHeader(const LanguageState& language, const QString& header,
                           const QStringList& names);
// A filed header taken apart again, in whichever language it was filed:
// the header before " — " and the mark after it ("not delivered to Boris,
// Vera"); the mark is empty for a message everybody got.
struct DeliveryMarked {
    QString header;
    QString mark;
};
DeliveryMarked SplitDeliveryMark(const QString& filedHeader);

} // namespace corvane
