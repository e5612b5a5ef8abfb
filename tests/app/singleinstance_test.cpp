#include "app/singleinstance.h"

#include "support/testcontext.h"

#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace corvane;

TEST(SingleInstance, ASecondStartAsksTheFirstToRestore) {
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("CORVANE3"), dir.path());
    ASSERT_TRUE(first.TryBecomeFirst());
    int restores = 0;
    QObject::connect(&first, &SingleInstance::RestoreRequested, [&] { ++restores; });

    SingleInstance second(QStringLiteral("CORVANE3"), dir.path());
    EXPECT_FALSE(second.TryBecomeFirst());
    // Before the first copy answers (no main window yet) the second ends
    // without an effect.
    EXPECT_FALSE(second.AskFirstToRestore(200));

    ASSERT_TRUE(first.Listen());
    // The asking copy blocks, so it asks from a thread of its own here.
    auto asked = std::async(std::launch::async, [&] {
        SingleInstance other(QStringLiteral("CORVANE3"), dir.path());
        return other.AskFirstToRestore(5000);
    });
    ASSERT_TRUE(test::WaitUntil(
        [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000));
    EXPECT_TRUE(asked.get());
    EXPECT_TRUE(test::WaitUntil([&] { return restores == 1; }));
}

// The restore may show a box and wait for the person: the asking copy has its
// answer at once, and its going away meanwhile harms nothing.
TEST(SingleInstance, TheAnswerComesBeforeARestoreThatWaits) {
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("CORVANE3"), dir.path());
    ASSERT_TRUE(first.TryBecomeFirst());
    ASSERT_TRUE(first.Listen());
    int restores = 0;
    QObject::connect(&first, &SingleInstance::RestoreRequested, [&] {
        ++restores;
        QTest::qWait(400); // a box the person reads
    });
    auto asked = std::async(std::launch::async, [&] {
        SingleInstance other(QStringLiteral("CORVANE3"), dir.path());
        return other.AskFirstToRestore(150);
    });
    ASSERT_TRUE(test::WaitUntil(
        [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000));
    EXPECT_TRUE(asked.get());
    EXPECT_TRUE(test::WaitUntil([&] { return restores == 1; }));
    QTest::qWait(500);
    EXPECT_EQ(restores, 1);
}

TEST(SingleInstance, OtherNamesAndFoldersAreOtherInstances) {
    QTemporaryDir a, b;
    SingleInstance one(QStringLiteral("CORVANE3"), a.path());
    SingleInstance two(QStringLiteral("CORVANE3"), b.path());
    SingleInstance three(QStringLiteral("OTHER"), a.path());
    EXPECT_TRUE(one.TryBecomeFirst());
    EXPECT_TRUE(two.TryBecomeFirst());
    EXPECT_TRUE(three.TryBecomeFirst());
}
