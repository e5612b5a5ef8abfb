#pragma once
// The incoming and outgoing message stores and their browsing.
//
// A store is an ordered list of stored-message texts, oldest first, kept in
// memory only. One text is
//
//   stored-message = Header FieldSeparator Body      ; Windows-1251 bytes
//
// and is read back with the field-splitting rule: field 1 is the header, field
// 2 the body. A header or body that itself holds 0xA9 therefore comes back cut
// when it is browsed to again; appending shows the texts it was given whole.
//
// The position is 1-based and names the message shown on the page, 0 when
// none is. It is 0 exactly when the store is empty, and never past the end.
//
// The operations decide everything (what to show, when to beep, what to ask)
// and hand the results to a MessageStoreView; the page only renders them.
#include "settings/stringtable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace corvane {

class HostContext;

enum class StoreKind { Incoming, Outgoing };

struct StoredMessage {
    QByteArray text;

    static StoredMessage Make(QByteArrayView header, QByteArrayView body);
    QByteArray Header() const; // field 1
    QByteArray Body() const;   // field 2
};

// What a page shows of its store. Header and body arrive as stored bytes; the
// page converts them where they enter its controls.
class MessageStoreView {
public:
    virtual ~MessageStoreView() = default;
    virtual void ShowMessage(const QByteArray& header, const QByteArray& body) = 0;
    virtual void ClearMessage() = 0; // empties the header line and the body view
    virtual void ShowCounter(const QString& text) = 0;
    // How many of the oldest messages the store let go to stay in its bounds
    // (0: none, the note goes away).
    virtual void ShowDropped(int count) = 0;
};

// Entry 8 ("Message %d of %d") with the position in the first placeholder and
// the count in the second.
QString FormatCounter(const QString& pattern, int position, int count);

// The title of the delete-all question: the application title on the Incoming
// page, the outgoing page's own spelling on the Outgoing page.
QString DeleteAllTitle(StoreKind kind);

class MessageStore {
public:
    // The store keeps at most this many messages and bytes; beyond them the
    // oldest messages go (never the one just added), and the page says how
    // many went.
    static constexpr int MaxMessages = 10000;
    static constexpr qint64 MaxBytes = 128 * 1024 * 1024;

    // Beeps and the delete-all question go through the context's services;
    // the texts come from the language's current string table at each use.
    MessageStore(StoreKind kind, HostContext& context, const LanguageState& language);
    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    void SetView(MessageStoreView* view) { view_ = view; }

    StoreKind Kind() const { return kind_; }
    int Count() const { return int(entries_.size()); }
    int Position() const { return position_; }
    qint64 Bytes() const { return bytes_; }
    int Dropped() const { return dropped_; }
    // Message p, 1-based; an empty message outside 1..Count().
    StoredMessage At(int position) const;
    QList<StoredMessage> Messages() const;

    // Files a message at the end and shows it:
    //   1. add Header FieldSeparator Body at the end;
    //   2. show header and body as given (not split again);
    //   3. process pending events once (other handlers, also another append,
    //      may run here);
    //   4. the position becomes the number of messages;
    //   5. the counter reads that position of that number.
    // The position names the new message from step 1 on, so anything that
    // runs inside step 3 acts on the message on screen; if something inside
    // step 3 showed another message than the newest, step 4 shows the newest
    // again.
    void AppendToStore(QByteArrayView header, const QByteArray& body);

    // Browsing: at the end of the list in that direction, beep and stop.
    void First();
    void Previous();
    void Next();
    void Last();
    // Deletes the message shown, without asking and without a beep. The next
    // message takes its place, or the one before when it was the last.
    void DeleteCurrent();
    // Asks first (entry 9, Yes/No/Cancel); anything but Yes changes nothing.
    void DeleteAll();

    // The counter for the current state in the current language.
    QString CounterText() const;
    // Renders the counter again (after a language switch).
    void RetranslateCounter();

private:
    struct Entry {
        StoredMessage message;
        quint64 serial; // tells which message the page shows
    };

    void Beep();
    void Show(int position);   // message p and the counter p of n
    void Render(int position); // message p split into header line and body view
    void ClearView();
    void UpdateCounter(); // entry 8 with the position and the count
    void ShowCounter(const QString& text);
    void DropOldest();

    StoreKind kind_;
    HostContext& context_;
    const LanguageState& language_;
    MessageStoreView* view_ = nullptr;
    QList<Entry> entries_;
    int position_ = 0;
    quint64 nextSerial_ = 1;
    quint64 shownSerial_ = 0; // serial of the message on the page, 0 for none
    qint64 bytes_ = 0;
    int dropped_ = 0;
};

} // namespace corvane
