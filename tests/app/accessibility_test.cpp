// What a person meets first: every window carries its own title and the
// program's icon, every control has a name a screen reader can say, the page
// tabs fit the window. (The command line: startup_test.cpp.)
#include "app/applicationsetup.h"
#include "app/imagelist.h"
#include "app/mainform.h"
#include "app/widgetdialogservice.h"
#include "chat/chatform.h"
#include "chat/privatechatform.h"
#include "messaging/popupform.h"
#include "presence/infoform.h"
#include "presence/presencedirectory.h"
#include "support/testcontext.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

// Every accessible object a person meets must be named, except plain
// containers (pages, their stack, layout hosts, the insides of scroll areas,
// the menu bar, splitters), what only a mouse reaches (splitter handles, a
// tool bar's overflow arrow), scroll bars, separators, texts (an empty one
// says nothing), and menus and the lists of combo boxes, which are announced
// by the control that opens them.
void CollectUnnamed(QAccessibleInterface* iface, const QString& path, QStringList& unnamed) {
    if (!iface)
        return;
    const QAccessible::Role role = iface->role();
    QObject* object = iface->object();
    const QString here = path + QLatin1Char('/') +
                         (object ? QString::fromLatin1(object->metaObject()->className()) +
                                       QLatin1Char(':') + object->objectName()
                                 : QString()) +
                         QStringLiteral("(role %1)").arg(int(role));
    QAccessibleInterface* parent = iface->parent();
    const bool listOfCombo =
        role == QAccessible::List && parent && parent->role() == QAccessible::ComboBox;
    const bool exempt = role == QAccessible::Client || role == QAccessible::LayeredPane ||
                        role == QAccessible::MenuBar || role == QAccessible::ScrollBar ||
                        role == QAccessible::Separator || role == QAccessible::PopupMenu ||
                        role == QAccessible::StaticText || role == QAccessible::Splitter ||
                        role == QAccessible::Grip || listOfCombo ||
                        (object && object->objectName() == QLatin1String("qt_toolbar_ext_button"));
    if (!exempt && iface->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << here;
    for (int i = 0; i < iface->childCount(); ++i)
        CollectUnnamed(iface->child(i), here, unnamed);
}

// The unnamed objects of a window, one path a line.
std::string Unnamed(QObject* window) {
    QStringList unnamed;
    CollectUnnamed(QAccessible::queryAccessibleInterface(window), QString(), unnamed);
    return unnamed.join(QLatin1Char('\n')).toStdString();
}

bool HasProgramIcon(const QWidget* window) {
    const QIcon icon = window->windowIcon();
    return !icon.isNull() &&
           icon.pixmap(32).toImage() == ImageList::ApplicationIcon().pixmap(32).toImage();
}

struct Windows {
    Windows() : computers(test::MakeComputers(1)) {
        SetUpApplication();
        main = std::make_unique<TMainForm>(computers[0]->context);
        main->AppActivate();
        popup = std::make_unique<TPopupForm>(main->Language, [] {});
        popup->SetMessage(QStringLiteral("Message from Anna to Boris (07.12.2026 9:05:01)"), "hi");
        info = std::make_unique<TInfoForm>(main.get());
    }
    std::vector<std::unique_ptr<test::TestComputer>> computers;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TPopupForm> popup;
    std::unique_ptr<TInfoForm> info;
};

} // namespace

TEST(FirstHour, EveryControlOfEveryWindowHasAName) {
    Windows w;
    w.main->RestoreApplication();
    w.popup->show();
    EXPECT_EQ(Unnamed(w.main.get()), "");
    EXPECT_EQ(Unnamed(w.main->Presence->View().PopupMenu1), "");
    EXPECT_EQ(Unnamed(w.popup.get()), "");
    EXPECT_EQ(Unnamed(w.info.get()), "");
    EXPECT_EQ(Unnamed(w.main->ChatForm), "");
    TPrivateChatForm privateChat(
        w.computers[0]->context,
        PrivateChatStart{QStringLiteral("HOST2"), QStringLiteral("Bob"), QStringLiteral("12345"),
                         false},
        Language::English, Language::English, [] { return QStringLiteral("Anna"); }, ChatIcons{});
    EXPECT_EQ(Unnamed(&privateChat), "");
    privateChat.setWindowTitle(QStringLiteral("Private chat with Bob"));
    QAccessibleInterface* chat = QAccessible::queryAccessibleInterface(&privateChat);
    EXPECT_EQ(chat->role(), QAccessible::Window);
    EXPECT_EQ(chat->text(QAccessible::Name), QStringLiteral("Private chat with Bob"));
    for (auto icon : {DialogService::Icon::Information, DialogService::Icon::Question,
                      DialogService::Icon::Warning, DialogService::Icon::Stop}) {
        const auto box = WidgetDialogService::BuildMessageBox(
            QStringLiteral("Are you sure to quit?"), ApplicationTitle, icon,
            DialogService::Yes | DialogService::No);
        EXPECT_EQ(Unnamed(box.get()), "") << int(icon);
    }
    // A new message is a window of its own, announced by its title.
    QAccessibleInterface* popup = QAccessible::queryAccessibleInterface(w.popup.get());
    EXPECT_TRUE(popup->role() == QAccessible::Dialog || popup->role() == QAccessible::Window);
    EXPECT_EQ(popup->text(QAccessible::Name), QStringLiteral("Incoming Message (F6)"));
}

TEST(FirstHour, WindowsCarryTheirOwnTitleAndTheProgramIcon) {
    Windows w;
    // Nothing appends the program's name to the titles.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    const auto box = WidgetDialogService::BuildMessageBox(
        QStringLiteral("Message successfully sent!"), QStringLiteral("Corvane Messenger"),
        DialogService::Icon::Information, DialogService::Ok);
    const struct {
        QWidget* window;
        const char* title;
    } cases[] = {{w.main.get(), "Corvane 3.0"},
                 {w.popup.get(), "Incoming Message (F6)"},
                 {w.info.get(), "User Information"},
                 {box.get(), "Corvane Messenger"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.window->windowTitle(), QLatin1String(c.title));
        EXPECT_TRUE(HasProgramIcon(c.window)) << c.title;
    }
}

TEST(FirstHour, AllFivePageTabsFitTheDefaultWidthInBothLanguages) {
    Windows w;
    TMainForm& form = *w.main;
    form.RestoreApplication();
    form.resize(TMainForm::DesignWidth, TMainForm::DesignHeight);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QStringList languages[] = {{"Compose", "Incoming", "Outgoing", "Groups", "Options"},
                                     {"Отправка", "Входящие", "Исходящие", "Группы", "Параметры"}};
    QTabBar* bar = form.PageControl1->tabBar();
    for (const QStringList& captions : languages) {
        for (int i = 0; i < captions.size(); ++i)
            form.PageControl1->setTabText(i, captions[i]);
        QTest::qWait(10); // the layout follows
        EXPECT_EQ(form.width(), TMainForm::DesignWidth);
        EXPECT_LE(bar->geometry().right(), form.PageControl1->width() - 1);
        for (int i = 0; i < captions.size(); ++i) {
            const QRect tab = bar->tabRect(i);
            EXPECT_TRUE(bar->rect().contains(tab)) << captions[i].toStdString();
            EXPECT_GE(tab.width(), bar->fontMetrics().horizontalAdvance(captions[i]))
                << captions[i].toStdString();
        }
        // No scroll arrows to tab to.
        for (QToolButton* arrow : bar->findChildren<QToolButton*>())
            EXPECT_FALSE(arrow->isVisible());
    }
}
