#pragma once
// Computers on one datagram network, and endpoints that record what they are
// handed: the bed of the transport tests.
#include "support/testcontext.h"
#include "transport/datagramnetwork.h"
#include "transport/mailslot.h"

#include <memory>
#include <vector>

namespace corvane::test {

// An endpoint that records what it is handed.
struct Listener {
    Listener(DatagramNetwork& network, const QString& slot) : slot(network) {
        this->slot.SetSlot(slot);
        this->slot.OnMessageAvail = [this](TmdCustomMailSlot*, const QByteArray& msg) {
            received.append(msg);
        };
        this->slot.OnError = [this](TmdCustomMailSlot*, const QByteArray&) { ++errors; };
        this->slot.OnDuplicated = [this](TmdCustomMailSlot*) { ++duplicates; };
    }
    TmdSecureMail slot;
    QByteArrayList received;
    int errors = 0;
    int duplicates = 0;
};

// n computers with a datagram network each; with learnNames, as if each had
// heard the others already.
struct Net {
    explicit Net(int n, bool learnNames = true) : computers(MakeComputers(n)) {
        for (auto& c : computers) {
            networks.push_back(std::make_unique<DatagramNetwork>(c->context));
            c->context.datagrams = networks.back().get();
        }
        if (!learnNames)
            return;
        for (auto& c : computers)
            for (auto& other : computers)
                c->context.resolver.Learn(other->context.LocalComputerName(),
                                          other->context.network.bindAddress);
    }
    DatagramNetwork& operator[](size_t i) { return *networks[i]; }
    std::vector<std::unique_ptr<TestComputer>> computers;
    std::vector<std::unique_ptr<DatagramNetwork>> networks;
};

} // namespace corvane::test
