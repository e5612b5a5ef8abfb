// The chat windows of simulated computers, driven as a person drives them:
// the main window's chat command, typing, the member list and its commands,
// private chat windows on both sides, saving, and departures when the
// program ends.
#include "app/mainform.h"
#include "chat/chatform.h"
#include "chat/privatechatform.h"
#include "common/timedwait.h"
#include "settings/optionspage.h"
#include "support/filelimits.h"
#include "support/testcontext.h"
#include "transport/mailslot.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::WaitUntil;

namespace {

class ChatWindowTest : public ::testing::Test {
protected:
    void Make(int n) {
        computers = test::MakeComputers(n);
        for (auto& c : computers) {
            c->context.timings.presenceFirstMs = 600000;
            forms.push_back(std::make_unique<TMainForm>(c->context));
            forms.back()->Options->CheckBox1->setChecked(false); // no exit question
        }
    }
    void TearDown() override {
        forms.clear();
        computers.clear();
    }
    TChatForm& Chat(int i) { return *forms[size_t(i)]->ChatForm; }
    QStringList Members(int i) {
        QStringList out;
        for (int r = 0; r < Chat(i).ListView1->count(); ++r)
            out << Chat(i).ListView1->item(r)->text();
        return out;
    }
    bool Lists(int i, const QStringList& expected) {
        return WaitUntil([&] { return Members(i) == expected; });
    }
    static QStringList Lines(QTextEdit* memo) {
        return memo->toPlainText().split(QLatin1Char('\n'));
    }
    static bool Shows(QTextEdit* memo, const QString& line) {
        return WaitUntil([&] { return Lines(memo).contains(line); });
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void Select(int i, const QString& nick) {
        const auto items = Chat(i).ListView1->findItems(nick, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        Chat(i).ListView1->setCurrentItem(items.first());
    }

    std::vector<std::unique_ptr<test::TestComputer>> computers;
    std::vector<std::unique_ptr<TMainForm>> forms;
};

// The colour of the first character of the line with this text.
QColor ColourOf(QTextEdit* memo, const QString& line) {
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
        if (b.text() == line)
            return b.begin().fragment().charFormat().foreground().color();
    return {};
}

} // namespace

TEST_F(ChatWindowTest, TwoRoomsChatBeepAndOpenPrivateChats) {
    Make(2);
    EXPECT_FALSE(Chat(0).isVisible());
    forms[0]->ChatBtn->click();
    ASSERT_TRUE(Chat(0).isVisible());
    EXPECT_EQ(Chat(0).windowTitle(), "Chat");
    EXPECT_EQ(Chat(0).Edit2->text(), "HOST1");
    EXPECT_TRUE(Chat(0).Room().DispSysMessages);
    ASSERT_TRUE(Lists(0, {"HOST1"}));
    forms[1]->ChatBtn->click();
    ASSERT_TRUE(Lists(1, {"HOST2", "HOST1"}));
    ASSERT_TRUE(Lists(0, {"HOST1", "HOST2"}));
    const QString arrival = "USER \"HOST2\" HAS ENTERED TO THE CHAT.";
    ASSERT_TRUE(Shows(Chat(0).Memo1, arrival));
    EXPECT_EQ(ColourOf(Chat(0).Memo1, arrival), QColor(0, 128, 0));

    Type(Chat(1).Edit1, "hello");
    EXPECT_TRUE(Chat(1).Edit1->text().isEmpty());
    ASSERT_TRUE(Shows(Chat(0).Memo1, "HOST2> hello"));
    ASSERT_TRUE(Shows(Chat(1).Memo1, "HOST2> hello"));
    EXPECT_NE(ColourOf(Chat(0).Memo1, "HOST2> hello"), QColor(0, 128, 0));

    // The member commands apply to another member's entry only.
    EXPECT_FALSE(Chat(0).PrivChatBtn->isEnabled());
    Select(0, "HOST1");
    EXPECT_FALSE(Chat(0).BeepUserBtn->isEnabled());
    EXPECT_FALSE(Chat(0).PrivReqMenu->isEnabled());
    Select(0, "HOST2");
    for (QAction* a : {Chat(0).PrivReqMenu, Chat(0).BeepMenu, Chat(0).PrivateChat1, Chat(0).Beep1})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(Chat(0).PrivChatBtn->isEnabled());
    Chat(0).BeepUserBtn->click();
    EXPECT_TRUE(
        WaitUntil([&] { return computers[1]->sound.played == QStringList{"ChatBeep.Wav"}; }));
    EXPECT_EQ(computers[0]->sound.played, QStringList{"ChatBeep.Wav"});

    // A private chat opens on both sides at once.
    Chat(0).PrivChatBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Chat(1).PrivateChats().size() == 1; }));
    ASSERT_EQ(Chat(0).PrivateChats().size(), 1);
    TPrivateChatForm* mine = Chat(0).PrivateChats().first();
    TPrivateChatForm* theirs = Chat(1).PrivateChats().first();
    EXPECT_EQ(mine->windowTitle(), "Private Chat (HOST1,HOST2)");
    EXPECT_EQ(theirs->windowTitle(), "Private Chat (HOST2,HOST1)");
    EXPECT_EQ(mine->SlotName(), theirs->SlotName());
    Type(theirs->Edit1, "psst");
    ASSERT_TRUE(Shows(mine->Memo1, "HOST2> psst"));
    ASSERT_TRUE(Shows(theirs->Memo1, "HOST2> psst"));
    // The room saw nothing of it.
    EXPECT_FALSE(Lines(Chat(0).Memo1).contains("HOST2> psst"));

    // The other side leaves: the departure shows after an empty line; the
    // next line tells the user and closes the window.
    theirs->close();
    ASSERT_TRUE(Shows(mine->Memo1, "USER \"HOST2\" HAS LEFT THE CHAT"));
    EXPECT_EQ(Lines(mine->Memo1).mid(1), QStringList({"", "USER \"HOST2\" HAS LEFT THE CHAT"}));
    QPointer<TPrivateChatForm> guard(mine);
    Type(mine->Edit1, "anyone?");
    ASSERT_EQ(computers[0]->dialogs.shown.size(), 1u);
    const test::ShownBox& box = computers[0]->dialogs.shown[0];
    EXPECT_EQ(box.text, "Other side has left the chat!");
    EXPECT_EQ(box.title, "Corvane Messenger");
    EXPECT_EQ(box.icon, DialogService::Icon::Warning);
    EXPECT_TRUE(guard.isNull() || !guard->isVisible());
    EXPECT_TRUE(Chat(0).PrivateChats().isEmpty());
}

TEST_F(ChatWindowTest, SavingClearingAndLeaving) {
    Make(2);
    forms[0]->ChatBtn->click();
    forms[1]->ChatBtn->click();
    ASSERT_TRUE(Lists(0, {"HOST1", "HOST2"}));
    Type(Chat(0).Edit1, QStringLiteral("Привет"));
    ASSERT_TRUE(Shows(Chat(0).Memo1, QStringLiteral("HOST1> Привет")));

    // Saved as rich text whatever the name says; cancelling saves nothing.
    const QString path = computers[0]->dir.filePath("chat.txt");
    computers[0]->dialogs.fileNames = {path};
    Chat(0).SaveToFile1->trigger();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("\\red0\\green128\\blue0")) << rtf.constData();
    // A save cut short by a size limit says so and keeps the saved room.
    computers[0]->dialogs.fileNames = {path};
    {
        test::FileSizeLimit limit(rlim_t(rtf.size() / 2));
        Chat(0).SaveToFile1->trigger();
    }
    ASSERT_EQ(computers[0]->dialogs.shown.size(), 1u);
    EXPECT_EQ(computers[0]->dialogs.shown[0].text,
              QStringLiteral("Cannot write %1: File too large.").arg(path));
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), rtf);
    computers[0]->dialogs.shown.clear();
    Chat(0).SaveToFile1->trigger(); // no name: nothing happens
    EXPECT_TRUE(computers[0]->dialogs.shown.empty());

    Chat(0).ClearBtn->click();
    EXPECT_TRUE(Chat(0).Memo1->toPlainText().isEmpty());
    EXPECT_EQ(Members(0), QStringList({"HOST1", "HOST2"}));

    // Switching system messages off: later departures are silent.
    Chat(0).DispSysMenu->trigger();
    EXPECT_FALSE(Chat(0).Room().DispSysMessages);

    // Renaming in the nick-name field, announced when the field is left.
    Chat(1).Edit2->setFocus();
    Chat(1).Edit2->setText("BORIS");
    QTest::keyClick(Chat(1).Edit2, Qt::Key_Return); // Enter moves to the message line
    EXPECT_TRUE(Chat(1).Edit1->hasFocus() || !Chat(1).isActiveWindow());
    ASSERT_TRUE(Lists(0, {"HOST1", "BORIS"}));
    EXPECT_TRUE(Chat(0).Memo1->toPlainText().isEmpty());

    // The program ends with the room and a private chat open: both say
    // goodbye, so the other side keeps no member that has left.
    Select(0, "BORIS");
    Chat(0).PrivReqMenu->trigger();
    ASSERT_TRUE(WaitUntil([&] { return Chat(1).PrivateChats().size() == 1; }));
    TPrivateChatForm* theirs = Chat(1).PrivateChats().first();
    forms[0]->SessionClose();
    EXPECT_FALSE(Chat(0).isVisible());
    EXPECT_TRUE(Lists(1, {"BORIS"}));
    EXPECT_TRUE(Shows(theirs->Memo1, "USER \"HOST1\" HAS LEFT THE CHAT"));
}

TEST_F(ChatWindowTest, EveryControlIsNamedAndTheLanguageComesFromTheMainWindow) {
    Make(2);
    QStringList stored; // what the settings store was asked to do, in order
    Chat(0).RestoreFormSettings = [&](QWidget* w) {
        // The stored place is applied before the window appears.
        stored << (w->isVisible() ? "restore shown " : "restore ") + w->objectName();
    };
    Chat(0).SaveFormSettings = [&](QWidget* w) { stored << "save " + w->objectName(); };
    forms[0]->Language.SetLanguage(Language::Russian);
    forms[0]->ChatBtn->click();
    forms[0]->ChatBtn->click(); // already shown: nothing restored again
    forms[1]->ChatBtn->click();
    ASSERT_TRUE(Lists(0, {"HOST1", "HOST2"}));
    EXPECT_EQ(Chat(0).windowTitle(), QStringLiteral("Разговор"));
    EXPECT_EQ(Chat(0).Label1->text(), QStringLiteral("&Псевдоним:"));
    EXPECT_EQ(Chat(0).PrivChatBtn->toolTip(), QStringLiteral("Приватный разговор"));
    EXPECT_EQ(Chat(0).Edit1->toolTip(), "Enter message text here"); // not in the table
    EXPECT_EQ(Chat(0).Edit1->accessibleName(), QStringLiteral("Текст сообщения"));
    EXPECT_EQ(Chat(0).Memo1->accessibleName(), QStringLiteral("Сообщения разговора"));
    EXPECT_EQ(Chat(1).OnTopMenu->text(), "&Always on Top");
    Select(0, "HOST2");
    Chat(0).PrivReqMenu->trigger();
    ASSERT_TRUE(WaitUntil([&] { return Chat(1).PrivateChats().size() == 1; }));
    TPrivateChatForm* mine = Chat(0).PrivateChats().first();
    EXPECT_EQ(mine->windowTitle(), QStringLiteral("Приватный разговор (HOST1,HOST2)"));
    EXPECT_EQ(mine->BeepBtn->toolTip(), QStringLiteral("Подать сигнал собеседнику"));
    // The requested side writes its caption in English.
    EXPECT_EQ(Chat(1).PrivateChats().first()->windowTitle(), "Private Chat (HOST2,HOST1)");

    for (QWidget* window : {static_cast<QWidget*>(&Chat(0)), static_cast<QWidget*>(mine)}) {
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window))
                continue;
            bool labelled = !w->accessibleName().isEmpty();
            for (QLabel* l : window->findChildren<QLabel*>())
                labelled = labelled || l->buddy() == w;
            EXPECT_TRUE(labelled) << w->objectName().toStdString();
        }
    }
    // Always on top, set and taken back.
    Chat(0).OnTopMenu->trigger();
    EXPECT_TRUE(Chat(0).windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(Chat(0).isVisible());
    Chat(0).OnTopMenu->trigger();
    EXPECT_FALSE(Chat(0).windowFlags() & Qt::WindowStaysOnTopHint);

    mine->close();
    Chat(0).Exit1->trigger();
    EXPECT_FALSE(Chat(0).isVisible());
    EXPECT_EQ(stored, QStringList({"restore TChatForm", "restore TPrivateChatForm",
                                   "save TPrivateChatForm", "save TChatForm"}));
}

TEST_F(ChatWindowTest, CtrlXExitsFromEveryFieldAndCutStaysInTheContextMenu) {
    Make(1);
    TChatForm& chat = Chat(0);
    for (QWidget* field :
         std::initializer_list<QWidget*>{chat.Edit1, chat.Edit2, chat.ListView1, chat.Memo1}) {
        forms[0]->ChatBtn->click();
        chat.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
        auto* line = qobject_cast<QLineEdit*>(field);
        const QString text = line ? line->text() + QStringLiteral("xyz") : QString();
        if (line) {
            line->setText(text);
            line->selectAll();
        }
        field->setFocus();
        QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
        EXPECT_FALSE(chat.isVisible()) << field->objectName().toStdString();
        if (line) {
            EXPECT_EQ(line->text(), text) << field->objectName().toStdString();
        }
    }
    // The line's own context menu still cuts.
    forms[0]->ChatBtn->click();
    chat.Edit1->setText(QStringLiteral("cut me"));
    chat.Edit1->selectAll();
    chat.Edit1->cut();
    EXPECT_TRUE(chat.Edit1->text().isEmpty());
}

TEST_F(ChatWindowTest, FloodsOfLinesAndRequestsStayBounded) {
    Make(1);
    forms[0]->ChatBtn->click();
    ChatRoom& room = Chat(0).Room();
    const int lines = ChatBounds::MaxTextLines + 50;
    for (int i = 0; i < lines; ++i)
        room.Slot1MessageAvail(ChatUserMessageSentDatagram("X", QString::number(i)));
    // The oldest lines went; the newest is last and in view.
    QTextDocument* doc = Chat(0).Memo1->document();
    EXPECT_EQ(doc->blockCount(), ChatBounds::MaxTextLines);
    EXPECT_EQ(doc->lastBlock().text(), QStringLiteral("X> %1").arg(lines - 1));
    EXPECT_EQ(Chat(0).Memo1->verticalScrollBar()->value(),
              Chat(0).Memo1->verticalScrollBar()->maximum());

    // Requests for private chats open windows up to a bound, each on its slot.
    // They open once the datagram's handling is over.
    for (int i = 0; i < ChatBounds::MaxPrivateChats + 5; ++i)
        room.Slot1MessageAvail(
            ChatRequestToPrivateDatagram("X", "NOWHERE", QString::number(1000 + i)));
    EXPECT_TRUE(Chat(0).PrivateChats().isEmpty());
    PumpMessagesFor(0);
    EXPECT_EQ(Chat(0).PrivateChats().size(), ChatBounds::MaxPrivateChats);
    // A request naming a slot that is taken opens a window that cannot send.
    Chat(0).PrivateChats().first()->close();
    room.Slot1MessageAvail(ChatRequestToPrivateDatagram("X", "NOWHERE", "1001"));
    PumpMessagesFor(0);
    TPrivateChatForm* deaf = Chat(0).PrivateChats().last();
    EXPECT_EQ(deaf->SlotName(), "1001");
    EXPECT_FALSE(deaf->Chat().IsOpen());
}

TEST_F(ChatWindowTest, ARoomThatCannotListenShowsTheErrorAndAnnouncesNothing) {
    Make(2);
    TmdSecureMail taken(*computers[0]->context.datagrams);
    taken.SetSlot(QStringLiteral("CHATSLOT3"));
    taken.Open();
    forms[1]->ChatBtn->click();
    ASSERT_TRUE(Lists(1, {"HOST2"}));
    forms[0]->ChatBtn->click();
    EXPECT_TRUE(Chat(0).isVisible());
    EXPECT_FALSE(Chat(0).Room().IsOpen());
    ASSERT_EQ(computers[0]->dialogs.shown.size(), 1u);
    EXPECT_EQ(computers[0]->dialogs.shown[0].text, "Mailslot allready exists.");
    EXPECT_EQ(computers[0]->dialogs.shown[0].icon, DialogService::Icon::Stop);
    Chat(0).close();
    Type(Chat(1).Edit1, "marker");
    ASSERT_TRUE(Shows(Chat(1).Memo1, "HOST2> marker"));
    EXPECT_EQ(Members(1), QStringList({"HOST2"}));
    EXPECT_FALSE(Lines(Chat(1).Memo1).contains("USER \"HOST1\" HAS LEFT THE CHAT."));
}

// All private chats together hold a bounded amount of text: a flooded one
// gives up its oldest lines, the quiet one keeps its own.
TEST_F(ChatWindowTest, PrivateChatsShareOneBoundOfText) {
    Make(1);
    forms[0]->ChatBtn->click();
    TPrivateChatForm* quiet = Chat(0).OpenPrivateChat({"FAR", "ANNA", "1001", false});
    TPrivateChatForm* flooded = Chat(0).OpenPrivateChat({"FAR", "BORIS", "1002", false});
    ASSERT_TRUE(quiet && flooded);
    quiet->Chat().Slot1MessageAvail(ChatUserMessageSentDatagram("ANNA", "kept"));
    const QString line(ChatBounds::MaxLineLength, 'w');
    const int lines = ChatTextBudget::MaxCharacters / ChatBounds::MaxLineLength + 20;
    for (int i = 0; i < lines; ++i)
        flooded->Chat().Slot1MessageAvail(
            ChatUserMessageSentDatagram("BORIS", QString::number(i) + line));
    const int total =
        quiet->Memo1->document()->characterCount() + flooded->Memo1->document()->characterCount();
    EXPECT_LE(total, ChatTextBudget::MaxCharacters);
    EXPECT_GT(total, ChatTextBudget::MaxCharacters - 2 * ChatBounds::MaxLineLength);
    EXPECT_EQ(quiet->Memo1->document()->firstBlock().text(), "ANNA> kept");
    EXPECT_FALSE(flooded->Memo1->document()->firstBlock().text().startsWith("BORIS> 0w"));
    EXPECT_TRUE(flooded->Memo1->document()->lastBlock().text().startsWith(
        QStringLiteral("BORIS> %1w").arg(lines - 1)));
}
