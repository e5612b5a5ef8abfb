#include "common/fieldsplit.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {
QByteArray Rec(std::initializer_list<const char*> parts, const QByteArray& sep = FieldSeparator) {
    QByteArrayList l;
    for (const char* p : parts)
        l.append(QByteArray(p));
    return l.join(sep);
}
} // namespace

TEST(FieldSplit, JoinedFieldsReadBack) {
    const QByteArray r = JoinFields({"WHO_IS_HERE", "HOST1"});
    EXPECT_EQ(r, QByteArray("WHO_IS_HERE\xA9\xA9\xA9HOST1"));
    EXPECT_EQ(Field(r, 1), "WHO_IS_HERE");
    EXPECT_EQ(Field(r, 2), "HOST1");
    EXPECT_EQ(Field(r, 3), "");
    EXPECT_EQ(Field(r, 0), "");
    EXPECT_EQ(Field(r, -1), "");
}

TEST(FieldSplit, AnyRunOfSeparatorBytesSplitsOnce) {
    for (int run : {1, 3, 6, 7}) {
        const QByteArray r = Rec({"a", "b", "c"}, QByteArray(run, '\xA9'));
        EXPECT_EQ(SplitFields(r), (QByteArrayList{"a", "b", "c"})) << run;
        EXPECT_EQ(Field(r, 2), "b") << run;
    }
}

TEST(FieldSplit, EmptyFieldsVanishAndLaterOnesMoveLeft) {
    // An empty alias: "I_AM_HERE" NAME "TRUE" "" -> the alias is missing.
    const QByteArray r = Rec({"I_AM_HERE", "", "TRUE", "ALIAS"});
    EXPECT_EQ(Field(r, 2), "TRUE");
    EXPECT_EQ(Field(r, 3), "ALIAS");
    EXPECT_EQ(Field(r, 4), "");
}

TEST(FieldSplit, LeadingAndTrailingSeparatorsAreSkipped) {
    const QByteArray r = FieldSeparator + "x" + FieldSeparator + FieldSeparator + "y" + FieldSeparator;
    EXPECT_EQ(SplitFields(r), (QByteArrayList{"x", "y"}));
    EXPECT_EQ(Field(r, 1), "x");
    EXPECT_EQ(Field(r, 2), "y");
    EXPECT_TRUE(SplitFields(FieldSeparator).isEmpty());
    EXPECT_TRUE(SplitFields("").isEmpty());
    EXPECT_EQ(Field("", 1), "");
}

TEST(FieldSplit, ASeparatorByteInsideAFieldSplitsIt) {
    const QByteArray r = Rec({"OFFLINE_NOTIFY", "HO\xA9ST", "alias"});
    EXPECT_EQ(Field(r, 2), "HO");
    EXPECT_EQ(Field(r, 3), "ST");
    EXPECT_EQ(Field(r, 4), "alias");
}

TEST(FieldSplit, OtherHighBytesAreOrdinaryText) {
    const QByteArray r = Rec({"\xCF\xF0\xE8\xE2\xE5\xF2", "\xA8\xB8\xA0"});
    EXPECT_EQ(Field(r, 1), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(Field(r, 2), "\xA8\xB8\xA0");
}
