#include "app/canberrasoundplayer.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <alsa/asoundlib.h>
#include <canberra.h>
#include <cstdio>

namespace corvane {

namespace {
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
} // namespace

CanberraSoundPlayer::CanberraSoundPlayer(QStringList searchDirs)
    : report([](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); }),
      searchDirs_(std::move(searchDirs)) {
    snd_lib_error_set_handler(&QuietAlsa);
    createError_ = ca_context_create(&context_);
    if (createError_ != CA_SUCCESS)
        context_ = nullptr;
    else
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Corvane", nullptr);
}

void CanberraSoundPlayer::Failed(int error, const QString& what) {
    if (told_ || error == CA_SUCCESS)
        return;
    told_ = true;
    // Says what could not play, so that a sound device that is missing is
    // not taken for a file that is missing.
    if (report)
        report(QStringLiteral("corvane: sounds cannot play (%1: %2); this is not said again")
                   .arg(what, QString::fromUtf8(ca_strerror(error))));
}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (context_)
        ca_context_destroy(context_);
}

QString CanberraSoundPlayer::FindSoundFile(const QString& fileName) const {
    for (const QString& dir : searchDirs_) {
        // Bare names compare without letter case, as on the system the
        // sounds were named for ("Message.Wav" finds "message.wav").
        const QDir d(dir);
        const QStringList hits = d.entryList({fileName}, QDir::Files | QDir::CaseSensitive);
        if (!hits.isEmpty())
            return d.filePath(hits.first());
        for (const QString& entry : d.entryList(QDir::Files))
            if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
                return d.filePath(entry);
    }
    return {};
}

void CanberraSoundPlayer::PlayEventSound(const QString& fileName, const QString& themeId) {
    if (!context_) {
        Failed(createError_, QStringLiteral("the sound system"));
        return;
    }
    const QString path = FindSoundFile(fileName);
    if (!path.isEmpty())
        Failed(ca_context_play(context_, 0, CA_PROP_MEDIA_FILENAME,
                               QFile::encodeName(path).constData(), nullptr),
               path);
    else
        Failed(
            ca_context_play(context_, 0, CA_PROP_EVENT_ID, themeId.toUtf8().constData(), nullptr),
            QStringLiteral("the desktop's sound \"%1\"").arg(themeId));
}

void CanberraSoundPlayer::Beep() { QApplication::beep(); }

} // namespace corvane
