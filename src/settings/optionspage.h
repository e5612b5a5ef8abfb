#pragma once
// The Options page of the main window: its controls, built into the page the
// main window gives, and the page's own handler, "Always on Top". The other
// controls' handlers live with the subsystems that own them (exit
// confirmation, messages, presence; Enter in the alias field applies the
// name through the address book).
#include <QObject>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QWidget;

namespace corvane {

class HostContext;
class SessionAutostart;

class OptionsPage : public QObject {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* tabSheet, QObject* parent = nullptr);
    ~OptionsPage() override;

    // "Start when I log in" shows whether the session starts the program in
    // the context's autostart folders, and switches it for this person. With
    // no start entry of the system's to switch, the box is disabled.
    void BindAutostart(HostContext& context);
    void CheckBox7Click();

    // "Always on Top" toggled: the page's window stays above the others or
    // not, without moving.
    void CheckBox2Click();
    static void SetAlwaysOnTop(QWidget* window, bool onTop);

    QCheckBox* CheckBox1; // "Confirmation on exit"
    QCheckBox* CheckBox2; // "Always on Top"
    QCheckBox* CheckBox3; // "Message Box after successful sending"
    QCheckBox* CheckBox4; // "Enable sound notification"
    QCheckBox* CheckBox5; // "Clear message area after send"
    QCheckBox* CheckBox7; // "Start when I log in"
    QCheckBox* CheckBox8; // "Keep messages after exit" (its handler is with the messages)
    QLabel* Label3;       // "Alias:"
    QLineEdit* AliasEdit;
    QPushButton* ApplyBtn2; // "Apply new name"
    QCheckBox* CheckBox6;   // "Auto Answer"
    QTextEdit* RichEdit1;   // the automatic answer text

private:
    void ShowAutostart();
    HostContext* context_ = nullptr;
    std::unique_ptr<SessionAutostart> autostart_;
};

} // namespace corvane
