#include "messaging/bodyloader.h"

#include <QThread>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace corvane {
namespace {
constexpr int TrimDelayMs = 200;
} // namespace

struct BodyLoader::Job {
    QByteArray body;
    std::vector<std::pair<QPointer<QObject>, Ready>> waiting;
    std::atomic<bool> stop{false};
};

BodyLoader::BodyLoader(QObject* parent) : QObject(parent) {
    trim_.setSingleShot(true);
    trim_.setInterval(TrimDelayMs);
    connect(&trim_, &QTimer::timeout, this, [] {
#if defined(__GLIBC__)
        // glibc keeps freed memory in its heaps; a flood of big bodies would
        // leave the copy at its peak size for good.
        malloc_trim(0);
#endif
    });
}

BodyLoader::~BodyLoader() {
    for (auto& job : jobs_)
        job->stop = true;
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void BodyLoader::ReleaseMemorySoon() {
    trim_.start();
}

bool BodyLoader::Wanted(const Job* job) const {
    for (const auto& [who, ready] : job->waiting)
        if (who && wanted_.value(who.data()) == job)
            return true;
    return false;
}

void BodyLoader::Prepare(QObject* who, const QByteArray& body, Ready ready) {
    Cancel(who);
    if (!watched_.contains(who)) {
        watched_.insert(who);
        connect(who, &QObject::destroyed, this, [this, who] {
            watched_.remove(who);
            Cancel(who);
        });
    }
    Job* job = nullptr;
    for (auto& j : jobs_)
        if (!j->stop && j->body.constData() == body.constData() && j->body.size() == body.size())
            job = j.get();
    if (!job) {
        jobs_.push_back(std::make_unique<Job>());
        job = jobs_.back().get();
        job->body = body;
    }
    job->waiting.emplace_back(who, std::move(ready));
    wanted_.insert(who, job);
    // On the next turn, so that every view of one arrival joins first.
    QMetaObject::invokeMethod(this, &BodyLoader::StartNext, Qt::QueuedConnection);
}

std::shared_ptr<const BodyPages> BodyLoader::PrepareNow(const QByteArray& body) {
    if (lastPages_ && body.constData() == lastBody_.constData() && body.size() == lastBody_.size())
        return lastPages_;
    std::shared_ptr<const BodyPages> pages = BodyPages::Prepare(body);
    if (body.size() <= KeptBytes) {
        lastBody_ = body;
        lastPages_ = pages;
    } else {
        lastBody_.clear();
        lastPages_.reset();
    }
    return pages;
}

void BodyLoader::Cancel(QObject* who) {
    Job* job = wanted_.take(who);
    if (!job || Wanted(job))
        return;
    if (thread_ && job == jobs_.front().get())
        job->stop = true; // it ends soon and is dropped then
    else
        Drop(job);
}

void BodyLoader::Drop(Job* job) {
    std::erase_if(jobs_, [job](const std::unique_ptr<Job>& j) { return j.get() == job; });
}

void BodyLoader::StartNext() {
    if (thread_ || jobs_.empty())
        return;
    Job* job = jobs_.front().get();
    thread_ = QThread::create([this, job] {
        std::shared_ptr<const BodyPages> pages = BodyPages::Prepare(job->body, {}, &job->stop);
        QMetaObject::invokeMethod(
            this, [this, job, pages] { Done(job, pages); }, Qt::QueuedConnection);
    });
    thread_->start(QThread::LowPriority);
}

void BodyLoader::Done(Job* job, std::shared_ptr<const BodyPages> pages) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    std::vector<std::pair<QPointer<QObject>, Ready>> waiting;
    waiting.swap(job->waiting);
    for (auto& [who, ready] : waiting)
        if (who && wanted_.value(who.data()) == job)
            wanted_.remove(who.data());
        else
            ready = nullptr;
    Drop(job);
    if (pages)
        for (auto& [who, ready] : waiting)
            if (who && ready)
                ready(pages); // may ask for another body
    ReleaseMemorySoon();      // the document it was read into
    StartNext();
}

} // namespace corvane
