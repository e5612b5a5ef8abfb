// The chat room's handling of datagrams: each input is a sequence of them,
// from a few source addresses, with now and then a computer that presence
// no longer sees. After each one the member list must stay within its
// bounds and hold no name that could reach more than one computer.
//
//   input = *( source len payload )
//   source = OCTET  ; low two bits: 127.0.0.(2 + n); 0x80: payload is a
//                   ; computer that presence no longer sees
//   len    = OCTET  ; payload length
#include "chat/chatroom.h"
#include "common/hostcontext.h"
#include "common/hostresolver.h"
#include "transport/datagramnetwork.h"

#include <QCoreApplication>
#include <QSet>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "fuzz_chatroom";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

void Check(const ChatRoom& room) {
    const QList<ChatMember>& members = room.Members();
    if (members.size() > ChatBounds::MaxMembers)
        std::abort();
    QSet<QString> nicks;
    for (const ChatMember& m : members) {
        if (m.nick.size() > ChatBounds::MaxNameLength ||
            m.computer.size() > ChatBounds::MaxNameLength)
            std::abort();
        if (!m.computer.isEmpty() && !HostResolver::IsComputerName(m.computer))
            std::abort();
        if (nicks.contains(m.nick))
            std::abort();
        nicks.insert(m.nick);
    }
}

} // namespace

// One computer for every input; its socket stays bound (by a slot of its own)
// while each input's room opens and closes. Nothing is sent anywhere: port 0
// takes no datagram.
struct Computer {
    Computer() {
        context.computerNameSource = [] { return QStringLiteral("ME"); };
        context.network.bindAddress = context.network.selfAddress = QHostAddress("127.0.0.1");
        context.network.discoverBroadcasts = false;
        context.network.datagramPort = 0;
        context.resolver.SetSystemLookup(
            [](const QString&, QObject*, std::function<void(const QList<QHostAddress>&)> found) {
                found({});
            });
        context.datagrams = &network;
        keepBound.SetSlot(QStringLiteral("KEEP"));
        keepBound.Open();
    }
    HostContext context;
    DatagramNetwork network{context};
    TmdSecureMail keepBound{network};
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    App();
    static Computer computer;
    int privateChats = 0;
    ChatRoomHooks hooks;
    hooks.nickName = [] { return QStringLiteral("ME"); };
    hooks.writeLine = [](const QString& line, ChatLineKind) {
        if (line.size() > 2 * ChatBounds::MaxNameLength + ChatBounds::MaxLineLength + 64)
            std::abort();
    };
    hooks.openPrivateChat = [&](const PrivateChatStart& s) {
        if (!HostResolver::IsComputerName(s.peerComputer) || !IsPrivateSlotName(s.slot))
            std::abort();
        ++privateChats;
    };
    ChatRoom room(computer.context, hooks);
    room.DispSysMessages = true;
    room.Open(Language::English);
    for (size_t at = 0; at + 2 <= size;) {
        const uint8_t source = data[at];
        const size_t len = std::min<size_t>(data[at + 1], size - at - 2);
        const QByteArray payload(reinterpret_cast<const char*>(data + at + 2), qsizetype(len));
        at += 2 + len;
        const QHostAddress from(quint32(0x7F000002 + (source & 3)));
        if (source & 0x80) {
            room.ComputerGone(QString::fromLatin1(payload));
        } else {
            computer.network.Budget().Received(from, payload.size());
            room.Slot1MessageAvail(payload, DatagramOrigin{QStringLiteral("PEER"), from});
        }
        Check(room);
    }
    QCoreApplication::processEvents(); // the private chats asked for open now
    if (privateChats > ChatBounds::MaxPrivateChats)
        std::abort();
    room.Close();
    return 0;
}
