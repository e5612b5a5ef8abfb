#include "messaging/messageclient.h"

#include <QEventLoop>
#include <cerrno>
#include <memory>
#include <vector>

namespace corvane {

MessageClient::MessageClient(HostContext& context, QString host, QByteArray record, QObject* parent)
    : QObject(parent), context_(context), host_(std::move(host)), record_(std::move(record)) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        Finish(DeliveryOutcome::TimedOut, QStringLiteral("no answer from %1").arg(host_));
    });
    connect(&socket_, &TcpStream::Connected, this, [this] { socket_.Write(record_); });
    connect(&socket_, &TcpStream::AllWritten, this, [this] {
        // The whole record is out: say so, and wait for the receiver's close.
        socket_.ShutdownWrite();
        halfClosed_ = true;
        socket_.SetReading(true);
    });
    connect(&socket_, &TcpStream::ReadyRead, this, &MessageClient::ReadAnswer);
    connect(&socket_, &TcpStream::Failed, this, [this] {
        Finish(socket_.ErrorNumber() == ECONNREFUSED ? DeliveryOutcome::Refused
                                                     : DeliveryOutcome::Failed,
               socket_.ErrorText());
    });
}

void MessageClient::ReadAnswer() {
    // The receiver writes nothing; whatever comes is read and dropped.
    QByteArray scratch;
    for (int i = 0; i < 16; ++i) {
        scratch.clear();
        switch (socket_.ReadSome(&scratch, 4096)) {
        case TcpStream::Read::Data:
            continue;
        case TcpStream::Read::WouldBlock:
            return;
        case TcpStream::Read::End:
            if (halfClosed_) {
                Finish(DeliveryOutcome::Delivered);
            } else {
                Finish(DeliveryOutcome::Failed, QStringLiteral("connection closed early"));
            }
            return;
        case TcpStream::Read::Error:
            Finish(DeliveryOutcome::Failed, socket_.ErrorText());
            return;
        }
    }
}

MessageClient::~MessageClient() = default;

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
    // Bounded and remembered by the resolver; the answer may come at once.
    context_.resolver.Lookup(host_, this,
                             [this](const QHostAddress& address) { Connect(address); });
}

void MessageClient::Connect(const QHostAddress& address) {
    if (outcome_ != DeliveryOutcome::Pending)
        return;
    if (address.isNull()) {
        Finish(DeliveryOutcome::Unresolved, QStringLiteral("unknown computer %1").arg(host_));
        return;
    }
    if (!socket_.ConnectTo(context_.network.bindAddress, address, context_.network.messagePort))
        Finish(DeliveryOutcome::Failed, socket_.ErrorText());
}

void MessageClient::Finish(DeliveryOutcome outcome, const QString& error) {
    if (outcome_ != DeliveryOutcome::Pending)
        return;
    outcome_ = outcome;
    error_ = error;
    deadline_.stop();
    if (outcome == DeliveryOutcome::Delivered)
        socket_.Close();
    else
        socket_.Reset();
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
