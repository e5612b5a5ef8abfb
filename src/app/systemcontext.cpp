#include "app/systemcontext.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvane {

void FillSystemContext(HostContext& context, const QString& executablePath) {
    context.computerNameSource = &SystemComputerName;
    const QString base = QFileInfo(executablePath).completeBaseName().isEmpty()
                             ? QStringLiteral("corvane")
                             : QFileInfo(executablePath).completeBaseName();
    context.configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QLatin1Char('/') + base;
    context.workDir = QDir::currentPath();
    // $XDG_CONFIG_HOME first, then each of $XDG_CONFIG_DIRS.
    QStringList configDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString own = configDirs.isEmpty() ? QString() : configDirs.takeFirst();
    context.autostartDir = own.isEmpty() ? QString() : own + QStringLiteral("/autostart");
    context.systemAutostartDirs.clear();
    for (const QString& dir : configDirs)
        context.systemAutostartDirs.append(dir + QStringLiteral("/autostart"));
    // Installed sounds, or those beside a build tree's executable.
    const QString installed = QStringLiteral(CORVANE_DATADIR);
    const QString relative =
        QFileInfo(executablePath).absolutePath() + QStringLiteral("/../share/corvane");
    context.dataDir = QFileInfo::exists(installed) ? installed : QDir::cleanPath(relative);
}

} // namespace corvane
