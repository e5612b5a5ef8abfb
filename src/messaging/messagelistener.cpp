#include "messaging/messagelistener.h"

#include "messaging/tcpstream.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {
constexpr int ListenBacklog = 128;
constexpr qint64 ReadChunk = 64 * 1024;
constexpr int ReadsPerNotification = 16; // then the other connections get a turn
constexpr int AcceptRetryMs = 500;       // after the system ran out of sockets
} // namespace

MessageListener::Connection::~Connection() {
    // A connection can end inside one of its own timers' signals.
    if (idle)
        idle->deleteLater();
    if (whole)
        whole->deleteLater();
    if (stream) {
        stream->Reset(); // does nothing once it was closed in order
        stream.release()->deleteLater();
    }
}

MessageListener::MessageListener(HostContext& context, QObject* parent)
    : QObject(parent), context_(context) {}

MessageListener::~MessageListener() {
    Close();
}

bool MessageListener::Listen() {
    if (listenFd_ >= 0)
        return true;
    QHostAddress address = context_.network.bindAddress;
    if (address == QHostAddress(QHostAddress::Any))
        address = QHostAddress(QHostAddress::AnyIPv6); // and IPv4 through it
    SocketAddress at;
    if (!at.Set(address, context_.network.messagePort)) {
        error_ = QStringLiteral("bad address %1").arg(address.toString());
        return false;
    }
    const int family = reinterpret_cast<const sockaddr*>(at.storage)->sa_family;
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const int on = 1, off = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (family == AF_INET6)
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(at.storage), at.length) != 0 ||
        ::listen(fd, ListenBacklog) != 0) {
        error_ = errno == EADDRINUSE ? QStringLiteral("The bound address is already in use")
                                     : QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    listenFd_ = fd;
    acceptNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(acceptNotifier_, &QSocketNotifier::activated, this, &MessageListener::AcceptPending);
    return true;
}

void MessageListener::Close() {
    if (acceptNotifier_) {
        acceptNotifier_->setEnabled(false);
        acceptNotifier_->deleteLater();
        acceptNotifier_ = nullptr;
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
    connections_.clear(); // each resets its connection
    perAddress_.clear();
    finished_.clear();
    buffered_ = 0;
}

void MessageListener::AcceptPending() {
    while (listenFd_ >= 0) {
        if (int(connections_.size()) >= MaxConnections) {
            // The rest wait in the listen queue until a slot is free.
            acceptNotifier_->setEnabled(false);
            return;
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of sockets or memory: wait a little instead of spinning.
                acceptNotifier_->setEnabled(false);
                QTimer::singleShot(AcceptRetryMs, this, [this] {
                    if (acceptNotifier_ && int(connections_.size()) < MaxConnections)
                        acceptNotifier_->setEnabled(true);
                });
            }
            return;
        }
        auto stream = std::make_unique<TcpStream>(fd);
        const QHostAddress from = stream->PeerAddress();
        int& fromThere = perAddress_[from];
        if (fromThere >= MaxConnectionsPerAddress) {
            stream->Reset(); // refused at once: that sender learns it failed
            continue;
        }
        ++fromThere;
        const quint64 serial = nextSerial_++;
        auto c = std::make_unique<Connection>();
        c->serial = serial;
        c->from = from;
        c->idle = new QTimer;
        c->idle->setSingleShot(true);
        c->idle->setInterval(context_.timings.receiveIdleMs);
        connect(c->idle, &QTimer::timeout, this, [this, serial] { Drop(serial); });
        c->whole = new QTimer;
        c->whole->setSingleShot(true);
        c->whole->setInterval(context_.timings.receiveRecordMs);
        connect(c->whole, &QTimer::timeout, this, [this, serial] { Drop(serial); });
        connect(stream.get(), &TcpStream::ReadyRead, this, [this, serial] { ReadFrom(serial); });
        c->stream = std::move(stream);
        c->stream->SetReading(true);
        c->idle->start();
        c->whole->start();
        connections_.emplace(serial, std::move(c));
    }
}

bool MessageListener::IsOldestReading(quint64 serial) const {
    for (const auto& [s, c] : connections_)
        if (!c->ended)
            return s == serial;
    return false;
}

void MessageListener::ReadFrom(quint64 serial) {
    const auto it = connections_.find(serial);
    if (it == connections_.end())
        return;
    Connection& c = *it->second;
    for (int i = 0; i < ReadsPerNotification; ++i) {
        if (buffered_ >= MaxBufferedBytes && !IsOldestReading(serial)) {
            // Enough is held: this one waits, the oldest goes on.
            c.paused = true;
            c.stream->SetReading(false);
            return;
        }
        const qint64 room = MaxRecordBytes + 1 - c.data.size();
        const qint64 before = c.data.size();
        switch (c.stream->ReadSome(&c.data, qMin(ReadChunk, room))) {
        case TcpStream::Read::Data:
            buffered_ += c.data.size() - before;
            if (c.data.size() > MaxRecordBytes) {
                Drop(serial); // too large: nothing of it is filed
                return;
            }
            c.idle->start();
            continue;
        case TcpStream::Read::WouldBlock:
            return;
        case TcpStream::Read::End:
            c.ended = true;
            c.stream->SetReading(false);
            c.idle->stop();
            c.whole->stop();
            if (c.data.isEmpty()) {
                Drop(serial);
                return;
            }
            finished_.push_back(serial);
            if (!handScheduled_) {
                handScheduled_ = true;
                QMetaObject::invokeMethod(this, &MessageListener::HandNext, Qt::QueuedConnection);
            }
            return;
        case TcpStream::Read::Error:
            Drop(serial); // a reset in the middle: nothing is filed
            return;
        }
    }
}

void MessageListener::HandNext() {
    handScheduled_ = false;
    if (handing_)
        return; // the handler that runs now hands on the next when it returns
    while (!finished_.empty()) {
        const quint64 serial = finished_.front();
        finished_.pop_front();
        const auto it = connections_.find(serial);
        if (it == connections_.end())
            continue;
        Connection& c = *it->second;
        if (c.stream->PeerReset()) {
            Drop(serial); // its sender gave up waiting: it was told it failed
            continue;
        }
        const QByteArray record = c.data;
        const QHostAddress from = c.from;
        QPointer<MessageListener> self(this);
        handing_ = true;
        refused_ = false;
        try {
            Q_EMIT RecordArrived(record, from);
        } catch (...) {
            if (self) {
                handing_ = false;
                Finish(serial, false);
            }
            throw;
        }
        if (!self)
            return;
        handing_ = false;
        Finish(serial, !refused_);
        break; // one record per turn of the event loop
    }
    if (!finished_.empty() && !handScheduled_) {
        handScheduled_ = true;
        QMetaObject::invokeMethod(this, &MessageListener::HandNext, Qt::QueuedConnection);
    }
}

void MessageListener::Drop(quint64 serial) {
    Finish(serial, false);
}

void MessageListener::Finish(quint64 serial, bool filed) {
    const auto it = connections_.find(serial);
    if (it == connections_.end())
        return;
    std::unique_ptr<Connection> c = std::move(it->second);
    connections_.erase(it);
    buffered_ -= c->data.size();
    if (int& n = perAddress_[c->from]; --n <= 0)
        perAddress_.remove(c->from);
    if (filed)
        c->stream->Close(); // the sender counts this close as delivered
    std::erase(finished_, serial);
    c.reset(); // resets what was not closed
    ResumeReading();
    if (acceptNotifier_ && !acceptNotifier_->isEnabled() &&
        int(connections_.size()) < MaxConnections)
        acceptNotifier_->setEnabled(true);
}

void MessageListener::ResumeReading() {
    for (auto& [serial, c] : connections_)
        if (c->paused && (buffered_ < MaxBufferedBytes || IsOldestReading(serial))) {
            c->paused = false;
            c->stream->SetReading(true);
        }
}

} // namespace corvane
