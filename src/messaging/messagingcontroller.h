#pragma once
// Sending and receiving messages on the main window: the Send and Clear
// buttons, the listener's records with popup, sound, automatic answer and
// filing, and the reply that a popup prepares.
//
// Delivery is honest: a target counts only when it got the whole record;
// "Message successfully sent!" appears only when every target got it, and
// each target that did not gets its own "Message did not send!" naming the
// computer and why. The outgoing store files every message that went out,
// with a header that names whoever did not get it. Targets are delivered to
// at the same time, each within the context's delivery time, while the
// window keeps running.
//
// Both pages keep their messages in the incoming page's history, in the file
// when "Keep messages after exit" says so (as settings.ini holds it at
// start, on by default); a record counts as delivered once the history has
// committed it.
#include "common/hostcontext.h"
#include "messaging/bodyloader.h"
#include "messaging/messageclient.h"
#include "messaging/recipients.h"
#include "messaging/sendresult.h"
#include "settings/stringtable.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QWidget;

namespace corvane {

class MessageListener;
class NetworkTree;
class NetworkTreeView;
class StorePage;
class TPopupForm;

struct MessagingControls {
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QTextEdit* Memo1 = nullptr;
    QToolButton* CompNameBtn = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;
    QPushButton* SendBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    QLineEdit* AliasEdit = nullptr;
    QCheckBox* CheckBox3 = nullptr; // confirmation after sending
    QCheckBox* CheckBox4 = nullptr; // sound
    QCheckBox* CheckBox5 = nullptr; // clear after sending
    QCheckBox* CheckBox6 = nullptr; // automatic answer
    QCheckBox* CheckBox8 = nullptr; // keep messages after exit
    QTextEdit* RichEdit1 = nullptr; // the automatic answer's text
    QAction* IsPopupMenu = nullptr;
};

// What one send did.
struct SendReport {
    QList<SendTarget> targets;
    QList<DeliveryOutcome> outcomes;
    bool noComputers = false; // the choice names no computer: nothing was sent
    SendFailure nobodyWhy = SendFailure::NotInTree; // why, when noComputers
    int Failures() const;
    bool AllDelivered() const { return !targets.isEmpty() && Failures() == 0; }
    // The aliases of the targets that did not get the message.
    QStringList Missed() const;
};

class MessagingController : public QObject {
    Q_OBJECT
public:
    static inline const QString MessageBoxTitle = QStringLiteral("Corvane Messenger");
    static inline const QString MessageSound = QStringLiteral("Message.Wav");

    MessagingController(const MessagingControls& controls, HostContext& context,
                        const LanguageState& language, const bool& onlineFlag, NetworkTree& tree,
                        NetworkTreeView& treeView, StorePage& incoming, StorePage& outgoing,
                        MessageListener& listener, std::function<void()> memo1Change,
                        std::function<void()> restoreApplication, QObject* parent = nullptr);
    ~MessagingController() override;

    // Sending
    void SendBtnClick();
    SendReport SendToRecipients(const QString& alias, const QString& recipient,
                                const QByteArray& body);
    void ClearBtnClick();
    // Receiving
    void MsgServerClientRead(const QByteArray& record, const QHostAddress& from);
    void CheckBox6Click();
    // "Keep messages after exit" toggled by the person: on, the messages
    // move into the file; off, after asking, they stay in memory only and
    // the file is deleted.
    void CheckBox8Click();
    // Sets the Compose page up to answer LastSender.
    void PrepareReply();

    QString LastSender;
    // The popups that are open now (they destroy themselves on close).
    QList<TPopupForm*> OpenPopups() const;
    // Gives the keyboard to the newest open popup (TPopupForm::ReachKey);
    // false when none is open.
    bool ReachNewestPopup();

    // Automatic answers that may wait for the one on its way.
    static constexpr size_t MaxWaitingAnswers = 64;
    // Popups open at once, and what they cost together (BodyView::Cost: the
    // page each shows, laid out, and the pages and bytes of a long body). A
    // new one beyond the count closes the oldest. Beyond the cost, also when
    // a popup's cost grows once its body is read, the oldest keep only the
    // page they show (the rest is on the Incoming page), which bounds them
    // by the count; the newest always stays whole.
    static constexpr int MaxPopups = 20;
    static constexpr qint64 MaxPopupCost = 32 * 1024 * 1024;
    // Reads big bodies for the popups and the Incoming page.
    BodyLoader& Loader() { return loader_; }

private:
    struct PendingAnswer {
        QList<SendTarget> targets;
        QByteArray record;
    };
    // The computers the recipient choice names now; when none, why.
    QList<SendTarget> ChosenTargets(SendFailure& why);
    void ReportFailures(const QList<SendTarget>& targets, const QList<DeliveryOutcome>& outcomes);
    void AutomaticAnswer(const QByteArray& sender, const QHostAddress& from);
    void StartNextAnswer();
    void OpenPopup(const QString& header, const QByteArray& body);
    // Closes or collapses the oldest popups beyond the bounds.
    void LimitPopups();

    MessagingControls c_;
    HostContext& context_;
    const LanguageState& language_;
    const bool& onlineFlag_;
    NetworkTree& tree_;
    NetworkTreeView& treeView_;
    StorePage& incoming_;
    StorePage& outgoing_;
    std::function<void()> memo1Change_;
    std::function<void()> restoreApplication_;
    QList<QPointer<TPopupForm>> popups_;
    BodyLoader loader_;
    int sending_ = 0;
    std::deque<PendingAnswer> answers_;
    DeliveryBatch* answering_ = nullptr;
};

} // namespace corvane
