#pragma once
// The texts of the chat room and of the private chat window in English and
// Russian: the caption switcher's table of each window (keyed by the
// controls' object names) and the texts that code puts together. A window
// takes its language when it is shown (the chat room) or created (a private
// chat); texts already written keep theirs.
#include "settings/duallang.h"
#include "settings/programtexts.h"

#include <QList>
#include <QString>

namespace corvane {

// TChatForm's table. The hints of the message line and of the member list
// are not in it and stay English.
const CaptionTable& ChatFormCaptions();
// TPrivateChatForm's table.
const CaptionTable& PrivateChatFormCaptions();
// What a screen reader speaks of the two windows' controls, which the tables
// do not hold: it follows the language although the two hints stay English.
const std::vector<SpokenRow>& ChatFormSpokenTexts();
const std::vector<SpokenRow>& PrivateChatFormSpokenTexts();

namespace ChatTexts {
// The chat room's window caption.
QString ChatCaption(Language language);
// "USER "nick" HAS ENTERED TO THE CHAT." and its Russian form.
QString ArrivalLine(Language language, const QString& nick);
// "USER "nick" HAS LEFT THE CHAT." and its Russian form.
QString DepartureLine(Language language, const QString& nick);
// The private chat's departure line, without the full stop.
QString PrivateDepartureLine(Language language, const QString& nick);
// "Private Chat (own,other)"; the requested side always passes English.
QString PrivateChatCaption(Language language, const QString& ownNick, const QString& otherNick);
// The notice when a line cannot go to the other side any more.
QString OtherSideLeft(Language language);
inline const QString NoticeTitle = QStringLiteral("Corvane Messenger");
// The save dialog.
inline const QString SaveTitle = QStringLiteral("Save Messages to File");
inline const QString SaveFilter =
    QStringLiteral("RichText (*.rtf);;Text Files (*.txt);;All Files (*)");
inline const QString SaveDefaultSuffix = QStringLiteral("RTF");
// The nick name a fresh window starts with; it stands for the computer name.
inline const QString DefaultNickName = QStringLiteral("CompName");
// Hints that are not in the tables.
inline const QString MessageLineHint = QStringLiteral("Enter message text here");
inline const QString MemberListHint = QStringLiteral("List of active users");
} // namespace ChatTexts

} // namespace corvane
