#include "settings/stringtable.h"

namespace corvane {

const StringTable& HolderE() {
    static const StringTable table{{
        QStringLiteral("Select an Recipient"),
        QStringLiteral("ALL"),
        QStringLiteral("ONLINE"),
        QStringLiteral("OFFLINE"),
        QStringLiteral("Message successfully sent!"),
        QStringLiteral("Message did not send!"),
        QStringLiteral("Message from "),
        QStringLiteral(" to "),
        QStringLiteral("Message %d of %d"),
        QStringLiteral("Are you sure to delete all messages?"),
        QStringLiteral("Message 0 of 0"),
        {}, {}, {}, {}, {}, {}, {}, {},
        QStringLiteral("Auto Answer:"),
    }};
    return table;
}

const StringTable& HolderR() {
    static const StringTable table{{
        QStringLiteral("Выбор получателя"),
        QStringLiteral("Всем"),
        QStringLiteral("Присутствую"),
        QStringLiteral("Отсутствую"),
        QStringLiteral("Сообщение отправлено успешно!"),
        QStringLiteral("Не удалось отправить сообщение!"),
        QStringLiteral("Сообщение от "),
        QStringLiteral(" для "),
        QStringLiteral("Сообщение %d из %d"),
        QStringLiteral("Вы действительно хотите удалить все сообщения?"),
        QStringLiteral("Сообщение 0 из 0"),
        {}, {}, {}, {}, {}, {}, {}, {},
        QStringLiteral("Автоответчик:"),
    }};
    return table;
}

} // namespace corvane
