#include "app/sessionsignals.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {
int g_signalPipe[2] = {-1, -1}; // written from the signal handler only

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[0], &byte, 1);
}
} // namespace

SessionSignals::SessionSignals(QObject* parent) : QObject(parent) {
    // The handler's end never blocks: a signal that finds the pipe full is
    // one that is already on its way.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    notifier_ = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        [[maybe_unused]] ssize_t n = ::read(g_signalPipe[1], buffer, sizeof buffer);
        Q_EMIT CloseRequested();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

SessionSignals::~SessionSignals() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
    delete notifier_;
    for (int& fd : g_signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace corvane
