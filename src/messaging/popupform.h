#pragma once
// The incoming-message popup: a window of its own per message, without an
// owner, on top of all other windows, centred on the screen. It shows the
// header line (Edit1) and the body (Memo1) and offers Reply and Close; Esc
// presses Close. A closed popup destroys itself.
//
// Its captions follow the language each time it is shown; a popup that stays
// open keeps the captions it was shown with.
#include <QByteArray>
#include <QString>
#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;
class QTextEdit;

namespace corvane {

class BodyLoader;
class LanguageState;

class TPopupForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 389;
    static constexpr int DefaultHeight = 282;

    // replyAction is what Reply runs before the popup closes (the main window
    // restores itself and prepares the answer); anything it throws is dropped.
    // The language state must outlive the popup.
    TPopupForm(const LanguageState& language, std::function<void()> replyAction);

    // Puts the header into Edit1 and the body into Memo1 (a big body through
    // the loader, which must outlive the popup).
    void SetMessage(const QString& header, const QByteArray& body, BodyLoader* loader = nullptr);

    QLineEdit* HeaderLine() const { return Edit1; }
    QTextEdit* BodyView() const { return Memo1; }
    QPushButton* ReplyButton() const { return ReplyBtn; }
    QPushButton* CloseButton() const { return CloseBtn; }

public Q_SLOTS:
    void ReplyBtnClick();
    void CloseBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void PlaceOnScreen(); // outer size and centre of the screen

    const LanguageState& language_;
    std::function<void()> replyAction_;
    QLineEdit* Edit1;
    QTextEdit* Memo1;
    QPushButton* ReplyBtn;
    QPushButton* CloseBtn;
    bool placed_ = false;
};

} // namespace corvane
