#pragma once
// The Incoming and Outgoing pages of the main window: one message of a store
// at a time, with a counter, a header line, a rich-text body view and six
// buttons. The page builds its controls into the tab sheet it is given and
// forwards every button to its MessageStore, which decides what to show.
//
//   role            Incoming        Outgoing
//   panels          Panel2..Panel4  Panel5..Panel7
//   counter         Label2          Label4
//   header line     Edit1           Edit2
//   body view       Memo2           Memo3
//   buttons         FirstMsgBtn LeftBtn RightBtn LastMsgBtn DeleteBtn DeleteAllBtn
//                   (the same names with "2" on the Outgoing page)
//   find bar        FindBar: FindLabel, FindEdit, FindOlderBtn, FindNewerBtn,
//                   FindCount, FindCloseBtn (with "2" on the Outgoing page)
//
// Ctrl+F on the page opens the find bar: what is typed there shows the
// newest message that holds the words, Enter (or F3) the next older one,
// Shift+Enter (Shift+F3) the next newer one, with the count of matches; Esc
// closes the bar.
#include "messaging/messagestore.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QBoxLayout;
class QTextEdit;
class QToolButton;
class QWidget;

namespace corvane {

class BodyLoader;
class BodyView;
class HostContext;

class StorePage : public QObject, private MessageStoreView {
    Q_OBJECT
public:
    // The controls become children of tabSheet (TabSheet2 or TabSheet3);
    // context, language and history (none: the page keeps its messages in
    // memory of its own) must outlive the page, which starts on the newest
    // message kept.
    StorePage(QWidget* tabSheet, StoreKind kind, HostContext& context,
              const LanguageState& language, QObject* parent = nullptr,
              MessageHistory* history = nullptr);
    ~StorePage() override;

    // Files a message in this page's store and shows it; the header is
    // converted to Windows-1251 once, here. The page is not brought to the
    // front.
    void AppendToStore(const QString& header, const QByteArray& body);
    // The same with what else is known of the message (its header and body
    // are taken from the arguments); Later leaves the commit to the listener.
    void AppendToStore(const QString& header, HistoryRecord record,
                       MessageStore::Commit commit = MessageStore::Commit::Now);
    // Big bodies are read into the body view through the loader (which must
    // outlive the page, or be null); without one, at once.
    void SetBodyLoader(BodyLoader* loader);
    // Renders the counter, and the bar of a long body, again in the current
    // language.
    void RetranslateCounter();

    StoreKind Kind() const { return store_.Kind(); }
    MessageStore& Store() { return store_; }
    const MessageStore& Store() const { return store_; }
    int Position() const { return store_.Position(); }

    QWidget* TabSheet() const { return tabSheet_; }
    QLabel* CounterLabel() const { return counter_; }
    QLabel* DroppedNote() const { return dropped_; }
    QLineEdit* HeaderLine() const { return headerLine_; }
    // A sent message that some did not get says so on a line of its own
    // under the header, readable at any width.
    QLabel* DeliveryMark() const { return deliveryMark_; }
    QTextEdit* BodyView() const { return bodyView_; }
    // The body view with the bar of a body longer than one page.
    corvane::BodyView* Body() const { return body_; }
    QFrame* FindBar() const { return findBar_; }
    QLineEdit* FindEdit() const { return findEdit_; }
    QLabel* FindCount() const { return findCount_; }
    // Opens the find bar with the keyboard in its field.
    void OpenFind();
    // The next older (or newer) message that holds the words.
    void FindStep(bool older);

public Q_SLOTS:
    void FirstMsgBtnClick();
    void LeftBtnClick();
    void RightBtnClick();
    void LastMsgBtnClick();
    void DeleteBtnClick();
    void DeleteAllBtnClick();
    // The Outgoing page's buttons run the same handlers.
    void FirstMsgBtn2Click() { FirstMsgBtnClick(); }
    void LeftBtn2Click() { LeftBtnClick(); }
    void RightBtn2Click() { RightBtnClick(); }
    void LastMsgBtn2Click() { LastMsgBtnClick(); }
    void DeleteBtn2Click() { DeleteBtnClick(); }
    void DeleteAllBtn2Click() { DeleteAllBtnClick(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildButtonBar(QWidget* host, QBoxLayout* pageLayout, StoreKind kind,
                        const QString& suffix);
    void BuildFindBar(QWidget* host, QBoxLayout* layout, const QString& suffix);
    void FindTextChanged();
    void ShowMatches();
    void CloseFind();
    void ShowMessage(const QByteArray& header, const QByteArray& body) override;
    void ClearMessage() override;
    void ShowCounter(const QString& text) override;
    void ShowDropped(int count) override;

    QToolButton* AddButton(QWidget* bar, const QString& name, const QString& hint, int icon,
                           std::function<void()> handler);

    MessageStore store_;
    QWidget* tabSheet_;
    QLabel* counter_ = nullptr;
    QLabel* dropped_ = nullptr; // the note that old messages went
    QLineEdit* headerLine_ = nullptr;
    QLabel* deliveryMark_ = nullptr;
    corvane::BodyView* body_ = nullptr;
    QTextEdit* bodyView_ = nullptr;
    QFrame* findBar_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QLabel* findCount_ = nullptr;
    MessageStore::Matches matches_;
    const LanguageState& language_;
};

} // namespace corvane
