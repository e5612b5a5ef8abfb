#include "messaging/tcpstream.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane {

bool SocketAddress::Set(const QHostAddress& address, quint16 port) {
    std::memset(storage, 0, sizeof storage);
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto* in = reinterpret_cast<sockaddr_in*>(storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof(sockaddr_in);
        return true;
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR a = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, a.c, 16);
        length = sizeof(sockaddr_in6);
        return true;
    }
    length = 0;
    return false;
}

namespace {
// With abort on, closing the socket resets the connection.
void SetLinger(int fd, bool abort) {
    linger l{abort ? 1 : 0, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}
} // namespace

TcpStream::TcpStream(int fd, QObject* parent) : QObject(parent) {
    if (fd >= 0)
        Adopt(fd);
}

TcpStream::~TcpStream() {
    Release(true);
}

void TcpStream::Adopt(int fd) {
    fd_ = fd;
    // Until this side ends in order on purpose, any close (also the system's,
    // when the process dies) is a reset: a half-written record or one never
    // filed must not look like one that ended well.
    SetLinger(fd, true);
    readNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    readNotifier_->setEnabled(false);
    connect(readNotifier_, &QSocketNotifier::activated, this, &TcpStream::ReadyRead);
    writeNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &TcpStream::OnWritable);
}

bool TcpStream::ConnectTo(const QHostAddress& local, const QHostAddress& remote, quint16 port) {
    SocketAddress to;
    if (fd_ >= 0 || !to.Set(remote, port)) {
        errno_ = EINVAL;
        return false;
    }
    const int family = reinterpret_cast<const sockaddr*>(to.storage)->sa_family;
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        errno_ = errno;
        return false;
    }
    SocketAddress from;
    if (!local.isNull() && local != QHostAddress(QHostAddress::AnyIPv4) &&
        local != QHostAddress(QHostAddress::Any) && from.Set(local, 0) &&
        ::bind(fd, reinterpret_cast<const sockaddr*>(from.storage), from.length) != 0) {
        errno_ = errno;
        ::close(fd);
        return false;
    }
    Adopt(fd);
    connecting_ = true;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(to.storage), to.length) != 0 &&
        errno != EINPROGRESS) {
        errno_ = errno;
        Release(false);
        return false;
    }
    writeNotifier_->setEnabled(true); // writable once the connect is done
    return true;
}

void TcpStream::OnWritable() {
    if (fd_ < 0)
        return;
    if (connecting_) {
        int err = 0;
        socklen_t len = sizeof err;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len);
        if (err != 0) {
            Fail(err);
            return;
        }
        connecting_ = false;
        writeNotifier_->setEnabled(BytesToWrite() > 0);
        Q_EMIT Connected();
        return;
    }
    while (BytesToWrite() > 0) {
        const ssize_t n = ::send(fd_, out_.constData() + outPos_, size_t(BytesToWrite()),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            if (errno == EINTR)
                continue;
            Fail(errno);
            return;
        }
        outPos_ += n;
    }
    out_.clear();
    outPos_ = 0;
    writeNotifier_->setEnabled(false);
    Q_EMIT AllWritten();
}

void TcpStream::Write(const QByteArray& bytes) {
    if (fd_ < 0 || bytes.isEmpty())
        return;
    out_.append(bytes);
    if (!connecting_)
        writeNotifier_->setEnabled(true);
}

void TcpStream::ShutdownWrite() {
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_WR);
}

TcpStream::Read TcpStream::ReadSome(QByteArray* into, qint64 max) {
    if (fd_ < 0)
        return Read::Error;
    const qsizetype old = into->size();
    into->resize(old + max);
    for (;;) {
        const ssize_t n = ::recv(fd_, into->data() + old, size_t(max), MSG_DONTWAIT);
        if (n > 0) {
            into->resize(old + n);
            return Read::Data;
        }
        into->resize(old);
        if (n == 0)
            return Read::End;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return Read::WouldBlock;
        errno_ = errno;
        return Read::Error;
    }
}

void TcpStream::SetReading(bool on) {
    if (readNotifier_)
        readNotifier_->setEnabled(on);
}

void TcpStream::Fail(int err) {
    errno_ = err;
    Release(true);
    Q_EMIT Failed();
}

void TcpStream::Close() {
    Release(false);
}
void TcpStream::Reset() {
    Release(true);
}

void TcpStream::Release(bool reset) {
    if (fd_ < 0)
        return;
    // This may run inside a notifier's own signal: they go later.
    for (QSocketNotifier* n : {readNotifier_, writeNotifier_}) {
        n->setEnabled(false);
        n->deleteLater();
    }
    readNotifier_ = nullptr;
    writeNotifier_ = nullptr;
    if (!reset)
        SetLinger(fd_, false);
    ::close(fd_);
    fd_ = -1;
    connecting_ = false;
    out_.clear();
    outPos_ = 0;
}

QHostAddress TcpStream::PeerAddress() const {
    SocketAddress a;
    socklen_t len = sizeof a.storage;
    if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr*>(a.storage), &len) != 0)
        return {};
    QHostAddress address(reinterpret_cast<const sockaddr*>(a.storage));
    // A v4 peer on a dual-stack socket reads as its plain v4 address.
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4) : address;
}

bool TcpStream::PeerReset() const {
    if (fd_ < 0)
        return true;
    tcp_info info{};
    socklen_t len = sizeof info;
    if (::getsockopt(fd_, IPPROTO_TCP, TCP_INFO, &info, &len) != 0)
        return false;
    return info.tcpi_state == TCP_CLOSE;
}

QString TcpStream::ErrorText() const {
    switch (errno_) {
    case 0:
        return {};
    case ECONNREFUSED:
        return QStringLiteral("connection refused");
    case ECONNRESET:
    case EPIPE:
        return QStringLiteral("connection reset by the receiver");
    default:
        return QString::fromLocal8Bit(std::strerror(errno_));
    }
}

} // namespace corvane
