#include "messaging/messageclient.h"

#include <QEventLoop>
#include <QHostInfo>
#include <memory>
#include <vector>

namespace corvane {

MessageClient::MessageClient(HostContext& context, QString host, QByteArray record, QObject* parent)
    : QObject(parent), context_(context), host_(std::move(host)), record_(std::move(record)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        Finish(DeliveryOutcome::TimedOut, QStringLiteral("no answer from %1").arg(host_));
    });
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        if (socket_.write(record_) != record_.size())
            Finish(DeliveryOutcome::Failed, socket_.errorString());
    });
    connect(&socket_, &QTcpSocket::bytesWritten, this, [this](qint64 n) {
        written_ += n;
        if (written_ >= record_.size())
            socket_.disconnectFromHost(); // the peer takes the record at the close
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        if (written_ >= record_.size() && socket_.bytesToWrite() == 0)
            Finish(DeliveryOutcome::Delivered);
        else
            Finish(DeliveryOutcome::Failed, QStringLiteral("connection closed early"));
    });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (outcome_ != DeliveryOutcome::Pending)
            return;
        if (e == QAbstractSocket::RemoteHostClosedError && written_ >= record_.size() &&
            socket_.bytesToWrite() == 0) {
            Finish(DeliveryOutcome::Delivered);
            return;
        }
        Finish(e == QAbstractSocket::ConnectionRefusedError ? DeliveryOutcome::Refused
                                                            : DeliveryOutcome::Failed,
               socket_.errorString());
    });
}

MessageClient::~MessageClient() {
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    socket_.abort();
}

void MessageClient::Start() {
    deadline_.start(context_.timings.deliveryTimeoutMs);
    if (record_.isEmpty()) {
        Finish(DeliveryOutcome::Failed, QStringLiteral("empty record"));
        return;
    }
    if (context_.resolver.ResolvesAtOnce(host_)) {
        Connect(context_.resolver.Resolve(host_));
        return;
    }
    if (host_.isEmpty()) {
        Finish(DeliveryOutcome::Unresolved, QStringLiteral("no computer name"));
        return;
    }
    QPointer<MessageClient> self(this);
    lookupId_ = QHostInfo::lookupHost(host_, this, [self](const QHostInfo& info) {
        if (!self)
            return;
        self->lookupId_ = -1;
        for (const QHostAddress& a : info.addresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                self->Connect(a);
                return;
            }
        self->Finish(DeliveryOutcome::Unresolved,
                     QStringLiteral("unknown computer %1").arg(self->host_));
    });
}

void MessageClient::Connect(const QHostAddress& address) {
    if (outcome_ != DeliveryOutcome::Pending)
        return;
    if (address.isNull()) {
        Finish(DeliveryOutcome::Unresolved, QStringLiteral("unknown computer %1").arg(host_));
        return;
    }
    const QHostAddress& local = context_.network.bindAddress;
    if (local != QHostAddress(QHostAddress::AnyIPv4) && local != QHostAddress(QHostAddress::Any))
        socket_.bind(local, 0);
    socket_.connectToHost(address, context_.network.messagePort);
}

void MessageClient::Finish(DeliveryOutcome outcome, const QString& error) {
    if (outcome_ != DeliveryOutcome::Pending)
        return;
    outcome_ = outcome;
    error_ = error;
    deadline_.stop();
    if (outcome != DeliveryOutcome::Delivered)
        socket_.abort();
    Q_EMIT Finished(outcome);
}

DeliveryBatch::DeliveryBatch(HostContext& context, const QStringList& hosts,
                             const QByteArray& record, QObject* parent)
    : QObject(parent) {
    for (const QString& host : hosts) {
        clients_.push_back(std::make_unique<MessageClient>(context, host, record));
        connect(clients_.back().get(), &MessageClient::Finished, this, [this] {
            if (--pending_ == 0)
                Q_EMIT Finished();
        });
    }
}

DeliveryBatch::~DeliveryBatch() = default;

void DeliveryBatch::Start() {
    pending_ = int(clients_.size());
    if (pending_ == 0) {
        Q_EMIT Finished();
        return;
    }
    for (auto& c : clients_)
        c->Start(); // a client may finish at once, inside Start
}

QList<DeliveryOutcome> DeliveryBatch::Outcomes() const {
    QList<DeliveryOutcome> out;
    for (const auto& c : clients_)
        out.append(c->Outcome());
    return out;
}

QStringList DeliveryBatch::Errors() const {
    QStringList out;
    for (const auto& c : clients_)
        out.append(c->ErrorText());
    return out;
}

QList<DeliveryOutcome> DeliverToAll(HostContext& context, const QStringList& hosts,
                                    const QByteArray& record, QStringList* errors) {
    DeliveryBatch batch(context, hosts, record);
    QEventLoop loop;
    QObject::connect(&batch, &DeliveryBatch::Finished, &loop, &QEventLoop::quit);
    batch.Start();
    if (!batch.Done())
        loop.exec();
    if (errors)
        *errors = batch.Errors();
    return batch.Outcomes();
}

} // namespace corvane
