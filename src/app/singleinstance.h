#pragma once
// One copy per user. The first copy holds a lock file and answers a local
// socket in the user's runtime directory; a second start asks it to restore
// its main window and ends.
//
//   request = "RESTORE" LF
//   answer  = "OK" LF        ; the first copy restored its main window
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace corvane {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // name: the instance name ("CORVANE3"); dir: the per-user runtime folder.
    SingleInstance(const QString& name, const QString& dir, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first copy (it then holds the lock).
    bool TryBecomeFirst();
    // First copy: start answering second starts.
    bool Listen();
    // Second copy: ask the first copy to restore. False when no first copy
    // answers (for example while it has no main window yet).
    bool AskFirstToRestore(int timeoutMs = 5000);

    static QString DefaultDirectory();

Q_SIGNALS:
    void RestoreRequested();

private:
    QString lockPath_;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace corvane
