#include "messaging/messagestore.h"

#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/fieldsplit.h"
#include "common/hostcontext.h"
#include "common/soundplayer.h"
#include "common/timedwait.h"

#include <algorithm>

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

MessageStore::MessageStore(StoreKind kind, HostContext& context, const LanguageState& language,
                           MessageHistory* history)
    : kind_(kind), context_(context), language_(language) {
    if (!history) {
        ownHistory_ = std::make_unique<MessageHistory>(context, language);
        history = ownHistory_.get();
    }
    history_ = history;
    reload_ = QObject::connect(history_, &MessageHistory::RowsReplaced, [this] { Reload(); });
    Reload();
}

MessageStore::~MessageStore() {
    QObject::disconnect(reload_);
}

void MessageStore::SetView(MessageStoreView* view) {
    view_ = view;
    if (view_ && position_ > 0)
        Show(position_);
}

void MessageStore::Reload() {
    const std::vector<MessageRef> rows = history_->Rows(kind_);
    rows_.clear();
    rows_.reserve(rows.size());
    bytes_ = memoryBytes_ = 0;
    inMemory_ = 0;
    for (const MessageRef& r : rows)
        AddRow(r);
    // The message shown stays; else the same place, or the newest.
    const int at = shown_.id ? PositionOf(shown_) : 0;
    position_ =
        at ? at : std::clamp(position_ ? position_ : Count(), std::min(1, Count()), Count());
    if (!view_)
        return;
    if (position_ > 0)
        Show(position_);
    else if (shown_.id) {
        ClearView();
        UpdateCounter();
    }
}

StoredMessage MessageStore::At(int position) const {
    if (position < 1 || position > Count())
        return {};
    QByteArray header, body;
    history_->Load(rows_[size_t(position - 1)], &header, &body);
    return StoredMessage::Make(header, body);
}

QList<StoredMessage> MessageStore::Messages() const {
    QList<StoredMessage> out;
    out.reserve(Count());
    for (int p = 1; p <= Count(); ++p)
        out.append(At(p));
    return out;
}

int MessageStore::PositionOf(const MessageRef& ref) const {
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), ref);
    return it != rows_.end() && it->id == ref.id && it->inMemory == ref.inMemory
               ? int(it - rows_.begin()) + 1
               : 0;
}

void MessageStore::AppendToStore(QByteArrayView header, const QByteArray& body) {
    HistoryRecord record;
    record.header = header.toByteArray();
    record.body = body;
    record.filed = QDateTime::currentDateTime();
    AppendToStore(record);
}

void MessageStore::AppendToStore(const HistoryRecord& record, Commit commit) {
    const MessageRef ref = history_->Append(kind_, record, commit == Commit::Later);
    if (ref.id == 0)
        return; // kept nowhere: the listener does not call it delivered
    AddRow(ref);
    DropOldest();
    if (commit == Commit::Now)
        history_->Commit();
    position_ = Count();
    if (view_)
        view_->ShowMessage(record.header, record.body);
    shown_ = ref;

    ProcessPendingMessages();

    position_ = Count();
    if (position_ > 0 && shown_ != rows_.back())
        Render(position_);
    UpdateCounter();
}

void MessageStore::AddRow(const MessageRef& r) {
    rows_.push_back(r);
    bytes_ += r.bytes;
    if (r.inMemory) {
        memoryBytes_ += r.bytes;
        ++inMemory_;
    }
}

void MessageStore::RemoveRow(int index) {
    const MessageRef r = rows_[size_t(index)];
    bytes_ -= r.bytes;
    if (r.inMemory) {
        memoryBytes_ -= r.bytes;
        --inMemory_;
    }
    rows_.erase(rows_.begin() + index);
}

void MessageStore::DropOldest() {
    // The whole store within its bounds; what lives in memory (a file that
    // cannot be written) also within memory's.
    const MessageHistory::Bounds bounds = history_->BoundsNow();
    const MessageHistory::Bounds memory = MessageHistory::MemoryBounds;
    std::vector<MessageRef> gone;
    while (Count() > 1) {
        int victim = -1;
        if (inMemory_ > memory.messages || memoryBytes_ > memory.bytes)
            victim = Count() - inMemory_; // the oldest in memory
        else if (Count() > bounds.messages || bytes_ > bounds.bytes)
            victim = 0;
        if (victim < 0 || victim >= Count() - 1)
            break;
        gone.push_back(rows_[size_t(victim)]);
        RemoveRow(victim);
    }
    if (gone.empty())
        return;
    history_->Remove(gone);
    dropped_ += int(gone.size());
    if (view_)
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
    const MessageRef gone = rows_[size_t(p - 1)];
    if (n == 1) {
        RemoveRow(0);
        ClearView();
        position_ = 0;
    } else if (p < n) {
        // The next message moves into position p.
        Render(p + 1);
        RemoveRow(p - 1);
    } else {
        Render(p - 1);
        position_ = p - 1;
        RemoveRow(p - 1);
    }
    history_->Remove({gone});
    history_->Commit();
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
    history_->RemoveAll(kind_);
    rows_.clear();
    bytes_ = memoryBytes_ = 0;
    inMemory_ = 0;
    position_ = 0;
    if (dropped_ != 0 && view_)
        view_->ShowDropped(0);
    dropped_ = 0;
    ShowCounter(language_.Text(Strings::NoMessages));
    ClearView();
}

MessageStore::Matches MessageStore::FindNewest(const QString& words) {
    return Step(words, 0);
}

MessageStore::Matches MessageStore::FindNext(const QString& words, bool older) {
    return Step(words, older ? -1 : 1);
}

MessageStore::Matches MessageStore::Step(const QString& words, int direction) {
    std::vector<int> positions; // ascending, as the rows
    for (const MessageRef& ref : history_->Find(kind_, words))
        if (const int p = PositionOf(ref))
            positions.push_back(p);
    int target = 0;
    if (direction == 0 && !positions.empty()) {
        target = positions.back();
    } else if (direction < 0) {
        const auto it = std::lower_bound(positions.begin(), positions.end(), position_);
        target = it == positions.begin() ? 0 : *(it - 1);
    } else if (direction > 0) {
        const auto it = std::upper_bound(positions.begin(), positions.end(), position_);
        target = it == positions.end() ? 0 : *it;
    }
    if (target > 0 && target != position_) {
        position_ = target;
        Show(position_);
    } else if (target == 0 && direction != 0) {
        Beep();
    }
    const auto shown = std::find(positions.begin(), positions.end(), position_);
    return {shown == positions.end() ? 0 : int(positions.end() - shown), int(positions.size())};
}

QString MessageStore::CounterText() const {
    if (rows_.empty())
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
    const MessageRef ref = rows_[size_t(position - 1)];
    if (view_) {
        // Read back as it always was: split at the separator.
        const StoredMessage message = At(position);
        view_->ShowMessage(message.Header(), message.Body());
    }
    shown_ = ref;
}

void MessageStore::ClearView() {
    if (view_)
        view_->ClearMessage();
    shown_ = {};
}

void MessageStore::UpdateCounter() {
    ShowCounter(FormatCounter(language_.Text(Strings::MessageCounter), position_, Count()));
}

void MessageStore::ShowCounter(const QString& text) {
    if (view_)
        view_->ShowCounter(text);
}

} // namespace corvane
