// Big messages reaching a whole main window on a real X display, as a person
// meets them: popups on, formatted bodies the way RTF comes out of an HTML
// document (paragraphs of about 1 KB, bold, italic, underlined, coloured and
// bigger runs on half the words, some Cyrillic), or one word of plain text.
// The records come from corvane-peer in a process of its own, so that the
// copy's process does only what a copy does. Each case watches until the
// copy has been idle for IdleSeconds.
//
// Counters (all of the whole case):
//   filed_ms           from the start of the sending until the record is filed
//   first_screen_ms    from the filing until the popup shows text
//   longest_stall_ms   the longest time the window's thread did not answer
//                      (the longest gap between two ticks of a 5 ms timer)
//   peak_mb            the process's peak resident memory (VmHWM) in the case
//   idle_rss_mb        its resident memory once idle; after the flood also
//   closed_rss_mb      once every popup is closed
#include "app/mainform.h"
#include "common/timedwait.h"
#include "editor/rtfwriter.h"
#include "messaging/messagingcontroller.h"
#include "messaging/popupform.h"
#include "messaging/storepage.h"

#include "../support/loopback.h"
#include "../support/procstatus.h"
#include "../support/windowbench.h"
#include "../support/xserver.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <malloc.h>

using namespace corvane;
using bench::StatusMb;
using corvane::bench::Loopback;
using corvane::bench::OnLoopback;

namespace {

constexpr int IdleSeconds = 10;
constexpr double QuietCpuShare = 0.05; // of one core, over a second

enum Kind { Formatted, OneWord };

// About 1 MB of HTML paragraphs, as RTF, without its header and closing.
QByteArray FormattedParagraphs(QByteArray* header) {
    static const char* words[] = {"alpha", "beta",  "gamma", "delta",  "epsilon",
                                  "zeta",  "theta", "kappa", "lambda", "omicron"};
    static const QString cyrillic[] = {QStringLiteral("привет"), QStringLiteral("мир"),
                                       QStringLiteral("сообщение")};
    static const char* runs[] = {"<b>%1</b>", "<i>%1</i>", "<u>%1</u>",
                                 "<span style=\"color:#c00000\">%1</span>",
                                 "<span style=\"font-size:14pt\">%1</span>"};
    QString html = QStringLiteral("<html><body>");
    for (int w = 0; html.size() < 800 * 1024;) {
        html += QStringLiteral("<p>");
        for (int chars = 0; chars < 1000; ++w) {
            const QString word = w % 7 == 3 ? cyrillic[w % 3] : QString::fromLatin1(words[w % 10]);
            html += (w % 2 ? QString::fromLatin1(runs[(w / 2) % 5]).arg(word) : word) + ' ';
            chars += int(word.size()) + 1;
        }
        html += QStringLiteral("</p>\n");
    }
    QTextDocument doc;
    doc.setHtml(html + QStringLiteral("</body></html>"));
    const QByteArray rtf = RtfWriter().Write(doc);
    const qsizetype from = rtf.indexOf("\\pard");
    *header = rtf.left(from);
    return rtf.mid(from, rtf.lastIndexOf('}') - from);
}

QByteArray Body(Kind kind, qsizetype bytes) {
    if (kind == OneWord)
        return QByteArray(bytes, 'w');
    static QByteArray header;
    static const QByteArray paragraphs = FormattedParagraphs(&header);
    QByteArray body = header;
    while (body.size() < bytes - 1) {
        const qsizetype room = bytes - 1 - body.size();
        if (room >= paragraphs.size()) {
            body += paragraphs;
            continue;
        }
        const qsizetype end = paragraphs.lastIndexOf("\\par\r\n", room - 6);
        if (end <= 0)
            break;
        body += paragraphs.left(end + 6);
    }
    return body + '}';
}

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void ResetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5"); // the peak resident size starts again from now
}

struct Receiver {
    Receiver() {
        OnLoopback(context, 20);
        form = std::make_unique<TMainForm>(context);
        form->RestoreApplication();
        PumpMessagesFor(1000);
    }
    // Dropped ones too: the store keeps the newest within its bounds.
    int Filed() const {
        return form->Incoming->Store().Count() + form->Incoming->Store().Dropped();
    }
    // The newest popup shows text.
    bool Shown() const {
        const QList<TPopupForm*> popups = form->Messaging->OpenPopups();
        return !popups.isEmpty() && popups.last()->BodyView()->document()->characterCount() > 1;
    }
    HostContext context;
    std::unique_ptr<TMainForm> form;
};

// Sends the file as the body of count records, one after another, each in
// a corvane-peer of its own; Done() once the last ended, Failed() if one
// was not delivered.
class Sender {
public:
    Sender(const QString& file, int count) : file_(file), left_(count) {
        QObject::connect(&process_, &QProcess::finished, [this](int code, QProcess::ExitStatus s) {
            failed_ = failed_ || code != 0 || s != QProcess::NormalExit;
            if (--left_ > 0 && !failed_)
                Start();
        });
        Start();
    }
    bool Done() const { return left_ <= 0 || failed_; }
    bool Failed() const { return failed_; }

private:
    void Start() {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(CORVANE_PEER),
                       {QStringLiteral("send-record"), QStringLiteral("--bind"),
                        Loopback(21).toString(), QStringLiteral("--timeout"), QStringLiteral("120"),
                        QStringLiteral("--alias"), QStringLiteral("Anna"),
                        QStringLiteral("--body-file"), file_, Loopback(20).toString()});
    }
    QProcess process_;
    QString file_;
    int left_;
    bool failed_ = false;
};

struct CaseFigures {
    double filedMs = -1, firstScreenMs = -1, longestStallMs = 0, peakMb = 0, idleRssMb = 0;
};

// Sends, then runs until every record is filed and the copy has been idle
// for IdleSeconds (or limitMs passed: false).
bool Watch(Receiver& r, const QByteArray& body, int count, CaseFigures& f) {
    QTemporaryFile file;
    if (!file.open() || file.write(body) != body.size() || !file.flush())
        return false;
    malloc_trim(0);
    PumpMessagesFor(500);
    ResetPeak();
    const int before = r.Filed();
    const qint64 limitMs =
        qEnvironmentVariableIntValue("CORVANE_BENCH_WATCH_LIMIT_S") > 0
            ? qEnvironmentVariableIntValue("CORVANE_BENCH_WATCH_LIMIT_S") * 1000LL
            : 300000;
    QElapsedTimer clock, gap, filedAt;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.restart());
        if (f.filedMs < 0 && r.Filed() >= before + count) {
            f.filedMs = clock.nsecsElapsed() / 1e6;
            filedAt.start();
        }
        if (f.filedMs >= 0 && f.firstScreenMs < 0 && r.Shown())
            f.firstScreenMs = filedAt.nsecsElapsed() / 1e6;
    });
    clock.start();
    gap.start();
    ticker.start();
    Sender sender(file.fileName(), count);
    int quiet = 0;
    while (quiet < IdleSeconds && clock.elapsed() < limitMs) {
        const double cpu = ProcessCpuMs();
        PumpMessagesFor(1000);
        const bool settled =
            sender.Done() && f.firstScreenMs >= 0 && r.form->Messaging->Loader().Pending() == 0;
        quiet = settled && ProcessCpuMs() - cpu < 1000 * QuietCpuShare ? quiet + 1 : 0;
    }
    f.longestStallMs = double(longest);
    f.peakMb = StatusMb("VmHWM:");
    f.idleRssMb = StatusMb("VmRSS:");
    return !sender.Failed() && quiet >= IdleSeconds;
}

void Report(benchmark::State& state, const CaseFigures& f) {
    state.counters["filed_ms"] = f.filedMs;
    state.counters["first_screen_ms"] = f.firstScreenMs;
    state.counters["longest_stall_ms"] = f.longestStallMs;
    state.counters["peak_mb"] = f.peakMb;
    state.counters["idle_rss_mb"] = f.idleRssMb;
}

void Receive(benchmark::State& state) {
    const QByteArray body = Body(Kind(state.range(0)), state.range(1));
    for (auto _ : state) {
        Receiver r;
        CaseFigures f;
        if (!Watch(r, body, 1, f))
            state.SkipWithError(
                QStringLiteral(
                    "not filed and shown, or not idle in time: filed %1 ms, first screen %2 ms")
                    .arg(f.filedMs)
                    .arg(f.firstScreenMs)
                    .toUtf8()
                    .constData());
        state.SetIterationTime(f.filedMs / 1000);
        Report(state, f);
    }
}

void Flood(benchmark::State& state) {
    const QByteArray body = Body(Formatted, state.range(1));
    for (auto _ : state) {
        Receiver r;
        CaseFigures f;
        if (!Watch(r, body, int(state.range(0)), f))
            state.SkipWithError(
                QStringLiteral("not every record filed, or not idle in time: %1 filed")
                    .arg(r.Filed())
                    .toUtf8()
                    .constData());
        state.SetIterationTime(f.filedMs / 1000);
        Report(state, f);
        for (TPopupForm* popup : r.form->Messaging->OpenPopups())
            popup->close();
        // Closed outside the event loop: their deletion is due now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        PumpMessagesFor(2000);
        state.counters["closed_rss_mb"] = StatusMb("VmRSS:");
    }
}

} // namespace

// One round each: a round is a whole watch until idle. The flood first, on
// a fresh heap, as a copy meets it after its start; after the 16 MB cases
// the heap is fragmented and the same flood peaks some 40 MB higher.
BENCHMARK(Flood)
    ->ArgNames({"records", "bytes"})
    ->Args({100, 2 << 20})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Receive)
    ->ArgNames({"kind", "bytes"})
    ->Args({Formatted, 1 << 20})
    ->Args({Formatted, 16000000})
    ->Args({OneWord, 1 << 20})
    ->Args({OneWord, 16000000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    corvane::bench::XServer display;
    if (!display.Start())
        return 1;
    return corvane::bench::RunWindowBenchmarks(argc, argv);
}
