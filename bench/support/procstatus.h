#pragma once
// Figures of this process from /proc/self/status, in MB: "VmRSS:" (resident
// now), "VmHWM:" (the peak resident size).
#include <QByteArray>
#include <QFile>

namespace corvane::bench {

inline double StatusMb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

} // namespace corvane::bench
