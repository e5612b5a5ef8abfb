#pragma once
// Puts a message body into a read-only rich-text view: an RTF body shows with
// its formatting, any other body as plain text, unchanged.
//
// Showing never holds the window up for long, whatever the body:
//   - a body with a word longer than LongWord characters lets its lines break
//     anywhere (breaking at word boundaries costs time with the square of the
//     word's length);
//   - a body over AsyncBytes is read into its document off the window's
//     thread by a BodyLoader, its paragraphs split into pieces the view can
//     lay out one at a time; the view stays empty until then. Every view
//     that asks for the same body before the reading starts (the popup and
//     the Incoming page of one arrival) gets a copy of the one reading.
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <memory>

class QTextDocument;
class QTextEdit;

namespace corvane {

constexpr qsizetype LongWord = 200;
constexpr qsizetype AsyncBytes = 64 * 1024;
constexpr int MaxParagraphChars = 4000;

// Breaks paragraphs longer than MaxParagraphChars into pieces (at a blank
// where there is one), so that the view lays out a big body in small steps;
// a paragraph is laid out whole, with a cost that grows faster than its
// length.
void SplitLongParagraphs(QTextDocument* doc);

// Whether the body holds a run of more than LongWord characters without a
// blank or a line end.
bool HasLongWord(const QByteArray& body);

// Synchronous: for small bodies, and where no loader is at hand.
void ShowBody(QTextEdit* view, const QByteArray& body);

class BodyLoader : public QObject {
    Q_OBJECT
public:
    explicit BodyLoader(QObject* parent = nullptr);
    ~BodyLoader() override;

    void Show(QTextEdit* view, const QByteArray& body);
    // Readings that run or wait now.
    int Pending() const { return int(jobs_.size()); }

private:
    struct Job;
    void Start(Job* job);
    void Done(Job* job, std::vector<QTextDocument*> docs);

    std::vector<std::unique_ptr<Job>> jobs_;
    QHash<QTextEdit*, Job*> wanted_; // what each view waits for
};

} // namespace corvane
