// The main window in both languages: its table, the language commands and
// what they leave alone.
#include "app/mainform.h"
#include "chat/chatdatagrams.h"
#include "chat/chatform.h"
#include "chat/chatroom.h"
#include "chat/chattexts.h"
#include "chat/privatechatform.h"
#include "common/ansicodec.h"
#include "common/timedwait.h"
#include "editor/editortoolbar.h"
#include "messaging/messagingcontroller.h"
#include "messaging/popupform.h"
#include "messaging/storepage.h"
#include "messaging/tmsg.h"
#include "settings/duallang.h"
#include "settings/mainformcaptions.h"
#include "settings/widgetcaptions.h"
#include "support/testcontext.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <map>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace corvane;
using corvane::test::MakeComputers;
using corvane::test::WaitUntil;

namespace {

// An action without a tool tip shows its text without "&" and "...".
QString DefaultToolTip(QString text) {
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text;
}

// Every caption and hint of the table on the window, in that language.
// Returns the names the window does not have.
QStringList ExpectTable(QWidget* window, const CaptionTable& table, Language language) {
    WidgetCaptions controls(window);
    QStringList missing;
    for (const CaptionRow& row : table) {
        const QObject* control = controls.Find(row.name);
        if (!control) {
            missing << row.name;
            continue;
        }
        const std::string where = window->objectName().toStdString() + " " +
                                  row.name.toStdString() +
                                  (language == Language::Russian ? " ru" : " en");
        auto* glyphOnly = qobject_cast<const QToolButton*>(control);
        auto* action = qobject_cast<const QAction*>(control);
        if (row.Caption(language) == QLatin1String("-")) {
            // A dash makes a separator in any language.
            EXPECT_TRUE(action && action->isSeparator() && action->text().isEmpty()) << where;
            continue;
        }
        if (glyphOnly && glyphOnly->toolButtonStyle() == Qt::ToolButtonIconOnly) {
            // A toolbar of glyphs shows no caption.
        } else if (WidgetCaptions::HasCaption(control)) {
            EXPECT_EQ(WidgetCaptions::CaptionOf(control).toStdString(),
                      row.Caption(language).toStdString())
                << where;
        }
        QString hint = row.Hint(language);
        if (hint.isEmpty() && qobject_cast<const QAction*>(control))
            hint = DefaultToolTip(row.Caption(language));
        EXPECT_EQ(WidgetCaptions::HintOf(control).toStdString(), hint.toStdString()) << where;
    }
    return missing;
}

// What a person sees or hears of a window, by where it shows: captions,
// hints, accessible names and descriptions, the names of a box's items.
std::map<QString, QString> ShownTexts(QWidget* window) {
    std::map<QString, QString> shown;
    auto add = [&](const QObject* o, const char* what, const QString& text) {
        if (!text.isEmpty())
            shown[o->objectName() + QLatin1Char('.') + QLatin1String(what)] = text;
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) ||
            name.startsWith(QLatin1String("Scroll")))
            continue; // Qt's own parts, which Qt's translation covers
        add(w, "hint", w->toolTip());
        add(w, "name", w->accessibleName());
        add(w, "description", w->accessibleDescription());
        add(w, "caption", WidgetCaptions::CaptionOf(w));
        if (auto* box = qobject_cast<QComboBox*>(w); box && !qobject_cast<FontNameBox*>(w))
            for (int i = 0; i < box->count(); ++i) {
                const QString item = QStringLiteral("item%1").arg(i);
                add(w, qPrintable(item + ".name"),
                    box->itemData(i, Qt::AccessibleTextRole).toString());
                add(w, qPrintable(item + ".hint"), box->itemData(i, Qt::ToolTipRole).toString());
            }
    }
    for (QAction* a : window->findChildren<QAction*>()) {
        add(a, "caption", a->text());
        add(a, "hint", a->toolTip());
    }
    return shown;
}

struct OneComputer {
    OneComputer() : computers(MakeComputers(1)), form(computers[0]->context) {}
    void Receive(const QString& alias, const QString& body) {
        const TMsg msg{ToAnsi(alias), "*", ToAnsi(body), ToAnsi(alias)};
        form.Messaging->MsgServerClientRead(msg.Encode(), QHostAddress::LocalHost);
    }
    std::vector<std::unique_ptr<test::TestComputer>> computers;
    TMainForm form;
};

} // namespace

TEST(MainFormLanguage, EveryNameOfTheTableIsOnTheWindowOnce) {
    OneComputer c;
    WidgetCaptions window(&c.form);
    QStringList missing, doubled;
    for (const CaptionRow& row : MainFormCaptions()) {
        const int n = window.CountOf(row.name);
        if (n > 1)
            doubled << row.name;
        if (n == 0)
            missing << row.name;
    }
    EXPECT_TRUE(missing.isEmpty())
        << "not on the main window: " << missing.join(", ").toStdString();
    EXPECT_TRUE(doubled.isEmpty()) << "more than once: " << doubled.join(", ").toStdString();
}

TEST(MainFormLanguage, EveryCaptionAndHintIsTheTablesInBothLanguages) {
    OneComputer c;
    for (Language language : {Language::Russian, Language::English, Language::Russian}) {
        c.form.SetLanguage(language);
        EXPECT_EQ(c.form.DualLang1->GetLanguage(), language);
        ExpectTable(&c.form, MainFormCaptions(), language);
    }
    // The copy button keeps its own Russian hint when its action changes.
    QAction* editCopy = c.form.findChild<QAction*>("EditCopy1");
    editCopy->setEnabled(!editCopy->isEnabled());
    EXPECT_EQ(c.form.findChild<QToolButton*>("CopyBtn")->toolTip(), "Копироватиь");
    EXPECT_EQ(c.form.findChild<QAction*>("Copy1")->toolTip(), "Копировать");
    // The texts kept as they are in Russian.
    EXPECT_EQ(c.form.CloseBtn->toolTip(), "Hide to the Windows tray");
    EXPECT_EQ(c.form.findChild<QMenu*>("Help1")->title(), "&?");
}

TEST(MainFormLanguage, CommandsResetWhatTheTableResetsAndSetTheTextsOfCode) {
    OneComputer c;
    TMainForm& f = c.form;
    f.RestoreApplication();
    f.IsPopupMenu->setChecked(false);
    f.Memo1->setPlainText(QStringLiteral("hello"));
    c.Receive(QStringLiteral("Anna"), QStringLiteral("one"));
    c.Receive(QStringLiteral("Anna"), QStringLiteral("two"));
    f.Outgoing->AppendToStore(QStringLiteral("Message from me to Anna"), "three");
    ASSERT_TRUE(WaitUntil([&] { return f.TreeView1->topLevelItemCount() > 0; }));
    struct Step {
        const char* name;
        std::function<void()> run;
        Language language;
        bool online;
    };
    const Step steps[] = {
        {"Russian", [&] { f.Russian1->trigger(); }, Language::Russian, true},
        {"Russian again, offline", [&] { f.Russian1->trigger(); }, Language::Russian, false},
        {"English", [&] { f.English1->trigger(); }, Language::English, false},
        {"English again, online", [&] { f.English1->trigger(); }, Language::English, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (f.Toggle1->isChecked() != s.online)
            f.Toggle1->click();
        // A recipient is chosen and Send is enabled before the command.
        const QList<QTreeWidgetItem*> own =
            f.TreeView1->findItems(f.Alias(), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(own.isEmpty());
        f.TreeView1->setCurrentItem(own.first());
        ASSERT_TRUE(f.SendBtn->isEnabled());
        f.Incoming->FirstMsgBtnClick();

        s.run();
        const bool ru = s.language == Language::Russian;
        EXPECT_EQ(f.Language.Current(), s.language);
        EXPECT_EQ(f.Language.Text(Strings::All), ru ? "Всем" : "ALL");
        EXPECT_EQ(f.Russian1->isChecked(), ru);
        EXPECT_EQ(f.English1->isChecked(), !ru);
        EXPECT_EQ(f.RadioGroup1Items->button(0)->text(),
                  ru ? "Один компьютер" : "Single workstation");
        EXPECT_EQ(f.RadioGroup1Items->button(1)->text(),
                  ru ? "Всем пользователям" : "All computers in domain");
        EXPECT_TRUE(f.RadioGroup1Items->button(0)->isChecked());
        EXPECT_EQ(f.Toggle1->text(),
                  s.online ? (ru ? "Присутствую" : "ONLINE") : (ru ? "Отсутствую" : "OFFLINE"));
        EXPECT_EQ(f.CompNameBtn->text(), ru ? "Выбор получателя" : "Select an Recipient");
        EXPECT_FALSE(f.SendBtn->isEnabled());
        // The counters tell where browsing stands, in the new language.
        EXPECT_EQ(f.findChild<QLabel*>("Label2")->text(),
                  ru ? "Сообщение 1 из 2" : "Message 1 of 2");
        EXPECT_EQ(f.findChild<QLabel*>("Label4")->text(),
                  ru ? "Сообщение 1 из 1" : "Message 1 of 1");
        // The same computer can be chosen again at once.
        f.TreeView1->setCurrentItem(own.first());
        EXPECT_EQ(f.CompNameBtn->text(), f.Alias());
        EXPECT_TRUE(f.SendBtn->isEnabled());
    }
    // With everybody chosen, the recipient stays everybody in the new language.
    f.RadioGroup1Items->button(1)->click();
    ASSERT_EQ(f.CompNameBtn->text(), "ALL");
    f.Russian1->trigger();
    EXPECT_EQ(f.CompNameBtn->text(), "Всем");
    EXPECT_FALSE(f.CompNameBtn->isEnabled());
    EXPECT_TRUE(f.SendBtn->isEnabled());
}

TEST(MainFormLanguage, TextsAlreadyBuiltKeepTheirLanguage) {
    OneComputer c;
    TMainForm& f = c.form;
    c.Receive(QStringLiteral("Anna"), QStringLiteral("in English"));
    ASSERT_EQ(f.Messaging->OpenPopups().size(), 1);
    QPointer<TPopupForm> english = f.Messaging->OpenPopups().first();
    f.Russian1->trigger();
    c.Receive(QStringLiteral("Anna"), QStringLiteral("in Russian"));
    ASSERT_EQ(f.Messaging->OpenPopups().size(), 2);
    QPointer<TPopupForm> russian = f.Messaging->OpenPopups().last();
    f.English1->trigger();

    EXPECT_EQ(english->windowTitle(), "Incoming Message (F6)");
    EXPECT_EQ(english->ReplyButton()->text(), "&Reply");
    EXPECT_EQ(russian->windowTitle(), "Новое сообщение (F6)");
    EXPECT_EQ(russian->CloseButton()->text(), "Закрыть");
    // Headers keep the language they were built in, with its way of dates.
    const QString first = FromAnsi(f.Incoming->Store().At(1).Header());
    const QString second = FromAnsi(f.Incoming->Store().At(2).Header());
    EXPECT_TRUE(first.startsWith("Message from Anna to ALL (")) << first.toStdString();
    EXPECT_TRUE(second.startsWith("Сообщение от Anna для Всем (")) << second.toStdString();
    const QString today = QLocale(QLocale::Russian, QLocale::Russia)
                              .toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(second.contains(" (" + today)) << second.toStdString();
    // A popup shown again takes the language of that moment.
    russian->hide();
    russian->show();
    EXPECT_EQ(russian->windowTitle(), "Incoming Message (F6)");
    delete english.data();
    delete russian.data();
}

TEST(ChatLanguage, TheRoomFollowsAtItsNextOpeningAPrivateChatAtItsCreation) {
    OneComputer c;
    TMainForm& f = c.form;
    f.RestoreApplication();
    f.ChatBtn->click();
    TChatForm& room = *f.ChatForm;
    auto privateChat = [&](const QString& nick) {
        room.Room().Slot1MessageAvail(ChatRequestToPrivateDatagram(
            nick, QStringLiteral("FAR"), QString::number(4711 + nick.size())));
        PumpMessagesFor(0); // it opens once the datagram's handling is over
        return room.PrivateChats().isEmpty() ? nullptr : room.PrivateChats().last();
    };
    EXPECT_EQ(ExpectTable(&room, ChatFormCaptions(), Language::English), QStringList());
    TPrivateChatForm* english = privateChat(QStringLiteral("ANNA"));
    ASSERT_NE(english, nullptr);

    f.Russian1->trigger();
    // The open room and the open private chat keep their language.
    ExpectTable(&room, ChatFormCaptions(), Language::English);
    EXPECT_EQ(room.windowTitle(), "Chat");
    ExpectTable(english, PrivateChatFormCaptions(), Language::English);
    TPrivateChatForm* russian = privateChat(QStringLiteral("BORIS"));
    ASSERT_NE(russian, nullptr);
    EXPECT_EQ(ExpectTable(russian, PrivateChatFormCaptions(), Language::Russian), QStringList());
    room.Exit1->trigger();
    f.ChatBtn->click();
    ExpectTable(&room, ChatFormCaptions(), Language::Russian);
    EXPECT_EQ(room.windowTitle(), "Разговор");

    f.English1->trigger();
    ExpectTable(russian, PrivateChatFormCaptions(), Language::Russian);
    EXPECT_EQ(room.windowTitle(), "Разговор");
    // Buttons that show no text are named by their hint, in their language.
    EXPECT_EQ(room.PrivChatBtn->accessibleName(), "Приватный разговор");
    EXPECT_EQ(russian->BeepBtn->accessibleName(), "Подать сигнал собеседнику");
    EXPECT_EQ(english->BeepBtn->accessibleName(), "Beep selected user");
    room.Exit1->trigger();
}

TEST(MainFormLanguage, EveryShownTextHasARussianFormAndComesBackInEnglish) {
    OneComputer c;
    c.form.RestoreApplication();
    const std::map<QString, QString> built = ShownTexts(&c.form);
    c.form.SetLanguage(Language::Russian);
    const std::map<QString, QString> russian = ShownTexts(&c.form);
    // What the table keeps in English in its Russian column, and data.
    QStringList kept{c.form.Alias(), c.form.LocalComputerName()};
    for (const CaptionRow& row : MainFormCaptions())
        kept << row.nationalCaption << DefaultToolTip(row.nationalCaption) << row.nationalHint;
    QStringList untranslated;
    const QRegularExpression keys(QStringLiteral("CTRL-[A-Z]|F5"));
    const QRegularExpression word(QStringLiteral("[A-Za-z]{2}"));
    for (const auto& [where, text] : russian)
        if (QString(text).remove(keys).contains(word) && !kept.contains(text))
            untranslated << where + QStringLiteral(": ") + text;
    EXPECT_TRUE(untranslated.isEmpty()) << untranslated.join(u'\n').toStdString();
    c.form.SetLanguage(Language::English);
    EXPECT_EQ(ShownTexts(&c.form), built);
}
