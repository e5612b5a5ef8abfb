#include "support/testcontext.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

namespace corvane::test {

DialogService::Button ScriptedDialogService::MessageBox(const QString& text, const QString& title,
                                                        Icon icon, Buttons buttons) {
    ShownBox box{text, title, icon, buttons};
    shown.push_back(box);
    if (onShow)
        onShow(box);
    if (!answers.empty()) {
        const Button b = answers.front();
        answers.pop_front();
        return b;
    }
    return (buttons & Ok) ? Ok : Cancel;
}

QString ScriptedDialogService::OpenFileName(const QString&, const QString&) {
    if (fileNames.empty())
        return {};
    QString f = fileNames.front();
    fileNames.pop_front();
    return f;
}

QString ScriptedDialogService::SaveFileName(const QString& t, const QString& f, const QString&) {
    return OpenFileName(t, f);
}

void ScriptedDialogService::ShowModal(QObject* dialog) {
    modalShown.append(dialog->objectName());
    if (onModal)
        onModal(dialog);
}

int ScriptedDialogService::Count(const QString& text) const {
    int n = 0;
    for (const ShownBox& b : shown)
        n += b.text.section(QLatin1Char('\n'), 0, 0) == text;
    return n;
}

QHostAddress LoopbackAddress(int host) {
    const quint32 pid = quint32(getpid());
    const quint32 x = 1 + (pid >> 8) % 254;
    const quint32 y = pid & 0xFF;
    return QHostAddress((127u << 24) | (x << 16) | (y << 8) | quint32(host & 0xFF));
}

TestComputer::TestComputer(const QString& name, int host, const std::vector<int>& peers) {
    context.computerNameSource = [name] { return name; };
    context.network.bindAddress = LoopbackAddress(host);
    context.network.selfAddress = LoopbackAddress(host);
    context.network.discoverBroadcasts = false;
    // The whole world is this test computer's own network: nothing goes to
    // listed other networks, which are never on the loopback.
    context.network.ownSubnets = {{QHostAddress(quint32(0)), 0}};
    for (int p : peers)
        if (p != host)
            context.network.broadcastTargets.append(LoopbackAddress(p));
    context.configDir = dir.path() + QStringLiteral("/config");
    context.workDir = dir.path();
    context.dataDir = dir.path();
    QDir().mkpath(context.configDir);
    context.dialogs = &dialogs;
    context.sound = &sound;
}

std::vector<std::unique_ptr<TestComputer>> MakeComputers(int n) {
    std::vector<int> hosts;
    for (int i = 0; i < n; ++i)
        hosts.push_back(i + 2);
    std::vector<std::unique_ptr<TestComputer>> out;
    for (int i = 0; i < n; ++i)
        out.push_back(
            std::make_unique<TestComputer>(QStringLiteral("HOST%1").arg(i + 1), i + 2, hosts));
    return out;
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace corvane::test
