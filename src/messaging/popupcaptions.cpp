#include "messaging/popupcaptions.h"

namespace corvane {

PopupCaptions PopupCaptionsFor(Language language) {
    if (language == Language::Russian)
        return {QStringLiteral("Новое сообщение"), QStringLiteral("&Ответить"),
                QStringLiteral("Закрыть")};
    return {QStringLiteral("Incoming Message"), QStringLiteral("&Reply"), QStringLiteral("Close")};
}

BodyBarTexts BodyBarTextsFor(Language language) {
    if (language == Language::Russian)
        return {QStringLiteral("Сообщение продолжается: страница %1 из %2"),
                QStringLiteral("Конец сообщения: страница %1 из %2"),
                QStringLiteral("Сообщение загружается…"),
                QStringLiteral("Продолжение сообщения — на вкладке «Входящие»"),
                QStringLiteral("Назад"),
                QStringLiteral("Дальше"),
                QStringLiteral("Сохранить в файл…"),
                QStringLiteral("Сохранить сообщение"),
                QStringLiteral("Документы RTF (*.rtf)"),
                QStringLiteral("Текстовые файлы (*.txt)"),
                QStringLiteral("Все файлы (*)")};
    return {QStringLiteral("The message continues: page %1 of %2"),
            QStringLiteral("The end of the message: page %1 of %2"),
            QStringLiteral("Reading the message…"),
            QStringLiteral("The message continues on the Incoming page"),
            QStringLiteral("Previous page"),
            QStringLiteral("Next page"),
            QStringLiteral("Save to file…"),
            QStringLiteral("Save the message"),
            QStringLiteral("RTF documents (*.rtf)"),
            QStringLiteral("Text files (*.txt)"),
            QStringLiteral("All files (*)")};
}

} // namespace corvane
