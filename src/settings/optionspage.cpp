#include "settings/optionspage.h"

#include "common/errors.h"
#include "common/hostcontext.h"
#include "settings/sessionautostart.h"

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

void OptionsPage::BindAutostart(HostContext& context) {
    context_ = &context;
    autostart_ =
        std::make_unique<SessionAutostart>(context.autostartDir, context.systemAutostartDirs);
    ShowAutostart();
    connect(CheckBox7, &QCheckBox::toggled, this, &OptionsPage::CheckBox7Click,
            Qt::UniqueConnection);
}

void OptionsPage::ShowAutostart() {
    const QSignalBlocker blocker(CheckBox7);
    CheckBox7->setEnabled(autostart_->Available());
    CheckBox7->setChecked(autostart_->Enabled());
}

void OptionsPage::CheckBox7Click() {
    if (!autostart_)
        return;
    // A failure is told; the box then shows what is really so.
    RunHandler(*context_, [this] { autostart_->SetEnabled(CheckBox7->isChecked()); });
    ShowAutostart();
}

void OptionsPage::CheckBox2Click() {
    SetAlwaysOnTop(CheckBox2->window(), CheckBox2->isChecked());
}

void OptionsPage::SetAlwaysOnTop(QWidget* window, bool onTop) {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    // Changing a window flag hides the window; a shown one comes back where it was.
    const bool shown = window->isVisible();
    const QPoint position = window->pos();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) {
        window->move(position);
        window->show();
    }
}

} // namespace corvane
