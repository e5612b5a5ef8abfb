#pragma once
// Simulated computers for tests: each has its own name, its own loopback
// address, a dialog service that answers boxes from a script, and a sound
// player that only records.
#include "common/dialogservice.h"
#include "common/hostcontext.h"
#include "common/soundplayer.h"

#include <QDir>
#include <QHostAddress>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace corvane::test {

struct ShownBox {
    QString text;
    QString title;
    DialogService::Icon icon;
    DialogService::Buttons buttons;
};

class ScriptedDialogService : public DialogService {
public:
    // Answers are taken in order; with none left, a box answers Ok, or
    // Cancel when it has no Ok button.
    std::deque<Button> answers;
    std::deque<QString> fileNames;
    std::vector<ShownBox> shown;
    // Runs while a box is "open" (to check state at that moment).
    std::function<void(const ShownBox&)> onShow;

    Button MessageBox(const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    QString OpenFileName(const QString& title, const QString& filter) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& defaultSuffix) override;
    // Windows shown modally, by objectName; onModal sees each while it is "open".
    QStringList modalShown;
    std::function<void(QObject*)> onModal;
    void ShowModal(QObject* dialog) override;
    // Boxes whose first line is this text.
    int Count(const QString& text) const;
};

class RecordingSoundPlayer : public SoundPlayer {
public:
    QStringList played; // file names
    int beeps = 0;
    void PlayEventSound(const QString& fileName, const QString&) override {
        played.append(fileName);
    }
    void Beep() override { ++beeps; }
};

// The loopback addresses of this test process: 127.X.Y.N with X.Y taken from
// the process id, so test programs that run at the same time do not meet.
QHostAddress LoopbackAddress(int host);

// One simulated computer's context. Its broadcasts reach the computers named
// in peers (by host number) and itself.
class TestComputer {
public:
    TestComputer(const QString& name, int host, const std::vector<int>& peers);
    HostContext context;
    ScriptedDialogService dialogs;
    RecordingSoundPlayer sound;
    QTemporaryDir dir;
};

// Builds n computers "HOST1".."HOSTn" on hosts 2..n+1 that all reach each other.
std::vector<std::unique_ptr<TestComputer>> MakeComputers(int n);

// Runs the event loop until pred holds or timeoutMs passes; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// Writes bytes as the whole file, its folder made if need be; the test fails
// when the file cannot be opened.
void WriteFile(const QString& path, const QByteArray& bytes);

} // namespace corvane::test
