#include "messaging/messagingcontroller.h"

#include "common/ansicodec.h"
#include "common/dialogservice.h"
#include "common/soundplayer.h"
#include "common/timedwait.h"
#include "editor/messagebody.h"
#include "messaging/bodyview.h"
#include "messaging/messageheader.h"
#include "messaging/messagelistener.h"
#include "messaging/newestpopupkey.h"
#include "messaging/popupform.h"
#include "messaging/recipients.h"
#include "messaging/storepage.h"
#include "messaging/tmsg.h"
#include "presence/networktree.h"
#include "presence/networktreeview.h"
#include "settings/programtexts.h"
#include "settings/settingsfile.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace corvane {

int SendReport::Failures() const {
    int n = 0;
    for (DeliveryOutcome o : outcomes)
        n += o != DeliveryOutcome::Delivered;
    return n;
}

QStringList SendReport::Missed() const {
    QStringList out;
    for (int i = 0; i < targets.size() && i < outcomes.size(); ++i)
        if (outcomes[i] != DeliveryOutcome::Delivered)
            out.append(targets[i].alias.isEmpty() ? targets[i].computer : targets[i].alias);
    return out;
}

MessagingController::MessagingController(const MessagingControls& controls, HostContext& context,
                                         const LanguageState& language, const bool& onlineFlag,
                                         NetworkTree& tree, NetworkTreeView& treeView,
                                         StorePage& incoming, StorePage& outgoing,
                                         MessageListener& listener,
                                         std::function<void()> memo1Change,
                                         std::function<void()> restoreApplication, QObject* parent)
    : QObject(parent), c_(controls), context_(context), language_(language),
      onlineFlag_(onlineFlag), tree_(tree), treeView_(treeView), incoming_(incoming),
      outgoing_(outgoing), memo1Change_(std::move(memo1Change)),
      restoreApplication_(std::move(restoreApplication)) {
    connect(&listener, &MessageListener::RecordArrived, this,
            &MessagingController::MsgServerClientRead);
    connect(c_.ClearBtn, &QPushButton::clicked, this, &MessagingController::ClearBtnClick);
    connect(c_.CheckBox6, &QCheckBox::toggled, this, &MessagingController::CheckBox6Click);
    new NewestPopupKey([this] { return ReachNewestPopup(); }, this);
    incoming_.SetBodyLoader(&loader_);
    outgoing_.SetBodyLoader(&loader_);
    MessageHistory& history = incoming_.Store().History();
    listener.SetCommit([h = QPointer<MessageHistory>(&history)] { return !h || h->CommitFiled(); });
    if (c_.CheckBox8) {
        const bool keep =
            StoredTruth(context_, QStringLiteral("TMainForm"), QStringLiteral("CheckBox8_Checked"))
                .value_or(true);
        c_.CheckBox8->setChecked(keep);
        c_.CheckBox8->setEnabled(!context_.historyDir.isEmpty());
        connect(c_.CheckBox8, &QCheckBox::clicked, this, &MessagingController::CheckBox8Click);
        history.SetKeeping(keep);
    }
}

MessagingController::~MessagingController() {
    for (const QPointer<TPopupForm>& popup : popups_)
        delete popup.data();
}

QList<TPopupForm*> MessagingController::OpenPopups() const {
    QList<TPopupForm*> out;
    for (const QPointer<TPopupForm>& popup : popups_)
        if (popup && popup->isVisible()) // a closed one is only waiting to be deleted
            out.append(popup.data());
    return out;
}

bool MessagingController::ReachNewestPopup() {
    const QList<TPopupForm*> open = OpenPopups();
    if (open.isEmpty())
        return false;
    open.last()->Reach();
    return true;
}

void MessagingController::ClearBtnClick() {
    c_.Memo1->clear();
}

void MessagingController::SendBtnClick() {
    if (sending_ > 0)
        return; // one send at a time from the button; it runs in the background
    // What the message is, and when it was sent, is fixed now: handlers that
    // run during the delivery may change the recipient, the alias or the
    // editor, and the confirmation box may stay open for any time.
    const QDateTime sentAt = QDateTime::currentDateTime();
    const QString caption = c_.CompNameBtn->text();
    const QString alias = c_.AliasEdit->text();
    QString recipient;
    if (caption == language_.Text(Strings::All))
        recipient = QStringLiteral("*");
    const QByteArray body = RichTextToString(*c_.Memo1->document());
    const int revision = c_.Memo1->document()->revision();
    if (recipient != QLatin1String("*")) {
        const NetworkTree::Node* selected = treeView_.SelectedNode();
        recipient = selected ? selected->Text() : caption;
    }
    const SendReport report = SendToRecipients(alias, recipient, body);
    if (report.noComputers) {
        // Nothing went anywhere: say why, and keep the text in the editor. A
        // caption whose node is gone chooses nobody from now on.
        context_.dialogs->MessageBox(FailureBoxText(language_, caption, report.nobodyWhy),
                                     MessageBoxTitle, DialogService::Icon::Stop, DialogService::Ok);
        if (report.nobodyWhy == SendFailure::NotInTree && c_.CompNameBtn->text() == caption)
            treeView_.ResetRecipient();
        return;
    }
    ReportFailures(report.targets, report.outcomes);
    const bool delivered = report.AllDelivered();
    if (c_.CheckBox3->isChecked() && delivered)
        context_.dialogs->MessageBox(language_.Text(Strings::SentOk), MessageBoxTitle,
                                     DialogService::Icon::Information, DialogService::Ok);
    QString header = MessageHeader(language_, alias, caption, sentAt);
    if (!delivered)
        header = NotDeliveredHeader(language_, header, report.Missed());
    HistoryRecord record{.body = body, .filed = sentAt};
    for (qsizetype i = 0; i < report.targets.size() && i < report.outcomes.size(); ++i)
        (report.outcomes[i] == DeliveryOutcome::Delivered ? record.delivered : record.missed)
            .append(report.targets[i].computer);
    outgoing_.AppendToStore(header, record);
    // Text typed while the message was on its way is not cleared with it, nor
    // a message that someone did not get: it can go again as it is.
    if (c_.CheckBox5->isChecked() && delivered && c_.Memo1->document()->revision() == revision)
        c_.Memo1->clear();
}

QList<SendTarget> MessagingController::ChosenTargets(SendFailure& why) {
    if (c_.CompNameBtn->text() == language_.Text(Strings::All)) {
        // With nothing selected the first node is selected, without becoming
        // the recipient.
        treeView_.SelectedOrFirstNode();
        why = SendFailure::NobodyListed;
        return AllTargets(tree_);
    }
    const NetworkTree::Node* selected = treeView_.SelectedNode();
    if (!selected && treeView_.SelectNodeWithText(c_.CompNameBtn->text()))
        selected = treeView_.SelectedNode(); // the caption names a node nobody selected
    // A caption that names no node (its computer left, the tree was rebuilt)
    // reaches nobody rather than whoever happens to come first in the tree.
    why = selected ? SendFailure::EmptyGroup : SendFailure::NotInTree;
    return TargetsOf(selected);
}

SendReport MessagingController::SendToRecipients(const QString& alias, const QString& recipient,
                                                 const QByteArray& body) {
    SendReport report;
    report.targets = ChosenTargets(report.nobodyWhy);
    report.noComputers = report.targets.isEmpty();
    if (report.noComputers)
        return report;
    const TMsg msg{ToAnsi(alias), ToAnsi(recipient), body, ToAnsi(c_.AliasEdit->text())};
    ++sending_;
    report.outcomes = DeliverToAll(context_, ComputersOf(report.targets), msg.Encode());
    --sending_;
    return report;
}

void MessagingController::ReportFailures(const QList<SendTarget>& targets,
                                         const QList<DeliveryOutcome>& outcomes) {
    for (int i = 0; i < outcomes.size() && i < targets.size(); ++i)
        if (outcomes[i] != DeliveryOutcome::Delivered)
            context_.dialogs->MessageBox(
                FailureBoxText(language_, FailureTarget(targets[i].computer, targets[i].alias),
                               FailureOf(outcomes[i])),
                MessageBoxTitle, DialogService::Icon::Stop, DialogService::Ok);
}

namespace {
// An automatic answer starts with the answer keyword of either language.
bool IsAutomaticAnswer(const QByteArray& body) {
    for (const StringTable* table : {&HolderE(), &HolderR()})
        if (body.startsWith(ToAnsi((*table)[Strings::AutoAnswer])))
            return true;
    return false;
}
} // namespace

void MessagingController::AutomaticAnswer(const QByteArray& sender, const QHostAddress& from) {
    LastSender = FromAnsi(sender);
    treeView_.SelectNodeWithText(LastSender); // the tree makes it the recipient
    if (LastSender == c_.AliasEdit->text())
        return;
    QString text = c_.RichEdit1->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const QByteArray answer = ToAnsi(language_.Text(Strings::AutoAnswer)) + "\r\r" + ToAnsi(text);
    const QString alias = c_.AliasEdit->text();
    // The answer goes back only to where the message came from: the names
    // inside a record are the sender's to choose, so they must not aim it at
    // a third computer (or at everybody, through the recipient choice).
    if (from.protocol() != QAbstractSocket::IPv4Protocol)
        return;
    const QList<SendTarget> targets{{from.toString(), LastSender}};
    if (answers_.size() >= MaxWaitingAnswers)
        return; // a flood of messages is not answered without bound
    answers_.push_back({targets, TMsg{ToAnsi(alias), sender, answer, ToAnsi(alias)}.Encode()});
    StartNextAnswer();
}

void MessagingController::StartNextAnswer() {
    if (answering_ || answers_.empty())
        return;
    const PendingAnswer next = answers_.front();
    answers_.pop_front();
    answering_ = new DeliveryBatch(context_, ComputersOf(next.targets), next.record, this);
    connect(answering_, &DeliveryBatch::Finished, this, [this, targets = next.targets] {
        DeliveryBatch* done = answering_;
        answering_ = nullptr;
        done->deleteLater();
        // The next answer starts before the boxes of this one are shown.
        QMetaObject::invokeMethod(this, &MessagingController::StartNextAnswer,
                                  Qt::QueuedConnection);
        ReportFailures(targets, done->Outcomes());
    });
    answering_->Start();
}

void MessagingController::MsgServerClientRead(const QByteArray& record, const QHostAddress& from) {
    const TMsg msg = TMsg::Decode(record);
    const QDateTime arrivedAt = QDateTime::currentDateTime();
    const QString header =
        MessageHeader(language_, FromAnsi(msg.SenderAlias), FromAnsi(msg.Recipient), arrivedAt);
    const bool autoAnswer = c_.CheckBox6->isChecked();
    if (c_.IsPopupMenu->isChecked() && onlineFlag_ && !autoAnswer) {
        OpenPopup(header, msg.Body);
        LastSender = FromAnsi(msg.Sender);
    }
    // The record is safe before anything is answered: the answer goes out in
    // the background and tells its failures after that.
    if (onlineFlag_ && c_.CheckBox4->isChecked() && context_.sound)
        context_.sound->PlayEventSound(MessageSound, QStringLiteral("message-new-instant"));
    // Filed in the open transaction: the listener commits it, with whatever
    // else arrived meanwhile, before the sender is told.
    incoming_.AppendToStore(header,
                            HistoryRecord{.body = msg.Body,
                                          .filed = arrivedAt,
                                          .computer = msg.Sender,
                                          .address = from.toString()},
                            MessageStore::Commit::Later);
    if (autoAnswer) {
        // Automatic answers are not answered, so two copies that both answer
        // automatically do not answer each other for ever.
        if (IsAutomaticAnswer(msg.Body))
            LastSender = FromAnsi(msg.Sender);
        else
            AutomaticAnswer(msg.Sender, from);
    }
}

void MessagingController::OpenPopup(const QString& header, const QByteArray& body) {
    auto* popup = new TPopupForm(
        language_,
        [this] {
            if (restoreApplication_)
                restoreApplication_();
            PrepareReply();
        },
        &context_);
    popups_.removeIf([](const QPointer<TPopupForm>& p) { return p.isNull(); });
    for (auto p = popups_.crbegin(); p != popups_.crend(); ++p)
        if (*p && (*p)->IsOpen()) {
            popup->PlaceAfter((*p)->pos()); // not over the previous one
            break;
        }
    popups_.append(popup);
    connect(popup->Body(), &BodyView::CostChanged, this, &MessagingController::LimitPopups,
            Qt::QueuedConnection);
    popup->SetMessage(header, body, &loader_);
    popup->ShowBesideModalBoxes();
    LimitPopups();
}

void MessagingController::LimitPopups() {
    // A flood of messages does not open windows, nor hold memory, without
    // end: beyond the count the oldest popups close, beyond the cost they
    // keep only their page (their messages stay in the store).
    popups_.removeIf([](const QPointer<TPopupForm>& p) { return p.isNull() || !p->IsOpen(); });
    while (popups_.size() > MaxPopups)
        popups_.takeFirst()->close(); // it deletes itself, and gives its memory back
    qint64 cost = 0;
    for (const QPointer<TPopupForm>& p : popups_)
        cost += p->Body()->Cost();
    for (qsizetype i = 0; i + 1 < popups_.size() && cost > MaxPopupCost; ++i) {
        BodyView* body = popups_[i]->Body();
        cost -= body->Cost();
        body->Collapse();
        cost += body->Cost();
    }
}

void MessagingController::CheckBox6Click() {
    const bool on = c_.CheckBox6->isChecked();
    c_.RichEdit1->setVisible(on);
    c_.Memo1->setEnabled(!on);
    QPalette palette = c_.Memo1->palette();
    const QPalette system = QApplication::palette();
    palette.setColor(QPalette::Base, system.color(on ? QPalette::Button : QPalette::Base));
    c_.Memo1->setPalette(palette);
}

void MessagingController::CheckBox8Click() {
    MessageHistory& history = incoming_.Store().History();
    const bool keep = c_.CheckBox8->isChecked();
    if (!keep && history.Keeping()) {
        const auto answer = context_.dialogs->MessageBox(
            TextIn(language_.Current(), ProgramText::HistoryRemoveQuestion).arg(history.Path()),
            ApplicationTitle, DialogService::Icon::Question,
            DialogService::Yes | DialogService::No);
        if (answer != DialogService::Yes) {
            const QSignalBlocker blocker(c_.CheckBox8);
            c_.CheckBox8->setChecked(true);
            return;
        }
    }
    // The box keeps the person's choice; what could not be done is told.
    history.SetKeeping(keep);
}

void MessagingController::PrepareReply() {
    ProcessPendingMessages();
    {
        const QSignalBlocker blocker(c_.RadioGroup1Items);
        if (QAbstractButton* first = c_.RadioGroup1Items->button(0))
            first->setChecked(true);
    }
    // The tree makes the sender the recipient; a window shown for the first
    // time just now lists the sender once its answer is in.
    treeView_.SelectNodeWithTextWhenListed(LastSender);
    c_.CompNameBtn->setEnabled(true);
    c_.PageControl1->setCurrentWidget(c_.TabSheet1);
    c_.Memo1->setFocus();
    if (memo1Change_)
        memo1Change_();
}

} // namespace corvane
