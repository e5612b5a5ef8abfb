#include "messaging/popupform.h"

#include "messaging/bodyview.h"
#include "messaging/popupcaptions.h"
#include "settings/stringtable.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
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

TPopupForm::TPopupForm(const LanguageState& language, std::function<void()> replyAction)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), language_(language),
      replyAction_(std::move(replyAction)) {
    setObjectName(QStringLiteral("PopupForm"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setAccessibleName(QStringLiteral("Message header"));
    PaintButtonFace(Edit1);
    layout->addWidget(Edit1);

    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                                   Qt::LinksAccessibleByMouse);
    Memo1->setAccessibleName(QStringLiteral("Message text"));
    PaintButtonFace(Memo1);
    layout->addWidget(Memo1, 1);

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
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - DefaultWidth) / 2,
             area.y() + (area.height() - DefaultHeight) / 2);
    }
}

void TPopupForm::SetMessage(const QString& header, const QByteArray& body, BodyLoader* loader) {
    Edit1->setText(header);
    Edit1->setCursorPosition(0);
    if (loader)
        loader->Show(Memo1, body);
    else
        ShowBody(Memo1, body);
}

void TPopupForm::FormShow() {
    const PopupCaptions captions = PopupCaptionsFor(language_.Current());
    setWindowTitle(captions.title);
    ReplyBtn->setText(captions.replyButton);
    CloseBtn->setText(captions.closeButton);
}

void TPopupForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        PlaceOnScreen();
    }
}

void TPopupForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseBtn->click();
        return;
    }
    QWidget::keyPressEvent(event);
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
