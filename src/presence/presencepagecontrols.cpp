#include "presence/presencepagecontrols.h"

#include "settings/stringtable.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {
namespace {

void BuildRecipientRow(PresencePageControls& c, QWidget* page, const QIcon& computerImage,
                       const LanguageState& language) {
    c.recipientRow = new QHBoxLayout;
    c.Label1 = new QLabel(QStringLiteral("&Computer name:"), page);
    c.Label1->setObjectName(QStringLiteral("Label1"));
    c.CompNameBtn = new QToolButton(page);
    c.CompNameBtn->setObjectName(QStringLiteral("CompNameBtn"));
    c.CompNameBtn->setCheckable(true);
    c.CompNameBtn->setAutoRaise(true);
    c.CompNameBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    c.CompNameBtn->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    c.CompNameBtn->setIcon(computerImage);
    c.CompNameBtn->setText(language.Text(Strings::SelectRecipient));
    // A screen reader announces the chosen recipient (the caption) as the
    // button's name; the buddy label says what it is.
    c.CompNameBtn->setAccessibleDescription(QStringLiteral("Computer name"));
    c.CompNameBtn->setStyleSheet(QStringLiteral("QToolButton { text-align: left; }"));
    c.Label1->setBuddy(c.CompNameBtn);
    c.recipientRow->addWidget(c.Label1);
    c.recipientRow->addWidget(c.CompNameBtn, 1);
}

void BuildChoiceRow(PresencePageControls& c, QWidget* page, const LanguageState& language) {
    c.choiceRow = new QHBoxLayout;
    c.RadioGroup1 = new QGroupBox(QStringLiteral("Send &To:"), page);
    c.RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* radios = new QVBoxLayout(c.RadioGroup1);
    c.RadioGroup1Items = new QButtonGroup(c.RadioGroup1);
    const QString items[] = {QStringLiteral("Single workstation"),
                             QStringLiteral("All computers in domain")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(items[i], c.RadioGroup1);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        c.RadioGroup1Items->addButton(radio, i);
        radios->addWidget(radio);
    }
    c.RadioGroup1Items->button(0)->setChecked(true);
    c.choiceRow->addWidget(c.RadioGroup1, 1);
    c.Toggle1 = new QPushButton(language.Text(Strings::Online), page);
    c.Toggle1->setObjectName(QStringLiteral("Toggle1"));
    c.Toggle1->setCheckable(true);
    c.Toggle1->setChecked(true);
    c.Toggle1->setAccessibleName(QStringLiteral("Online state"));
    c.choiceRow->addWidget(c.Toggle1, 0, Qt::AlignVCenter);
}

} // namespace

PresencePageControls BuildPresencePageControls(QWidget* page, const QIcon& computerImage,
                                               const LanguageState& language) {
    PresencePageControls c;
    BuildRecipientRow(c, page, computerImage, language);
    BuildChoiceRow(c, page, language);
    return c;
}

QTreeWidget* BuildNetworkTree(QWidget* page) {
    auto* tree = new QTreeWidget(page);
    tree->setObjectName(QStringLiteral("TreeView1"));
    tree->setHeaderHidden(true);
    tree->setIndentation(19);
    tree->setAccessibleName(QStringLiteral("Network"));
    tree->setVisible(false);
    return tree;
}

} // namespace corvane
