#include "messaging/popupcaptions.h"

namespace corvane {

PopupCaptions PopupCaptionsFor(Language language) {
    if (language == Language::Russian)
        return {QStringLiteral("Новое сообщение"), QStringLiteral("&Ответить"),
                QStringLiteral("Закрыть")};
    return {QStringLiteral("Incoming Message"), QStringLiteral("&Reply"), QStringLiteral("Close")};
}

} // namespace corvane
