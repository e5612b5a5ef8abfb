// A flood of announcements against one main window: how many a second the
// presence handlers take with the drop-down tree shown, what a sweep of
// thousands of computers costs, and how many a second arrive through the
// datagram network with the window's event loop staying responsive.
#include "app/mainform.h"
#include "common/fieldsplit.h"
#include "common/timedwait.h"
#include "presence/presencedirectory.h"
#include "transport/datagramnetwork.h"
#include "transport/mailslot.h"

#include "../support/loopback.h"
#include "../support/windowbench.h"
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

using namespace corvane;
using corvane::bench::Loopback;
using corvane::bench::OnLoopback;

namespace {

// One computer of the bench: its own name and loopback address.
struct BenchComputer {
    BenchComputer(const QString& name, int host, int peer) {
        context.computerNameSource = [name] { return name; };
        OnLoopback(context, host);
        context.network.broadcastTargets = {Loopback(peer)};
        context.timings.presenceFirstMs = 3600 * 1000; // the bench drives the handlers
        context.timings.openWaitMs = 0;
    }
    HostContext context;
};

// As many computers as the tree takes (it refuses more than MaxComputers).
constexpr int Many = 4000;
static_assert(Many < PresenceProtocol::MaxComputers, "the bench stays within the tree's cap");

QByteArray Announcement(int i, bool online) {
    return JoinFields({"I_AM_HERE", QByteArray("PC") + QByteArray::number(i),
                       online ? "TRUE" : "FALSE", QByteArray("User ") + QByteArray::number(i)});
}

// The window, with its tree dropped down as a user would watch it, or not.
struct Window {
    explicit Window(bool dropDown = true)
        : computer(QStringLiteral("BENCH"), 2, 3), form(computer.context) {
        form.show();
        if (dropDown)
            form.CompNameBtn->click();
        ProcessPendingMessages();
    }
    BenchComputer computer;
    TMainForm form;
    PresenceProtocol& Protocol() { return form.Presence->Protocol(); }
};

// Announcements of n new computers, then of the same n with a changed state.
void BM_AnnouncementsThroughTheHandlers(benchmark::State& state) {
    const int n = int(state.range(0));
    std::vector<QByteArray> first, second;
    for (int i = 0; i < n; ++i) {
        first.push_back(Announcement(i, true));
        second.push_back(Announcement(i, i % 2 == 0));
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        state.ResumeTiming();
        for (const QByteArray& d : first)
            window->Protocol().IcqSlotMessageAvail(d);
        for (const QByteArray& d : second)
            window->Protocol().IcqSlotMessageAvail(d);
        window->form.Presence->View().FlushPendingNodes(); // the batch the timer would put in
        ProcessPendingMessages();                          // one repaint of what changed
        state.PauseTiming();
        if (window->form.TreeView1->topLevelItem(0)->childCount() != n) {
            state.SkipWithError("not every computer was listed");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * n);
}
BENCHMARK(BM_AnnouncementsThroughTheHandlers)->Arg(1000)->Arg(Many)->Unit(benchmark::kMillisecond);

// A sweep over n listed computers of which every other one did not answer.
void BM_SweepHalfGone(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        for (int i = 0; i < n; ++i)
            window->Protocol().IcqSlotMessageAvail(Announcement(i, true));
        window->Protocol().WhoIsHereEvent();
        for (int i = 0; i < n; i += 2)
            window->Protocol().IcqSlotMessageAvail(Announcement(i, i % 4 == 0));
        state.ResumeTiming();
        window->Protocol().PresenceSweep();
        ProcessPendingMessages();
        state.PauseTiming();
        if (window->form.Presence->Tree().ComputerCount() != (n + 1) / 2) {
            state.SkipWithError("the sweep kept the wrong computers");
            break;
        }
        window.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SweepHalfGone)->Arg(1000)->Arg(Many)->Unit(benchmark::kMillisecond);

// n distinct computers announce themselves over the loopback network to an
// open window, in bursts; reports announcements a second and the longest
// time the window's event loop went without turning (max_gap_ms).
void BM_FloodOverTheNetwork(benchmark::State& state) {
    const int n = int(state.range(0));
    constexpr int Burst = 256;
    double maxGapMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>(state.range(1) != 0);
        window->form.RestoreApplication(); // opens the endpoint
        BenchComputer flooder(QStringLiteral("FLOODER"), 3, 2);
        DatagramNetwork network(flooder.context);
        TmdSecureMail slot(network); // binds the flooder's socket
        slot.SetSlot(QStringLiteral("CORVANE3"));
        slot.Open();
        flooder.context.resolver.Learn(QStringLiteral("BENCH"), Loopback(2));
        NetworkTree& tree = window->form.Presence->Tree();
        const int before = tree.ComputerCount();
        QElapsedTimer gap;
        gap.start();
        double worst = 0;
        QTimer ticker; // turns with the event loop
        ticker.setInterval(0);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            worst = std::max(worst, gap.nsecsElapsed() / 1e6);
            gap.restart();
        });
        state.ResumeTiming();
        ticker.start();
        gap.restart();
        for (int sent = 0; sent < n;) {
            const int end = std::min(n, sent + Burst);
            for (; sent < end; ++sent)
                SendDatagram(network, QStringLiteral("BENCH"), QStringLiteral("CORVANE3"),
                             Announcement(sent, true));
            const QDeadlineTimer deadline(5000);
            while (tree.ComputerCount() - before < sent && !deadline.hasExpired())
                PumpMessagesFor(1);
        }
        ticker.stop();
        state.PauseTiming();
        maxGapMs = std::max(maxGapMs, worst);
        if (tree.ComputerCount() - before != n) {
            state.SkipWithError("announcements were lost");
            break;
        }
        slot.Close();
        window.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["max_gap_ms"] = maxGapMs;
}
BENCHMARK(BM_FloodOverTheNetwork)
    ->ArgNames({"computers", "dropped_down"})
    ->Args({Many, 0})
    ->Args({Many, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return corvane::bench::RunWindowBenchmarks(argc, argv);
}
