#include "settings/optionspage.h"

#include "common/errors.h"
#include "common/hostcontext.h"
#include "common/othernetworklist.h"
#include "settings/alwaysontop.h"
#include "settings/sessionautostart.h"
#include "settings/settingstexts.h"
#include "transport/datagramnetwork.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

namespace corvane {
namespace {
QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}
} // namespace

OptionsPage::OptionsPage(QWidget* tabSheet, QObject* parent) : QObject(parent) {
    auto* layout = new QVBoxLayout(tabSheet);
    CheckBox1 = MakeCheck(tabSheet, "CheckBox1", QStringLiteral("Confirmation on exit"), true);
    CheckBox2 = MakeCheck(tabSheet, "CheckBox2", QStringLiteral("Always on Top"), false);
    CheckBox3 = MakeCheck(tabSheet, "CheckBox3",
                          QStringLiteral("Message Box after successful sending"), true);
    CheckBox4 = MakeCheck(tabSheet, "CheckBox4", QStringLiteral("Enable sound notification"), true);
    CheckBox5 =
        MakeCheck(tabSheet, "CheckBox5", QStringLiteral("Clear message area after send"), false);
    CheckBox8 = MakeCheck(tabSheet, "CheckBox8", QStringLiteral("Keep messages after exit"), true);
    CheckBox7 = MakeCheck(tabSheet, "CheckBox7", QStringLiteral("Start when I log in"), false);
    CheckBox7->setEnabled(false); // until there is a start entry to switch
    for (QCheckBox* box :
         {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox8, CheckBox7})
        layout->addWidget(box);

    // The alias row sits on a panel of its own.
    auto* panel = new QFrame(tabSheet);
    panel->setObjectName(QStringLiteral("Panel9"));
    panel->setAccessibleName(QStringLiteral("Alias"));
    auto* aliasRow = new QHBoxLayout(panel);
    aliasRow->setContentsMargins(0, 0, 0, 0);
    Label3 = new QLabel(QStringLiteral("Alias:"), tabSheet);
    Label3->setObjectName(QStringLiteral("Label3"));
    AliasEdit = new QLineEdit(tabSheet);
    AliasEdit->setObjectName(QStringLiteral("AliasEdit"));
    AliasEdit->setAccessibleName(QStringLiteral("Alias"));
    Label3->setBuddy(AliasEdit);
    ApplyBtn2 = new QPushButton(QStringLiteral("Apply new name"), tabSheet);
    ApplyBtn2->setObjectName(QStringLiteral("ApplyBtn2"));
    aliasRow->addWidget(Label3);
    aliasRow->addWidget(AliasEdit, 1);
    aliasRow->addWidget(ApplyBtn2);
    layout->addWidget(panel);

    // The other networks: a label over the whole width of the field.
    Label5 = new QLabel(QStringLiteral("Other &networks:"), tabSheet);
    Label5->setObjectName(QStringLiteral("Label5"));
    NetworksEdit = new QLineEdit(tabSheet);
    NetworksEdit->setObjectName(QStringLiteral("NetworksEdit"));
    NetworksEdit->setAccessibleName(QStringLiteral("Other networks"));
    NetworksEdit->setPlaceholderText(QStringLiteral("10.2.0.0/24, 10.3.1.7, pc7.branch"));
    NetworksEdit->setToolTip(
        QStringLiteral("Computers beyond routers, asked directly:\nIPv4 addresses, host names or "
                       "networks\nsuch as 10.2.0.0/24 (at most /22), separated by commas"));
    Label5->setBuddy(NetworksEdit);
    layout->addWidget(Label5);
    layout->addWidget(NetworksEdit);

    CheckBox6 = MakeCheck(tabSheet, "CheckBox6", QStringLiteral("Auto Answer"), false);
    layout->addWidget(CheckBox6);
    RichEdit1 = new QTextEdit(tabSheet);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Auto Answer text"));
    RichEdit1->setAcceptRichText(false);
    RichEdit1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    RichEdit1->setPlainText(QStringLiteral("I am away..."));
    RichEdit1->setVisible(false); // shown only while "Auto Answer" is checked
    layout->addWidget(RichEdit1, 1);
    layout->addStretch();

    connect(CheckBox2, &QCheckBox::toggled, this, &OptionsPage::CheckBox2Click);
}

OptionsPage::~OptionsPage() = default;

void OptionsPage::Bind(HostContext& context, std::function<Language()> language) {
    context_ = &context;
    language_ = std::move(language);
    BindAutostart();
    BindOtherNetworks();
}

void OptionsPage::BindAutostart() {
    autostart_ =
        std::make_unique<SessionAutostart>(context_->autostartDir, context_->systemAutostartDirs);
    ShowAutostart();
    connect(CheckBox7, &QCheckBox::toggled, this, &OptionsPage::CheckBox7Click,
            Qt::UniqueConnection);
}

void OptionsPage::ShowAutostart() {
    const QSignalBlocker blocker(CheckBox7);
    const SessionAutostart::State state = autostart_->Read();
    CheckBox7->setEnabled(state.available);
    CheckBox7->setChecked(state.enabled);
}

void OptionsPage::CheckBox7Click() {
    if (!autostart_)
        return;
    // A failure is told; the box then shows what is really so.
    RunHandler(*context_, [this] { autostart_->SetEnabled(CheckBox7->isChecked()); });
    ShowAutostart();
}

void OptionsPage::BindOtherNetworks() {
    connect(NetworksEdit, &QLineEdit::editingFinished, this, &OptionsPage::NetworksEditDone,
            Qt::UniqueConnection);
}

void OptionsPage::NetworksEditDone() {
    ApplyNetworks(false);
}

void OptionsPage::ApplyNetworks(bool stored) {
    if (!context_ || !context_->datagrams)
        return;
    OtherNetworkList list;
    const QString text = NetworksEdit->text();
    const auto error = OtherNetworkList::Parse(text, &list);
    if (!error) {
        context_->datagrams->Others().SetList(list);
        return;
    }
    if (stored) {
        storedRefusal_ = error; // told when the window has started
        return;
    }
    TellRefusal(*error, false);
    // The person can correct the entry at once.
    const qsizetype at = error->at;
    NetworksEdit->setFocus(Qt::OtherFocusReason);
    if (at >= 0)
        NetworksEdit->setSelection(int(at), int(error->entry.size()));
}

void OptionsPage::TellRefusal(const OtherNetworkError& error, bool stored) {
    const Language language = language_ ? language_() : Language::English;
    ShowGeneralError(*context_, SettingsTexts::OtherNetworksRefused(language, error, stored));
}

void OptionsPage::TellStoredRefusal() {
    if (const auto error = std::exchange(storedRefusal_, std::nullopt))
        TellRefusal(*error, true);
}

StoredProperty OptionsPage::OtherNetworksProperty() {
    return StoredProperty::Text(
        QStringLiteral("OtherNetworks"), [this] { return NetworksEdit->text(); },
        [this](const QString& text) {
            NetworksEdit->setText(text);
            ApplyNetworks(true);
        });
}

void OptionsPage::CheckBox2Click() {
    SetAlwaysOnTop(CheckBox2->window(), CheckBox2->isChecked());
}

} // namespace corvane
