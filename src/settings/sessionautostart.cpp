#include "settings/sessionautostart.h"

#include "common/errors.h"
#include "common/filewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvane {

namespace {
// Larger files are not desktop entries; they are not read whole.
constexpr qint64 MaxEntryBytes = 64 * 1024;
} // namespace

SessionAutostart::SessionAutostart(QString userDir, QStringList systemDirs)
    : userDir_(std::move(userDir)), systemDirs_(std::move(systemDirs)) {}

QString SessionAutostart::UserEntryPath() const {
    return userDir_.isEmpty() ? QString() : userDir_ + QLatin1Char('/') + EntryName;
}

QByteArray SessionAutostart::HiddenEntry() {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Corvane Messenger\n"
           "Exec=corvane --tray\n"
           "Hidden=true\n";
}

bool SessionAutostart::EntryStarts(const QByteArray& text) {
    bool inMainGroup = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || line.startsWith('#') || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return false;
    }
    return true;
}

SessionAutostart::Entry SessionAutostart::ReadEntry(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return Entry::Missing;
    return EntryStarts(file.read(MaxEntryBytes)) ? Entry::Starts : Entry::Off;
}

SessionAutostart::Entry SessionAutostart::SystemEntry() const {
    for (const QString& dir : systemDirs_)
        if (const Entry e = ReadEntry(dir + QLatin1Char('/') + EntryName); e != Entry::Missing)
            return e;
    return Entry::Missing;
}

SessionAutostart::State SessionAutostart::Read() const {
    const bool systemStarts = SystemEntry() == Entry::Starts;
    const Entry own = userDir_.isEmpty() ? Entry::Missing : ReadEntry(UserEntryPath());
    return {.available = !userDir_.isEmpty() && systemStarts,
            .enabled = own != Entry::Missing ? own == Entry::Starts : systemStarts};
}

void SessionAutostart::SetEnabled(bool on) {
    if (const State state = Read(); !state.available || state.enabled == on)
        return;
    const QString path = UserEntryPath();
    if (on) {
        // Only the override is in the way; the system's entry starts it.
        QFile file(path);
        if (!file.remove())
            throw AppError(QStringLiteral("Cannot remove %1: %2").arg(path, file.errorString()));
        return;
    }
    if (!QDir().mkpath(userDir_))
        throw AppError(QStringLiteral("Cannot make the folder %1").arg(userDir_));
    WriteFileWhole(path, HiddenEntry());
}

} // namespace corvane
