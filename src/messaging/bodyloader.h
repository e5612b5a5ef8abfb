#pragma once
// Reads message bodies into pages (BodyPages) off the window's thread, one
// body at a time, in the order asked. Whoever asks gets the pages on the
// window's thread, unless it asked for something else in between, cancelled,
// or is gone; a body that nobody waits for any more is not read, or stops
// being read. Asks for the same bytes (the same QByteArray data: the popup and
// the Incoming page of one arrival) while they wait share one reading.
// Small bodies are read at once (PrepareNow); the last one is kept with its
// pages, so that the next ask for the same bytes shares that reading too.
//
// A reading stops within a moment when its loader is destroyed, so that the
// program can end in the middle of a big body. After big frees the loader
// gives the memory back to the system.
#include "messaging/bodypages.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class QThread;

namespace corvane {

class BodyLoader : public QObject {
    Q_OBJECT
public:
    using Ready = std::function<void(std::shared_ptr<const BodyPages>)>;
    // The biggest body that PrepareNow keeps for the next ask.
    static constexpr qsizetype KeptBytes = 64 * 1024;

    explicit BodyLoader(QObject* parent = nullptr);
    ~BodyLoader() override;

    // Reads body for who, and calls ready with its pages on this thread.
    void Prepare(QObject* who, const QByteArray& body, Ready ready);
    // Reads body at once, or gives the pages of the last body read so when
    // these are the same bytes.
    std::shared_ptr<const BodyPages> PrepareNow(const QByteArray& body);
    // who waits for nothing any more.
    void Cancel(QObject* who);
    // Bodies that are read now or wait to be.
    int Pending() const { return int(jobs_.size()); }

    // Memory that was freed goes back to the system a moment later.
    void ReleaseMemorySoon();

private:
    struct Job;
    bool Wanted(const Job* job) const;
    void StartNext();
    void Done(Job* job, std::shared_ptr<const BodyPages> pages);
    void Drop(Job* job);

    std::deque<std::unique_ptr<Job>> jobs_; // the first runs
    QHash<QObject*, Job*> wanted_;          // what each one waits for
    QSet<QObject*> watched_;
    QThread* thread_ = nullptr; // reads jobs_.front()
    QTimer trim_;
    // The last small body read at once, and its pages. Holding the bytes
    // keeps their address from being reused for other ones.
    QByteArray lastBody_;
    std::shared_ptr<const BodyPages> lastPages_;
};

} // namespace corvane
