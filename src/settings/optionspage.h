#pragma once
// The Options page of the main window: its controls, built into the page the
// main window gives, and the page's own handler, "Always on Top". The other
// controls' handlers live with the subsystems that own them (exit
// confirmation, messages, presence; Enter in the alias field applies the
// name through the address book).
#include "common/othernetworklist.h"
#include "settings/formstorage.h"
#include "settings/stringtable.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

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

    // Binds the two below to the context; language gives the one of the texts.
    void Bind(HostContext& context, std::function<Language()> language);
    // "Start when I log in" shows whether the session starts the program in
    // the context's autostart folders, and switches it for this person. With
    // no start entry of the system's to switch, the box is disabled.
    void CheckBox7Click();

    // "Other networks" sets the list of other networks that presence asks by
    // unicast (othernetworklist.h) on the context's datagram network; the
    // person is told in the language given why a list is refused.
    // Enter in the field, or leaving it changed: the list is taken, or the
    // error box names the bad entry, which is then selected, and the list in
    // use stays.
    void NetworksEditDone();
    // The main window's stored value "OtherNetworks": the field's text. A
    // stored list that is refused is not used, and is told the same way by
    // TellStoredRefusal, the last step of the window's start.
    StoredProperty OtherNetworksProperty();
    void TellStoredRefusal();

    // "Always on Top" toggled: the page's window stays above the others or
    // not, without moving.
    void CheckBox2Click();

    QCheckBox* CheckBox1; // "Confirmation on exit"
    QCheckBox* CheckBox2; // "Always on Top"
    QCheckBox* CheckBox3; // "Message Box after successful sending"
    QCheckBox* CheckBox4; // "Enable sound notification"
    QCheckBox* CheckBox5; // "Clear message area after send"
    QCheckBox* CheckBox7; // "Start when I log in"
    QCheckBox* CheckBox8; // "Keep messages after exit" (its handler is with the messages)
    QLabel* Label3;       // "Alias:"
    QLineEdit* AliasEdit;
    QPushButton* ApplyBtn2;  // "Apply new name"
    QLabel* Label5;          // "Other &networks:"
    QLineEdit* NetworksEdit; // addresses, host names and networks, with commas
    QCheckBox* CheckBox6;    // "Auto Answer"
    QTextEdit* RichEdit1;    // the automatic answer text

private:
    void BindAutostart();
    void BindOtherNetworks();
    void ShowAutostart();
    void ApplyNetworks(bool stored);
    void TellRefusal(const OtherNetworkError& error, bool stored);
    HostContext* context_ = nullptr;
    std::function<Language()> language_;
    std::optional<OtherNetworkError> storedRefusal_;
    std::unique_ptr<SessionAutostart> autostart_;
};

} // namespace corvane
