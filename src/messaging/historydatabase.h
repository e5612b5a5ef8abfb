#pragma once
// One SQLite database of messages, a file or in memory, through Qt SQL.
//
// The file (PRAGMA application_id HistoryApplicationId, user_version
// HistorySchemaVersion, WAL journal, synchronous FULL):
//
//   message(id INTEGER PRIMARY KEY AUTOINCREMENT   order of filing, never reused
//           store INTEGER       0 incoming, 1 outgoing
//           filed INTEGER       when, ms since 1970 UTC
//           header BLOB         Windows-1251, as shown on the page
//           body BLOB           as received or sent (RTF, or plain text)
//           computer BLOB       incoming: the sender's computer (its Sender field)
//           address TEXT        incoming: the address the record came from
//           delivered TEXT      outgoing: the targets that got it, one a line
//           missed TEXT         outgoing: the targets that did not
//           bytes INTEGER)      header + body, for the bounds
//   message_order ON message(store, id, bytes)
//   message_text  FTS5(text), rowid = message.id; unicode61 folds the letter
//                 case of every alphabet, Cyrillic included; a trigger drops a
//                 message's text with the message
//
// Writes open a transaction that stays open until Commit(), so that a burst
// of messages costs one commit. Every failure is kept as the error text and
// whether the file is damaged (Fault).
#include "messaging/storekind.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QSqlError;

namespace corvane {

inline constexpr int HistoryApplicationId = 0x43564D48; // "CVMH"
inline constexpr int HistorySchemaVersion = 1;

// One message with what is known about it besides header and body. Each
// field starts empty, so that a record can name only what it knows.
struct HistoryRecord {
    QByteArray header{};
    QByteArray body{};
    QDateTime filed{};
    QByteArray computer{};
    QString address{};
    QStringList delivered{};
    QStringList missed{};
};

struct HistoryRow {
    qint64 id = 0;
    qint64 bytes = 0;
};

class HistoryDatabase {
public:
    enum class Fault {
        None,
        Damaged, // not a database, or a damaged one
        Foreign, // another program's database, or a later version's
        System,  // the system refused: cannot open, read or write
    };

    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // A database in memory; null only without Qt's SQLite driver.
    static std::unique_ptr<HistoryDatabase> InMemory(QString* reason = nullptr);
    // Opens the file, making the schema in a new or empty one; null with the
    // fault and the reason when it cannot be used. A file that can be read
    // but not written opens with Writable() false; one on a file system or
    // in a folder that cannot be written is read as it is on the disk, with
    // what a crash left in its log when the log can be read.
    static std::unique_ptr<HistoryDatabase> Open(const QString& path, Fault* fault,
                                                 QString* reason);

    bool Writable() const { return writable_; }
    // The id of the new message, 0 on failure.
    qint64 Insert(StoreKind kind, const HistoryRecord& record, const QString& text);
    bool Read(qint64 id, QByteArray* header, QByteArray* body);
    bool ReadRecord(qint64 id, HistoryRecord* record, QString* text);
    bool Remove(const QList<qint64>& ids);
    bool RemoveAll(StoreKind kind);
    // The messages of a store, oldest first.
    bool Rows(StoreKind kind, std::vector<HistoryRow>* rows);
    // The messages of a store whose text holds words beginning with each of
    // the words asked for, oldest first.
    bool Find(StoreKind kind, const QString& words, QList<qint64>* ids);
    // Commits the open transaction (true when none is open); a failed commit
    // is rolled back.
    bool Commit();
    void Rollback();
    bool InTransaction() const { return inTransaction_; }
    // Gives the free pages of the file back to the system.
    void Shrink();

    QString Error() const { return error_; }
    Fault ErrorFault() const { return errorFault_; }

    // The search expression for the words: each word a prefix, all of them
    // needed; empty when no word has a letter or digit.
    static QString MatchExpression(const QString& words);

private:
    struct Statements;
    enum class Access {
        ReadWrite,
        ReadOnly,  // read through its log, without writing
        Immutable, // read as it is on the disk, its log left out
    };
    HistoryDatabase();
    static std::unique_ptr<HistoryDatabase> OpenAs(const QString& path, Access access, Fault* fault,
                                                   QString* reason);
    bool Connect(const QString& path, Access access = Access::ReadWrite);
    bool Exec(const QString& sql);
    bool Begin();
    void RollbackKeepingError();
    bool Fail(const QSqlError& error);
    bool PrepareSchema(Fault* fault, bool readOnly = false);
    bool CreateSchema();
    bool PrepareStatements(Fault* fault);

    QString connection_;
    std::unique_ptr<Statements> statements_;
    bool writable_ = true;
    bool inTransaction_ = false;
    QString error_;
    Fault errorFault_ = Fault::None;
};

} // namespace corvane
