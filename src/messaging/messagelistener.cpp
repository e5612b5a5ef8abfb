#include "messaging/messagelistener.h"

#include "messaging/tcpstream.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {
namespace {
constexpr int ListenBacklog = 128;
constexpr int ReadsPerNotification = 16; // then the other connections get a turn
constexpr int AcceptRetryMs = 500;       // after the system ran out of sockets
constexpr int MaxTickMs = 250;           // the book's timeouts and rates

ReceiveBook::Times BookTimes(const HostContext& context) {
    return {context.timings.receiveIdleMs, context.timings.receiveRecordMs,
            context.timings.receiveRateWindowMs};
}
} // namespace

MessageListener::MessageListener(HostContext& context, QObject* parent)
    : QObject(parent), context_(context), book_(BookTimes(context)) {
    clock_.start();
    ticker_ = new QTimer(this);
    const int shortest = std::min({context.timings.receiveIdleMs, context.timings.receiveRecordMs,
                                   context.timings.receiveRateWindowMs});
    ticker_->setInterval(std::clamp(shortest / 4, 10, MaxTickMs));
    connect(ticker_, &QTimer::timeout, this, &MessageListener::Tick);
    groupTimer_ = new QTimer(this);
    groupTimer_->setSingleShot(true);
    groupTimer_->setInterval(GroupWaitMs);
    connect(groupTimer_, &QTimer::timeout, this, &MessageListener::CommitFiled);
}

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
    CommitFiled();
    if (acceptNotifier_) {
        acceptNotifier_->setEnabled(false);
        acceptNotifier_->deleteLater();
        acceptNotifier_ = nullptr;
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
    std::vector<quint64> open;
    for (const auto& [serial, stream] : streams_)
        open.push_back(serial);
    for (quint64 serial : open)
        Forget(serial); // each is reset
    finished_.clear();
    book_ = ReceiveBook(BookTimes(context_));
    ticker_->stop();
}

void MessageListener::EnableAccepting() {
    if (acceptNotifier_ && !acceptNotifier_->isEnabled() && book_.MayAccept())
        acceptNotifier_->setEnabled(true);
}

void MessageListener::AcceptPending() {
    while (listenFd_ >= 0) {
        if (!book_.MayAccept()) {
            // The rest wait in the listen queue until the book has room.
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
                QTimer::singleShot(AcceptRetryMs, this, [this] { EnableAccepting(); });
            }
            return;
        }
        auto stream = std::make_unique<TcpStream>(fd);
        const QHostAddress from = stream->PeerAddress();
        const quint64 serial = nextSerial_++;
        connect(stream.get(), &TcpStream::ReadyRead, this, [this, serial] { ReadFrom(serial); });
        streams_.emplace(serial, std::move(stream));
        if (!ticker_->isActive())
            ticker_->start();
        Apply(book_.Accepted(serial, from, Now()));
    }
}

void MessageListener::Apply(const ReceiveBook::Actions& actions) {
    for (const ReceiveBook::Action& a : actions) {
        const auto it = streams_.find(a.id);
        if (it == streams_.end())
            continue;
        switch (a.step) {
        case ReceiveBook::Step::Read:
            it->second->SetReading(true);
            break;
        case ReceiveBook::Step::Stop:
            it->second->SetReading(false);
            break;
        case ReceiveBook::Step::Drop:
            Forget(a.id);
            break;
        }
    }
    EnableAccepting();
}

void MessageListener::ReadFrom(quint64 serial) {
    for (int i = 0; i < ReadsPerNotification; ++i) {
        const auto it = streams_.find(serial);
        if (it == streams_.end())
            return;
        ReceiveBook::Actions actions;
        const qint64 room = book_.Room(serial, Now(), actions);
        Apply(actions);
        if (room <= 0 || !streams_.count(serial))
            return; // paused, or made to wait
        TcpStream& stream = *it->second;
        readBuffer_.resize(0); // its room stays for the next read
        switch (stream.ReadSome(&readBuffer_, room)) {
        case TcpStream::Read::Data:
            Apply(book_.Received(serial, readBuffer_, Now()));
            continue;
        case TcpStream::Read::WouldBlock:
            return;
        case TcpStream::Read::End:
            stream.SetReading(false);
            Apply(book_.Ended(serial, Now()));
            if (book_.IsEnded(serial)) {
                finished_.push_back(serial);
                ScheduleHand();
            }
            return;
        case TcpStream::Read::Error:
            Finish(serial, false); // a reset in the middle: nothing is filed
            return;
        }
    }
}

void MessageListener::ScheduleHand() {
    if (handScheduled_)
        return;
    handScheduled_ = true;
    QMetaObject::invokeMethod(this, &MessageListener::HandNext, Qt::QueuedConnection);
}

void MessageListener::HandNext() {
    handScheduled_ = false;
    if (handing_)
        return; // the handler that runs now hands on the next when it returns
    while (!finished_.empty()) {
        const quint64 serial = finished_.front();
        finished_.pop_front();
        const auto it = streams_.find(serial);
        if (it == streams_.end())
            continue;
        if (it->second->PeerReset()) {
            Finish(serial, false); // its sender gave up waiting: it was told it failed
            continue;
        }
        const QByteArray record = book_.Data(serial);
        const QHostAddress from = book_.From(serial);
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
        if (refused_) {
            Finish(serial, false);
        } else {
            if (filed_.empty())
                firstFiledAt_ = Now();
            filed_.push_back(serial);
        }
        break; // one record per turn of the event loop
    }
    // The group grows while records wait, or for a moment while others are
    // on their way, within its bounds.
    const size_t onTheirWay = streams_.size() - filed_.size() - finished_.size();
    if (filed_.size() >= MaxGroupRecords || Now() - firstFiledAt_ >= MaxGroupMs)
        CommitFiled();
    else if (finished_.empty() && onTheirWay == 0)
        CommitFiled();
    else if (finished_.empty() && !filed_.empty() && !groupTimer_->isActive())
        groupTimer_->start();
    if (!finished_.empty())
        ScheduleHand();
}

void MessageListener::CommitFiled() {
    groupTimer_->stop();
    if (filed_.empty())
        return;
    if (handing_) {
        groupTimer_->start(); // the handler that runs now is part of the group
        return;
    }
    const std::vector<quint64> group = std::move(filed_);
    filed_.clear();
    const bool durable = !commit_ || commit_();
    for (quint64 serial : group)
        Finish(serial, durable);
}

void MessageListener::Forget(quint64 serial) {
    const auto it = streams_.find(serial);
    if (it == streams_.end())
        return;
    std::unique_ptr<TcpStream> stream = std::move(it->second);
    streams_.erase(it);
    std::erase(finished_, serial);
    std::erase(filed_, serial);
    stream->Reset();                 // does nothing once it was closed in order
    stream.release()->deleteLater(); // this may run inside its own signal
}

void MessageListener::Finish(quint64 serial, bool filed) {
    const auto it = streams_.find(serial);
    if (it == streams_.end())
        return;
    if (filed)
        it->second->Close(); // the sender counts this close as delivered
    Forget(serial);
    Apply(book_.Remove(serial, Now()));
}

void MessageListener::Tick() {
    Apply(book_.Tick(Now()));
    if (streams_.empty())
        ticker_->stop();
}

} // namespace corvane
