#pragma once
// Delivers one message record to one computer's message port and learns the
// real outcome. The sender writes the record and half-closes its side; the
// receiver closes its side only once the record is filed, and resets a
// connection it will not file. So the record counts as delivered only when
// the receiver's orderly close arrives; a refusal, a reset, or no close
// within the context's delivery time is a failure (and the connection is
// reset, so a receiver that was still waiting files nothing of it).
#include "common/hostcontext.h"
#include "messaging/tcpstream.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

namespace corvane {

enum class DeliveryOutcome { Pending, Delivered, Unresolved, Refused, TimedOut, Failed };

class MessageClient : public QObject {
    Q_OBJECT
public:
    MessageClient(HostContext& context, QString host, QByteArray record, QObject* parent = nullptr);
    ~MessageClient() override;

    void Start();
    DeliveryOutcome Outcome() const { return outcome_; }
    QString Host() const { return host_; }
    // Why it failed, for people ("connection refused", ...).
    QString ErrorText() const { return error_; }

Q_SIGNALS:
    void Finished(corvane::DeliveryOutcome outcome);

private:
    void Connect(const QHostAddress& address);
    void ReadAnswer();
    void Finish(DeliveryOutcome outcome, const QString& error = {});

    HostContext& context_;
    QString host_;
    QByteArray record_;
    TcpStream socket_;
    QTimer deadline_;
    bool halfClosed_ = false;
    DeliveryOutcome outcome_ = DeliveryOutcome::Pending;
    QString error_;
};

// Delivers one record to several hosts at the same time, each with its own
// bounded time; Finished comes once every host has its outcome.
class DeliveryBatch : public QObject {
    Q_OBJECT
public:
    DeliveryBatch(HostContext& context, const QStringList& hosts, const QByteArray& record,
                  QObject* parent = nullptr);
    ~DeliveryBatch() override;
    void Start();
    bool Done() const { return pending_ == 0; }
    // In the order of the hosts.
    QList<DeliveryOutcome> Outcomes() const;
    QStringList Errors() const;

Q_SIGNALS:
    void Finished();

private:
    std::vector<std::unique_ptr<MessageClient>> clients_;
    int pending_ = 0;
};

// DeliveryBatch run to its end while the event loop keeps running.
QList<DeliveryOutcome> DeliverToAll(HostContext& context, const QStringList& hosts,
                                    const QByteArray& record, QStringList* errors = nullptr);

} // namespace corvane
