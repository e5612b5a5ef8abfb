#include "common/hostcontext.h"

#include <QLocale>
#include <unistd.h>

namespace corvane {

QString SystemComputerName() {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    QString name = QString::fromLocal8Bit(buffer);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return QLocale::system().toUpper(name);
}

HostContext::HostContext() : computerNameSource(&SystemComputerName) {}

QString HostContext::LocalComputerName() const {
    return computerNameSource ? computerNameSource() : QString();
}

} // namespace corvane
