// What keeping the messages in a file costs, with whole main windows on
// loopback (offscreen), each case with the messages kept (1) and in memory
// only (0):
//
//   SendToCommitted/K   a click on Send until the click is over: the record
//                       is then committed at the receiver (it closes the
//                       connection only after the commit) and filed in the
//                       sender's outgoing store; median_ms of 200 sends
//   Filing/K            10,000 small records from 10 senders at once, each
//                       sending its next when the last was delivered, into a
//                       main window without popups; items/s
//   BigBody/K/MB        one formatted body of MB megabytes filed and committed
//                       (the window's thread waits for it); ms
//   StartUp/N           a copy in a process of its own that keeps N incoming
//                       messages (-1: none kept, the program as it was):
//                       start_ms until the window is built and shows the
//                       newest, show_ms for its first showing, idle_rss_mb
//                       once it has been idle for 3 s
#include "app/mainform.h"
#include "common/dialogservice.h"
#include "common/timedwait.h"
#include "messaging/historydatabase.h"
#include "messaging/messageclient.h"
#include "messaging/messagehistory.h"
#include "messaging/messagestore.h"
#include "messaging/storepage.h"
#include "messaging/tmsg.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"

#include "../support/loopback.h"
#include "../support/procstatus.h"
#include "../support/windowbench.h"
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

using namespace corvane;
using bench::StatusMb;
using corvane::bench::Loopback;
using corvane::bench::OnLoopback;

namespace {

class QuietDialogs : public DialogService {
public:
    Button MessageBox(const QString&, const QString&, Icon, Buttons buttons) override {
        return (buttons & Yes) ? Yes : Ok;
    }
    QString OpenFileName(const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

// A computer of its own name; its settings and address book go to the
// folder given, or nowhere.
void Configure(HostContext& context, int host, const QString& historyDir,
               const QString& ownDir = {}) {
    const QString name = QStringLiteral("HOST%1").arg(host);
    context.computerNameSource = [name] { return name; };
    context.configDir = ownDir.isEmpty() ? QString() : ownDir + QStringLiteral("/config");
    context.workDir = ownDir;
    OnLoopback(context, host);
    context.timings.presenceFirstMs = 600000;
    context.historyDir = historyDir;
}

// One computer: a main window on its own loopback address.
struct Copy {
    Copy(int host, const QString& historyDir, const std::vector<int>& peers) {
        Configure(context, host, historyDir, own.path());
        for (int p : peers)
            if (p != host)
                context.network.broadcastTargets.append(Loopback(p));
        context.dialogs = &dialogs;
        form = std::make_unique<TMainForm>(context);
        form->Options->CheckBox3->setChecked(false); // no box after each send
        form->RestoreApplication();
    }
    QTemporaryDir own;
    QuietDialogs dialogs;
    HostContext context;
    std::unique_ptr<TMainForm> form;
};

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        PumpMessagesFor(5);
    return done();
}

void SendToCommitted(benchmark::State& state) {
    QTemporaryDir dir;
    const bool keep = state.range(0) != 0;
    auto folder = [&](const char* name) {
        return keep ? dir.filePath(QLatin1String(name)) : QString();
    };
    Copy anna(50, folder("anna"), {50, 51});
    Copy boris(51, folder("boris"), {50, 51});
    anna.form->Presence->ApplyBtnClick();
    boris.form->Presence->ApplyBtnClick();
    if (!WaitFor([&] { return anna.form->Presence->Tree().ComputerCount() == 2; }, 10000)) {
        state.SkipWithError("the computers did not find each other");
        return;
    }
    const QList<QTreeWidgetItem*> items = anna.form->TreeView1->findItems(
        boris.context.LocalComputerName(), Qt::MatchExactly | Qt::MatchRecursive);
    if (items.isEmpty()) {
        state.SkipWithError("the receiver is not in the tree");
        return;
    }
    anna.form->TreeView1->setCurrentItem(items.first());
    std::vector<double> ms;
    for (auto _ : state) {
        for (int i = 0; i < 200; ++i) {
            anna.form->Memo1->setPlainText(QStringLiteral("Lunch at one? #%1").arg(i));
            QElapsedTimer t;
            t.start();
            anna.form->SendBtn->click();
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    if (boris.form->Incoming->Store().Count() + boris.form->Incoming->Store().Dropped() <
        int(ms.size()))
        state.SkipWithError("not every message was filed");
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
}

void Filing(benchmark::State& state) {
    constexpr int Senders = 10, Each = 1000;
    QTemporaryDir dir;
    const bool keep = state.range(0) != 0;
    Copy boris(61, keep ? dir.filePath(QStringLiteral("boris")) : QString(), {});
    boris.form->IsPopupMenu->setChecked(false);
    std::vector<std::unique_ptr<HostContext>> senders;
    for (int i = 0; i < Senders; ++i) {
        senders.push_back(std::make_unique<HostContext>());
        Configure(*senders.back(), 70 + i, {});
    }
    const QStringList to{Loopback(61).toString()};
    for (auto _ : state) {
        int delivered = 0, failed = 0, running = Senders;
        std::vector<std::function<void(int)>> next(Senders);
        for (int s = 0; s < Senders; ++s)
            next[s] = [&, s](int n) {
                if (n == Each) {
                    --running;
                    return;
                }
                const QByteArray record = TMsg{"S" + QByteArray::number(s), "BORIS",
                                               "{\\rtf1 record " + QByteArray::number(n) + "}", "S"}
                                              .Encode();
                auto* batch = new DeliveryBatch(*senders[size_t(s)], to, record);
                QObject::connect(batch, &DeliveryBatch::Finished, [&, batch, s, n] {
                    (batch->Outcomes().value(0) == DeliveryOutcome::Delivered ? delivered
                                                                              : failed)++;
                    batch->deleteLater();
                    next[size_t(s)](n + 1);
                });
                batch->Start();
            };
        QElapsedTimer t;
        t.start();
        for (int s = 0; s < Senders; ++s)
            next[size_t(s)](0);
        WaitFor([&] { return running == 0; }, 600000);
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        if (failed > 0 || delivered != Senders * Each)
            state.SkipWithError("not every record was delivered");
    }
    state.SetItemsProcessed(state.iterations() * Senders * Each);
}

void BigBody(benchmark::State& state) {
    QTemporaryDir dir;
    const bool keep = state.range(0) != 0;
    HostContext context;
    Configure(context, 80, keep ? dir.filePath(QStringLiteral("kept")) : QString(), dir.path());
    LanguageState language;
    MessageHistory history(context, language);
    history.SetKeeping(keep);
    MessageStore store(StoreKind::Incoming, context, language, &history);
    const QByteArray paragraph =
        "Some words {\\b in bold} and {\\i in italics}, then more.\\par\r\n";
    QByteArray body = "{\\rtf1\\ansi\\ansicpg1251 ";
    while (body.size() < state.range(1) * 1024 * 1024)
        body += paragraph;
    body += '}';
    for (auto _ : state)
        store.AppendToStore(HistoryRecord{"Message from ANNA",
                                          body,
                                          QDateTime::currentDateTime(),
                                          "ANNA",
                                          QStringLiteral("198.18.0.1"),
                                          {},
                                          {}});
}

// A file with n small incoming messages, written as the program writes them.
bool PrepareHistory(const QString& folder, int n) {
    QDir().mkpath(folder);
    HistoryDatabase::Fault fault;
    QString reason;
    auto db =
        HistoryDatabase::Open(QDir(folder).filePath(MessageHistory::FileName), &fault, &reason);
    if (!db)
        return false;
    const char* words[] = {"lunch", "report", "printer", "meeting", "holiday", "invoice"};
    for (int i = 0; i < n; ++i) {
        HistoryRecord r;
        r.header = "Message from ANNA to BORIS (07.12.2026 9:05:01)";
        r.body = QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 "
                            "About the ") +
                 words[i % 6] + " number " + QByteArray::number(i) + ", see you there.\\par}";
        r.filed = QDateTime::currentDateTime();
        r.computer = "ANNA";
        r.address = QStringLiteral("198.18.0.1");
        if (!db->Insert(StoreKind::Incoming, r, SearchText(r.header, r.body)))
            return false;
        if (i % 10000 == 9999 && !db->Commit())
            return false;
    }
    return db->Commit();
}

void StartUp(benchmark::State& state) {
    const int n = int(state.range(0));
    QTemporaryDir dir;
    const QString folder = n < 0 ? QString() : dir.filePath(QStringLiteral("kept"));
    if (n > 0 && !PrepareHistory(folder, n)) {
        state.SkipWithError("the history could not be prepared");
        return;
    }
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--startup-child"), folder, QString::number(std::max(n, 0))});
        if (!child.waitForFinished(300000) || child.exitCode() != 0) {
            state.SkipWithError(qPrintable(QStringLiteral("the copy failed: ") +
                                           QString::fromLocal8Bit(child.readAllStandardError())));
            return;
        }
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        state.SetIterationTime(figures.value(0).toDouble() / 1000);
        state.counters["start_ms"] = figures.value(0).toDouble();
        state.counters["show_ms"] = figures.value(1).toDouble();
        state.counters["idle_rss_mb"] = figures.value(2).toDouble();
    }
}

// The child of StartUp: a copy keeping the messages in folder (none: not
// kept), which must start on message n of n.
int StartUpChild(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const int n = QByteArray(argv[3]).toInt();
    QTemporaryDir own;
    QuietDialogs dialogs;
    HostContext context;
    Configure(context, 90, folder, own.path());
    context.dialogs = &dialogs;
    QElapsedTimer t;
    t.start();
    TMainForm form(context);
    const double startMs = t.nsecsElapsed() / 1e6;
    t.restart();
    form.RestoreApplication();
    PumpMessagesFor(0);
    const double showMs = t.nsecsElapsed() / 1e6;
    PumpMessagesFor(3000);
    const QString expected =
        n > 0 ? QStringLiteral("Message %1 of %1").arg(n) : QStringLiteral("Message 0 of 0");
    if (form.Incoming->CounterLabel()->text() != expected) {
        std::fprintf(stderr, "the page reads %s\n",
                     qPrintable(form.Incoming->CounterLabel()->text()));
        return 1;
    }
    std::printf("%.1f %.1f %.1f\n", startMs, showMs, StatusMb("VmRSS:"));
    return 0;
}

} // namespace

BENCHMARK(SendToCommitted)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Filing)->Arg(1)->Arg(0)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BigBody)->Args({1, 1})->Args({0, 1})->Args({1, 16})->Args({0, 16})->Iterations(3)->Unit(
    benchmark::kMillisecond);
BENCHMARK(StartUp)->Arg(-1)->Arg(0)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(
    benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--startup-child")
        return StartUpChild(argc, argv);
    return corvane::bench::RunWindowBenchmarks(argc, argv);
}
