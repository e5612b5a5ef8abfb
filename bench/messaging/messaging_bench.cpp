// One message to one computer and to fifty computers over loopback, from the
// first byte of the delivery to the moment every receiver holds the record.
#include "messaging/messageclient.h"
#include "messaging/messagelistener.h"
#include "messaging/tmsg.h"

#include "../support/loopback.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

using namespace corvane;
using corvane::bench::Loopback;

namespace {

struct Receivers {
    explicit Receivers(int n) {
        for (int i = 0; i < n; ++i) {
            contexts.push_back(std::make_unique<HostContext>());
            contexts.back()->network.bindAddress = Loopback(10 + i);
            listeners.push_back(std::make_unique<MessageListener>(*contexts.back()));
            if (!listeners.back()->Listen())
                qFatal("cannot listen on %s", qPrintable(Loopback(10 + i).toString()));
            QObject::connect(listeners.back().get(), &MessageListener::RecordArrived,
                             [this] { ++arrived; });
            hosts.append(Loopback(10 + i).toString());
        }
    }
    std::vector<std::unique_ptr<HostContext>> contexts;
    std::vector<std::unique_ptr<MessageListener>> listeners;
    QStringList hosts;
    int arrived = 0;
};

void Deliver(benchmark::State& state) {
    const int n = int(state.range(0));
    Receivers receivers(n);
    // The sender as installed: not bound to one address, so each connection
    // takes a port for its own pair of addresses. (Bound to one address,
    // every connection has to find a port that no earlier one left waiting
    // in TIME_WAIT, and the bench measures that search instead.)
    HostContext sender;
    const QByteArray record =
        TMsg{"Anna", "*", QByteArray("{\\rtf1\\ansi\\ansicpg1251 ") + QByteArray(2000, 'x') + "}",
             "Anna"}
            .Encode();
    for (auto _ : state) {
        receivers.arrived = 0;
        const auto outcomes = DeliverToAll(sender, receivers.hosts, record);
        QEventLoop loop;
        while (receivers.arrived < n)
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        for (DeliveryOutcome o : outcomes)
            if (o != DeliveryOutcome::Delivered)
                state.SkipWithError("a target did not get the record");
    }
}

} // namespace

BENCHMARK(Deliver)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
