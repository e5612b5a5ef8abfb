#pragma once
// The language commands of the main window ("Russian", "&English"): they
// switch the string table, apply the window's captions and hints, and set the
// texts that code chooses by language. Windows built later (popups, the chat
// room, private chats) take the language from the same state when they show.
#include "settings/duallang.h"

#include <QObject>
#include <functional>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QWidget;

namespace corvane {

struct LanguageControls {
    QWidget* window = nullptr;                // carries the switcher DualLang1
    QButtonGroup* RadioGroup1Items = nullptr; // id 0 single workstation, 1 all computers
    QAction* Russian1 = nullptr;
    QAction* English1 = nullptr;
    QAbstractButton* CompNameBtn = nullptr;
    QAbstractButton* SendBtn = nullptr;
    std::function<void()> updateToggle1; // the online toggle's caption for its state
    // Runs after the captions are applied: things already on show that the
    // table cannot know (the store counters, the network tree's choice).
    std::function<void()> afterSwitch;
    std::function<void()> memo1Change; // the Send button by its rule
};

class LanguageSwitch : public QObject {
    Q_OBJECT
public:
    LanguageSwitch(LanguageState& state, LanguageControls controls, QObject* parent = nullptr);

    TDualLang* DualLang1() const { return dualLang_; }

    void Russian1Click() { Switch(Language::Russian); }
    void English1Click() { Switch(Language::English); }
    // The same steps as the menu command of that language (the settings
    // restore runs it with the stored language).
    void Switch(Language language);

Q_SIGNALS:
    // After a language command (for what the whole program shares: Qt's
    // own texts in boxes, file dialogs and context menus).
    void Switched(corvane::Language language);

private:
    LanguageState& state_;
    LanguageControls c_;
    TDualLang* dualLang_;
};

} // namespace corvane
