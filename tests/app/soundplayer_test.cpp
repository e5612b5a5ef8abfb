#include "app/canberrasoundplayer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace corvane;

namespace {
void Touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
} // namespace

TEST(SoundPlayer, BareNamesAreFoundInTheWorkingFolderFirstWhateverTheirLetterCase) {
    QTemporaryDir work, data;
    Touch(data.filePath(QStringLiteral("Message.Wav")));
    Touch(data.filePath(QStringLiteral("ChatBeep.Wav")));
    Touch(work.filePath(QStringLiteral("message.wav")));
    CanberraSoundPlayer player({work.path(), data.path()});
    EXPECT_EQ(player.FindSoundFile(QStringLiteral("Message.Wav")), work.filePath(QStringLiteral("message.wav")));
    EXPECT_EQ(player.FindSoundFile(QStringLiteral("ChatBeep.Wav")), data.filePath(QStringLiteral("ChatBeep.Wav")));
    EXPECT_EQ(player.FindSoundFile(QStringLiteral("Missing.Wav")), QString());
    // Without a file (and on a machine without sound) playing is quiet.
    player.PlayEventSound(QStringLiteral("Missing.Wav"), QStringLiteral("message-new-instant"));
}

TEST(SoundPlayer, ASoundThatCannotPlayIsSaidOnceAndTheSoundSystemStaysQuiet) {
    QTemporaryDir work;
    Touch(work.filePath(QStringLiteral("Message.Wav"))); // not a real sound either
    QTemporaryFile captured;
    ASSERT_TRUE(captured.open());
    QStringList said;
    {
        // What anything in the process writes to standard error meanwhile.
        std::fflush(stderr);
        const int saved = dup(2);
        ASSERT_GE(saved, 0);
        ASSERT_GE(dup2(captured.handle(), 2), 0);
        CanberraSoundPlayer player({work.path()});
        player.report = [&](const QString& line) { said << line; };
        for (int i = 0; i < 4; ++i) {
            player.PlayEventSound(QStringLiteral("Message.Wav"),
                                  QStringLiteral("message-new-instant"));
            player.PlayEventSound(QStringLiteral("ChatBeep.Wav"), QStringLiteral("bell"));
        }
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
    }
    // Where sound works nothing is said; where it does not, one line.
    EXPECT_LE(said.size(), 1);
    if (!said.isEmpty()) {
        EXPECT_TRUE(said[0].startsWith(QStringLiteral("corvane: sounds cannot play (")))
            << said[0].toStdString();
    }
    captured.seek(0);
    EXPECT_EQ(captured.readAll(), QByteArray());
}
