#include "app/nodisplayguard.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace corvane {

namespace {
// The guard's state while it stands; Qt's handler takes no context pointer.
QtMessageHandler previousHandler = nullptr;
QStringList* heldMessages = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        std::fputs("corvane: no display (set DISPLAY or WAYLAND_DISPLAY)\n", stderr);
        std::_Exit(NoDisplayExitCode);
    }
    if (type == QtFatalMsg || !heldMessages) {
        previousHandler(type, context, message);
        return;
    }
    heldMessages->append(qFormatLogMessage(type, context, message));
}
} // namespace

NoDisplayGuard::NoDisplayGuard() {
    heldMessages = new QStringList;
    previousHandler = qInstallMessageHandler(&HoldOrEnd);
}

NoDisplayGuard::~NoDisplayGuard() {
    qInstallMessageHandler(previousHandler);
    for (const QString& line : *heldMessages)
        std::fprintf(stderr, "%s\n", qPrintable(line));
    delete heldMessages;
    heldMessages = nullptr;
}

} // namespace corvane
