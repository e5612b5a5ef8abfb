#include "common/errors.h"

#include "support/testcontext.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(GeneralError, FullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(GeneralErrorText(QStringLiteral("Mailslot allready exists")),
              QStringLiteral("Mailslot allready exists."));
    EXPECT_EQ(GeneralErrorText(QStringLiteral("Invalid index")), QStringLiteral("Invalid index."));
    EXPECT_EQ(GeneralErrorText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(GeneralErrorText(QStringLiteral("Sent!")), QStringLiteral("Sent!"));
    EXPECT_EQ(GeneralErrorText(QStringLiteral("code (5)")), QStringLiteral("code (5)"));
    EXPECT_EQ(GeneralErrorText(QStringLiteral("port 37139")), QStringLiteral("port 37139."));
    EXPECT_EQ(GeneralErrorText(QString()), QString());
}

TEST(GeneralError, RunHandlerShowsTheBoxAndGoesOn) {
    test::TestComputer c(QStringLiteral("HOST1"), 2, {});
    EXPECT_FALSE(RunHandler(c.context, [] { throw AppError(QStringLiteral("Cannot open mailslot")); }));
    ASSERT_EQ(c.dialogs.shown.size(), 1u);
    EXPECT_EQ(c.dialogs.shown[0].text, QStringLiteral("Cannot open mailslot."));
    EXPECT_EQ(c.dialogs.shown[0].title, QStringLiteral("Corvane 3.0"));
    EXPECT_EQ(c.dialogs.shown[0].icon, DialogService::Icon::Stop);
    EXPECT_EQ(c.dialogs.shown[0].buttons, DialogService::Ok);
    EXPECT_TRUE(RunHandler(c.context, [] {}));
    EXPECT_EQ(c.dialogs.shown.size(), 1u);
}
