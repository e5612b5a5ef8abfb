#pragma once
#include <QString>

namespace corvane {

// Event sounds. PlayEventSound looks the bare file name up in the working
// directory, then in the installed sounds; without a file it plays the
// desktop's theme sound themeId. Failing to play (no sound device) is not an
// error of the program and is not reported.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void PlayEventSound(const QString& fileName, const QString& themeId) = 0;
    // The system's default beep (the end of a list, a refused key).
    virtual void Beep() = 0;
};

} // namespace corvane
