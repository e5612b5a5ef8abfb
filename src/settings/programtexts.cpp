#include "settings/programtexts.h"

namespace corvane {

QString TextIn(Language language, ProgramText text) {
    struct Pair {
        ProgramText id;
        const char* english;
        const char* russian;
    };
    static const Pair texts[] = {
        {ProgramText::ExitQuestion, "Are you sure to quit?", "Вы действительно хотите выйти?"},
        {ProgramText::TrayNotice,
         "Corvane runs in the notification area (tray). Click its icon to open the window.",
         "Corvane работает в области уведомлений. Щёлкните по значку, чтобы открыть окно."},
        {ProgramText::NoTrayNotice,
         "This desktop has no notification area: Corvane waits minimized on the taskbar.",
         "На этом рабочем столе нет области уведомлений: Corvane свёрнут на панели задач."},
        {ProgramText::BoxInformation, "Information", "Сведения"},
        {ProgramText::BoxQuestion, "Question", "Вопрос"},
        {ProgramText::BoxWarning, "Warning", "Предупреждение"},
        {ProgramText::BoxError, "Error", "Ошибка"},
        {ProgramText::BoxButtons, "Buttons", "Кнопки"},
        {ProgramText::HistoryKeptAside,
         "The file of kept messages %1 could not be used (%2). It was kept as %3, and a new one "
         "was started.",
         "Файл сохранённых сообщений %1 не удалось использовать (%2). Он сохранён под именем %3, "
         "начат новый файл."},
        {ProgramText::HistoryNotWritable,
         "Messages cannot be kept in %1: %2\nUntil the program ends, new messages and deletions "
         "are kept in memory only.",
         "Не удаётся сохранять сообщения в %1: %2\nДо выхода из программы новые сообщения и "
         "удаления хранятся только в памяти."},
        {ProgramText::HistoryRemoveQuestion,
         "Stop keeping messages after exit and delete the file of kept messages %1?",
         "Больше не хранить сообщения после выхода и удалить файл сохранённых сообщений %1?"},
        {ProgramText::HistoryNotRemoved, "The file of kept messages %1 could not be deleted: %2",
         "Не удалось удалить файл сохранённых сообщений %1: %2"},
        {ProgramText::FindMatch, "Match %1 of %2", "Совпадение %1 из %2"},
        {ProgramText::FindMatches, "%1 matches", "Совпадений: %1"},
        {ProgramText::FindNone, "No matches", "Совпадений нет"},
        {ProgramText::DroppedNote, "(%1 oldest messages were removed to make room)",
         "(удалено старых сообщений, чтобы освободить место: %1)"},
    };
    for (const Pair& p : texts)
        if (p.id == text)
            return QString::fromUtf8(language == Language::Russian ? p.russian : p.english);
    return {};
}

const std::vector<SpokenRow>& MainFormSpokenTexts() {
    using K = SpokenRow::Kind;
    static const std::vector<SpokenRow> rows{
        {"Memo1", K::Name, {"Message content"}, {"Текст сообщения"}},
        {"Toggle1", K::Name, {"Online state"}, {"Состояние в сети"}},
        {"CompNameBtn", K::Description, {"Computer name"}, {"Имя компьютера"}},
        {"TreeView1", K::Name, {"Network"}, {"Сеть"}},
        {"PopupMenu2", K::Name, {"Edit"}, {"Правка"}},
        {"ComboBox1", K::Name, {"Font Size"}, {"Размер шрифта"}},
        {"ComboBox1", K::Hint, {"Font Size (CTRL-S)"}, {"Размер шрифта (CTRL-S)"}},
        {"ColorComboBox1", K::Name, {"Font Color"}, {"Цвет шрифта"}},
        {"ColorComboBox1", K::Hint, {"Font Color"}, {"Цвет шрифта"}},
        {"ColorComboBox1",
         K::ItemNames,
         {"Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Gray", "Silver", "Red",
          "Lime", "Yellow", "Blue", "Fuchsia", "Aqua", "White"},
         {"Чёрный", "Тёмно-бордовый", "Зелёный", "Оливковый", "Тёмно-синий", "Фиолетовый",
          "Сине-зелёный", "Серый", "Серебристый", "Красный", "Ярко-зелёный", "Жёлтый", "Синий",
          "Фуксия", "Голубой", "Белый"}},
        {"FontComboBox1", K::Name, {"Font Name"}, {"Шрифт"}},
        {"FontComboBox1", K::Hint, {"Font Name"}, {"Шрифт"}},
        {"Panel2", K::Name, {"Incoming messages"}, {"Входящие сообщения"}},
        {"Panel3", K::Name, {"Header"}, {"Заголовок"}},
        {"Panel4", K::Name, {"Message body"}, {"Текст сообщения"}},
        {"Edit1", K::Name, {"Message header"}, {"Заголовок сообщения"}},
        {"Memo2", K::Name, {"Message text"}, {"Текст сообщения"}},
        {"Panel5", K::Name, {"Outgoing messages"}, {"Исходящие сообщения"}},
        {"Panel6", K::Name, {"Header"}, {"Заголовок"}},
        {"Panel7", K::Name, {"Message body"}, {"Текст сообщения"}},
        {"Edit2", K::Name, {"Message header"}, {"Заголовок сообщения"}},
        {"Memo3", K::Name, {"Message text"}, {"Текст сообщения"}},
        {"FindBar", K::Name, {"Find"}, {"Поиск"}},
        {"FindEdit", K::Name, {"Find in messages"}, {"Поиск в сообщениях"}},
        {"FindBar2", K::Name, {"Find"}, {"Поиск"}},
        {"FindEdit2", K::Name, {"Find in messages"}, {"Поиск в сообщениях"}},
        {"TreeView2", K::Name, {"Groups"}, {"Группы"}},
        {"Panel9", K::Name, {"Alias"}, {"Псевдоним"}},
        {"AliasEdit", K::Name, {"Alias"}, {"Псевдоним"}},
        {"NetworksEdit", K::Name, {"Other networks"}, {"Другие сети"}},
        {"RichEdit1", K::Name, {"Auto Answer text"}, {"Текст автоответчика"}},
    };
    return rows;
}

} // namespace corvane
