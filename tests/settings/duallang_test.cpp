// The caption switcher on a small window of every kind of control.
#include "common/errors.h"
#include "settings/duallang.h"
#include "settings/widgetcaptions.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct SmallWindow {
    SmallWindow() {
        auto* layout = new QVBoxLayout(&window);
        auto* tabs = new QTabWidget(&window);
        page = new QWidget(tabs);
        page->setObjectName(QStringLiteral("Page1"));
        tabs->addTab(page, QStringLiteral("old"));
        layout->addWidget(tabs);
        button = new QPushButton(QStringLiteral("&Old"), page);
        button->setObjectName(QStringLiteral("Button1"));
        button->setAccessibleName(QStringLiteral("Old"));
        label = new QLabel(QStringLiteral("old"), page);
        label->setObjectName(QStringLiteral("Label1"));
        group = new QGroupBox(QStringLiteral("old"), page);
        group->setObjectName(QStringLiteral("Group1"));
        panel = new QWidget(page);
        panel->setObjectName(QStringLiteral("Panel1"));
        panel->setToolTip(QStringLiteral("old"));
        panel->setAccessibleName(QStringLiteral("old"));
        menu = new QMenu(QStringLiteral("old"), &window);
        menu->setObjectName(QStringLiteral("Menu1"));
        action = menu->addAction(QStringLiteral("old"));
        action->setObjectName(QStringLiteral("Action1"));
        // Another window parented to this one keeps its own controls.
        other = new QWidget(&window, Qt::Window);
        otherButton = new QPushButton(QStringLiteral("other"), other);
        otherButton->setObjectName(QStringLiteral("Button2"));
    }
    QWidget window;
    QWidget* page;
    QPushButton* button;
    QLabel* label;
    QGroupBox* group;
    QWidget* panel;
    QMenu* menu;
    QAction* action;
    QWidget* other;
    QPushButton* otherButton;
};

const CaptionTable kTable{
    {"Page1", "Page", "Страница", "", ""},
    {"Button1", "&Press", "&Нажать", "Press it", "Нажмите"},
    {"Label1", "Label", "Надпись", "", ""},
    {"Group1", "Group", "Группа", "", ""},
    {"Panel1", "", "", "Panel hint", "Подсказка"},
    {"Menu1", "&Menu", "&Меню", "", ""},
    {"Action1", "&Do", "&Сделать", "Do it", "Сделайте"},
    {"Button2", "x", "x", "", ""},
    {"Nowhere", "x", "x", "", ""},
};

} // namespace

TEST(DualLang, AppliesEachColumnByNameToEveryKindOfControl) {
    SmallWindow w;
    TDualLang* dual = AttachDualLang(&w.window, kTable);
    EXPECT_EQ(dual->objectName(), QStringLiteral("DualLang1"));
    const auto tabs = w.window.findChild<QTabWidget*>();
    for (Language language : {Language::Russian, Language::English, Language::English}) {
        const bool ru = language == Language::Russian;
        dual->SetLanguage(language);
        EXPECT_EQ(dual->GetLanguage(), language);
        EXPECT_EQ(tabs->tabText(0), ru ? "Страница" : "Page");
        EXPECT_EQ(w.button->text(), ru ? "&Нажать" : "&Press");
        EXPECT_EQ(w.button->toolTip(), ru ? "Нажмите" : "Press it");
        EXPECT_EQ(w.label->text(), ru ? "Надпись" : "Label");
        EXPECT_EQ(w.group->title(), ru ? "Группа" : "Group");
        EXPECT_EQ(w.panel->toolTip(), ru ? "Подсказка" : "Panel hint");
        EXPECT_EQ(w.menu->title(), ru ? "&Меню" : "&Menu");
        EXPECT_EQ(w.action->text(), ru ? "&Сделать" : "&Do");
        EXPECT_EQ(w.action->toolTip(), ru ? "Сделайте" : "Do it");
        // Accessible names that were the old text follow it, without "&".
        EXPECT_EQ(w.button->accessibleName(), ru ? "Нажать" : "Press");
        EXPECT_EQ(w.panel->accessibleName(), ru ? "Подсказка" : "Panel hint");
        // The other window's control and the unknown name are not found.
        EXPECT_EQ(w.otherButton->text(), "other");
        EXPECT_EQ(dual->Missing(), QStringList({"Button2", "Nowhere"}));
    }
}

TEST(DualLang, AnEmptyTextEmptiesAndASecondSwitcherIsRefused) {
    SmallWindow w;
    TDualLang* dual = AttachDualLang(&w.window, {{"Label1", "", "", "", ""}});
    dual->SetLanguage(Language::English);
    EXPECT_EQ(w.label->text(), QString());
    try {
        AttachDualLang(&w.window, kTable);
        FAIL() << "a second switcher was accepted";
    } catch (const AppError& e) {
        EXPECT_EQ(e.Message(), "Cannot create more than one instance of TDualLang");
    }
    EXPECT_EQ(w.window.findChildren<TDualLang*>().size(), 1);
    // A window of its own may have its switcher.
    EXPECT_NO_THROW(AttachDualLang(w.other, kTable));
}
