#pragma once
// Loopback addresses of this benchmark process: 127.X.Y.N with X.Y taken from
// the process id (as the tests do), so runs at the same time do not meet.
#include "common/hostcontext.h"

#include <QHostAddress>
#include <unistd.h>

namespace corvane::bench {

inline QHostAddress Loopback(int host) {
    const quint32 pid = quint32(getpid());
    return QHostAddress((127u << 24) | ((1 + (pid >> 8) % 254) << 16) | ((pid & 0xFF) << 8) |
                        quint32(host & 0xFF));
}

// A computer of the benchmark that binds to and names itself by Loopback(host)
// and looks for no broadcast addresses of the machine's networks.
inline void OnLoopback(HostContext& context, int host) {
    context.network.bindAddress = Loopback(host);
    context.network.selfAddress = Loopback(host);
    context.network.discoverBroadcasts = false;
}

} // namespace corvane::bench
