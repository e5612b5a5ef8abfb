#include "settings/mainformcaptions.h"

namespace corvane {

namespace {

// Control, English caption, Russian caption, English hint, Russian hint. The
// rows keep their order: an action's caption is applied after the buttons
// bound to it. Some texts are deliberately as users have always seen them:
// the Russian hint of the toolbar's copy button, the Help menu's "&?", and the
// English texts of the Hide hint and of the user information item. The table
// comes in parts, one for each page and one each for the panel with the menu
// and for the editor's actions.

// The Compose page with the editor's toolbar.
CaptionTable ComposePageRows() {
    return {
        {"TabSheet1", "Compose", "Отправка", "", ""},
        {"el_Memo1", "&Message content:", "Текст сообщения:", "", ""},
        {"ClearBtn", "Clear message", "Очистить", "", ""},
        {"CompNameBtn", "Select an Recipient", "Выбор получателя", "", ""},
        {"Label1", "&Computer name:", "&Имя компьютера:", "", ""},
        {"RadioGroup1", "Send &To:", "Кому послать:", "", ""},
        {"Panel8", "", "", "", ""},
        {"BoldBtn", "", "", "Bold (CTRL-B)", "Полужирный (CTRL-B)"},
        {"ItalBtn", "", "", "Italic (CTRL-I)", "Курсив (CTRL-I)"},
        {"UnderLineBtn", "", "", "Underline (CTRL-U)", "Подчеркнутый (CTRL-U)"},
        {"LeftAlign", "", "", "Align Left", "По левому краю"},
        {"CenterAlign", "", "", "Align Center", "По центру"},
        {"RightAlign", "", "", "Align Right", "По правому краю"},
        {"BulletsButton", "", "", "Bullets", "Маркеры"},
        {"CutBtn", "Cu&t", "Вырезать", "Cut", "Вырезать"},
        {"CopyBtn", "&Copy", "Копировать", "Copy", "Копироватиь"},
        {"PasteBtn", "&Paste", "Вставить", "Paste", "Вставить"},
        {"UndoBtn", "", "", "Undo", "Отменить"},
        {"LoadBtn", "", "", "Load From File", "Загрузить из файла"},
    };
}

// The Incoming and Outgoing pages, and the Groups page.
CaptionTable StoreAndGroupsPagesRows() {
    return {
        {"TabSheet2", "Incoming", "Входящие", "", ""},
        {"Panel2", "", "", "", ""},
        {"Label2", "Message 0 of 0", "Сообщение 0 из 0", "", ""},
        {"FirstMsgBtn", "", "", "First message", "В начало"},
        {"LeftBtn", "", "", "Previous message", "Предыдущее"},
        {"RightBtn", "", "", "Next message", "Следующее"},
        {"LastMsgBtn", "", "", "Last message", "В конец"},
        {"DeleteBtn", "", "", "Delete current message", "Удалить"},
        {"DeleteAllBtn", "", "", "Delete all messages", "Удалить все"},
        {"Panel3", "", "", "", ""},
        {"Panel4", "", "", "", ""},
        {"FindLabel", "&Find:", "&Найти:", "", ""},
        {"FindOlderBtn", "", "", "Older match (Enter)", "Более раннее совпадение (Enter)"},
        {"FindNewerBtn", "", "", "Newer match (Shift+Enter)",
         "Более позднее совпадение (Shift+Enter)"},
        {"FindCloseBtn", "", "", "Close find (Esc)", "Закрыть поиск (Esc)"},
        {"TabSheet3", "Outgoing", "Исходящие", "", ""},
        {"Panel5", "", "", "", ""},
        {"Label4", "Message 0 of 0", "Сообщение 0 из 0", "", ""},
        {"FirstMsgBtn2", "", "", "First message", "В начало"},
        {"LeftBtn2", "", "", "Previous message", "Предыдущее"},
        {"RightBtn2", "", "", "Next message", "Следующее"},
        {"LastMsgBtn2", "", "", "Last message", "В конец"},
        {"DeleteBtn2", "", "", "Delete Current Message", "Удалить"},
        {"DeleteAllBtn2", "", "", "Delete All Messages", "Удалить все"},
        {"Panel6", "", "", "", ""},
        {"Panel7", "", "", "", ""},
        {"FindLabel2", "&Find:", "&Найти:", "", ""},
        {"FindOlderBtn2", "", "", "Older match (Enter)", "Более раннее совпадение (Enter)"},
        {"FindNewerBtn2", "", "", "Newer match (Shift+Enter)",
         "Более позднее совпадение (Shift+Enter)"},
        {"FindCloseBtn2", "", "", "Close find (Esc)", "Закрыть поиск (Esc)"},
        {"TabSheet4", "Groups", "Группы", "", ""},
        {"AddGroupBtn", "Add Group", "Новая группа", "", ""},
        {"AddUserBtn", "Add User", "Новый юзер", "", ""},
        {"DeleteUserBtn", "Delete", "Удалить", "", ""},
        {"AddSubGroupBtn", "Add Subgroup", "Новая подгруппа", "", ""},
        {"ApplyBtn", "Apply", "Применить", "", ""},
    };
}

// The Options page.
CaptionTable OptionsPageRows() {
    return {
        {"TabSheet5", "Options", "Параметры", "", ""},
        {"Panel9", "", "", "", ""},
        {"Label3", "Alias:", "Псевдоним:", "", ""},
        {"CheckBox1", "Confirmation on exit", "Подтверждение закрытия при выходе", "", ""},
        {"CheckBox2", "Always on Top", "Поверх остальных окон", "", ""},
        {"CheckBox3", "Message Box after successful sending", "Сообщение об успешной отправке", "",
         ""},
        {"CheckBox4", "Enable sound notification", "Звуковое сопровождение", "", ""},
        {"CheckBox5", "Clear message area after send", "Очищать область сообщение после отправки",
         "", ""},
        {"CheckBox8", "Keep messages after exit", "Хранить сообщения после выхода", "", ""},
        {"CheckBox7", "Start when I log in", "Запускать при входе в систему", "", ""},
        {"ApplyBtn2", "Apply new name", "Применить", "", ""},
        {"Label5", "Other &networks:", "Другие &сети:", "", ""},
        {"NetworksEdit", "", "",
         "Computers beyond routers, asked directly:\nIPv4 addresses, host names or networks\n"
         "such as 10.2.0.0/24 (at most /22), separated by commas",
         "Компьютеры за маршрутизаторами, опрашиваемые\nнапрямую: адреса IPv4, имена компьютеров\n"
         "или сети вида 10.2.0.0/24 (не больше /22) через запятую"},
        {"CheckBox6", "Auto Answer", "Автоответчик", "", ""},
    };
}

// The bottom panel and the main menu.
CaptionTable PanelAndMenuRows() {
    return {
        {"Panel1", "", "", "", ""},
        {"SendBtn", "&Send", "&Послать", "F5 - Send message", "F5 - Послать сообщение"},
        {"ChatBtn", "Cha&t", "Разговор", "", ""},
        {"CloseBtn", "Hi&de", "Скрыть", "Hide to the Windows tray", "Hide to the Windows tray"},
        {"File1", "&Options", "&Параметры", "", ""},
        {"IsPopupMenu", "&Popup incoming messages", "Показывать входящие", "", ""},
        {"N1", "-", "-", "", ""},
        {"Language2", "&Language", "&Выбор языка", "", ""},
        {"Russian1", "Russian", "Русский", "", ""},
        {"English1", "&English", "&English", "", ""},
        {"N11", "-", "-", "", ""},
        {"ExitMenu", "E&xit", "&Выход", "", ""},
        {"Edit3", "&Edit", "&Правка", "", ""},
        {"Undo1", "&Undo", "&Отменить", "", ""},
        {"Cut2", "Cu&t", "Вырезать", "Cut", "Вырезать"},
        {"Copy2", "&Copy", "Копировать", "Copy", "Копировать"},
        {"Paste2", "&Paste", "Вставить", "Paste", "Вставить"},
        {"Help1", "&Help", "&?", "", ""},
        {"N2", "&About", "О программе", "", ""},
        {"AboutQt1", "About &Qt", "О &Qt", "", ""},
    };
}

// The editor's actions and context menus.
CaptionTable EditorActionsRows() {
    return {
        {"UnderlineAction", "", "", "Underline", "Подчеркнутый"},
        {"BoldAction", "", "", "Bold", "Полужирный"},
        {"ItalicAction", "", "", "Italic", "Курсив"},
        {"FontSizeAct", "", "", "", ""},
        {"EditCopy1", "&Copy", "Копировать", "Copy", "Копировать"},
        {"EditCut1", "Cu&t", "Вырезать", "Cut", "Вырезать"},
        {"EditPaste1", "&Paste", "Вставить", "Paste", "Вставить"},
        {"Cut1", "Cu&t", "Вырезать", "Cut", "Вырезать"},
        {"Copy1", "&Copy", "Копировать", "Copy", "Копировать"},
        {"Paste1", "&Paste", "Вставить", "Paste", "Вставить"},
        {"LoadFromFile1", "&Load From File...", "&Загрузить из файла...", "", ""},
        {"ShowUserInfo1", "&Show User Info...", "&Show User Info...", "", ""},
    };
}

} // namespace

// The parts in table order.
const CaptionTable& MainFormCaptions() {
    static const CaptionTable table = [] {
        CaptionTable all;
        for (CaptionTable (*part)() : {ComposePageRows, StoreAndGroupsPagesRows, OptionsPageRows,
                                       PanelAndMenuRows, EditorActionsRows}) {
            const CaptionTable rows = part();
            all.insert(all.end(), rows.begin(), rows.end());
        }
        return all;
    }();
    return table;
}

SendToChoices SendToChoicesFor(Language language) {
    if (language == Language::Russian)
        return {QStringLiteral("Один компьютер"), QStringLiteral("Всем пользователям")};
    return {QStringLiteral("Single workstation"), QStringLiteral("All computers in domain")};
}

} // namespace corvane
