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
    context.historyDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QLatin1Char('/') + base;
    // $XDG_CONFIG_HOME first, then each of $XDG_CONFIG_DIRS.
    QStringList configDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString own = configDirs.isEmpty() ? QString() : configDirs.takeFirst();
    context.autostartDir = own.isEmpty() ? QString() : own + QStringLiteral("/autostart");
    context.systemAutostartDirs.clear();
    for (const QString& dir : configDirs)
        context.systemAutostartDirs.append(dir + QStringLiteral("/autostart"));
    // The installed data, or that of an installation moved elsewhere, or a
    // build tree's, which keeps the sounds beside the program.
    const QString installed = QStringLiteral(CORVANE_DATADIR);
    const QString programDir = QFileInfo(executablePath).absolutePath();
    const QString relative = QDir::cleanPath(programDir + QStringLiteral("/../share/corvane"));
    context.dataDir = QFileInfo::exists(installed)  ? installed
                      : QFileInfo::exists(relative) ? relative
                                                    : programDir;
}

} // namespace corvane
