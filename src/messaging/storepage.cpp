#include "messaging/storepage.h"

#include "common/ansicodec.h"
#include "messaging/bodyview.h"
#include "messaging/sendresult.h"
#include "settings/programtexts.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFrame>
#include <QKeyEvent>
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
                     const LanguageState& language, QObject* parent, MessageHistory* history)
    : QObject(parent), store_(kind, context, language, history), tabSheet_(tabSheet),
      language_(language) {
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

    BuildButtonBar(host, pageLayout, kind, suffix);
    BuildFindBar(host, pageLayout, suffix);

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

// The button bar: the counter on the left, the six buttons on the right.
void StorePage::BuildButtonBar(QWidget* host, QBoxLayout* pageLayout, StoreKind kind,
                               const QString& suffix) {
    const PageNames& names = NamesFor(kind);
    QFrame* bar = AddPanel(host, pageLayout, names.panels[0],
                           kind == StoreKind::Incoming ? QStringLiteral("Incoming messages")
                                                       : QStringLiteral("Outgoing messages"));
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(2);
    counter_ = new QLabel(language_.Text(Strings::NoMessages), bar);
    counter_->setObjectName(QLatin1String(names.counter));
    barLayout->addWidget(counter_);
    dropped_ = new QLabel(bar);
    dropped_->setObjectName(QStringLiteral("DroppedLabel") + suffix);
    dropped_->setVisible(false);
    barLayout->addWidget(dropped_);
    barLayout->addStretch(1);
    AddButton(bar, QStringLiteral("FirstMsgBtn") + suffix, QStringLiteral("First message"),
              QStyle::SP_MediaSkipBackward, [this] { FirstMsgBtnClick(); });
    AddButton(bar, QStringLiteral("LeftBtn") + suffix, QStringLiteral("Previous message"),
              QStyle::SP_ArrowLeft, [this] { LeftBtnClick(); });
    AddButton(bar, QStringLiteral("RightBtn") + suffix, QStringLiteral("Next message"),
              QStyle::SP_ArrowRight, [this] { RightBtnClick(); });
    AddButton(bar, QStringLiteral("LastMsgBtn") + suffix, QStringLiteral("Last message"),
              QStyle::SP_MediaSkipForward, [this] { LastMsgBtnClick(); });
    barLayout->addSpacing(8);
    AddButton(bar, QStringLiteral("DeleteBtn") + suffix, QLatin1String(names.deleteHint),
              QStyle::SP_DialogCloseButton, [this] { DeleteBtnClick(); });
    AddButton(bar, QStringLiteral("DeleteAllBtn") + suffix, QLatin1String(names.deleteAllHint),
              QStyle::SP_TrashIcon, [this] { DeleteAllBtnClick(); });
}

StorePage::~StorePage() {
    store_.SetView(nullptr);
}

void StorePage::BuildFindBar(QWidget* host, QBoxLayout* layout, const QString& suffix) {
    findBar_ = new QFrame(host);
    findBar_->setObjectName(QStringLiteral("FindBar") + suffix);
    findBar_->setAccessibleName(QStringLiteral("Find"));
    findBar_->setVisible(false);
    layout->addWidget(findBar_);
    auto* row = new QHBoxLayout(findBar_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* label = new QLabel(QStringLiteral("&Find:"), findBar_);
    label->setObjectName(QStringLiteral("FindLabel") + suffix);
    findEdit_ = new QLineEdit(findBar_);
    findEdit_->setObjectName(QStringLiteral("FindEdit") + suffix);
    findEdit_->setAccessibleName(QStringLiteral("Find in messages"));
    label->setBuddy(findEdit_);
    row->addWidget(label);
    row->addWidget(findEdit_, 1);
    AddButton(findBar_, QStringLiteral("FindOlderBtn") + suffix,
              QStringLiteral("Older match (Enter)"), QStyle::SP_ArrowLeft,
              [this] { FindStep(true); });
    AddButton(findBar_, QStringLiteral("FindNewerBtn") + suffix,
              QStringLiteral("Newer match (Shift+Enter)"), QStyle::SP_ArrowRight,
              [this] { FindStep(false); });
    findCount_ = new QLabel(findBar_);
    findCount_->setObjectName(QStringLiteral("FindCount") + suffix);
    row->addWidget(findCount_);
    AddButton(findBar_, QStringLiteral("FindCloseBtn") + suffix, QStringLiteral("Close find (Esc)"),
              QStyle::SP_DialogCloseButton, [this] { CloseFind(); });
    connect(findEdit_, &QLineEdit::textChanged, this, &StorePage::FindTextChanged);
    qApp->installEventFilter(this); // Ctrl+F and F3 wherever the page has the keyboard
}

void StorePage::OpenFind() {
    findBar_->setVisible(true);
    findEdit_->setFocus(Qt::ShortcutFocusReason);
    findEdit_->selectAll();
}

void StorePage::CloseFind() {
    findBar_->setVisible(false);
    bodyView_->setFocus(Qt::OtherFocusReason);
}

void StorePage::FindTextChanged() {
    matches_ = findEdit_->text().trimmed().isEmpty() ? MessageStore::Matches{}
                                                     : store_.FindNewest(findEdit_->text());
    ShowMatches();
}

void StorePage::FindStep(bool older) {
    if (findEdit_->text().trimmed().isEmpty())
        return;
    matches_ = store_.FindNext(findEdit_->text(), older);
    ShowMatches();
}

void StorePage::ShowMatches() {
    const Language language = language_.Current();
    const bool looking = !findEdit_->text().trimmed().isEmpty();
    QString text; // none while nothing is looked for
    if (looking && matches_.count == 0)
        text = TextIn(language, ProgramText::FindNone);
    else if (looking && matches_.shown == 0)
        text = TextIn(language, ProgramText::FindMatches).arg(matches_.count);
    else if (looking)
        text = TextIn(language, ProgramText::FindMatch).arg(matches_.shown).arg(matches_.count);
    findCount_->setText(text);
}

bool StorePage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !tabSheet_->isVisible() || widget->window() != tabSheet_->window())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    if (key->key() == Qt::Key_F && modifiers == Qt::ControlModifier) {
        OpenFind();
        return true;
    }
    if (!findBar_->isVisible())
        return false;
    if (key->key() == Qt::Key_F3 && (shift || modifiers == Qt::NoModifier)) {
        FindStep(!shift);
        return true;
    }
    if (widget != findEdit_)
        return false;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (shift || modifiers == Qt::NoModifier)) {
        FindStep(!shift);
        return true;
    }
    if (key->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        CloseFind();
        return true;
    }
    return false;
}

QToolButton* StorePage::AddButton(QWidget* bar, const QString& name, const QString& hint, int icon,
                                  std::function<void()> handler) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setIcon(bar->style()->standardIcon(QStyle::StandardPixmap(icon), nullptr, button));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::StrongFocus);
    bar->layout()->addWidget(button);
    connect(button, &QToolButton::clicked, this, std::move(handler));
    return button;
}

void StorePage::AppendToStore(const QString& header, const QByteArray& body) {
    store_.AppendToStore(ToAnsi(header), body);
}

void StorePage::AppendToStore(const QString& header, HistoryRecord record,
                              MessageStore::Commit commit) {
    record.header = ToAnsi(header);
    store_.AppendToStore(record, commit);
}

void StorePage::SetBodyLoader(BodyLoader* loader) {
    body_->SetLoader(loader);
}

void StorePage::RetranslateCounter() {
    store_.RetranslateCounter();
    body_->SetLanguage(language_.Current());
    ShowDropped(store_.Dropped());
    ShowMatches();
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
    dropped_->setText(count > 0 ? TextIn(language_.Current(), ProgramText::DroppedNote).arg(count)
                                : QString());
    dropped_->setVisible(count > 0);
}

void StorePage::ShowCounter(const QString& text) {
    counter_->setText(text);
}

} // namespace corvane
