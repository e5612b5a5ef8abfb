#include "messaging/bodyview.h"

#include "editor/messagebody.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>

namespace corvane {

bool HasLongWord(const QByteArray& body) {
    qsizetype run = 0;
    for (const char c : body) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            run = 0;
        } else if (++run > LongWord) {
            return true;
        }
    }
    return false;
}

namespace {
void PrepareView(QTextEdit* view, const QByteArray& body) {
    view->setWordWrapMode(HasLongWord(body) ? QTextOption::WrapAnywhere
                                            : QTextOption::WrapAtWordBoundaryOrAnywhere);
}
} // namespace

void SplitLongParagraphs(QTextDocument* doc) {
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.length() <= MaxParagraphChars)
            continue;
        const QString text = block.text();
        qsizetype from = 0;
        int inserted = 0;
        while (text.size() - from > MaxParagraphChars) {
            // At the last blank of the piece, or anywhere in a long word.
            // Looks only inside the piece: a long word has no blank to find.
            const qsizetype blank =
                QStringView(text).mid(from, MaxParagraphChars).lastIndexOf(QLatin1Char(' '));
            const qsizetype at = blank > 0 ? from + blank + 1 : from + MaxParagraphChars;
            cursor.setPosition(block.position() + int(at) + inserted);
            cursor.insertBlock();
            ++inserted;
            from = at;
        }
        block = cursor.block(); // the last piece
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(undo);
}

void ShowBody(QTextEdit* view, const QByteArray& body) {
    PrepareView(view, body);
    LoadMessageBody(view->document(), body);
}

struct BodyLoader::Job {
    QByteArray body;
    std::vector<QPointer<QTextEdit>> views;
    QThread* thread = nullptr;
};

BodyLoader::BodyLoader(QObject* parent) : QObject(parent) {}

BodyLoader::~BodyLoader() {
    for (auto& job : jobs_)
        if (job->thread) {
            job->thread->wait();
            delete job->thread;
        }
}

void BodyLoader::Show(QTextEdit* view, const QByteArray& body) {
    wanted_.remove(view);
    PrepareView(view, body);
    if (body.size() <= AsyncBytes) {
        LoadMessageBody(view->document(), body);
        return;
    }
    view->clear();
    for (auto& job : jobs_)
        if (!job->thread && job->body.constData() == body.constData() &&
            job->body.size() == body.size()) {
            job->views.push_back(view);
            wanted_.insert(view, job.get());
            return;
        }
    jobs_.push_back(std::make_unique<Job>());
    Job* job = jobs_.back().get();
    job->body = body;
    job->views.push_back(view);
    wanted_.insert(view, job);
    // Starts on the next turn, so that every view of this arrival joins.
    QMetaObject::invokeMethod(
        this, [this, job] { Start(job); }, Qt::QueuedConnection);
}

void BodyLoader::Start(Job* job) {
    const QByteArray body = job->body;
    const size_t copies = job->views.size();
    QThread* const gui = thread();
    job->thread = QThread::create([this, job, body, copies, gui] {
        std::vector<QTextDocument*> docs;
        auto* doc = new QTextDocument;
        LoadMessageBody(doc, body);
        SplitLongParagraphs(doc);
        docs.push_back(doc);
        for (size_t i = 1; i < copies; ++i)
            docs.push_back(doc->clone());
        for (QTextDocument* d : docs)
            d->moveToThread(gui);
        QMetaObject::invokeMethod(
            this, [this, job, docs] { Done(job, docs); }, Qt::QueuedConnection);
    });
    job->thread->start(QThread::LowPriority);
}

void BodyLoader::Done(Job* job, std::vector<QTextDocument*> docs) {
    size_t next = 0;
    for (const QPointer<QTextEdit>& view : job->views) {
        if (!view || wanted_.value(view.data()) != job)
            continue; // gone, or it shows another body by now
        wanted_.remove(view.data());
        QTextDocument* doc = docs[next++];
        doc->setParent(view); // the view deletes it when it takes the next
        view->setDocument(doc);
    }
    for (; next < docs.size(); ++next)
        delete docs[next];
    job->thread->wait();
    delete job->thread;
    std::erase_if(jobs_, [job](const std::unique_ptr<Job>& j) { return j.get() == job; });
}

} // namespace corvane
