// Popups, headers, formats and kept messages between simulated computers,
// each a whole main window on its own loopback address.
#include "app/mainform.h"
#include "common/ansicodec.h"
#include "common/dialogservice.h"
#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "editor/composeeditor.h"
#include "editor/editorformat.h"
#include "editor/editortoolbar.h"
#include "editor/messagebody.h"
#include "messaging/bodyview.h"
#include "messaging/messageclient.h"
#include "messaging/messageheader.h"
#include "messaging/messagelistener.h"
#include "messaging/messagingcontroller.h"
#include "messaging/popupform.h"
#include "messaging/sendresult.h"
#include "messaging/storepage.h"
#include "messaging/tmsg.h"
#include "messagingoffice.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTcpServer>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::BodyText;
using corvane::test::KeptInFile;
using corvane::test::kTitle;
using corvane::test::MakeComputers;
using corvane::test::Office;
using corvane::test::Received;
using corvane::test::StoredHeader;
using corvane::test::TestComputer;
using corvane::test::WaitUntil;

TEST(MessagingFlow, PopupsStackAndReplyAnswersTheLastSender) {
    Office office(3, {"Anna", "Boris", "Vera"});
    office.Choose(1, QStringLiteral("Anna"));
    office.Write(1, QStringLiteral("from Boris"));
    office[1].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[0].Incoming, 1); }));
    office.Choose(2, QStringLiteral("Anna"));
    office.Write(2, QStringLiteral("from Vera"));
    office[2].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[0].Incoming, 2); }));
    const auto popups = office[0].Messaging->OpenPopups();
    ASSERT_EQ(popups.size(), 2);
    EXPECT_NE(popups[0]->pos(), popups[1]->pos()); // both can be seen
    EXPECT_NE(popups[0]->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(),
              popups[1]->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text());
    // Reply in the older popup answers the newest sender; with an empty
    // editor Send stays disabled.
    office.ChooseEverybody(0);
    QTest::mouseClick(popups[0]->ReplyButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return office[0].Messaging->OpenPopups().size() == 1; }))
        << office[0].Messaging->OpenPopups().size() << " " << popups[0]->isVisible();
    EXPECT_EQ(office[0].CompNameBtn->text(), QStringLiteral("Vera"));
    EXPECT_TRUE(office[0].RadioGroup1Items->button(0)->isChecked());
    EXPECT_TRUE(office[0].CompNameBtn->isEnabled());
    EXPECT_EQ(office[0].PageControl1->currentWidget(), office[0].TabSheet1);
    EXPECT_FALSE(office[0].SendBtn->isEnabled());
    office.Write(0, QStringLiteral("answer"));
    EXPECT_TRUE(office[0].SendBtn->isEnabled());
}

TEST(MessagingFlow, ReplyFromThePopupThatFirstShowsTheWindowChoosesTheSender) {
    auto computers = MakeComputers(2);
    std::vector<std::unique_ptr<TMainForm>> forms;
    for (auto& c : computers) {
        c->context.timings.openWaitMs = 30;
        forms.push_back(std::make_unique<TMainForm>(c->context));
    }
    TMainForm& anna = *forms[0];
    TMainForm& boris = *forms[1]; // in the tray, never shown: it has heard of nobody
    anna.Options->AliasEdit->setText(QStringLiteral("Anna"));
    anna.RestoreApplication();
    boris.AppActivate();
    const auto outcomes =
        DeliverToAll(computers[0]->context, {computers[1]->context.network.bindAddress.toString()},
                     TMsg{"Anna", "HOST2", "{\\rtf1 hello}", "Anna"}.Encode());
    ASSERT_EQ(outcomes, QList<DeliveryOutcome>{DeliveryOutcome::Delivered});
    ASSERT_TRUE(WaitUntil([&] { return boris.Messaging->OpenPopups().size() == 1; }));
    ASSERT_FALSE(boris.EverShown());
    QTest::mouseClick(boris.Messaging->OpenPopups().first()->ReplyButton(), Qt::LeftButton);
    EXPECT_TRUE(boris.EverShown());
    EXPECT_TRUE(WaitUntil([&] { return boris.CompNameBtn->text() == QStringLiteral("Anna"); }))
        << boris.CompNameBtn->text().toStdString();
    boris.Memo1->setPlainText(QStringLiteral("hi Anna"));
    EXPECT_TRUE(boris.SendBtn->isEnabled());
}

TEST(MessagingFlow, HeaderDateAndTime) {
    LanguageState english;
    const QLocale c(QLocale::C);
    const QDateTime noon(QDate(2026, 12, 7), QTime(9, 5, 1));
    const QDateTime midnight(QDate(2026, 12, 7), QTime(0, 0));
    EXPECT_EQ(MessageHeader(english, QStringLiteral("Anna"), QStringLiteral("*"), noon, c),
              QStringLiteral("Message from Anna to ALL (") + MessageDateTime(noon, c) +
                  QLatin1Char(')'));
    EXPECT_EQ(MessageDateTime(midnight, c), c.toString(midnight.date(), QLocale::ShortFormat));
    // No time zone after the time.
    const QLocale russia(QLocale::Russian, QLocale::Russia);
    EXPECT_EQ(MessageDateTime(noon, russia), QStringLiteral("07.12.2026 09:05:01"));
    EXPECT_EQ(MessageDateTime(noon, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("12/7/26 9:05:01 AM"));
    LanguageState russian;
    russian.SetLanguage(Language::Russian);
    EXPECT_TRUE(MessageHeader(russian, QStringLiteral("Anna"), QStringLiteral("*"), noon, c)
                    .startsWith(QStringLiteral("Сообщение от Anna для Всем (")));
}

TEST(MessagingFlow, EveryFormatOfTheToolbarArrives) {
    Office office(2, {"Anna", "Boris"});
    office.Choose(0, QStringLiteral("Boris"));
    ComposeEditor& editor = *office[0].Editor;
    EditorToolbar& bar = *editor.Panel8;
    // "Жирный курсив" in bold italic underline, 20 points, maroon, a fixed
    // font; a centred paragraph; a bulleted one.
    editor.BoldAction->trigger();
    editor.ItalicAction->trigger();
    editor.UnderlineAction->trigger();
    bar.ComboBox1->setEditText(QStringLiteral("20"));
    bar.ColorComboBox1->setCurrentIndex(1);
    editor.SetFontName(QStringLiteral("DejaVu Sans Mono"));
    office[0].Memo1->insertPlainText(QStringLiteral("Жирный курсив"));
    editor.BoldAction->trigger();
    editor.ItalicAction->trigger();
    editor.UnderlineAction->trigger();
    office[0].Memo1->insertPlainText(QStringLiteral("\nПо центру"));
    bar.CenterAlign->click();
    office[0].Memo1->insertPlainText(QStringLiteral("\nПункт"));
    bar.LeftAlign->click();
    bar.BulletsButton->click();
    ASSERT_TRUE(office[0].SendBtn->isEnabled());
    office[0].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[1].Incoming, 1); }));

    QTextDocument* got = office[1].Incoming->BodyView()->document();
    ASSERT_EQ(got->blockCount(), 3);
    EXPECT_EQ(got->toPlainText(), QStringLiteral("Жирный курсив\nПо центру\nПункт"));
    QTextCursor c(got);
    c.setPosition(2);
    const QTextCharFormat f = c.charFormat();
    EXPECT_EQ(f.fontWeight(), QFont::Bold);
    EXPECT_TRUE(f.fontItalic());
    EXPECT_TRUE(f.fontUnderline());
    EXPECT_EQ(f.fontPointSize(), 20);
    EXPECT_EQ(f.foreground().color(), QColor(0x80, 0, 0));
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), QStringLiteral("DejaVu Sans Mono"));
    c.setPosition(got->findBlockByNumber(1).position() + 2);
    EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(c.charFormat().fontPointSize(), 20);
    EXPECT_EQ(AlignmentValue(got->findBlockByNumber(1).blockFormat().alignment()),
              Alignment::Center);
    EXPECT_EQ(got->findBlockByNumber(1).textList(), nullptr);
    const QTextList* list = got->findBlockByNumber(2).textList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(AlignmentValue(got->findBlockByNumber(2).blockFormat().alignment()), Alignment::Left);
}

TEST(MessagingFlow, PopupsStayBoundedAndABigBodyIsReadOnceForPopupAndPage) {
    Office office(1, {"Boris"});
    HostContext sender;
    sender.network.bindAddress = test::LoopbackAddress(30);
    const QString to = office.computers[0]->context.network.bindAddress.toString();
    const int n = MessagingController::MaxPopups + 3;
    for (int i = 1; i <= n; ++i)
        ASSERT_EQ(DeliverToAll(sender, {to},
                               TMsg{"Anna", "Boris", QByteArray::number(i), "Anna"}.Encode()),
                  QList<DeliveryOutcome>{DeliveryOutcome::Delivered});
    EXPECT_EQ(office[0].Incoming->Store().Count(), n);
    QList<TPopupForm*> open = office[0].Messaging->OpenPopups();
    ASSERT_EQ(open.size(), MessagingController::MaxPopups);
    EXPECT_EQ(open.last()->BodyView()->toPlainText(), QString::number(n)); // the oldest went

    // A big body with a long word: read off the window's thread, once, and
    // shown a page at a time in both views, which break the long word's lines
    // anywhere; the pages hold the whole body.
    QByteArray body = QByteArray(3 * BodyPages::LongWord, 'w');
    while (body.size() < 3 * BodyView::AsyncBytes)
        body += " some ordinary words";
    ASSERT_EQ(DeliverToAll(sender, {to}, TMsg{"Anna", "Boris", body, "Anna"}.Encode()),
              QList<DeliveryOutcome>{DeliveryOutcome::Delivered});
    ASSERT_TRUE(WaitUntil([&] { return office[0].Messaging->Loader().Pending() == 0; }, 30000));
    open = office[0].Messaging->OpenPopups();
    BodyView* views[] = {open.last()->Body(), office[0].Incoming->Body()};
    EXPECT_NE(views[0]->Text()->document(), views[1]->Text()->document());
    for (BodyView* view : views) {
        ASSERT_GT(view->PageCount(), 1);
        EXPECT_EQ(view->Text()->wordWrapMode(), QTextOption::WrapAnywhere);
        QString all;
        for (int page = 0; page < view->PageCount(); ++page, view->NextButton()->click())
            all += view->Text()->toPlainText().remove(QLatin1Char('\n'));
        EXPECT_EQ(all, QString::fromLatin1(body));
    }
}

TEST(MessagingFlow, MessagesAreKeptAndTheSenderIsToldOnlyOnceTheReceiverHasItOnDisk) {
    Office office(2, {"Anna", "Boris"}, true);
    const HostContext& anna = office.computers[0]->context;
    const HostContext& boris = office.computers[1]->context;
    office.Choose(0, QStringLiteral("Boris"));
    office.Write(0, QStringLiteral("Kept for good"));
    int keptWhenTold = -1;
    office.Dialogs(0).onShow = [&](const test::ShownBox&) {
        keptWhenTold = KeptInFile(boris, StoreKind::Incoming);
    };
    office[0].SendBtn->click();
    EXPECT_EQ(office.Boxes(0, QStringLiteral("Message successfully sent!")), 1);
    EXPECT_EQ(keptWhenTold, 1);
    EXPECT_EQ(KeptInFile(anna, StoreKind::Outgoing), 1);

    // Anna's copy starts again on the kept message.
    office.forms[0].reset();
    office.forms[0] = std::make_unique<TMainForm>(office.computers[0]->context);
    EXPECT_EQ(office[0].Outgoing->CounterLabel()->text(), "Message 1 of 1");

    // Switching the keeping off asks; only Yes deletes the file, and the
    // message stays on the page until the end of the run.
    QCheckBox* keep = office[1].Options->CheckBox8;
    const QString file = QDir(boris.historyDir).filePath(MessageHistory::FileName);
    ASSERT_TRUE(keep->isChecked());
    for (auto answer : {DialogService::No, DialogService::Yes}) {
        office.Dialogs(1).answers = {answer};
        keep->click();
        const bool yes = answer == DialogService::Yes;
        EXPECT_EQ(keep->isChecked(), !yes);
        EXPECT_EQ(QFileInfo::exists(file), !yes);
        EXPECT_EQ(office[1].Incoming->Store().Count(), 1);
    }
    EXPECT_EQ(office.Dialogs(1).shown.size(), 2u);
    EXPECT_EQ(office.Dialogs(1).shown.back().icon, DialogService::Icon::Question);
}
