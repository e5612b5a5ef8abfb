#pragma once
#include "common/soundplayer.h"

#include <QStringList>
#include <functional>

struct ca_context;

namespace corvane {

// Plays event sounds through libcanberra, the desktop's own event-sound
// library. Sound files are looked up by bare name in the given folders in
// order; without a file the theme sound plays. A sound that cannot play (no
// sound device, as on a server) is not the program's error: it is said once,
// on standard error, and then no more; the sound system's own messages
// (ALSA writes eight lines for each attempt) are not shown at all.
class CanberraSoundPlayer : public SoundPlayer {
public:
    explicit CanberraSoundPlayer(QStringList searchDirs);
    ~CanberraSoundPlayer() override;
    void PlayEventSound(const QString& fileName, const QString& themeId) override;
    void Beep() override;
    QString FindSoundFile(const QString& fileName) const;
    // Where the one line about sounds that cannot play goes (standard error
    // unless a test says otherwise).
    std::function<void(const QString&)> report;

private:
    QStringList searchDirs_;
    void Failed(int error, const QString& what);

    ca_context* context_ = nullptr;
    int createError_ = 0;
    bool told_ = false;
};

} // namespace corvane
