#pragma once
// One TCP connection on a non-blocking socket, driven by socket notifiers.
//
// Message delivery needs what a QTcpSocket hides: a half-close (the sender is
// done writing but still listens for the receiver's close), and the
// difference between an orderly close and a reset, which Qt reports alike.
// Here a read ends in End only on the peer's orderly close; a reset or any
// other socket error is Error with its errno.
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace corvane {

// Socket address helpers, IPv4 and IPv6.
struct SocketAddress {
    unsigned char storage[128] = {};
    unsigned length = 0;
    bool Set(const QHostAddress& address, quint16 port);
};

class TcpStream : public QObject {
    Q_OBJECT
public:
    enum class Read { Data, WouldBlock, End, Error };

    // Adopts a connected, non-blocking socket (from accept), or none.
    explicit TcpStream(int fd = -1, QObject* parent = nullptr);
    // Resets the connection if it is still open.
    ~TcpStream() override;

    // Starts a non-blocking connect from local (or any address when null);
    // Connected or Failed follows. False at once (with Error()) when the
    // socket cannot even be made.
    bool ConnectTo(const QHostAddress& local, const QHostAddress& remote, quint16 port);

    // Queues bytes and writes them as the socket takes them; AllWritten
    // follows when none are left.
    void Write(const QByteArray& bytes);
    qint64 BytesToWrite() const { return out_.size() - outPos_; }
    // Tells the peer that nothing more comes from this side; reading goes on.
    void ShutdownWrite();

    // Reads up to max bytes into *into (appending). Data when some came.
    Read ReadSome(QByteArray* into, qint64 max);
    // Read notifications (ReadyRead) on or off.
    void SetReading(bool on);

    // Orderly close (the peer reads an end), and reset (the peer reads an
    // error). Both are final; the object stays, without a socket. Any other
    // end of the socket, also the process's, is a reset.
    void Close();
    void Reset();
    bool IsOpen() const { return fd_ >= 0; }

    QHostAddress PeerAddress() const;
    // Whether the peer reset the connection after its orderly close (it gave
    // up waiting); a read cannot tell once the end was read.
    bool PeerReset() const;

    int ErrorNumber() const { return errno_; }
    QString ErrorText() const;

Q_SIGNALS:
    void Connected();
    void AllWritten();
    void ReadyRead();
    void Failed(); // connect or write failed; ErrorNumber() says why

private:
    void Adopt(int fd);
    void OnWritable();
    void Fail(int err);
    void Release(bool reset);

    int fd_ = -1;
    bool connecting_ = false;
    int errno_ = 0;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray out_;
    qint64 outPos_ = 0;
};

} // namespace corvane
