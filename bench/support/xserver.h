#pragma once
// A real X display for window benchmarks: the display named by
// CORVANE_BENCH_DISPLAY when it is set, otherwise an X server (Xvfb) of this
// process's own on the first free display number from 150, ended with the
// object. Start() also points Qt at it (QT_QPA_PLATFORM=xcb), before the
// application object exists.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace corvane::bench {

class XServer {
public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool Start() {
        QByteArray display = qgetenv("CORVANE_BENCH_DISPLAY");
        if (display.isEmpty()) {
            int number = 150;
            while (number < 250 &&
                   (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)) ||
                    QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))))
                ++number;
            display = ':' + QByteArray::number(number);
            const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(number);
            char* argv[] = {const_cast<char*>("Xvfb"),         display.data(),
                            const_cast<char*>("-screen"),      const_cast<char*>("0"),
                            const_cast<char*>("1280x1024x24"), const_cast<char*>("-nolisten"),
                            const_cast<char*>("tcp"),          nullptr};
            pid_ = ::fork();
            if (pid_ == 0) {
                // The server ends with this process, however it ends.
                ::prctl(PR_SET_PDEATHSIG, SIGTERM);
                const int null = ::open("/dev/null", O_WRONLY);
                ::dup2(null, 1);
                ::dup2(null, 2);
                ::execvp("Xvfb", argv);
                ::_exit(127);
            }
            if (pid_ < 0) {
                pid_ = 0;
                std::fprintf(stderr, "cannot start Xvfb\n");
                return false;
            }
            for (int i = 0; i < 100 && !QFile::exists(QString::fromLatin1(socket)); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!QFile::exists(QString::fromLatin1(socket))) {
                std::fprintf(stderr, "Xvfb did not start on %s: is it installed?\n",
                             display.constData());
                return false;
            }
        }
        qputenv("DISPLAY", display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    }

private:
    pid_t pid_ = 0;
};

} // namespace corvane::bench
