// Answers to requests from the network: where they may go, and how much a
// source can make this computer send.
#include "datagrambed.h"
#include "support/testcontext.h"
#include "transport/answerbudget.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"
#include "transport/mailslot.h"
#include "transport/sourceanswer.h"

#include <gtest/gtest.h>
#include <memory>

using namespace corvane;
using corvane::test::WaitUntil;

TEST(AnswerBudget, ASourceGetsBackASmallMultipleOfWhatItSent) {
    qint64 now = 0;
    AnswerBudget budget([&] { return now; });
    const QHostAddress a("10.0.0.1"), b("10.0.0.2");
    EXPECT_FALSE(budget.Spend(a, 1)); // nothing came from there
    budget.Received(a, 50);
    EXPECT_TRUE(budget.Spend(a, 50 * AnswerBudget::BytesPerByteReceived));
    EXPECT_FALSE(budget.Spend(a, 1));
    EXPECT_FALSE(budget.Spend(b, 1)); // one source's datagrams pay for no other
    for (int i = 0; i < 100; ++i)
        budget.Received(a, 1000);
    EXPECT_EQ(budget.Credit(a), AnswerBudget::MaxCredit); // no hoarding
}

TEST(AnswerBudget, WholeListsArePacedPerSourceAndInAll) {
    qint64 now = 0;
    AnswerBudget budget([&] { return now; });
    const QHostAddress a("10.0.0.1"), b("10.0.0.2"), c("10.0.0.3"), d("10.0.0.4");
    for (const QHostAddress& s : {a, b, c, d})
        budget.Received(s, 40);
    // A burst of two, then one every interval.
    EXPECT_TRUE(budget.TakeList(a, 10));
    EXPECT_TRUE(budget.TakeList(a, 10));
    EXPECT_FALSE(budget.TakeList(a, 10));
    now += AnswerBudget::ListIntervalMs - 1;
    EXPECT_FALSE(budget.TakeList(a, 10));
    now += 1;
    EXPECT_TRUE(budget.TakeList(a, 10));
    EXPECT_FALSE(budget.TakeList(QHostAddress("10.0.0.9"), 1)); // never heard
    // All sources together: a bounded number of entries a second.
    const qint64 big = AnswerBudget::ListEntriesPerSecond;
    EXPECT_TRUE(budget.TakeList(b, big));
    EXPECT_FALSE(budget.TakeList(c, big)); // the burst is spent
    now += 1000;
    EXPECT_TRUE(budget.TakeList(c, big));
    // The oldest source is forgotten beyond the bound, with its credit.
    for (int i = 0; i < AnswerBudget::MaxSources; ++i)
        budget.Received(QHostAddress(quint32(0x0B000000 + i)), 1);
    EXPECT_EQ(budget.Sources(), AnswerBudget::MaxSources);
    EXPECT_EQ(budget.Credit(a), 0);
}

namespace {
// Three computers: HOST1 answers, HOST2 asks, HOST3 is a third computer;
// none has learned another's name.
struct Bed {
    Bed() : net(3, false) {
        for (auto& n : net.networks) {
            listeners.push_back(std::make_unique<test::Listener>(*n, QStringLiteral("CORVANE3")));
            listeners.back()->slot.Open();
        }
    }
    QHostAddress Address(int i) const { return computers[size_t(i)]->context.network.bindAddress; }
    QByteArrayList& Received(int i) { return listeners[size_t(i)]->received; }
    test::Net net;
    std::vector<std::unique_ptr<test::TestComputer>>& computers = net.computers;
    std::vector<std::unique_ptr<DatagramNetwork>>& networks = net.networks;
    std::vector<std::unique_ptr<test::Listener>> listeners;
};
} // namespace

TEST(SourceAnswer, GoesOnlyToTheSourceWhenItIsTheComputerNamed) {
    Bed bed;
    HostContext& answering = bed.computers[0]->context;
    const QHostAddress asker = bed.Address(1), third = bed.Address(2);
    answering.resolver.Learn(QStringLiteral("HOST3"), third);
    answering.resolver.SetSystemLookup([&](const QString& name, QObject*, auto found) {
        found(name == "HOST2"      ? QList<QHostAddress>{asker}
              : name == "ALT-OF-3" ? QList<QHostAddress>{third}
                                   : QList<QHostAddress>{});
    });
    bed.networks[0]->Budget().Received(asker, 10000);
    enum To { Nobody, Asker, Self };
    struct Case {
        QString named;
        To to;
    };
    const Case cases[] = {
        {"HOST2", Asker},          // not known yet: looked up, the source
        {"host2", Asker},          // learned so; names ignore letter case
        {asker.toString(), Asker}, // the source's own address
        {"HOST1", Self},           // this computer: to itself only
        {"HOST3", Nobody},         // a third computer
        {third.toString(), Nobody},
        {"ALT-OF-3", Nobody}, // looked up: a third computer
        {"NOBODY", Nobody},   // not found
        {"*", Nobody},
        {"255.255.255.255", Nobody},
        {"", Nobody},
        {QString(300, 'x'), Nobody},
    };
    SourceAnswer answer(*bed.networks[0]);
    QByteArrayList expected[3];
    for (size_t i = 0; i < std::size(cases); ++i) {
        const QByteArray text = "case " + QByteArray::number(qsizetype(i));
        answer.Answer(cases[i].named, asker, QStringLiteral("CORVANE3"), {text});
        if (cases[i].to != Nobody)
            expected[cases[i].to == Asker ? 1 : 0].append(text);
    }
    // What was sent before a marker arrives before it.
    for (int i = 0; i < 3; ++i)
        SendDatagram(*bed.networks[0], bed.computers[size_t(i)]->context.LocalComputerName(),
                     QStringLiteral("CORVANE3"), "end");
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitUntil([&] { return bed.Received(i).contains("end"); }));
        expected[i].append("end");
        EXPECT_EQ(bed.Received(i).join(',').toStdString(), expected[i].join(',').toStdString())
            << "HOST" << i + 1;
    }
}

TEST(SourceAnswer, NothingGoesBeyondTheSourcesBudget) {
    Bed bed;
    const QHostAddress asker = bed.Address(1);
    bed.computers[0]->context.resolver.Learn(QStringLiteral("HOST2"), asker);
    SourceAnswer answer(*bed.networks[0]);
    auto big = [](char c) { return QByteArray(1000, c); };
    // Nothing came from the asker yet: nothing is owed to it.
    answer.Answer("HOST2", asker, QStringLiteral("CORVANE3"), {big('a')});
    bed.networks[0]->Budget().Received(asker, 300); // pays for two of them
    for (char c : {'b', 'c', 'd', 'e'})
        answer.Answer("HOST2", asker, QStringLiteral("CORVANE3"), {big(c)});
    SendDatagram(*bed.networks[0], "HOST2", QStringLiteral("CORVANE3"), "end");
    ASSERT_TRUE(WaitUntil([&] { return bed.Received(1).contains("end"); }));
    EXPECT_EQ(bed.Received(1), (QByteArrayList{big('b'), big('c'), "end"}));
}
