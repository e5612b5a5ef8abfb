// The main window's settings: what it keeps in the settings file (its
// placement, the Options page, the language, the online toggle, the editor's
// format, the chat windows' placement), the restore steps of its first
// showing, and the address book saved with the settings.
#include "app/mainform.h"

#include "addressbook/groupspage.h"
#include "chat/chatform.h"
#include "editor/composeeditor.h"
#include "messaging/messagingcontroller.h"
#include "presence/presencedirectory.h"
#include "settings/duallang.h"
#include "settings/optionspage.h"
#include "settings/settingsfile.h"
#include "settings/widgetformstorage.h"
#include "transport/mailslot.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace corvane {

void TMainForm::BuildFormStorage() {
    Settings = std::make_unique<SettingsFile>(context_, &Language);
    FormStorage1 =
        new WidgetFormStorage(this, context_, *Settings, QStringLiteral("TMainForm"), this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->AddEntries(WidgetFormStorage::MainFormEntries());
    // The captions follow the stored language at once; the restore steps
    // switch the string table with the Russian command.
    FormStorage1->Bind(StoredProperty::Choice(
        QStringLiteral("DualLang1.Language"),
        {QStringLiteral("llEnglish"), QStringLiteral("llNational")},
        [this] {
            return DualLang1->GetLanguage() == Language::Russian ? QStringLiteral("llNational")
                                                                 : QStringLiteral("llEnglish");
        },
        [this](const QString& name) {
            DualLang1->SetLanguage(name == QLatin1String("llNational") ? Language::Russian
                                                                       : Language::English);
        }));
    // The online toggle only changes its look here; the restore handler
    // announces an offline state.
    FormStorage1->Bind(StoredProperty::Truth(
        QStringLiteral("Toggle1.State"), [this] { return Toggle1->isChecked(); },
        [this](bool on) {
            Toggle1->setChecked(on);
            Presence->UpdateToggle1();
        }));
    // The editor's boxes through the editor: the size box only shows its
    // text, colour and font run their change handlers.
    FormStorage1->Bind(StoredProperty::Number(
        QStringLiteral("ColorComboBox1.ColorValue"), [this] { return int(Editor->ColorValue()); },
        [this](int n) { Editor->SetColorValue(quint32(n)); }));
    FormStorage1->Bind(StoredProperty::Text(
        QStringLiteral("ComboBox1.Text"), [this] { return Editor->SizeText(); },
        [this](const QString& text) { Editor->SetSizeText(text); }));
    FormStorage1->Bind(StoredProperty::Text(
        QStringLiteral("FontComboBox1.FontName"), [this] { return Editor->FontName(); },
        [this](const QString& name) { Editor->SetFontName(name); }));
    // The chat room keeps its member panel and nick name; each private chat
    // only its placement, all of them in one section.
    ChatForm->RestoreFormSettings = [this](QWidget* window) {
        ChatStorage(window).RestoreWindowSettings();
    };
    ChatForm->SaveFormSettings = [this](QWidget* window) {
        ChatStorage(window).SaveWindowSettings(false);
    };
    FormStorage1->Bind(Options->OtherNetworksProperty()); // before the endpoint opens
    FormStorage1->hiddenIsMinimized = true;               // in the tray
    FormStorage1->showStateHandler = [this](ShowState state) { restoredShowState_ = state; };
    FormStorage1->Store().OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };
    FormStorage1->Store().OnSavePlacement = [this](FileWriter& files) {
        FormStorage1SavePlacement(files);
    };
}

void TMainForm::RestoreSettingsOnce() {
    if (FormStorage1->Store().Restored())
        return;
    FormStorage1->Store().RestoreStoredValues();
    FinishFirstShowing();
}

FormStorage& TMainForm::ChatStorage(QWidget* window) {
    return WidgetFormStorage::Of(
               window, context_, *Settings,
               [this, window](WidgetFormStorage& storage) {
                   if (window != ChatForm)
                       return;
                   storage.Bind(StoredProperty::Number(
                       QStringLiteral("Panel3.Width"), [this] { return ChatForm->Panel3Width(); },
                       [this](int width) { ChatForm->SetPanel3Width(width); }));
                   storage.AddEntries({{"Edit2.Text", StoredProperty::Type::Text}});
               })
        .Store();
}

void TMainForm::FinishFirstShowing() {
    FormStorage1->Store().RunRestoreHandler();
    if (restoredShowState_ == ShowState::Minimized) {
        // Saved while in the tray: this first showing goes back there once.
        restoredShowState_ = ShowState::Normal;
        HideToTray();
    }
}

void TMainForm::FormStorage1RestorePlacement() {
    // A damaged address book is reported, and the computer still goes on the
    // network with the groups that could be read.
    RunHandler(context_, [this] { Groups->LoadAddressBook(); });
    if (Options->AliasEdit->text().isEmpty())
        Options->AliasEdit->setText(LocalComputerName());
    IcqSlot->Open(); // an endpoint that cannot open ends the steps here
    if (DualLang1->GetLanguage() == Language::Russian)
        Russian1Click();
    if (!Toggle1->isChecked())
        Presence->Toggle1Click(); // announces the offline state
    if (Options->CheckBox6->isChecked())
        Messaging->CheckBox6Click();
    for (const auto& step : AfterEndpointOpen)
        step();
}

void TMainForm::FormStorage1SavePlacement(FileWriter& files) {
    Groups->SaveAddressBook(files); // "Groups.DAT", then "Groups.IMG"
}

} // namespace corvane
