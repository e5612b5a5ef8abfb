#include "app/singleinstance.h"

#include "support/testcontext.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <future>
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
    ASSERT_TRUE(test::WaitUntil([&] {
        return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }, 10000));
    EXPECT_TRUE(asked.get());
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
