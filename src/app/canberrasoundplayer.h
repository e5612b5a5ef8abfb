#pragma once
#include "common/soundplayer.h"

#include <QStringList>

struct ca_context;

namespace corvane {

// Plays event sounds through libcanberra, the desktop's own event-sound
// library. Sound files are looked up by bare name in the given folders in
// order; without a file the theme sound plays. Errors (no sound device) are
// not the program's and are ignored.
class CanberraSoundPlayer : public SoundPlayer {
public:
    explicit CanberraSoundPlayer(QStringList searchDirs);
    ~CanberraSoundPlayer() override;
    void PlayEventSound(const QString& fileName, const QString& themeId) override;
    void Beep() override;
    QString FindSoundFile(const QString& fileName) const;

private:
    QStringList searchDirs_;
    ca_context* context_ = nullptr;
};

} // namespace corvane
