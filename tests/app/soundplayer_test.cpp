#include "app/canberrasoundplayer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
