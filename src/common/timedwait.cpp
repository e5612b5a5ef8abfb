#include "common/timedwait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace corvane {

void ProcessPendingMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void PumpMessagesFor(int ms) {
    ProcessPendingMessages();
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::AllEvents);
}

} // namespace corvane
