#include "settings/settingstexts.h"

namespace corvane::SettingsTexts {
namespace {

QString Pick(Language language, const char* english, const char* russian) {
    return language == Language::Russian ? QString::fromUtf8(russian) : QString::fromUtf8(english);
}

QString Why(Language language, const IniDamage& damage) {
    using Kind = IniDamage::Kind;
    switch (damage.kind) {
    case Kind::NotAFile:
        return Pick(language, "it is not a file", "это не файл");
    case Kind::Unreadable:
        return Pick(language, "the system does not let it be read (%1)",
                    "система не даёт его прочитать (%1)")
            .arg(damage.reason);
    case Kind::TooLarge:
        return Pick(language, "it is larger than 1 MB (%1 bytes)", "он больше 1 МБ (%1 байт)")
            .arg(damage.size);
    case Kind::NotText:
        return Pick(language, "it is not a text file", "это не текстовый файл");
    case Kind::OpenSection:
        return Pick(language, "line %1 begins a section without its \"]\"",
                    "в строке %1 у заголовка раздела нет \"]\"")
            .arg(damage.line);
    case Kind::StrayLine:
        return Pick(language, "line %1 is neither a section, a value nor a comment",
                    "строка %1 — не раздел, не значение и не комментарий")
            .arg(damage.line);
    case Kind::None:
        break;
    }
    return {};
}

} // namespace

QString Unreadable(Language language, const QString& path, const IniDamage& damage) {
    return Pick(language,
                "The settings file %1 cannot be read: %2.\n\n"
                "The program runs on its default settings and leaves the file as it is; "
                "settings changed in this run are not saved. Correct or remove the file "
                "before the next start.",
                "Не удаётся прочитать файл настроек %1: %2.\n\n"
                "Программа работает с настройками по умолчанию и не изменяет этот файл; "
                "настройки, изменённые в этом сеансе, не сохранятся. Исправьте или удалите "
                "файл до следующего запуска.")
        .arg(path, Why(language, damage));
}

QString CannotWrite(Language language, const QString& path, const QString& reason) {
    return Pick(language, "Cannot write the settings file %1: %2",
                "Не удаётся записать файл настроек %1: %2")
        .arg(path, reason);
}

QString TooLargeToSave(Language language, const QString& path, qint64 size) {
    return Pick(language,
                "The settings were not saved: %1 would be larger than 1 MB (%2 bytes), "
                "and so large a file is not read at the next start",
                "Настройки не сохранены: файл %1 оказался бы больше 1 МБ (%2 байт), "
                "а такой файл при следующем запуске не читается")
        .arg(path)
        .arg(size);
}

QString OtherNetworksRefused(Language language, const OtherNetworkError& error, bool stored) {
    using Kind = OtherNetworkError::Kind;
    QString why;
    switch (error.kind) {
    case Kind::NotAnEntry:
        why = Pick(language,
                   "\"%1\" is neither an IPv4 address, a host name nor a network such as "
                   "192.168.5.0/24",
                   "«%1» — не адрес IPv4, не имя компьютера и не сеть вида 192.168.5.0/24");
        break;
    case Kind::NotOneComputer:
        why = Pick(language, "\"%1\" is no address of other computers",
                   "«%1» — не адрес других компьютеров");
        break;
    case Kind::TooLarge:
        why = Pick(language, "the network \"%1\" is larger than /22 (1024 addresses)",
                   "сеть «%1» больше /22 (1024 адреса)");
        break;
    case Kind::NotNetworkStart:
        why = Pick(language, "\"%1\" is not the start of a network; write %2",
                   "«%1» — не начало сети; напишите %2");
        break;
    case Kind::TooManyAddresses:
        why = Pick(language, "with \"%1\" the list covers more than 4096 addresses",
                   "с «%1» список охватывает больше 4096 адресов");
        break;
    case Kind::TooManyNames:
        why = Pick(language, "with \"%1\" the list holds more than 16 host names",
                   "с «%1» в списке больше 16 имён компьютеров");
        break;
    }
    why = error.kind == Kind::NotNetworkStart ? why.arg(error.entry, error.suggestion)
                                              : why.arg(error.entry);
    const QString then =
        stored ? Pick(language, "No other network is asked until the list is corrected.",
                      "Пока список не исправлен, другие сети не опрашиваются.")
               : Pick(language, "The list in use stays as it was.", "Действует прежний список.");
    return Pick(language, "Other networks: %1. %2", "Другие сети: %1. %2").arg(why, then);
}

} // namespace corvane::SettingsTexts
