#include "messaging/storepage.h"

#include "common/ansicodec.h"
#include "messaging/bodyview.h"
#include "messaging/sendresult.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>

namespace corvane {
namespace {

struct PageNames {
    const char* panels[3]; // button bar, header bar, body area
    const char* counter;
    const char* headerLine;
    const char* bodyView;
    const char* suffix; // of the button names
    const char* deleteHint;
    const char* deleteAllHint;
};

const PageNames& NamesFor(StoreKind kind) {
    static const PageNames incoming{
        {"Panel2", "Panel3", "Panel4"}, "Label2", "Edit1", "Memo2", "", "Delete current message",
        "Delete all messages"};
    static const PageNames outgoing{
        {"Panel5", "Panel6", "Panel7"}, "Label4", "Edit2", "Memo3", "2", "Delete Current Message",
        "Delete All Messages"};
    return kind == StoreKind::Incoming ? incoming : outgoing;
}

QFrame* AddPanel(QWidget* parent, QBoxLayout* layout, const char* name, const QString& spoken) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setAccessibleName(spoken);
    layout->addWidget(panel);
    return panel;
}

} // namespace

StorePage::StorePage(QWidget* tabSheet, StoreKind kind, HostContext& context,
                     const LanguageState& language, QObject* parent)
    : QObject(parent), store_(kind, context, language), tabSheet_(tabSheet), language_(language) {
    const PageNames& names = NamesFor(kind);
    const QString suffix = QLatin1String(names.suffix);

    // The page fills the tab sheet; a sheet that already has a layout gets
    // one widget holding the page.
    QWidget* host = tabSheet;
    if (QLayout* existing = tabSheet->layout()) {
        host = new QWidget(tabSheet);
        existing->addWidget(host);
    }
    auto* pageLayout = new QVBoxLayout(host);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    pageLayout->setSpacing(4);

    // Button bar: the counter on the left, the six buttons on the right.
    QFrame* bar = AddPanel(host, pageLayout, names.panels[0],
                           kind == StoreKind::Incoming ? QStringLiteral("Incoming messages")
                                                       : QStringLiteral("Outgoing messages"));
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(2);
    counter_ = new QLabel(language.Text(Strings::NoMessages), bar);
    counter_->setObjectName(QLatin1String(names.counter));
    barLayout->addWidget(counter_);
    dropped_ = new QLabel(bar);
    dropped_->setObjectName(QStringLiteral("DroppedLabel") + suffix);
    dropped_->setVisible(false);
    barLayout->addWidget(dropped_);
    barLayout->addStretch(1);
    AddButton(bar, QStringLiteral("FirstMsgBtn") + suffix, QStringLiteral("First message"),
              QStyle::SP_MediaSkipBackward, &StorePage::FirstMsgBtnClick);
    AddButton(bar, QStringLiteral("LeftBtn") + suffix, QStringLiteral("Previous message"),
              QStyle::SP_ArrowLeft, &StorePage::LeftBtnClick);
    AddButton(bar, QStringLiteral("RightBtn") + suffix, QStringLiteral("Next message"),
              QStyle::SP_ArrowRight, &StorePage::RightBtnClick);
    AddButton(bar, QStringLiteral("LastMsgBtn") + suffix, QStringLiteral("Last message"),
              QStyle::SP_MediaSkipForward, &StorePage::LastMsgBtnClick);
    barLayout->addSpacing(8);
    AddButton(bar, QStringLiteral("DeleteBtn") + suffix, QLatin1String(names.deleteHint),
              QStyle::SP_DialogCloseButton, &StorePage::DeleteBtnClick);
    AddButton(bar, QStringLiteral("DeleteAllBtn") + suffix, QLatin1String(names.deleteAllHint),
              QStyle::SP_TrashIcon, &StorePage::DeleteAllBtnClick);

    // Header line.
    QFrame* headerBar = AddPanel(host, pageLayout, names.panels[1], QStringLiteral("Header"));
    auto* headerLayout = new QHBoxLayout(headerBar);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLine_ = new QLineEdit(headerBar);
    headerLine_->setObjectName(QLatin1String(names.headerLine));
    headerLine_->setReadOnly(true);
    headerLine_->setAccessibleName(QStringLiteral("Message header"));
    headerLayout->addWidget(headerLine_);
    deliveryMark_ = new QLabel(host);
    deliveryMark_->setObjectName(QStringLiteral("DeliveryMark") + suffix);
    deliveryMark_->setWordWrap(true);
    deliveryMark_->setTextFormat(Qt::PlainText);
    deliveryMark_->setStyleSheet(QStringLiteral("color: #c00000;"));
    deliveryMark_->setVisible(false);
    pageLayout->addWidget(deliveryMark_);

    // Body view, filling the rest of the page.
    QFrame* bodyArea = AddPanel(host, pageLayout, names.panels[2], QStringLiteral("Message body"));
    pageLayout->setStretchFactor(bodyArea, 1);
    auto* bodyLayout = new QVBoxLayout(bodyArea);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    body_ = new corvane::BodyView(QLatin1String(names.bodyView), suffix, bodyArea);
    body_->SetContext(&context);
    body_->SetLanguage(language.Current());
    bodyView_ = body_->Text();
    bodyView_->setFocusPolicy(Qt::StrongFocus);
    if (kind == StoreKind::Outgoing)
        bodyView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bodyLayout->addWidget(body_);

    store_.SetView(this);
}

StorePage::~StorePage() {
    store_.SetView(nullptr);
}

QToolButton* StorePage::AddButton(QWidget* bar, const QString& name, const QString& hint, int icon,
                                  void (StorePage::*handler)()) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setIcon(bar->style()->standardIcon(QStyle::StandardPixmap(icon), nullptr, button));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::StrongFocus);
    bar->layout()->addWidget(button);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void StorePage::AppendToStore(const QString& header, const QByteArray& body) {
    store_.AppendToStore(ToAnsi(header), body);
}

void StorePage::SetBodyLoader(BodyLoader* loader) {
    body_->SetLoader(loader);
}

void StorePage::RetranslateCounter() {
    store_.RetranslateCounter();
    body_->SetLanguage(language_.Current());
}

void StorePage::FirstMsgBtnClick() {
    store_.First();
}
void StorePage::LeftBtnClick() {
    store_.Previous();
}
void StorePage::RightBtnClick() {
    store_.Next();
}
void StorePage::LastMsgBtnClick() {
    store_.Last();
}
void StorePage::DeleteBtnClick() {
    store_.DeleteCurrent();
}
void StorePage::DeleteAllBtnClick() {
    store_.DeleteAll();
}

void StorePage::ShowMessage(const QByteArray& header, const QByteArray& body) {
    const QString filed = FromAnsi(header);
    const DeliveryMarked parts = SplitDeliveryMark(filed);
    headerLine_->setText(parts.header);
    headerLine_->setCursorPosition(0);
    headerLine_->setToolTip(filed);
    headerLine_->setAccessibleDescription(parts.mark);
    deliveryMark_->setText(parts.mark);
    deliveryMark_->setVisible(!parts.mark.isEmpty());
    body_->Show(body);
}

void StorePage::ClearMessage() {
    body_->Clear();
    headerLine_->clear();
    headerLine_->setToolTip(QString());
    headerLine_->setAccessibleDescription(QString());
    deliveryMark_->clear();
    deliveryMark_->setVisible(false);
}

void StorePage::ShowDropped(int count) {
    dropped_->setText(QStringLiteral("(%1 oldest messages were removed to make room)").arg(count));
    dropped_->setVisible(count > 0);
}

void StorePage::ShowCounter(const QString& text) {
    counter_->setText(text);
}

} // namespace corvane
