// Messages between simulated computers, each a whole main window on its own
// loopback address.
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

TEST(MessagingFlow, ToOneComputerWithHeadersOnBothSides) {
    Office office(3, {"Anna", "Boris", "Vera"});
    office.Choose(0, QStringLiteral("Boris"));
    office[0].Memo1->setHtml(
        QStringLiteral("<b>Hello</b>, <span style='color:#c00000'>Boris</span>"));
    ASSERT_TRUE(office[0].SendBtn->isEnabled());
    office[0].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[1].Incoming, 1); }));
    PumpMessagesFor(100);
    EXPECT_EQ(office[2].Incoming->Store().Count(), 0);
    EXPECT_EQ(office[0].Incoming->Store().Count(), 0);
    EXPECT_EQ(office[0].Outgoing->Store().Count(), 1);
    EXPECT_TRUE(StoredHeader(*office[0].Outgoing, 1)
                    .startsWith(QStringLiteral("Message from Anna to Boris (")));
    EXPECT_TRUE(StoredHeader(*office[1].Incoming, 1)
                    .startsWith(QStringLiteral("Message from Anna to Boris (")));
    const QByteArray body = office[1].Incoming->Store().At(1).Body();
    EXPECT_TRUE(LooksLikeRtf(body));
    EXPECT_EQ(BodyText(body), QStringLiteral("Hello, Boris"));
    // The formatting arrives with the text and shows in the incoming view.
    QTextCursor cursor(office[1].Incoming->BodyView()->document());
    cursor.setPosition(2);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    cursor.setPosition(9);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(0xC0, 0, 0));
    // The confirmation came only because the target got the record.
    EXPECT_EQ(office.Boxes(0, QStringLiteral("Message successfully sent!")), 1);
    EXPECT_EQ(office[1].Messaging->OpenPopups().size(), 1);
    EXPECT_EQ(office.computers[1]->sound.played, QStringList{QStringLiteral("Message.Wav")});
    EXPECT_EQ(office[1].Messaging->LastSender, QStringLiteral("Anna"));
}

TEST(MessagingFlow, ToAGroupAndToEverybody) {
    Office office(3, {"Anna", "Boris", "Vera"});
    office.Choose(0, QStringLiteral("General"));
    office.Write(0, QStringLiteral("to the group"));
    office[0].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] {
        return Received(*office[0].Incoming, 1) && Received(*office[1].Incoming, 1) &&
               Received(*office[2].Incoming, 1);
    }));
    EXPECT_TRUE(StoredHeader(*office[2].Incoming, 1)
                    .startsWith(QStringLiteral("Message from Anna to General (")));

    office.ChooseEverybody(0);
    EXPECT_EQ(office[0].CompNameBtn->text(), QStringLiteral("ALL"));
    office.Write(0, QStringLiteral("to everybody"));
    office[0].SendBtn->click();
    // The sender is in its own tree, so it gets its own message too.
    ASSERT_TRUE(WaitUntil([&] {
        return Received(*office[0].Incoming, 2) && Received(*office[1].Incoming, 2) &&
               Received(*office[2].Incoming, 2);
    }));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(StoredHeader(*office[i].Incoming, 2)
                        .startsWith(QStringLiteral("Message from Anna to ALL (")));
    EXPECT_TRUE(StoredHeader(*office[0].Outgoing, 2)
                    .startsWith(QStringLiteral("Message from Anna to ALL (")));
}

TEST(MessagingFlow, AutomaticAnswerGoesBackAndIsNotAnsweredAgain) {
    Office office(2, {"Anna", "Boris"});
    // Both answer automatically: the answer must not bounce for ever.
    for (int i = 0; i < 2; ++i)
        office[i].Options->CheckBox6->setChecked(true);
    EXPECT_TRUE(office[1].Options->RichEdit1->isVisibleTo(office[1].TabSheet5));
    EXPECT_FALSE(office[1].Memo1->isEnabled());
    office[1].Options->RichEdit1->setPlainText(QStringLiteral("Out until Monday"));
    office[0].Options->CheckBox6->setChecked(false);
    office.Choose(0, QStringLiteral("Boris"));
    office.Write(0, QStringLiteral("Are you there?"));
    office[0].Options->CheckBox6->setChecked(true);
    office[0].Messaging->SendBtnClick();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[0].Incoming, 1); }));
    PumpMessagesFor(300);
    EXPECT_EQ(office[1].Incoming->Store().Count(), 1);
    EXPECT_EQ(office[0].Incoming->Store().Count(), 1);
    const QByteArray answer = office[0].Incoming->Store().At(1).Body();
    EXPECT_EQ(answer, QByteArray("Auto Answer:\r\rOut until Monday"));
    EXPECT_EQ(office[1].Messaging->LastSender, QStringLiteral("Anna"));
    // No popup while answering automatically; the answering side chose Anna.
    EXPECT_TRUE(office[1].Messaging->OpenPopups().isEmpty());
    EXPECT_EQ(office[1].CompNameBtn->text(), QStringLiteral("Anna"));
    EXPECT_EQ(office[1].Outgoing->Store().Count(), 0);
}

TEST(MessagingFlow, OfflineMeansNoPopupNoSoundButFiledAndAnswered) {
    Office office(2, {"Anna", "Boris"});
    office[1].Toggle1->click();
    ASSERT_FALSE(office[1].OnlineFlag);
    office[1].Options->CheckBox6->setChecked(true);
    office.Choose(0, QStringLiteral("Boris"));
    office.Write(0, QStringLiteral("ping"));
    office[0].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[0].Incoming, 1); }));
    EXPECT_EQ(office[1].Incoming->Store().Count(), 1);
    EXPECT_TRUE(office.computers[1]->sound.played.isEmpty());
    EXPECT_TRUE(office[1].Messaging->OpenPopups().isEmpty());
    // Without the automatic answer: still no popup while offline.
    office[1].Options->CheckBox6->setChecked(false);
    office[0].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[1].Incoming, 2); }));
    EXPECT_TRUE(office[1].Messaging->OpenPopups().isEmpty());
    EXPECT_TRUE(office.computers[1]->sound.played.isEmpty());
}

TEST(MessagingFlow, AFailedAutomaticAnswerLosesNothingAndIsToldAfterFiling) {
    Office office(2, {"Anna", "Boris"});
    TMainForm& boris = office[1];
    boris.Options->CheckBox6->setChecked(true);
    // The message comes from a computer that takes no messages itself.
    TestComputer mute(QStringLiteral("MUTE"), 9, {});
    int filedWhenTold = -1;
    int soundsWhenTold = -1;
    office.Dialogs(1).onShow = [&](const test::ShownBox&) {
        filedWhenTold = boris.Incoming->Store().Count();
        soundsWhenTold = int(office.computers[1]->sound.played.size());
    };
    DeliverToAll(mute.context, {office.computers[1]->context.network.bindAddress.toString()},
                 TMsg{"Anna", "Boris", "{\\rtf1 hello}", "Anna"}.Encode());
    ASSERT_TRUE(
        WaitUntil([&] { return office.Boxes(1, QStringLiteral("Message did not send!")) == 1; }));
    EXPECT_EQ(filedWhenTold, 1);
    EXPECT_EQ(soundsWhenTold, 1);
}

// The names inside a record cannot aim the automatic answer: it goes back to
// the address the record came from, whoever the record claims to be from.
TEST(MessagingFlow, TheAutomaticAnswerGoesOnlyWhereTheRecordCameFrom) {
    Office office(3, {"Anna", "Boris", "Vera"});
    office[1].Options->CheckBox6->setChecked(true);
    TestComputer stranger(QStringLiteral("STRANGER"), 9, {});
    MessageListener listener(stranger.context);
    ASSERT_TRUE(listener.Listen());
    QByteArrayList answers;
    QObject::connect(&listener, &MessageListener::RecordArrived,
                     [&](const QByteArray& r, const QHostAddress&) { answers << r; });
    struct Case {
        QByteArray claimedSender;
        QString recipientAfter;
    };
    const Case cases[] = {
        {"Stranger", QStringLiteral("Select an Recipient")}, // listed nowhere
        {"Vera", QStringLiteral("Vera")},                    // another computer's alias
        {"General", QStringLiteral("General")},              // a whole group
    };
    for (const Case& c : cases) {
        answers.clear();
        const auto outcomes = DeliverToAll(
            stranger.context, {office.computers[1]->context.network.bindAddress.toString()},
            TMsg{c.claimedSender, "Boris", "{\\rtf1 hi}", c.claimedSender}.Encode());
        ASSERT_EQ(outcomes, QList<DeliveryOutcome>{DeliveryOutcome::Delivered});
        ASSERT_TRUE(WaitUntil([&] { return answers.size() == 1; })) << c.claimedSender.constData();
        EXPECT_EQ(TMsg::Decode(answers[0]).Recipient, c.claimedSender);
        // The answer still chooses the named node on the Compose page.
        EXPECT_EQ(office[1].CompNameBtn->text(), c.recipientAfter);
    }
    PumpMessagesFor(200);
    EXPECT_EQ(answers.size(), 1);
    EXPECT_EQ(office[0].Incoming->Store().Count(), 0);
    EXPECT_EQ(office[2].Incoming->Store().Count(), 0);
    EXPECT_EQ(office[1].Incoming->Store().Count(), 3); // not its own answers
}

TEST(MessagingFlow, TheCaptionDecidesWhenNothingIsSelected) {
    Office office(3, {"Anna", "Boris", "Vera"});
    office.Choose(0, QStringLiteral("Boris"));
    // "Apply new name" rebuilds the tree: the caption stays, the selection goes.
    office[0].Presence->ApplyBtnClick();
    ASSERT_TRUE(WaitUntil([&] { return office[0].Presence->Tree().ComputerCount() == 3; }));
    ASSERT_EQ(office[0].CompNameBtn->text(), QStringLiteral("Boris"));
    office.Write(0, QStringLiteral("only Boris"));
    office[0].SendBtn->click();
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[1].Incoming, 1); }));
    PumpMessagesFor(200);
    EXPECT_EQ(office[0].Incoming->Store().Count(), 0);
    EXPECT_EQ(office[2].Incoming->Store().Count(), 0);

    // A caption that names nobody any more sends nothing and keeps the text.
    office[0].Presence->Tree().Clear();
    office[0].Options->CheckBox5->setChecked(true);
    office.Write(0, QStringLiteral("kept"));
    office[0].SendBtn->click();
    EXPECT_EQ(office.Boxes(0, QStringLiteral("Message did not send!")), 1);
    EXPECT_EQ(office[0].Memo1->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(office[0].Outgoing->Store().Count(), 1);
}

TEST(MessagingFlow, AGroupWithoutComputersSendsNothing) {
    auto computers = MakeComputers(1);
    TMainForm form(computers[0]->context);
    const QList<QTreeWidgetItem*> general =
        form.TreeView1->findItems(QStringLiteral("General"), Qt::MatchExactly);
    ASSERT_EQ(general.size(), 1);
    form.TreeView1->setCurrentItem(general[0]);
    form.Options->CheckBox5->setChecked(true);
    form.Memo1->setPlainText(QStringLiteral("to an empty group"));
    form.SendBtn->click();
    EXPECT_EQ(computers[0]->dialogs.Count(QStringLiteral("Message did not send!")), 1);
    EXPECT_EQ(form.Memo1->toPlainText(), QStringLiteral("to an empty group"));
    EXPECT_EQ(form.Outgoing->Store().Count(), 0);
}

TEST(MessagingFlow, WhatChangesDuringTheSendDoesNotChangeTheSentMessage) {
    Office office(2, {"Anna", "Boris"});
    office.Choose(0, QStringLiteral("Boris"));
    office[0].Options->CheckBox5->setChecked(true);
    office.Write(0, QStringLiteral("first"));
    // While the confirmation is up the user picks everybody and types on.
    office.Dialogs(0).onShow = [&](const test::ShownBox&) {
        office.ChooseEverybody(0);
        office[0].Options->AliasEdit->setText(QStringLiteral("Anya"));
        office[0].Memo1->moveCursor(QTextCursor::End);
        office[0].Memo1->insertPlainText(QStringLiteral(" and more"));
    };
    office[0].SendBtn->click();
    ASSERT_EQ(office.Boxes(0, QStringLiteral("Message successfully sent!")), 1);
    EXPECT_TRUE(StoredHeader(*office[0].Outgoing, 1)
                    .startsWith(QStringLiteral("Message from Anna to Boris (")));
    EXPECT_EQ(office[0].Memo1->toPlainText(), QStringLiteral("first and more"));
}

TEST(MessagingFlow, OwnMessagesAreNotAnsweredAutomatically) {
    Office office(2, {"Anna", "Boris"});
    office[0].Options->CheckBox6->setChecked(true);
    TMainForm& anna = office[0];
    office.ChooseEverybody(0);
    anna.Messaging->SendToRecipients(QStringLiteral("Anna"), QStringLiteral("*"), "{\\rtf1 x}");
    ASSERT_TRUE(
        WaitUntil([&] { return Received(*anna.Incoming, 1) && Received(*office[1].Incoming, 1); }));
    PumpMessagesFor(300);
    EXPECT_EQ(office[1].Incoming->Store().Count(), 1); // Anna did not answer herself
}

TEST(MessagingFlow, FailedTargetsAreToldOneByOneAndTheOthersStillReceive) {
    Office office(3, {"Anna", "Boris", "Vera"});
    // Vera's copy goes away without a word: her listener stops.
    office[2].MsgServer->Close();
    // Boris is listed under a name that does not resolve.
    office[0].Presence->Tree().FindComputerNode(QStringLiteral("Boris"))->Record()->ComputerName =
        QStringLiteral("no-such-host.invalid");
    office.computers[0]->context.resolver.Forget(QStringLiteral("no-such-host.invalid"));
    office.ChooseEverybody(0);
    office.Write(0, QStringLiteral("to all"));
    office[0].SendBtn->click();
    EXPECT_EQ(office.Boxes(0, QStringLiteral("Message did not send!")), 2);
    EXPECT_EQ(office.Boxes(0, QStringLiteral("Message successfully sent!")), 0);
    for (const auto& box : office.Dialogs(0).shown) {
        EXPECT_EQ(box.title, kTitle);
        EXPECT_EQ(box.icon, DialogService::Icon::Stop);
    }
    ASSERT_TRUE(WaitUntil([&] { return Received(*office[0].Incoming, 1); }));
    EXPECT_EQ(office[0].Outgoing->Store().Count(), 1); // still filed
}

TEST(MessagingFlow, AMessageSomeoneMissedIsFiledSayingWhoAndWhy) {
    Office office(3, {"Anna", "Boris", "Vera"});
    office[2].MsgServer->Close(); // nothing listens on Vera's computer
    office[0].Presence->Tree().FindComputerNode(QStringLiteral("Boris"))->Record()->ComputerName =
        QStringLiteral("no-such-host.invalid");
    office.computers[0]->context.resolver.Forget(QStringLiteral("no-such-host.invalid"));
    office[0].Options->CheckBox5->setChecked(true);
    struct Case {
        const char* choose;
        QStringList boxes;
        const char* missed;
    } cases[] = {
        {"Vera", {"Message did not send!\nHOST3 (Vera): connection refused"}, "Vera"},
        {nullptr,
         {"Message did not send!\nno-such-host.invalid (Boris): unknown computer",
          "Message did not send!\nHOST3 (Vera): connection refused"},
         "Boris, Vera"},
    };
    int filed = 0;
    for (const Case& c : cases) {
        office.Dialogs(0).shown.clear();
        if (c.choose)
            office.Choose(0, QLatin1String(c.choose));
        else
            office.ChooseEverybody(0);
        office.Write(0, QStringLiteral("text"));
        office[0].SendBtn->click();
        QStringList boxes;
        for (const auto& box : office.Dialogs(0).shown)
            boxes << box.text;
        EXPECT_EQ(boxes, c.boxes) << c.missed;
        // Filed, with a header that names whoever missed it; the text stays
        // in the editor to go again.
        ASSERT_EQ(office[0].Outgoing->Store().Count(), ++filed);
        EXPECT_TRUE(
            StoredHeader(*office[0].Outgoing, filed)
                .endsWith(QStringLiteral(") — not delivered to ") + QLatin1String(c.missed)))
            << StoredHeader(*office[0].Outgoing, filed).toStdString();
        // Shown on a line of its own, so it stays readable at any width.
        EXPECT_EQ(office[0].Outgoing->DeliveryMark()->text(),
                  QStringLiteral("not delivered to ") + QLatin1String(c.missed));
        EXPECT_TRUE(office[0].Outgoing->DeliveryMark()->isVisibleTo(office[0].TabSheet3));
        EXPECT_TRUE(office[0].Outgoing->HeaderLine()->text().endsWith(QLatin1Char(')')));
        EXPECT_EQ(office[0].Memo1->toPlainText(), QStringLiteral("text"));
    }
    // Delivered to everybody it reached: filed as ever, and cleared.
    office.Choose(0, QStringLiteral("Anna"));
    office[0].SendBtn->click();
    ASSERT_EQ(office[0].Outgoing->Store().Count(), ++filed);
    EXPECT_TRUE(StoredHeader(*office[0].Outgoing, filed).endsWith(QLatin1Char(')')));
    EXPECT_FALSE(office[0].Outgoing->DeliveryMark()->isVisibleTo(office[0].TabSheet3));
    EXPECT_EQ(office[0].Memo1->toPlainText(), QString());
}

TEST(MessagingFlow, TheOutgoingTimeIsWhenTheMessageWasSent) {
    Office office(2, {"Anna", "Boris"});
    office.Choose(0, QStringLiteral("Boris"));
    office.Write(0, QStringLiteral("now"));
    const QDateTime clicked = QDateTime::currentDateTime();
    QDateTime boxUp;
    // The user reads the confirmation until the clock has gone on.
    office.Dialogs(0).onShow = [&](const test::ShownBox&) {
        boxUp = QDateTime::currentDateTime();
        WaitUntil(
            [&] {
                return QDateTime::currentDateTime().toSecsSinceEpoch() > boxUp.toSecsSinceEpoch();
            },
            3000);
    };
    office[0].SendBtn->click();
    ASSERT_TRUE(boxUp.isValid());
    QStringList possible;
    for (QDateTime t = clicked; t.toSecsSinceEpoch() <= boxUp.toSecsSinceEpoch(); t = t.addSecs(1))
        possible << MessageHeader(office[0].Language, QStringLiteral("Anna"),
                                  QStringLiteral("Boris"), t);
    EXPECT_TRUE(possible.contains(StoredHeader(*office[0].Outgoing, 1)))
        << StoredHeader(*office[0].Outgoing, 1).toStdString();
}

TEST(MessagingFlow, ARecipientWhoseNodeIsGoneIsNamedAndNoLongerChosen) {
    Office office(2, {"Anna", "Boris"});
    TMainForm& anna = office[0];
    office.Choose(0, QStringLiteral("Boris"));
    // Boris takes a new name; Anna's rebuilt tree lists him under it.
    office[1].Options->AliasEdit->setText(QStringLiteral("Bob"));
    anna.Presence->ApplyBtnClick();
    ASSERT_TRUE(
        WaitUntil([&] { return anna.Presence->Tree().FindComputerNode(QStringLiteral("Bob")); }));
    ASSERT_EQ(anna.CompNameBtn->text(), QStringLiteral("Boris"));
    office.Write(0, QStringLiteral("kept"));
    anna.SendBtn->click();
    ASSERT_EQ(office.Dialogs(0).shown.size(), 1u);
    EXPECT_EQ(office.Dialogs(0).shown[0].text,
              QStringLiteral("Message did not send!\nBoris: not in the network list"));
    EXPECT_EQ(anna.CompNameBtn->text(), QStringLiteral("Select an Recipient"));
    EXPECT_FALSE(anna.SendBtn->isEnabled());
    EXPECT_EQ(anna.Memo1->toPlainText(), QStringLiteral("kept"));
    EXPECT_EQ(anna.Outgoing->Store().Count(), 0);

    // The sweep after a rebuild lets go of a caption whose node did not come back.
    office.Choose(0, QStringLiteral("Bob"));
    office[1].Options->AliasEdit->setText(QStringLiteral("Bobby"));
    anna.Presence->ApplyBtnClick();
    ASSERT_TRUE(
        WaitUntil([&] { return anna.Presence->Tree().FindComputerNode(QStringLiteral("Bobby")); }));
    anna.Presence->Protocol().PresenceSweep();
    EXPECT_EQ(anna.CompNameBtn->text(), QStringLiteral("Select an Recipient"));
    // A chosen group that is still there stays chosen.
    office.Choose(0, QStringLiteral("General"));
    anna.Presence->Protocol().PresenceSweep();
    EXPECT_EQ(anna.CompNameBtn->text(), QStringLiteral("General"));
}

TEST(MessagingFlow, FailureTextsInBothLanguages) {
    LanguageState english, russian;
    russian.SetLanguage(Language::Russian);
    const QString header = QStringLiteral("Message from Anna to ALL (7.12.26 9:05)");
    EXPECT_EQ(NotDeliveredHeader(english, header, {"Boris", "Vera", "Boris"}),
              header + QStringLiteral(" — not delivered to Boris, Vera"));
    EXPECT_EQ(NotDeliveredHeader(russian, header, {"Boris"}),
              header + QStringLiteral(" — не доставлено: Boris"));
    // Taken apart again for showing, in either language; an alias with a
    // dash is no mark.
    const struct {
        QString filed, header, mark;
    } marks[] = {
        {NotDeliveredHeader(english, header, {"Vera"}), header, "not delivered to Vera"},
        {NotDeliveredHeader(russian, header, {"Vera"}), header, "не доставлено: Vera"},
        {header, header, ""},
        {"Message from A — B to ALL (1)", "Message from A — B to ALL (1)", ""},
    };
    for (const auto& m : marks) {
        EXPECT_EQ(SplitDeliveryMark(m.filed).header, m.header);
        EXPECT_EQ(SplitDeliveryMark(m.filed).mark, m.mark);
    }
    EXPECT_EQ(FailureBoxText(russian, FailureTarget("BORIS", "Bob"),
                             FailureOf(DeliveryOutcome::TimedOut)),
              QStringLiteral("Не удалось отправить сообщение!\nBORIS (Bob): нет ответа"));
    EXPECT_EQ(FailureTarget("BORIS", "boris"), QStringLiteral("BORIS"));
    // Every failure has its own reason in each language.
    for (Language language : {Language::English, Language::Russian}) {
        QStringList reasons;
        for (int f = int(SendFailure::NotInTree); f <= int(SendFailure::Broken); ++f)
            reasons << FailureReason(language, SendFailure(f));
        EXPECT_EQ(QSet<QString>(reasons.begin(), reasons.end()).size(), reasons.size());
    }
}

TEST(MessagingFlow, EverybodyWithAnEmptyTreeSendsNothingAndKeepsTheText) {
    auto computers = MakeComputers(1);
    TMainForm form(computers[0]->context);
    form.Presence->Tree().Clear();
    form.RadioGroup1Items->button(1)->click();
    form.Memo1->setPlainText(QStringLiteral("nobody hears this"));
    ASSERT_TRUE(form.SendBtn->isEnabled());
    form.SendBtn->click();
    EXPECT_EQ(computers[0]->dialogs.Count(QStringLiteral("Message did not send!")), 1);
    EXPECT_EQ(form.Memo1->toPlainText(), QStringLiteral("nobody hears this"));
    EXPECT_EQ(form.Outgoing->Store().Count(), 0);
}

TEST(MessagingFlow, SendStaysDisabledWithFormattingButNoCharacters) {
    auto computers = MakeComputers(1);
    TMainForm form(computers[0]->context);
    form.RadioGroup1Items->button(1)->click();
    QTextCursor cursor(form.Memo1->document());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.setCharFormat(bold);
    form.Memo1->setTextCursor(cursor);
    form.Memo1->setFontPointSize(20);
    form.Memo1Change();
    EXPECT_FALSE(form.SendBtn->isEnabled());
    form.Memo1->insertPlainText(QStringLiteral("x"));
    EXPECT_TRUE(form.SendBtn->isEnabled());
    form.Options->CheckBox5->setChecked(true);
    form.ClearBtn->click();
    EXPECT_FALSE(form.SendBtn->isEnabled());
}
