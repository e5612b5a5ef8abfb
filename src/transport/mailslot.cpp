#include "transport/mailslot.h"

#include "common/ansicodec.h"
#include "transport/datagramframe.h"

#include <QMetaObject>
#include <QPointer>
#include <cstdio>
#include <cstring>

namespace corvane {

TmdCustomMailSlot::TmdCustomMailSlot(DatagramNetwork& network, QObject* parent)
    : QObject(parent), network_(network) {
    // Renaming the endpoint renames its slot, unless the slot was set.
    connect(this, &QObject::objectNameChanged, this, [this](const QString& name) {
        if (!slotSet_ && name != slot_) {
            slot_ = name;
            Reopen();
        }
    });
}

TmdCustomMailSlot::~TmdCustomMailSlot() {
    if (active_)
        network_.Detach(attachedSlot_, this);
}

QByteArray TmdCustomMailSlot::SlotBytes() const {
    return ToAnsi(slot_);
}

void TmdCustomMailSlot::SetServer(const QString& server) {
    if (server == server_)
        return;
    server_ = server;
    Reopen();
}

void TmdCustomMailSlot::SetSlot(const QString& slot) {
    slotSet_ = true;
    if (slot == slot_)
        return;
    slot_ = slot;
    Reopen();
}

void TmdCustomMailSlot::SetMaxSize(quint32 maxSize) {
    if (maxSize == maxSize_)
        return;
    maxSize_ = maxSize;
    Reopen();
}

void TmdCustomMailSlot::Reopen() {
    if (active_) {
        Close();
        Open();
    }
}

void TmdCustomMailSlot::Open() {
    if (active_)
        Close();
    const QString local = network_.Context().LocalComputerName();
    const bool localServer =
        server_ == QLatin1String(".") || server_.compare(local, Qt::CaseInsensitive) == 0;
    const QByteArray slot = SlotBytes();
    auto result = DatagramNetwork::AttachResult::BadName;
    if (localServer && !slot.isEmpty())
        result = network_.Attach(slot, this);
    if (result != DatagramNetwork::AttachResult::Ok)
        RaiseError(result == DatagramNetwork::AttachResult::BadName ? MailSlotErrors::BadName
                   : result == DatagramNetwork::AttachResult::AlreadyExists
                       ? MailSlotErrors::AlreadyExists
                       : MailSlotErrors::CannotOpen);
    attachedSlot_ = slot;
    active_ = true;
    ClearWaiting();
    // Datagrams that arrive while the open handler runs wait until it returns.
    holding_ = true;
    struct Release {
        TmdCustomMailSlot* self;
        ~Release() {
            self->holding_ = false;
            self->ScheduleDelivery();
        }
    } release{this};
    DoOpen();
}

void TmdCustomMailSlot::Close() {
    if (!active_)
        return;
    network_.Detach(attachedSlot_, this);
    active_ = false;
    ClearWaiting();
    DoClose();
}

void TmdCustomMailSlot::ClearWaiting() {
    waiting_.clear();
    turn_.clear();
    waitingCount_ = 0;
}

QByteArray TmdCustomMailSlot::ReadNext() {
    if (!active_)
        RaiseError(MailSlotErrors::NotActive);
    if (turn_.empty())
        RaiseError(MailSlotErrors::NoMessages);
    const QHostAddress source = turn_.front();
    turn_.pop_front();
    auto it = waiting_.find(source);
    Arrived next = std::move(it->front());
    it->pop_front();
    --waitingCount_;
    if (it->empty())
        waiting_.erase(it);
    else
        turn_.push_back(source); // its next one after every other source's
    current_ = next.origin;
    return std::move(next.frame);
}

void TmdCustomMailSlot::DropFromLongest() {
    auto longest = waiting_.begin();
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it)
        if (it->size() > longest->size())
            longest = it;
    longest->pop_front();
    --waitingCount_;
    if (longest->empty()) {
        std::erase(turn_, longest.key());
        waiting_.erase(longest);
    }
}

void TmdCustomMailSlot::FrameArrived(const QByteArray& frame, const DatagramOrigin& origin) {
    if (!active_ || (maxSize_ != 0 && quint32(frame.size()) > maxSize_))
        return;
    std::deque<Arrived>& queue = waiting_[origin.address];
    if (queue.empty())
        turn_.push_back(origin.address);
    queue.push_back({frame, origin});
    ++waitingCount_;
    while (waitingCount_ > MaxWaiting)
        DropFromLongest();
    ScheduleDelivery();
}

void TmdCustomMailSlot::ScheduleDelivery() {
    if (scheduled_ || turn_.empty() || !active_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &TmdCustomMailSlot::DeliverNext, Qt::QueuedConnection);
}

void TmdCustomMailSlot::DeliverNext() {
    scheduled_ = false;
    if (delivering_ || holding_ || !active_ || turn_.empty())
        return;
    delivering_ = true;
    QPointer<TmdCustomMailSlot> alive(this); // a handler may destroy its endpoint
    try {
        const QByteArray datagram = ReadNext();
        DoMessageAvail(datagram);
    } catch (const std::exception& e) {
        // The datagram concerned is lost; the event loop goes on.
        std::fprintf(stderr, "corvane: slot datagram lost: %s\n", e.what());
    }
    if (!alive)
        return;
    current_ = {};
    delivering_ = false;
    ScheduleDelivery();
}

void TmdCustomMailSlot::DoOpen() {
    if (OnOpen)
        OnOpen(this);
}

void TmdCustomMailSlot::DoClose() {
    if (OnClose)
        OnClose(this);
}

void TmdCustomMailSlot::DoMessageAvail(const QByteArray& msg) {
    if (OnMessageAvail)
        OnMessageAvail(this, msg);
}

void TmdCustomMailSlot::RaiseError(const QString& msg) {
    throw EmdMailSlot(msg);
}

namespace {
// Datagrams compare as zero-terminated texts.
QByteArrayView UpToNul(const QByteArray& bytes) {
    const void* nul = std::memchr(bytes.constData(), 0, size_t(bytes.size()));
    return nul ? QByteArrayView(bytes.constData(),
                                static_cast<const char*>(nul) - bytes.constData())
               : QByteArrayView(bytes);
}
} // namespace

void TmdCustomSecureMail::DoMessageAvail(const QByteArray& datagram) {
    if (!FrameChecks(datagram)) {
        DoError(datagram);
        return;
    }
    if (lastDatagram_ && UpToNul(*lastDatagram_) == UpToNul(datagram)) {
        DoDuplicated();
        return;
    }
    lastDatagram_ = datagram;
    // Only a datagram that passed every check may teach an address, and only
    // for a name that has none: replacing one is for presence to decide.
    const DatagramOrigin& origin = CurrentOrigin();
    if (!origin.sender.isEmpty())
        Network().Context().resolver.LearnIfUnknown(origin.sender, origin.address);
    Network().Heard(origin.address); // keeps a remembered computer elsewhere
    TmdCustomMailSlot::DoMessageAvail(FramePayload(datagram));
}

void TmdCustomSecureMail::DoError(const QByteArray& datagram) {
    if (OnError)
        OnError(this, datagram);
}

void TmdCustomSecureMail::DoDuplicated() {
    if (OnDuplicated)
        OnDuplicated(this);
}

bool SendDatagram(DatagramNetwork& network, const QString& target, const QString& slot,
                  const QByteArray& text) {
    return WriteSlot(network, target, slot, FrameDatagram(text, TickCount()));
}

bool WriteSlot(DatagramNetwork& network, const QString& target, const QString& slot,
               const QByteArray& data) {
    return network.Write(target, ToAnsi(slot), data);
}

} // namespace corvane
