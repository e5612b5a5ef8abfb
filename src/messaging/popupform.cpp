#include "messaging/popupform.h"

#include "messaging/bodyview.h"
#include "messaging/popupcaptions.h"
#include "messaging/popupplacement.h"
#include "settings/stringtable.h"

#include <QAccessible>
#include <QApplication>
#include <QBoxLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

namespace corvane {
namespace {

void PaintButtonFace(QWidget* w) {
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, p.color(group, QPalette::Button));
    w->setPalette(p);
}

} // namespace

QString FitHeader(const QString& header, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(header) <= width)
        return header;
    const qsizetype open =
        header.endsWith(QLatin1Char(')')) ? header.lastIndexOf(QStringLiteral(" (")) : -1;
    const QString time = open >= 0 ? header.mid(open) : QString();
    const QString names = open >= 0 ? header.left(open) : header;
    const int room = width - metrics.horizontalAdvance(time);
    QString shown = metrics.elidedText(names, Qt::ElideMiddle, qMax(0, room));
    if (shown.isEmpty())
        shown = QStringLiteral("…");
    return shown + time;
}

TPopupForm::TPopupForm(const LanguageState& language, std::function<void()> replyAction,
                       HostContext* context)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      language_(language), replyAction_(std::move(replyAction)) {
    setObjectName(QStringLiteral("PopupForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setAccessibleName(QStringLiteral("Message header"));
    PaintButtonFace(Edit1);
    layout->addWidget(Edit1);

    body_ = new corvane::BodyView(QStringLiteral("Memo1"), QString(), this);
    body_->SetContext(context);
    Memo1 = body_->Text();
    PaintButtonFace(Memo1);
    layout->addWidget(body_, 1);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(6, 6, 6, 6);
    ReplyBtn = new QPushButton(bar);
    ReplyBtn->setObjectName(QStringLiteral("ReplyBtn"));
    CloseBtn = new QPushButton(bar);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    barLayout->addWidget(ReplyBtn);
    barLayout->addStretch(1);
    barLayout->addWidget(CloseBtn);
    layout->addWidget(bar);

    // Enter presses a button only when that button has the focus.
    ReplyBtn->setAutoDefault(false);
    CloseBtn->setAutoDefault(false);
    qApp->installEventFilter(this); // until the person reaches the popup

    connect(ReplyBtn, &QPushButton::clicked, this, &TPopupForm::ReplyBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TPopupForm::CloseBtnClick);

    FormShow(); // captions are right before the first showing too
    PlaceOnScreen();
}

void TPopupForm::PlaceOnScreen() {
    // The size is that of the whole window, frame included, once the frame is
    // known; move() places the frame.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize(DefaultWidth - frame.left() - frame.right(),
           DefaultHeight - frame.top() - frame.bottom());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(NextPopupPosition(screen->availableGeometry(), QSize(DefaultWidth, DefaultHeight),
                               after_));
}

void TPopupForm::PlaceAfter(const QPoint& previous) {
    after_ = previous;
    PlaceOnScreen();
}

void TPopupForm::SetMessage(const QString& header, const QByteArray& body, BodyLoader* loader) {
    header_ = header;
    ShowHeader();
    body_->SetLoader(loader);
    body_->Show(body);
}

void TPopupForm::ShowHeader() {
    // Long names give way in the middle; the time stays readable, and the
    // whole line is in the tool tip and the description.
    const int frame = Edit1->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, Edit1);
    const QString shown = FitHeader(header_, Edit1->fontMetrics(), Edit1->width() - 2 * frame - 6);
    Edit1->setText(shown);
    Edit1->setCursorPosition(0);
    Edit1->setToolTip(shown == header_ ? QString() : header_);
    Edit1->setAccessibleDescription(header_);
}

void TPopupForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowHeader();
}

void TPopupForm::closeEvent(QCloseEvent* event) {
    closed_ = true;
    QDialog::closeEvent(event);
}

void TPopupForm::ShowBesideModalBoxes() {
    if (closed_)
        return;
    showRequested_ = true;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this) {
        show();
        return;
    }
    waitingFor_ = modal;
    modal->installEventFilter(this);
    connect(modal, &QObject::destroyed, this, &TPopupForm::ShowBesideModalBoxes,
            Qt::QueuedConnection);
}

bool TPopupForm::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!reached_ && widget && widget->window() == this && GuardInput(event))
        return true;
    if (watched == waitingFor_ && event->type() == QEvent::Hide) {
        watched->removeEventFilter(this);
        disconnect(watched, &QObject::destroyed, this, nullptr);
        waitingFor_ = nullptr;
        // Once the box is gone (another may come up next).
        QTimer::singleShot(0, this, &TPopupForm::ShowBesideModalBoxes);
    }
    return QDialog::eventFilter(watched, event);
}

bool TPopupForm::GuardInput(QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress) {
        Reach(); // a click is the person's own
        return false;
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == ReachKey)
        return false; // the person asks for a popup
    if (type == QEvent::ShortcutOverride) {
        event->accept(); // no accelerator of the popup acts; the key comes as a press
        return true;
    }
    QWidget* to =
        typingIn_ && typingIn_->focusWidget() ? typingIn_->focusWidget() : typingIn_.data();
    if (to) {
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                       ushort(key->count()));
        QCoreApplication::sendEvent(to, &copy);
    }
    return true;
}

void TPopupForm::Reach() {
    if (!reached_) {
        reached_ = true;
        qApp->removeEventFilter(this);
        overrideWindowFlags(windowFlags() & ~Qt::WindowDoesNotAcceptFocus);
        if (QWindow* window = windowHandle())
            window->setFlags(windowFlags()); // at once, without hiding the window
    }
    if (!isVisible())
        return;
    raise();
    activateWindow();
    Memo1->setFocus(Qt::ShortcutFocusReason);
}

bool TPopupForm::event(QEvent* event) {
    // Activated without being asked for, by a platform that ignores the
    // hints: the keyboard goes back to where the person was typing.
    if (event->type() == QEvent::WindowActivate && !reached_ && typingIn_)
        typingIn_->activateWindow();
    return QDialog::event(event);
}

void TPopupForm::FormShow() {
    const PopupCaptions captions = PopupCaptionsFor(language_.Current());
    setWindowTitle(QStringLiteral("%1 (%2)").arg(
        captions.title, QKeySequence(ReachKey).toString(QKeySequence::NativeText)));
    ReplyBtn->setText(captions.replyButton);
    CloseBtn->setText(captions.closeButton);
    body_->SetLanguage(language_.Current());
}

void TPopupForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    if (!reached_ && QApplication::activeWindow() != this)
        typingIn_ = QApplication::activeWindow();
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        PlaceOnScreen();
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void TPopupForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPopupForm::ReplyBtnClick() {
    QPointer<TPopupForm> self(this);
    // A copy: the action may run the event loop, in which this popup can go.
    const std::function<void()> action = replyAction_;
    if (action) {
        try {
            action();
        } catch (...) {
            // An answer that cannot be prepared is not reported; the popup
            // closes all the same.
        }
    }
    if (self)
        close();
}

void TPopupForm::CloseBtnClick() {
    close();
}

} // namespace corvane
