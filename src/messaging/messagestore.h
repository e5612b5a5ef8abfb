#pragma once
// The incoming and outgoing message stores and their browsing.
//
// A store is an ordered list of messages, oldest first, kept by a
// MessageHistory (in memory, or in a file that survives the program); the
// store holds only where each one is, and reads a message when it is shown.
// Read back, a message is the text
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
#include "messaging/messagehistory.h"
#include "messaging/storekind.h"
#include "settings/stringtable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace corvane {

class HostContext;

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
    // The bounds of a store in memory; a store in a file keeps
    // MessageHistory::KeptBounds. Beyond them the oldest messages go (never
    // the one just added), and the page says how many went.
    static constexpr int MaxMessages = MessageHistory::MemoryBounds.messages;
    static constexpr qint64 MaxBytes = MessageHistory::MemoryBounds.bytes;

    enum class Commit {
        Now,   // durable before the call returns
        Later, // the listener commits a group of records before it answers
    };
    // Where a find stands: the match shown, counted from the newest (0 when
    // the message shown is none of them), and how many there are.
    struct Matches {
        int shown = 0;
        int count = 0;
    };

    // Beeps and the delete-all question go through the context's services;
    // the texts come from the language's current string table at each use.
    // Without a history the store keeps its messages in memory of its own;
    // a history must outlive the store. The store starts on its newest
    // message.
    MessageStore(StoreKind kind, HostContext& context, const LanguageState& language,
                 MessageHistory* history = nullptr);
    ~MessageStore();
    MessageStore(const MessageStore&) = delete;
    MessageStore& operator=(const MessageStore&) = delete;

    // Shows the message at the position (the newest at start) and the
    // counter on the view.
    void SetView(MessageStoreView* view);

    StoreKind Kind() const { return kind_; }
    MessageHistory& History() { return *history_; }
    int Count() const { return int(rows_.size()); }
    int Position() const { return position_; }
    qint64 Bytes() const { return bytes_; }
    int Dropped() const { return dropped_; }
    // Message p, 1-based, read from where it is kept; an empty message
    // outside 1..Count().
    StoredMessage At(int position) const;
    QList<StoredMessage> Messages() const;

    // Files a message at the end and shows it:
    //   1. add it at the end;
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
    void AppendToStore(const HistoryRecord& record, Commit commit = Commit::Now);

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

    // Find: the messages whose header or text hold words beginning with each
    // of the words, letter case aside. FindNewest shows the newest of them;
    // FindNext shows the next older (or newer) one from the message shown,
    // and beeps when there is none.
    Matches FindNewest(const QString& words);
    Matches FindNext(const QString& words, bool older);

    // The counter for the current state in the current language.
    QString CounterText() const;
    // Renders the counter again (after a language switch).
    void RetranslateCounter();
    // Reads the rows again from the history (after they moved), keeping the
    // message shown when it is still there.
    void Reload();

private:
    void Beep();
    void Show(int position);   // message p and the counter p of n
    void Render(int position); // message p split into header line and body view
    void ClearView();
    void UpdateCounter(); // entry 8 with the position and the count
    void ShowCounter(const QString& text);
    void DropOldest();
    void AddRow(const MessageRef& r); // after the newest
    void RemoveRow(int index);
    int PositionOf(const MessageRef& ref) const; // 0 when not in the store
    Matches Step(const QString& words, int direction);

    StoreKind kind_;
    HostContext& context_;
    const LanguageState& language_;
    std::unique_ptr<MessageHistory> ownHistory_;
    MessageHistory* history_;
    QMetaObject::Connection reload_;
    MessageStoreView* view_ = nullptr;
    std::vector<MessageRef> rows_;
    int position_ = 0;
    MessageRef shown_; // the message on the page; id 0 for none
    qint64 bytes_ = 0;
    qint64 memoryBytes_ = 0; // of the rows kept in memory
    int inMemory_ = 0;
    int dropped_ = 0;
};

} // namespace corvane
