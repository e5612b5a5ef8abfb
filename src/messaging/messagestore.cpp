#include "messaging/messagestore.h"

#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/fieldsplit.h"
#include "common/hostcontext.h"
#include "common/soundplayer.h"
#include "common/timedwait.h"

namespace corvane {

StoredMessage StoredMessage::Make(QByteArrayView header, QByteArrayView body) {
    QByteArray text;
    text.reserve(header.size() + FieldSeparator.size() + body.size());
    text.append(header).append(FieldSeparator).append(body);
    return {text};
}

QByteArray StoredMessage::Header() const {
    return Field(text, 1);
}
QByteArray StoredMessage::Body() const {
    return Field(text, 2);
}

QString FormatCounter(const QString& pattern, int position, int count) {
    QString out = pattern;
    const QLatin1String placeholder("%d");
    qsizetype at = out.indexOf(placeholder);
    if (at >= 0) {
        const QString p = QString::number(position);
        out.replace(at, placeholder.size(), p);
        at = out.indexOf(placeholder, at + p.size());
        if (at >= 0)
            out.replace(at, placeholder.size(), QString::number(count));
    }
    return out;
}

QString DeleteAllTitle(StoreKind kind) {
    // The outgoing page has always spelled its title this way; users know it.
    return kind == StoreKind::Incoming ? ApplicationTitle : QStringLiteral("Corvane Messeneger");
}

MessageStore::MessageStore(StoreKind kind, HostContext& context, const LanguageState& language)
    : kind_(kind), context_(context), language_(language) {}

StoredMessage MessageStore::At(int position) const {
    if (position < 1 || position > Count())
        return {};
    return entries_[position - 1].message;
}

QList<StoredMessage> MessageStore::Messages() const {
    QList<StoredMessage> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_)
        out.append(e.message);
    return out;
}

void MessageStore::AppendToStore(QByteArrayView header, const QByteArray& body) {
    const quint64 serial = nextSerial_++;
    entries_.append(Entry{StoredMessage::Make(header, body), serial});
    bytes_ += entries_.last().message.text.size();
    DropOldest();
    position_ = Count();
    if (view_)
        view_->ShowMessage(header.toByteArray(), body);
    shownSerial_ = serial;

    ProcessPendingMessages();

    position_ = Count();
    if (position_ > 0 && shownSerial_ != entries_.last().serial)
        Render(position_);
    UpdateCounter();
}

void MessageStore::DropOldest() {
    const int before = dropped_;
    while (Count() > 1 && (Count() > MaxMessages || bytes_ > MaxBytes)) {
        bytes_ -= entries_.first().message.text.size();
        entries_.removeFirst();
        ++dropped_;
    }
    if (dropped_ != before && view_)
        view_->ShowDropped(dropped_);
}

void MessageStore::First() {
    if (position_ <= 1) {
        Beep();
        return;
    }
    position_ = 1;
    Show(position_);
}

void MessageStore::Previous() {
    if (position_ <= 1) {
        Beep();
        return;
    }
    --position_;
    Show(position_);
}

void MessageStore::Next() {
    if (position_ == Count()) {
        Beep();
        return;
    }
    ++position_;
    Show(position_);
}

void MessageStore::Last() {
    if (position_ == Count()) {
        Beep();
        return;
    }
    position_ = Count();
    Show(position_);
}

void MessageStore::DeleteCurrent() {
    const int n = Count();
    const int p = position_;
    if (n == 0)
        return;
    if (n == 1) {
        entries_.clear();
        bytes_ = 0;
        ClearView();
        position_ = 0;
        UpdateCounter();
        return;
    }
    if (p < n) {
        // The next message moves into position p.
        Render(p + 1);
        bytes_ -= entries_[p - 1].message.text.size();
        entries_.removeAt(p - 1);
    } else {
        Render(p - 1);
        position_ = p - 1;
        bytes_ -= entries_.last().message.text.size();
        entries_.removeLast();
    }
    UpdateCounter();
}

void MessageStore::DeleteAll() {
    DialogService::Button answer = DialogService::Cancel;
    if (context_.dialogs)
        answer = context_.dialogs->MessageBox(language_.Text(Strings::DeleteAllQuestion),
                                              DeleteAllTitle(kind_), DialogService::Icon::Question,
                                              DialogService::Yes | DialogService::No |
                                                  DialogService::Cancel);
    if (answer != DialogService::Yes)
        return;
    entries_.clear();
    bytes_ = 0;
    position_ = 0;
    if (dropped_ != 0 && view_)
        view_->ShowDropped(0);
    dropped_ = 0;
    ShowCounter(language_.Text(Strings::NoMessages));
    ClearView();
}

QString MessageStore::CounterText() const {
    if (entries_.isEmpty())
        return language_.Text(Strings::NoMessages);
    return FormatCounter(language_.Text(Strings::MessageCounter), position_, Count());
}

void MessageStore::RetranslateCounter() {
    ShowCounter(CounterText());
}

void MessageStore::Beep() {
    if (context_.sound)
        context_.sound->Beep();
}

void MessageStore::Show(int position) {
    Render(position);
    UpdateCounter();
}

void MessageStore::Render(int position) {
    const Entry& e = entries_[position - 1];
    if (view_)
        view_->ShowMessage(e.message.Header(), e.message.Body());
    shownSerial_ = e.serial;
}

void MessageStore::ClearView() {
    if (view_)
        view_->ClearMessage();
    shownSerial_ = 0;
}

void MessageStore::UpdateCounter() {
    ShowCounter(FormatCounter(language_.Text(Strings::MessageCounter), position_, Count()));
}

void MessageStore::ShowCounter(const QString& text) {
    if (view_)
        view_->ShowCounter(text);
}

} // namespace corvane
