#pragma once
// Where the two message stores keep their messages: in memory only, as they
// always did, or in one file of the person's data folder (HostContext::
// historyDir, made 0700; the file FileName, 0600) that survives exit, crash
// and power loss.
//
//   Memory    a database in memory; nothing reaches the disk.
//   File      every message is written into the file; the listener's records
//             are committed (synchronously) before their senders are told
//             that they were delivered, a burst of them in one commit.
//   Fallback  the file could not be written (disk full, read-only): the
//             person is told once, the messages it holds are still shown,
//             and new ones and deletions live in memory until the end of the
//             run. Records filed while the writing failed are not reported
//             as delivered.
//
// A file that is damaged, or that is not ours, is renamed with the date (kept
// aside, never overwritten) and a new one is started; the person is told
// once. Whatever happens to the file, receiving and sending go on.
#include "messaging/historydatabase.h"
#include "messaging/storekind.h"

#include <QObject>
#include <QSet>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace corvane {

class HostContext;
class LanguageState;

// A message of a store: where it is kept and what it weighs.
struct MessageRef {
    qint64 id = 0;
    qint64 bytes = 0;
    bool inMemory = false;
    bool operator==(const MessageRef&) const = default;
};
// The order of the messages of a store: the file's before memory's, each by
// id.
inline bool operator<(const MessageRef& a, const MessageRef& b) {
    return a.inMemory != b.inMemory ? !a.inMemory : a.id < b.id;
}

class MessageHistory : public QObject {
    Q_OBJECT
public:
    enum class Mode { Memory, File, Fallback };
    struct Bounds {
        int messages;
        qint64 bytes;
    };
    // Per store; beyond them the oldest messages go.
    static constexpr Bounds KeptBounds{100000, qint64(1) << 30};
    static constexpr Bounds MemoryBounds{10000, 128 * 1024 * 1024};
    static inline const QString FileName = QStringLiteral("messages.db");
    // A body is searched through its first IndexedBytes.
    static constexpr qsizetype IndexedBytes = 256 * 1024;

    // In memory until SetKeeping(true). The texts told to the person are in
    // the language's current tongue. Throws AppError when not even a
    // database in memory can be made (Qt's SQLite driver is missing).
    MessageHistory(HostContext& context, const LanguageState& language, QObject* parent = nullptr);
    ~MessageHistory() override;

    // From now on, messages are kept in the file (the ones in memory move
    // there) or in memory only (the newest within MemoryBounds stay, and the
    // file is deleted). Returns whether they are kept in the file now;
    // failures are told. Without a history folder nothing is kept.
    bool SetKeeping(bool keep);
    bool Keeping() const { return mode_ != Mode::Memory; }
    Mode CurrentMode() const { return mode_; }
    QString Path() const;
    Bounds BoundsNow() const { return mode_ == Mode::Memory ? MemoryBounds : keptBounds_; }
    // The bounds of a store in the file (KeptBounds unless set).
    void SetKeptBounds(Bounds bounds) { keptBounds_ = bounds; }

    // Files a message (into the open transaction); a ref with id 0 when it
    // could be kept nowhere. awaited: a record whose sender learns from
    // CommitFiled() whether it was kept; only such records make it false.
    MessageRef Append(StoreKind kind, const HistoryRecord& record, bool awaited = false);
    bool Load(const MessageRef& ref, QByteArray* header, QByteArray* body);
    void Remove(const std::vector<MessageRef>& refs);
    // Removes every message of the store and commits.
    void RemoveAll(StoreKind kind);
    // The messages of a store, oldest first.
    std::vector<MessageRef> Rows(StoreKind kind);
    // The messages whose header or text hold words that begin with each of
    // the words, letter case aside; oldest first, bytes not filled in.
    std::vector<MessageRef> Find(StoreKind kind, const QString& words);

    // Makes the changes so far durable now.
    void Commit();
    // For the listener: commits, and says whether every record filed since
    // the last call is where it was meant to be (committed in the file, or
    // in memory when messages are not kept). False: not delivered.
    bool CommitFiled();

Q_SIGNALS:
    // The messages moved between file and memory: the stores read their
    // rows again.
    void RowsReplaced();

private:
    struct Pending {
        StoreKind kind;
        HistoryRecord record;
        QString text;
        bool awaited;
    };
    HistoryDatabase* DatabaseOf(const MessageRef& ref);
    void OpenFile();
    std::unique_ptr<HistoryDatabase> OpenOrKeepAside(const QString& path);
    bool Preload(HistoryDatabase& db);
    void FileFailed(const QString& reason);
    void MoveMemoryToFile();
    void CopyFileToMemory();
    void RemoveFile();
    void Tell(const QString& text);
    void ShowNotices();

    HostContext& context_;
    const LanguageState& language_;
    Mode mode_ = Mode::Memory;
    Bounds keptBounds_ = KeptBounds;
    std::unique_ptr<HistoryDatabase> file_;
    std::unique_ptr<HistoryDatabase> memory_;
    // Rows read at the opening, for the stores' first look.
    std::array<std::optional<std::vector<HistoryRow>>, 2> preloaded_;
    std::vector<Pending> pending_; // written into the file since its last commit
    QList<qint64> pendingRemovals_;
    QSet<qint64> hidden_; // gone from the pages, still in a file that cannot be written
    // An awaited record since the last CommitFiled() is not where it was meant to be.
    bool unsaved_ = false;
    QTimer commitTimer_;  // commits what nobody committed
    QStringList notices_; // to be shown once the event loop runs
    QStringList told_;
};

// The text a message is found by: its header and the text of its body (the
// first IndexedBytes of it).
QString SearchText(const QByteArray& header, const QByteArray& body);

} // namespace corvane
