#include "messaging/messagehistory.h"

#include "common/ansicodec.h"
#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/hostcontext.h"
#include "editor/messagebody.h"
#include "settings/programtexts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace corvane {
namespace {

// Nobody committed what was filed: the commit follows this soon.
constexpr int LateCommitMs = 500;

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser;

// The folder for the owner only; false with the reason when it cannot be made.
bool MakePrivateFolder(const QString& dir, QString* reason) {
    if (!QDir().mkpath(dir)) {
        *reason = QStringLiteral("the folder cannot be made");
        return false;
    }
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                   QFileDevice::ExeOwner | QFileDevice::ReadUser |
                                   QFileDevice::WriteUser | QFileDevice::ExeUser);
    return true;
}

// A new file is made 0600 before SQLite opens it (its journals take the same
// mode); an existing one loses what others may do with it, nothing more.
void MakePrivateFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return;
    }
    for (const QString& file :
         {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        const QFileDevice::Permissions now = QFile::permissions(file);
        if (QFileInfo::exists(file) && (now & ~OwnerOnly))
            QFile::setPermissions(file, now & OwnerOnly);
    }
}

// Renames the file and its journals with the date; false when the file
// itself cannot be moved.
bool KeepAside(const QString& path, const char* why, QString* aside) {
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target;
    for (int n = 1; n < 100; ++n) {
        target = info.dir().filePath(QStringLiteral("%1.%2-%3%4.db")
                                         .arg(info.completeBaseName(), QLatin1String(why), stamp,
                                              n > 1 ? QStringLiteral("-%1").arg(n) : QString()));
        if (!QFileInfo::exists(target))
            break;
    }
    if (!QFile::rename(path, target))
        return false;
    for (const char* journal : {"-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(journal)))
            QFile::rename(path + QLatin1String(journal), target + QLatin1String(journal));
    *aside = target;
    return true;
}

QString Text(const LanguageState& language, ProgramText text) {
    return TextIn(language.Current(), text);
}

} // namespace

QString SearchText(const QByteArray& header, const QByteArray& body) {
    const QByteArray indexed = body.left(MessageHistory::IndexedBytes);
    QString text;
    if (LooksLikeRtf(indexed)) {
        QTextDocument doc;
        LoadMessageBody(&doc, indexed);
        text = doc.toPlainText();
    } else {
        text = FromAnsi(indexed);
    }
    return FromAnsi(header) + QLatin1Char('\n') + text;
}

MessageHistory::MessageHistory(HostContext& context, const LanguageState& language, QObject* parent)
    : QObject(parent), context_(context), language_(language) {
    QString reason;
    memory_ = HistoryDatabase::InMemory(&reason);
    if (!memory_)
        throw AppError(
            QStringLiteral("Messages cannot be kept, not even in memory: %1").arg(reason));
    commitTimer_.setSingleShot(true);
    commitTimer_.setInterval(LateCommitMs);
    connect(&commitTimer_, &QTimer::timeout, this, &MessageHistory::Commit);
}

// The file commits what is still open when it goes; nobody is told any more.
MessageHistory::~MessageHistory() = default;

QString MessageHistory::Path() const {
    return context_.historyDir.isEmpty() ? QString() : QDir(context_.historyDir).filePath(FileName);
}

HistoryDatabase* MessageHistory::DatabaseOf(const MessageRef& ref) {
    return ref.inMemory ? memory_.get() : file_.get();
}

bool MessageHistory::SetKeeping(bool keep) {
    if (keep == Keeping() || (keep && context_.historyDir.isEmpty()))
        return Keeping();
    if (keep) {
        OpenFile();
        if (mode_ == Mode::File)
            MoveMemoryToFile();
    } else {
        CopyFileToMemory();
        RemoveFile();
    }
    Q_EMIT RowsReplaced();
    return Keeping();
}

void MessageHistory::OpenFile() {
    const QString path = Path();
    QString reason;
    if (!MakePrivateFolder(context_.historyDir, &reason)) {
        Tell(Text(language_, ProgramText::HistoryNotWritable).arg(path, reason));
        return;
    }
    MakePrivateFile(path);
    file_ = OpenOrKeepAside(path);
    if (!file_)
        return;
    mode_ = file_->Writable() ? Mode::File : Mode::Fallback;
    if (!file_->Writable()) {
        std::fprintf(stderr, "corvane: messages cannot be kept in %s: %s\n", qPrintable(path),
                     qPrintable(file_->Error()));
        Tell(Text(language_, ProgramText::HistoryNotWritable).arg(path, file_->Error()));
    }
    std::fprintf(stderr, "corvane: %d incoming and %d outgoing messages kept in %s\n",
                 int(preloaded_[0]->size()), int(preloaded_[1]->size()), qPrintable(path));
}

std::unique_ptr<HistoryDatabase> MessageHistory::OpenOrKeepAside(const QString& path) {
    HistoryDatabase::Fault fault = HistoryDatabase::Fault::None;
    QString reason;
    std::unique_ptr<HistoryDatabase> db = HistoryDatabase::Open(path, &fault, &reason);
    if (db && !Preload(*db)) {
        fault = db->ErrorFault();
        reason = db->Error();
        db.reset();
    }
    if (db)
        return db;
    const bool bad =
        fault == HistoryDatabase::Fault::Damaged || fault == HistoryDatabase::Fault::Foreign;
    QString aside;
    const char* why = fault == HistoryDatabase::Fault::Damaged ? "damaged" : "foreign";
    if (!bad || !KeepAside(path, why, &aside)) {
        // The file stays as it is; this run keeps its messages in memory.
        Tell(Text(language_, ProgramText::HistoryNotWritable).arg(path, reason));
        return nullptr;
    }
    std::fprintf(stderr, "corvane: %s: %s; kept as %s\n", qPrintable(path), qPrintable(reason),
                 qPrintable(aside));
    Tell(Text(language_, ProgramText::HistoryKeptAside).arg(path, reason, aside));
    MakePrivateFile(path);
    db = HistoryDatabase::Open(path, &fault, &reason);
    if (db && !Preload(*db))
        db.reset();
    if (!db)
        Tell(Text(language_, ProgramText::HistoryNotWritable).arg(path, reason));
    return db;
}

bool MessageHistory::Preload(HistoryDatabase& db) {
    for (StoreKind kind : {StoreKind::Incoming, StoreKind::Outgoing}) {
        std::vector<HistoryRow> rows;
        if (!db.Rows(kind, &rows))
            return false;
        preloaded_[size_t(kind)] = std::move(rows);
    }
    return true;
}

void MessageHistory::FileFailed(const QString& reason) {
    if (mode_ != Mode::File)
        return;
    mode_ = Mode::Fallback;
    file_->Rollback();
    // What the file lost with its transaction lives on in memory; what was
    // removed from it stays hidden.
    const std::vector<Pending> moved = std::move(pending_);
    pending_.clear();
    for (const Pending& p : moved)
        memory_->Insert(p.kind, p.record, p.text);
    unsaved_ = unsaved_ ||
               std::any_of(moved.begin(), moved.end(), [](const Pending& p) { return p.awaited; });
    for (qint64 id : pendingRemovals_)
        hidden_.insert(id);
    pendingRemovals_.clear();
    std::fprintf(stderr, "corvane: messages cannot be kept in %s: %s\n", qPrintable(Path()),
                 qPrintable(reason));
    Tell(Text(language_, ProgramText::HistoryNotWritable).arg(Path(), reason));
    Q_EMIT RowsReplaced();
}

MessageRef MessageHistory::Append(StoreKind kind, const HistoryRecord& record, bool awaited) {
    const QString text = SearchText(record.header, record.body);
    const qint64 bytes = record.header.size() + record.body.size();
    if (mode_ == Mode::File) {
        if (const qint64 id = file_->Insert(kind, record, text)) {
            pending_.push_back({kind, record, text, awaited});
            if (!commitTimer_.isActive())
                commitTimer_.start();
            return {id, bytes, false};
        }
        FileFailed(file_->Error());
        unsaved_ = unsaved_ || awaited;
    }
    const qint64 id = memory_->Insert(kind, record, text);
    if (id == 0)
        unsaved_ = unsaved_ || awaited;
    else if (!commitTimer_.isActive())
        commitTimer_.start();
    return {id, bytes, true};
}

bool MessageHistory::Load(const MessageRef& ref, QByteArray* header, QByteArray* body) {
    HistoryDatabase* db = DatabaseOf(ref);
    return db && db->Read(ref.id, header, body);
}

void MessageHistory::Remove(const std::vector<MessageRef>& refs) {
    QList<qint64> inFile, inMemory;
    for (const MessageRef& r : refs)
        (r.inMemory ? inMemory : inFile).append(r.id);
    memory_->Remove(inMemory);
    if (inFile.isEmpty() || !file_)
        return;
    if (mode_ == Mode::File && file_->Remove(inFile)) {
        pendingRemovals_.append(inFile);
        if (!commitTimer_.isActive())
            commitTimer_.start();
        return;
    }
    for (qint64 id : inFile)
        hidden_.insert(id);
    FileFailed(file_->Error());
}

void MessageHistory::RemoveAll(StoreKind kind) {
    if (mode_ == Mode::File) {
        if (file_->RemoveAll(kind))
            Commit();
        else
            FileFailed(file_->Error());
    }
    memory_->RemoveAll(kind);
    memory_->Commit();
    if (mode_ == Mode::File) {
        file_->Shrink();
    } else if (file_) {
        // The file cannot forget them: they stay off the pages in this run.
        std::vector<HistoryRow> rows;
        file_->Rows(kind, &rows);
        for (const HistoryRow& r : rows)
            hidden_.insert(r.id);
    }
}

std::vector<MessageRef> MessageHistory::Rows(StoreKind kind) {
    std::vector<MessageRef> out;
    if (file_) {
        std::vector<HistoryRow> rows;
        if (std::optional<std::vector<HistoryRow>>& first = preloaded_[size_t(kind)]) {
            rows = std::move(*first);
            first.reset();
        } else {
            file_->Rows(kind, &rows);
        }
        out.reserve(rows.size());
        for (const HistoryRow& r : rows)
            if (!hidden_.contains(r.id))
                out.push_back({r.id, r.bytes, false});
    }
    {
        std::vector<HistoryRow> rows;
        memory_->Rows(kind, &rows);
        for (const HistoryRow& r : rows)
            out.push_back({r.id, r.bytes, true});
    }
    return out;
}

std::vector<MessageRef> MessageHistory::Find(StoreKind kind, const QString& words) {
    std::vector<MessageRef> out;
    QList<qint64> ids;
    if (file_ && file_->Find(kind, words, &ids))
        for (qint64 id : ids)
            if (!hidden_.contains(id))
                out.push_back({id, 0, false});
    if (memory_->Find(kind, words, &ids))
        for (qint64 id : ids)
            out.push_back({id, 0, true});
    return out;
}

void MessageHistory::Commit() {
    commitTimer_.stop();
    memory_->Commit(); // in memory, only so that its journal does not grow
    if (mode_ != Mode::File || !file_->InTransaction()) {
        pending_.clear();
        pendingRemovals_.clear();
        return;
    }
    if (file_->Commit()) {
        pending_.clear();
        pendingRemovals_.clear();
        return;
    }
    FileFailed(file_->Error());
}

bool MessageHistory::CommitFiled() {
    Commit();
    const bool filed = !unsaved_;
    unsaved_ = false;
    return filed;
}

void MessageHistory::MoveMemoryToFile() {
    for (StoreKind kind : {StoreKind::Incoming, StoreKind::Outgoing}) {
        std::vector<HistoryRow> rows;
        memory_->Rows(kind, &rows);
        if (!rows.empty())
            preloaded_[size_t(kind)].reset();
        for (const HistoryRow& r : rows) {
            HistoryRecord record;
            QString text;
            if (memory_->ReadRecord(r.id, &record, &text) && !file_->Insert(kind, record, text)) {
                FileFailed(file_->Error()); // none moved: they stay in memory
                return;
            }
        }
    }
    Commit();
    if (mode_ == Mode::File)
        for (StoreKind kind : {StoreKind::Incoming, StoreKind::Outgoing})
            memory_->RemoveAll(kind);
    memory_->Commit();
}

void MessageHistory::CopyFileToMemory() {
    Commit();
    if (!file_)
        return;
    // The newest of the file that fit in memory's bounds, then what memory
    // holds already (newer), oldest first.
    std::unique_ptr<HistoryDatabase> old = std::move(memory_);
    memory_ = HistoryDatabase::InMemory();
    if (!memory_) {
        memory_ = std::move(old); // what was in memory stays; the file's stay in it
        return;
    }
    for (StoreKind kind : {StoreKind::Incoming, StoreKind::Outgoing}) {
        std::vector<MessageRef> rows;
        for (const MessageRef& r : Rows(kind))
            if (!r.inMemory)
                rows.push_back(r);
        size_t first = rows.size();
        qint64 bytes = 0;
        while (first > 0 && rows.size() - first < size_t(MemoryBounds.messages) &&
               bytes + rows[first - 1].bytes <= MemoryBounds.bytes)
            bytes += rows[--first].bytes;
        HistoryRecord record;
        QString text;
        for (size_t i = first; i < rows.size(); ++i)
            if (file_->ReadRecord(rows[i].id, &record, &text))
                memory_->Insert(kind, record, text);
        std::vector<HistoryRow> kept;
        if (old && old->Rows(kind, &kept))
            for (const HistoryRow& r : kept)
                if (old->ReadRecord(r.id, &record, &text))
                    memory_->Insert(kind, record, text);
    }
}

void MessageHistory::RemoveFile() {
    const QString path = Path();
    file_.reset();
    preloaded_ = {};
    hidden_.clear();
    pending_.clear();
    pendingRemovals_.clear();
    mode_ = Mode::Memory;
    for (const QString& file :
         {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        QFile f(file);
        if (f.exists() && !f.remove())
            Tell(Text(language_, ProgramText::HistoryNotRemoved).arg(file, f.errorString()));
    }
}

void MessageHistory::Tell(const QString& text) {
    if (told_.contains(text) || notices_.contains(text))
        return;
    notices_.append(text);
    if (notices_.size() == 1)
        QMetaObject::invokeMethod(this, &MessageHistory::ShowNotices, Qt::QueuedConnection);
}

void MessageHistory::ShowNotices() {
    while (!notices_.isEmpty()) {
        const QString text = notices_.takeFirst();
        told_.append(text);
        if (context_.dialogs)
            context_.dialogs->MessageBox(text, ApplicationTitle, DialogService::Icon::Warning,
                                         DialogService::Ok);
    }
}

} // namespace corvane
