#include "chat/chattexts.h"

namespace corvane {

const CaptionTable& ChatFormCaptions() {
    static const CaptionTable table = {
        {QStringLiteral("Label1"),
         QStringLiteral("&Nick Name:"),
         QStringLiteral("&Псевдоним:"),
         {},
         {}},
        {QStringLiteral("PrivChatBtn"),
         {},
         {},
         QStringLiteral("Private chat with selected user"),
         QStringLiteral("Приватный разговор")},
        {QStringLiteral("BeepUserBtn"),
         {},
         {},
         QStringLiteral("Beep selected user"),
         QStringLiteral("Подать сигнал")},
        {QStringLiteral("ClearBtn"),
         {},
         {},
         QStringLiteral("Clear all messages"),
         QStringLiteral("Очистить")},
        {QStringLiteral("PrivateChat1"),
         QStringLiteral("Private Chat"),
         QStringLiteral("Приватный разговор"),
         {},
         {}},
        {QStringLiteral("Beep1"), QStringLiteral("Beep"), QStringLiteral("Подать сигнал"), {}, {}},
        {QStringLiteral("File1"), QStringLiteral("&File"), QStringLiteral("&Файл"), {}, {}},
        {QStringLiteral("PrivReqMenu"),
         QStringLiteral("&Private chat"),
         QStringLiteral("&Приватный разговор"),
         {},
         {}},
        {QStringLiteral("BeepMenu"),
         QStringLiteral("&Beep user"),
         QStringLiteral("П&одать сигнал"),
         {},
         {}},
        {QStringLiteral("SaveToFile1"),
         QStringLiteral("&Save To File..."),
         QStringLiteral("&Сохранить в файле..."),
         {},
         {}},
        {QStringLiteral("Exit1"), QStringLiteral("E&xit"), QStringLiteral("&Выход"), {}, {}},
        {QStringLiteral("Options1"),
         QStringLiteral("&Options"),
         QStringLiteral("&Параметры"),
         {},
         {}},
        {QStringLiteral("DispSysMenu"),
         QStringLiteral("&Display system messages"),
         QStringLiteral("&Отображать системные сообщения"),
         {},
         {}},
        {QStringLiteral("OnTopMenu"),
         QStringLiteral("&Always on Top"),
         QStringLiteral("&Поверх остальных окон"),
         {},
         {}},
    };
    return table;
}

const CaptionTable& PrivateChatFormCaptions() {
    static const CaptionTable table = {
        {QStringLiteral("BeepBtn"),
         {},
         {},
         QStringLiteral("Beep selected user"),
         QStringLiteral("Подать сигнал собеседнику")},
        {QStringLiteral("ClearBtn"),
         {},
         {},
         QStringLiteral("Clear all messages"),
         QStringLiteral("Очистить")},
    };
    return table;
}

const std::vector<SpokenRow>& ChatFormSpokenTexts() {
    using K = SpokenRow::Kind;
    static const std::vector<SpokenRow> rows{
        {"Memo1", K::Name, {"Chat messages"}, {"Сообщения разговора"}},
        {"ListView1", K::Name, {"List of active users"}, {"Список участников"}},
        {"Edit1", K::Name, {"Enter message text here"}, {"Текст сообщения"}},
        {"Button1", K::Name, {"Send"}, {"Послать"}},
    };
    return rows;
}

const std::vector<SpokenRow>& PrivateChatFormSpokenTexts() {
    using K = SpokenRow::Kind;
    static const std::vector<SpokenRow> rows{
        {"ToolBar1", K::Name, {"Tools"}, {"Инструменты"}},
        {"Memo1", K::Name, {"Private messages"}, {"Личные сообщения"}},
        {"Edit1", K::Name, {"Enter message text here"}, {"Текст сообщения"}},
        {"Button1", K::Name, {"Send"}, {"Послать"}},
    };
    return rows;
}

namespace ChatTexts {
namespace {
QString Quoted(Language language, const QString& nick, const char* english,
               const QString& russian) {
    const QString user =
        language == Language::Russian ? QStringLiteral("ПОЛЬЗОВАТЕЛЬ") : QStringLiteral("USER");
    const QString tail = language == Language::Russian ? russian : QLatin1String(english);
    return user + QStringLiteral(" \"") + nick + QStringLiteral("\" ") + tail;
}
} // namespace

QString ChatCaption(Language language) {
    return language == Language::Russian ? QStringLiteral("Разговор") : QStringLiteral("Chat");
}

QString ArrivalLine(Language language, const QString& nick) {
    return Quoted(language, nick, "HAS ENTERED TO THE CHAT.", QStringLiteral("ВОШЕЛ В ЧАТ."));
}

QString DepartureLine(Language language, const QString& nick) {
    return Quoted(language, nick, "HAS LEFT THE CHAT.", QStringLiteral("ПОКИНУЛ ЧАТ."));
}

QString PrivateDepartureLine(Language language, const QString& nick) {
    return Quoted(language, nick, "HAS LEFT THE CHAT", QStringLiteral("ПОКИНУЛ ЧАТ"));
}

QString PrivateChatCaption(Language language, const QString& ownNick, const QString& otherNick) {
    const QString prefix = language == Language::Russian ? QStringLiteral("Приватный разговор (")
                                                         : QStringLiteral("Private Chat (");
    return prefix + ownNick + QLatin1Char(',') + otherNick + QLatin1Char(')');
}

QString OtherSideLeft(Language language) {
    return language == Language::Russian ? QStringLiteral("Собеседник покинул чат!")
                                         : QStringLiteral("Other side has left the chat!");
}

} // namespace ChatTexts
} // namespace corvane
