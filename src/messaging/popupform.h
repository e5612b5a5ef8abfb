#pragma once
// The incoming-message popup: a window of its own per message, without an
// owner, on top of all other windows; the first is centred on the screen and
// each next one opens a step away from the previous one. It shows the header
// line (Edit1) and the body (Memo1) and offers Reply and Close; Esc presses
// Close. A closed popup destroys itself.
//
// It never takes the keyboard from a person who is typing: it opens without
// being activated and does not accept the focus until the person reaches it,
// with a click or with ReachKey from any window of the program (its title
// names the key). Should a platform activate it all the same, it gives the
// activation back, and keys that reach it before that go on to the window
// they were typed in; none presses one of its buttons. Screen readers hear of
// it through an alert, not through the focus.
//
// Its captions follow the language each time it is shown; a popup that stays
// open keeps the captions it was shown with.
#include <QByteArray>
#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QFontMetrics;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace corvane {

class BodyLoader;
class BodyView;
class HostContext;
class LanguageState;

// The header line as it fits into width pixels: the part before the time is
// shortened in the middle, the time in brackets at its end always stays.
QString FitHeader(const QString& header, const QFontMetrics& metrics, int width);

class TPopupForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 389;
    static constexpr int DefaultHeight = 282;

    // replyAction is what Reply runs before the popup closes (the main window
    // restores itself and prepares the answer); anything it throws is dropped.
    // The language state must outlive the popup, and so must the context,
    // through which a long body is saved to a file (without one it is not).
    TPopupForm(const LanguageState& language, std::function<void()> replyAction,
               HostContext* context = nullptr);

    // Puts the header into Edit1 and the body into Memo1 (a big body through
    // the loader, which must outlive the popup or be null).
    void SetMessage(const QString& header, const QByteArray& body, BodyLoader* loader = nullptr);
    // Opens a step away from this earlier popup (its outer top-left corner)
    // instead of in the centre.
    void PlaceAfter(const QPoint& previous);
    // Shows the popup now, or when no modal box is open any more, so that it
    // never covers a question the user has to answer.
    void ShowBesideModalBoxes();
    QString Header() const { return header_; }
    // Shown, or waiting to be shown, and not closed.
    bool IsOpen() const { return !closed_ && (isVisible() || showRequested_); }

    // The key that takes the keyboard to the newest popup.
    static constexpr Qt::Key ReachKey = Qt::Key_F6;
    // The person asks for the popup: it accepts the focus from now on and,
    // when shown, gets it, in its body.
    void Reach();
    bool Reached() const { return reached_; }

    QLineEdit* HeaderLine() const { return Edit1; }
    QTextEdit* BodyView() const { return Memo1; }
    // Memo1 with the bar of a body longer than one page.
    corvane::BodyView* Body() const { return body_; }
    QPushButton* ReplyButton() const { return ReplyBtn; }
    QPushButton* CloseButton() const { return CloseBtn; }

public Q_SLOTS:
    void ReplyBtnClick();
    void CloseBtnClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void PlaceOnScreen(); // outer size and place on the screen
    void ShowHeader();
    // Keys and clicks in a popup that has not been reached.
    bool GuardInput(QEvent* event);

    const LanguageState& language_;
    std::function<void()> replyAction_;
    QLineEdit* Edit1;
    corvane::BodyView* body_;
    QTextEdit* Memo1;
    QPushButton* ReplyBtn;
    QPushButton* CloseBtn;
    bool placed_ = false;
    bool showRequested_ = false;
    bool closed_ = false;
    std::optional<QPoint> after_;
    QString header_;
    QPointer<QWidget> waitingFor_; // the modal box this popup waits for
    bool reached_ = false;
    QPointer<QWidget> typingIn_; // the window that was active when it opened
};

} // namespace corvane
