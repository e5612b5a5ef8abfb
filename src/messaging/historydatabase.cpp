#include "messaging/historydatabase.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <unistd.h>

namespace corvane {
namespace {

constexpr const char* Driver = "QSQLITE";
// SQLite's primary result codes that say the file itself is bad.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;
// The write-ahead log is cut back to this after a checkpoint.
constexpr qint64 JournalSizeLimit = 8 * 1024 * 1024;

const char* const SchemaV1[] = {
    "CREATE TABLE message(id INTEGER PRIMARY KEY AUTOINCREMENT, store INTEGER NOT NULL,"
    " filed INTEGER NOT NULL, header BLOB NOT NULL, body BLOB NOT NULL,"
    " computer BLOB NOT NULL, address TEXT NOT NULL, delivered TEXT NOT NULL,"
    " missed TEXT NOT NULL, bytes INTEGER NOT NULL)",
    "CREATE INDEX message_order ON message(store, id, bytes)",
    "CREATE VIRTUAL TABLE message_text USING fts5(text,"
    " tokenize = 'unicode61 remove_diacritics 0')",
    "CREATE TRIGGER message_gone AFTER DELETE ON message BEGIN"
    " DELETE FROM message_text WHERE rowid = old.id; END",
};

QString NewConnectionName() {
    static QAtomicInteger<quint64> serial;
    return QStringLiteral("corvane-history-%1").arg(serial.fetchAndAddRelaxed(1));
}

// Qt binds a null text as NULL.
QString Lines(const QStringList& list) {
    return list.isEmpty() ? QStringLiteral("") : list.join(QLatin1Char('\n'));
}
QStringList SplitLines(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

} // namespace

struct HistoryDatabase::Statements {
    explicit Statements(const QSqlDatabase& db)
        : insert(db), insertText(db), read(db), record(db), rows(db), find(db), remove(db) {}
    bool Prepare() {
        rows.setForwardOnly(true);
        find.setForwardOnly(true);
        return insert.prepare(QStringLiteral(
                   "INSERT INTO message(store, filed, header, body, computer, address,"
                   " delivered, missed, bytes) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)")) &&
               insertText.prepare(
                   QStringLiteral("INSERT INTO message_text(rowid, text) VALUES(?, ?)")) &&
               read.prepare(QStringLiteral("SELECT header, body FROM message WHERE id = ?")) &&
               record.prepare(QStringLiteral(
                   "SELECT m.header, m.body, m.filed, m.computer, m.address, m.delivered,"
                   " m.missed, t.text FROM message m LEFT JOIN message_text t ON t.rowid = m.id"
                   " WHERE m.id = ?")) &&
               rows.prepare(
                   QStringLiteral("SELECT id, bytes FROM message WHERE store = ? ORDER BY id")) &&
               find.prepare(
                   QStringLiteral("SELECT m.id FROM message_text t JOIN message m ON m.id = t.rowid"
                                  " WHERE message_text MATCH ? AND m.store = ? ORDER BY m.id")) &&
               remove.prepare(QStringLiteral("DELETE FROM message WHERE id = ?"));
    }
    QSqlQuery insert, insertText, read, record, rows, find, remove;
};

HistoryDatabase::HistoryDatabase() : connection_(NewConnectionName()) {}

HistoryDatabase::~HistoryDatabase() {
    if (inTransaction_)
        Commit();
    statements_.reset(); // queries go before their connection
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool HistoryDatabase::Connect(const QString& path, Access access) {
    if (!QSqlDatabase::isDriverAvailable(QLatin1String(Driver))) {
        error_ = QStringLiteral("Qt's SQLite driver (QSQLITE) is not installed");
        errorFault_ = Fault::System;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QLatin1String(Driver), connection_);
    if (access == Access::Immutable) {
        // Nothing can change it, and its journal's index cannot be made.
        db.setDatabaseName(QUrl::fromLocalFile(path).toString() + QStringLiteral("?immutable=1"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    } else if (access == Access::ReadOnly) {
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=2000"));
    } else {
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    }
    if (!db.open())
        return Fail(db.lastError());
    return true;
}

std::unique_ptr<HistoryDatabase> HistoryDatabase::InMemory(QString* reason) {
    std::unique_ptr<HistoryDatabase> db(new HistoryDatabase);
    Fault fault = Fault::None;
    if (!db->Connect(QStringLiteral(":memory:")) || !db->PrepareSchema(&fault)) {
        if (reason)
            *reason = db->Error();
        return nullptr;
    }
    return db;
}

std::unique_ptr<HistoryDatabase> HistoryDatabase::Open(const QString& path, Fault* fault,
                                                       QString* reason) {
    const QByteArray name = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const bool readOnly =
        QFileInfo::exists(path) && QFileInfo(path).size() > 0 &&
        (::access(name.constData(), W_OK) != 0 || ::access(folder.constData(), W_OK) != 0);
    // What was committed but not yet copied from the log into the file (a
    // crash leaves it so) is not seen in the file as it is on the disk: it is
    // read through its log when that can be done.
    if (readOnly && QFileInfo(path + QStringLiteral("-wal")).size() > 0)
        if (auto db = OpenAs(path, Access::ReadOnly, fault, reason))
            return db;
    return OpenAs(path, readOnly ? Access::Immutable : Access::ReadWrite, fault, reason);
}

std::unique_ptr<HistoryDatabase> HistoryDatabase::OpenAs(const QString& path, Access access,
                                                         Fault* fault, QString* reason) {
    std::unique_ptr<HistoryDatabase> db(new HistoryDatabase);
    Fault found = Fault::None;
    if (!db->Connect(path, access) || !db->PrepareSchema(&found, access != Access::ReadWrite)) {
        *fault = found != Fault::None ? found : db->ErrorFault();
        *reason = db->Error();
        return nullptr;
    }
    *fault = Fault::None;
    return db;
}

bool HistoryDatabase::Fail(const QSqlError& error) {
    error_ = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    errorFault_ =
        code == SqliteCorrupt || code == SqliteNotADatabase ? Fault::Damaged : Fault::System;
    return false;
}

bool HistoryDatabase::Exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(sql))
        return Fail(q.lastError());
    return true;
}

bool HistoryDatabase::PrepareSchema(Fault* fault, bool readOnly) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    // The first read tells a file that is no database at all.
    if (!q.exec(QStringLiteral("SELECT (SELECT application_id FROM pragma_application_id),"
                               " (SELECT user_version FROM pragma_user_version),"
                               " (SELECT count(*) FROM sqlite_master)")) ||
        !q.next())
        return Fail(q.lastError());
    const int application = q.value(0).toInt();
    const int version = q.value(1).toInt();
    const int objects = q.value(2).toInt();
    q.finish();
    const bool empty = application == 0 && objects == 0;
    if (readOnly && !empty && application == HistoryApplicationId &&
        version == HistorySchemaVersion) {
        writable_ = false;
        error_ = QStringLiteral("the file or its folder cannot be written");
        errorFault_ = Fault::System;
        return PrepareStatements(fault);
    }
    if (!empty && (application != HistoryApplicationId || version != HistorySchemaVersion)) {
        *fault = Fault::Foreign;
        error_ = application != HistoryApplicationId
                     ? QStringLiteral("not a file of kept messages")
                     : QStringLiteral("made by another version (schema %1)").arg(version);
        return false;
    }
    if (!q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !q.next())
        return Fail(q.lastError());
    const QString journal = q.value(0).toString();
    q.finish();
    if (journal != QLatin1String("wal") && journal != QLatin1String("memory")) {
        error_ = QStringLiteral("the journal cannot be written (%1)").arg(journal);
        errorFault_ = Fault::System;
        return false;
    }
    if (!Exec(QStringLiteral("PRAGMA synchronous = FULL")) ||
        !Exec(QStringLiteral("PRAGMA journal_size_limit = %1").arg(JournalSizeLimit)))
        return false;
    if (empty) {
        if (!CreateSchema())
            return false;
    } else if (!Exec(QStringLiteral("BEGIN IMMEDIATE")) ||
               !Exec(QStringLiteral("PRAGMA user_version = %1").arg(HistorySchemaVersion)) ||
               !Exec(QStringLiteral("COMMIT"))) {
        // Readable, but nothing can be written: the messages in it can
        // still be shown.
        Exec(QStringLiteral("ROLLBACK"));
        writable_ = false;
    }
    return PrepareStatements(fault);
}

bool HistoryDatabase::PrepareStatements(Fault* fault) {
    statements_ = std::make_unique<Statements>(QSqlDatabase::database(connection_, false));
    if (statements_->Prepare())
        return true;
    *fault = Fault::Damaged; // the tables are not what they should be
    return Fail(statements_->insert.lastError());
}

bool HistoryDatabase::CreateSchema() {
    // Free pages go back to the system after a deletion of everything.
    if (!Exec(QStringLiteral("PRAGMA auto_vacuum = INCREMENTAL")) ||
        !Exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool ok = Exec(QStringLiteral("PRAGMA application_id = %1").arg(HistoryApplicationId)) &&
              Exec(QStringLiteral("PRAGMA user_version = %1").arg(HistorySchemaVersion));
    for (const char* sql : SchemaV1)
        ok = ok && Exec(QLatin1String(sql));
    if (ok && Exec(QStringLiteral("COMMIT")))
        return true;
    RollbackKeepingError();
    return false;
}

// Undoes the open transaction; the error that made it necessary stays the
// one reported.
void HistoryDatabase::RollbackKeepingError() {
    const QString error = error_;
    const Fault fault = errorFault_;
    Exec(QStringLiteral("ROLLBACK"));
    error_ = error;
    errorFault_ = fault;
}

bool HistoryDatabase::Begin() {
    if (inTransaction_)
        return true;
    if (!Exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    inTransaction_ = true;
    return true;
}

bool HistoryDatabase::Commit() {
    if (!inTransaction_)
        return true;
    inTransaction_ = false;
    if (Exec(QStringLiteral("COMMIT")))
        return true;
    RollbackKeepingError();
    return false;
}

void HistoryDatabase::Rollback() {
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    RollbackKeepingError();
}

qint64 HistoryDatabase::Insert(StoreKind kind, const HistoryRecord& r, const QString& text) {
    if (!writable_ || !Begin())
        return 0;
    QSqlQuery& q = statements_->insert;
    q.addBindValue(int(kind));
    q.addBindValue(r.filed.toMSecsSinceEpoch());
    q.addBindValue(r.header.isNull() ? QByteArray("") : r.header);
    q.addBindValue(r.body.isNull() ? QByteArray("") : r.body);
    q.addBindValue(r.computer.isNull() ? QByteArray("") : r.computer);
    q.addBindValue(r.address.isNull() ? QStringLiteral("") : r.address);
    q.addBindValue(Lines(r.delivered));
    q.addBindValue(Lines(r.missed));
    q.addBindValue(qint64(r.header.size() + r.body.size()));
    if (!q.exec()) {
        Fail(q.lastError());
        return 0;
    }
    const qint64 id = q.lastInsertId().toLongLong();
    QSqlQuery& t = statements_->insertText;
    t.addBindValue(id);
    t.addBindValue(text.isNull() ? QStringLiteral("") : text);
    if (!t.exec()) {
        Fail(t.lastError());
        return 0;
    }
    return id;
}

bool HistoryDatabase::Read(qint64 id, QByteArray* header, QByteArray* body) {
    QSqlQuery& q = statements_->read;
    q.addBindValue(id);
    if (!q.exec())
        return Fail(q.lastError());
    const bool found = q.next();
    if (found) {
        *header = q.value(0).toByteArray();
        *body = q.value(1).toByteArray();
    }
    q.finish();
    return found;
}

bool HistoryDatabase::ReadRecord(qint64 id, HistoryRecord* r, QString* text) {
    QSqlQuery& q = statements_->record;
    q.addBindValue(id);
    if (!q.exec())
        return Fail(q.lastError());
    const bool found = q.next();
    if (found) {
        r->header = q.value(0).toByteArray();
        r->body = q.value(1).toByteArray();
        r->filed = QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong());
        r->computer = q.value(3).toByteArray();
        r->address = q.value(4).toString();
        r->delivered = SplitLines(q.value(5).toString());
        r->missed = SplitLines(q.value(6).toString());
        *text = q.value(7).toString();
    }
    q.finish();
    return found;
}

bool HistoryDatabase::Remove(const QList<qint64>& ids) {
    if (ids.isEmpty())
        return true;
    if (!writable_ || !Begin())
        return false;
    QSqlQuery& q = statements_->remove;
    for (qint64 id : ids) {
        q.addBindValue(id);
        if (!q.exec())
            return Fail(q.lastError());
    }
    return true;
}

bool HistoryDatabase::RemoveAll(StoreKind kind) {
    if (!writable_ || !Begin())
        return false;
    return Exec(QStringLiteral("DELETE FROM message WHERE store = %1").arg(int(kind)));
}

void HistoryDatabase::Shrink() {
    if (!inTransaction_ && writable_)
        Exec(QStringLiteral("PRAGMA incremental_vacuum"));
}

bool HistoryDatabase::Rows(StoreKind kind, std::vector<HistoryRow>* rows) {
    QSqlQuery& q = statements_->rows;
    q.addBindValue(int(kind));
    if (!q.exec())
        return Fail(q.lastError());
    rows->clear();
    while (q.next())
        rows->push_back({q.value(0).toLongLong(), q.value(1).toLongLong()});
    const bool ok = !q.lastError().isValid();
    const QSqlError error = q.lastError();
    q.finish();
    return ok || Fail(error);
}

QString HistoryDatabase::MatchExpression(const QString& words) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList terms;
    for (QString word : words.split(blanks, Qt::SkipEmptyParts)) {
        if (std::none_of(word.cbegin(), word.cend(), [](QChar c) { return c.isLetterOrNumber(); }))
            continue;
        word.replace(QLatin1Char('"'), QLatin1String("\"\""));
        terms.append(QLatin1Char('"') + word + QLatin1String("\"*"));
    }
    return terms.join(QLatin1Char(' '));
}

bool HistoryDatabase::Find(StoreKind kind, const QString& words, QList<qint64>* ids) {
    ids->clear();
    const QString match = MatchExpression(words);
    if (match.isEmpty())
        return true;
    QSqlQuery& q = statements_->find;
    q.addBindValue(match);
    q.addBindValue(int(kind));
    if (!q.exec())
        return Fail(q.lastError());
    while (q.next())
        ids->append(q.value(0).toLongLong());
    q.finish();
    return true;
}

} // namespace corvane
