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
#include "messaging/messagestore.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
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
    // context and language must outlive the page.
    StorePage(QWidget* tabSheet, StoreKind kind, HostContext& context,
              const LanguageState& language, QObject* parent = nullptr);
    ~StorePage() override;

    // Files a message in this page's store and shows it; the header is
    // converted to Windows-1251 once, here. The page is not brought to the
    // front.
    void AppendToStore(const QString& header, const QByteArray& body);
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

private:
    void ShowMessage(const QByteArray& header, const QByteArray& body) override;
    void ClearMessage() override;
    void ShowCounter(const QString& text) override;
    void ShowDropped(int count) override;

    QToolButton* AddButton(QWidget* bar, const QString& name, const QString& hint, int icon,
                           void (StorePage::*handler)());

    MessageStore store_;
    QWidget* tabSheet_;
    QLabel* counter_ = nullptr;
    QLabel* dropped_ = nullptr; // the note that old messages went
    QLineEdit* headerLine_ = nullptr;
    QLabel* deliveryMark_ = nullptr;
    corvane::BodyView* body_ = nullptr;
    QTextEdit* bodyView_ = nullptr;
    const LanguageState& language_;
};

} // namespace corvane
