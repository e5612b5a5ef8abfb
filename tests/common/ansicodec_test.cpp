#include "common/ansicodec.h"

#include <gtest/gtest.h>

using namespace corvane;

TEST(AnsiCodec, CyrillicAndSignsRoundTrip) {
    const QString text = QStringLiteral("Привет, Ёжик! ё № © € «»");
    const QByteArray bytes = ToAnsi(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(bytes.left(6), QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2"));
    EXPECT_EQ(FromAnsi(bytes), text);
}

TEST(AnsiCodec, EveryByteDecodesAndEncodesBack) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
}

TEST(AnsiCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(ToAnsi(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
    // One character outside the basic plane is one "?", not two.
    EXPECT_EQ(ToAnsi(QString::fromUcs4(U"x\U0001F600y")), QByteArray("x?y"));
    // A lone surrogate too.
    QString lone = QStringLiteral("a");
    lone.append(QChar(0xD800));
    EXPECT_EQ(ToAnsi(lone), QByteArray("a?"));
}

TEST(AnsiCodec, CopyrightSignIsTheSeparatorByte) {
    EXPECT_EQ(ToAnsi(QStringLiteral("©")), QByteArray("\xA9"));
}
