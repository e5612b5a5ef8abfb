#pragma once
#include <QObject>
#include <QSocketNotifier>

namespace corvane {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop (a close
// request of the desktop session).
class SessionSignals : public QObject {
    Q_OBJECT
public:
    explicit SessionSignals(QObject* parent = nullptr);
    ~SessionSignals() override;

Q_SIGNALS:
    void CloseRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace corvane
