// A whole main window receiving big messages over loopback: 1 MB and 16 MB of
// formatted text, and a body that is one word of 1 MB. Measured from the first
// byte of the delivery to the moment the window answers again after the
// record was filed and shown (popup and Incoming page laid out), with the
// longest time the window did not answer (a 5 ms timer's longest gap).
#include "app/mainform.h"
#include "messaging/bodyview.h"
#include "messaging/messageclient.h"
#include "messaging/messagingcontroller.h"
#include "messaging/storepage.h"
#include "messaging/tmsg.h"

#include "../support/loopback.h"
#include "../support/windowbench.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace corvane;
using corvane::bench::Loopback;

namespace {

QByteArray Body(int kind, qsizetype bytes) {
    if (kind == 2) // one long word, plain text
        return QByteArray(bytes, 'w');
    QByteArray words;
    const QByteArray line = "The quick brown fox jumps over the lazy dog, again and again. ";
    while (words.size() < bytes)
        words += line;
    words.truncate(bytes);
    return "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 " + words + "\\par}";
}

void Receive(benchmark::State& state) {
    const int kind = int(state.range(0));
    const qsizetype bytes = state.range(1);
    HostContext receiver;
    receiver.network.bindAddress = Loopback(20);
    receiver.network.selfAddress = Loopback(20);
    receiver.network.discoverBroadcasts = false;
    receiver.timings.deliveryTimeoutMs = 120000;
    TMainForm form(receiver);
    form.RestoreApplication();
    HostContext sender;
    sender.network.bindAddress = Loopback(21);
    sender.timings.deliveryTimeoutMs = 120000;
    const QByteArray record = TMsg{"Anna", "Bob", Body(kind, bytes), "Anna"}.Encode();

    double worstStall = 0, worstDelivered = 0, worstShown = 0;
    for (auto _ : state) {
        QElapsedTimer clock, gap;
        qint64 stall = 0;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { stall = std::max(stall, gap.restart()); });
        clock.start();
        gap.start();
        ticker.start();
        const int before = form.Incoming->Store().Count();
        const auto outcomes = DeliverToAll(sender, {Loopback(20).toString()}, record);
        const double delivered = clock.nsecsElapsed() / 1e6;
        // Until the body is read and shown, then a second more for the
        // layout that goes on in the background.
        while (form.Messaging->Loader().Pending() > 0 && clock.elapsed() < 300000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double shown = clock.nsecsElapsed() / 1e6;
        QElapsedTimer after;
        after.start();
        while (after.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        ticker.stop();
        worstShown = std::max(worstShown, shown);
        if (outcomes.value(0) != DeliveryOutcome::Delivered ||
            form.Incoming->Store().Count() != before + 1)
            state.SkipWithError("the record was not delivered and filed");
        worstStall = std::max(worstStall, double(stall));
        worstDelivered = std::max(worstDelivered, delivered);
        state.SetIterationTime(delivered / 1000);
    }
    state.counters["delivered_ms"] = worstDelivered;
    state.counters["shown_ms"] = worstShown;
    state.counters["longest_stall_ms"] = worstStall;
}

} // namespace

BENCHMARK(Receive)
    ->ArgNames({"kind", "bytes"})
    ->Args({0, 1 << 20})
    ->Args({0, 16000000})
    ->Args({2, 1 << 20})
    ->Iterations(1) // a second round would wait on the first one's background layout
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return corvane::bench::RunWindowBenchmarks(argc, argv);
}
