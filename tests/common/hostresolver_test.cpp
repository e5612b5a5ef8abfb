// The learned addresses: how many, and which go first when room is needed.
#include "common/hostresolver.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace corvane;

TEST(HostResolver, InventedNamesCannotPushOutTheAddressesOfListedComputers) {
    HostResolver resolver;
    QSet<QString> listed{"ALPHA"};
    resolver.SetKeep([&](const QString& name) { return listed.contains(name); });
    const QHostAddress alpha("10.0.0.1"), beta("10.0.0.2"), flood("10.0.0.99");
    resolver.Learn("alpha", alpha); // listed, heard once long ago
    resolver.Learn("BETA", beta);   // not listed, but heard again and again
    for (int i = 0; i < 20000; ++i) {
        resolver.LearnIfUnknown(QStringLiteral("INVENTED-%1").arg(i), flood);
        if (i % 1000 == 0)
            resolver.LearnIfUnknown("BETA", beta);
        // A datagram in BETA's name from elsewhere is not BETA heard.
        resolver.LearnIfUnknown("BETA", flood);
    }
    EXPECT_EQ(resolver.LearnedCount(), HostResolver::MaxLearned);
    EXPECT_EQ(resolver.Learned("ALPHA"), alpha);
    EXPECT_EQ(resolver.Learned("BETA"), beta);
    EXPECT_EQ(resolver.Learned("INVENTED-19999"), flood);
    EXPECT_TRUE(resolver.Learned("INVENTED-0").isNull()); // heard least recently
    // Without the keep rule the listed one is just another old name.
    listed.clear();
    for (int i = 0; i < HostResolver::MaxLearned; ++i)
        resolver.LearnIfUnknown(QStringLiteral("MORE-%1").arg(i), flood);
    EXPECT_TRUE(resolver.Learned("ALPHA").isNull());
}
