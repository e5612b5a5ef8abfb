// corvane-peer send / listen: framed datagrams in the packets of the
// datagram transport.
#include "lineformat.h"
#include "peercommands.h"

#include "common/ansicodec.h"
#include "common/fieldsplit.h"
#include "common/hostcontext.h"
#include "transport/checksum16.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"
#include "transport/datagrampacket.h"
#include "transport/mailslot.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

namespace corvane::peer {
namespace {

const QString kSendHelp = QStringLiteral(
    "Usage: corvane-peer send [options] TARGET SLOT [FIELD...]\n"
    "\n"
    "Frames a payload (sequence prefix, payload, checksum) and sends it in one\n"
    "datagram packet to a slot on a target, as the messenger does.\n"
    "\n"
    "  TARGET  \"*\" every computer on the network, this one included; \".\" this\n"
    "          computer; a computer name (resolved through the system resolver);\n"
    "          or an IPv4 address (the packet then carries the target \"*\")\n"
    "  SLOT    the slot name, for example CORVANE3 (presence) or CHATSLOT3\n"
    "  FIELD   payload fields, converted to Windows-1251 and joined with the field\n"
    "          separator (three bytes 0xA9); no FIELD gives an empty payload.\n"
    "          Put \"--\" before fields that start with \"-\".\n"
    "\n"
    "Prints nothing and exits 0 when the packet went out (a broadcast cannot tell\n"
    "whether anyone received it); exits 1 when the target is unknown or the\n"
    "network refused the send.\n"
    "\n"
    "Examples:\n"
    "  corvane-peer send '*' CORVANE3 WHO_IS_HERE HOST2\n"
    "  corvane-peer send --to 198.18.0.1 --header-target NOBODY HOST1 CORVANE3 WHO_IS_HERE HOST2\n");

const QString kListenHelp = QStringLiteral(
    "Usage: corvane-peer listen [options]\n"
    "\n"
    "Binds the datagram port and prints every packet with a valid header that\n"
    "arrives, one line each, until --count packets were printed or --timeout ran\n"
    "out (without either, until interrupted). A packet that arrives twice within\n"
    "two seconds (on two interfaces) is printed once. Packets with another magic\n"
    "or a malformed header are not printed. The line \"corvane-peer: listening on\n"
    "ADDRESS:PORT\" on stderr says that the port is bound.\n"
    "\n"
    "Columns, tab-separated (tab, line break and backslash escaped as \\t \\n \\\\):\n"
    "  target  sender  from  slot  checksum  here  prefix  field1  field2 ...\n"
    "  checksum: \"ok\" or \"bad\"; here: \"yes\" when the target is \"*\" or this\n"
    "  computer's name, else \"no\"; prefix: the frame's sequence prefix; fields:\n"
    "  the payload split at the field separator, Windows-1251 shown as UTF-8.\n"
    "With --json each line is an object with the keys target, sender, from, slot,\n"
    "checksum, here (true/false), prefix, fields (array) and frame_bytes.\n"
    "\n"
    "Exit codes: 0 the count was reached (or no count was given), 1 the port could\n"
    "not be bound, 3 the timeout ran out before the count was reached.\n");

bool IsIPv4(const QString& text) {
    QHostAddress a;
    return a.setAddress(text) && a.protocol() == QAbstractSocket::IPv4Protocol;
}

bool HasHexLetter(QByteArrayView bytes) {
    for (char c : bytes)
        if (c >= 'A' && c <= 'F')
            return true;
    return false;
}

} // namespace

int Send(const QStringList& argv) {
    const QString cmd = QStringLiteral("send");
    QList<cli::OptionSpec> specs = {
        {QStringLiteral("help"), {}, QStringLiteral("show this help")},
        {QStringLiteral("sender"), QStringLiteral("NAME"),
         QStringLiteral("sender computer name in the packet (default: this computer's name)")},
        {QStringLiteral("payload-hex"), QStringLiteral("HEX"),
         QStringLiteral("payload bytes in hexadecimal, instead of FIELDs")},
        {QStringLiteral("tick"), QStringLiteral("N"),
         QStringLiteral("sequence prefix from tick count N (default: now)")},
        {QStringLiteral("to"), QStringLiteral("ADDRESS"),
         QStringLiteral("send to this address instead of where TARGET leads")},
        {QStringLiteral("header-target"), QStringLiteral("TEXT"),
         QStringLiteral("target written in the packet (a wrong target on purpose)")},
        {QStringLiteral("bad-checksum"), {}, QStringLiteral("write a checksum that does not match")},
        {QStringLiteral("lowercase-checksum"), {},
         QStringLiteral("write the checksum's hex letters in lower case")},
        {QStringLiteral("bad-magic"), {}, QStringLiteral("write the magic \"CMS0\" instead of \"CMS1\"")},
        {QStringLiteral("repeat"), QStringLiteral("N"),
         QStringLiteral("send N packets, each prefix from the next tick count (default 1)")},
        {QStringLiteral("truncate"), QStringLiteral("N"),
         QStringLiteral("send only the first N bytes of the packet (a malformed header)")},
    };
    specs += NetworkOptions(true);
    cli::Args args;
    if (const auto done = ParseCommand(cmd, argv, specs, kSendHelp, &args))
        return *done;
    QString error;
    const QStringList& pos = args.Positional();
    if (pos.size() < 2)
        return UsageError(cmd, QStringLiteral("TARGET and SLOT are needed"));
    const QString target = pos[0];
    const QString slot = pos[1];
    const QStringList fields = pos.mid(2);
    if (target.isEmpty() || ToAnsi(target).size() > 255)
        return UsageError(cmd, QStringLiteral("TARGET must be 1 to 255 characters"));
    if (slot.isEmpty() || ToAnsi(slot).size() > 255)
        return UsageError(cmd, QStringLiteral("SLOT must be 1 to 255 characters"));

    QByteArray payload;
    if (args.Has(QStringLiteral("payload-hex"))) {
        if (!fields.isEmpty())
            return UsageError(cmd, QStringLiteral("give FIELDs or --payload-hex, not both"));
        const QByteArray hex = args.Value(QStringLiteral("payload-hex")).toLatin1();
        static const QByteArray digits = "0123456789abcdefABCDEF";
        for (char c : hex)
            if (!digits.contains(c))
                return UsageError(cmd, QStringLiteral("--payload-hex holds a character that is not a hex digit"));
        if (hex.size() % 2 != 0)
            return UsageError(cmd, QStringLiteral("--payload-hex needs an even number of digits"));
        payload = QByteArray::fromHex(hex);
    } else {
        QByteArrayList ansi;
        for (const QString& f : fields)
            ansi.append(ToAnsi(f));
        payload = JoinFields(ansi);
    }

    qint64 tick = TickCount();
    const bool tickGiven = args.Has(QStringLiteral("tick"));
    if (!args.Int(QStringLiteral("tick"), 0, 0xFFFFFFFFLL, &tick, &error))
        return UsageError(cmd, error);
    if (args.Has(QStringLiteral("bad-checksum")) && args.Has(QStringLiteral("lowercase-checksum")))
        return UsageError(cmd, QStringLiteral("--bad-checksum and --lowercase-checksum exclude each other"));

    qint64 repeat = 1;
    if (!args.Int(QStringLiteral("repeat"), 1, 1000000, &repeat, &error))
        return UsageError(cmd, error);
    // Each packet's prefix comes from the next tick count, so repeated
    // packets differ (for 10000 of them).
    const bool lowercase = args.Has(QStringLiteral("lowercase-checksum"));
    const bool badChecksum = args.Has(QStringLiteral("bad-checksum"));
    quint32 cursor = quint32(tick);
    auto nextFrame = [&](QByteArray* out) {
        QByteArray frame = FrameDatagram(payload, cursor);
        if (lowercase) {
            // Digits have no case: find a prefix whose checksum has a letter.
            for (int step = 0; !HasHexLetter(frame.right(4)) && !tickGiven && step < 10000; ++step)
                frame = FrameDatagram(payload, ++cursor);
            if (!HasHexLetter(frame.right(4)))
                return false;
            frame = frame.first(frame.size() - 4) + frame.right(4).toLower();
        } else if (badChecksum) {
            const quint16 good = CheckSum16(QByteArrayView(frame).first(frame.size() - 4));
            frame = frame.first(frame.size() - 4) + Hex4(quint16(good ^ 0x5A5A));
        }
        ++cursor;
        *out = frame;
        return true;
    };
    QByteArray frame;
    if (!nextFrame(&frame))
        return UsageError(cmd, QStringLiteral("the checksum of this frame has no letters; choose another --tick"));

    HostContext context;
    if (!ApplyNetworkOptions(args, context, &error))
        return UsageError(cmd, error);
    if (args.Has(QStringLiteral("sender"))) {
        const QString sender = args.Value(QStringLiteral("sender"));
        if (sender.isEmpty() || ToAnsi(sender).size() > 255)
            return UsageError(cmd, QStringLiteral("--sender must be 1 to 255 characters"));
        context.computerNameSource = [sender] { return sender; };
    }
    QHostAddress to;
    if (args.Has(QStringLiteral("to")) && (!to.setAddress(args.Value(QStringLiteral("to"))) ||
                                            to.protocol() != QAbstractSocket::IPv4Protocol))
        return UsageError(cmd, QStringLiteral("--to needs an IPv4 address"));
    if (args.Has(QStringLiteral("header-target")) &&
        (args.Value(QStringLiteral("header-target")).isEmpty() ||
         ToAnsi(args.Value(QStringLiteral("header-target"))).size() > 255))
        return UsageError(cmd, QStringLiteral("--header-target must be 1 to 255 characters"));

    DatagramNetwork network(context);
    const QString self = context.LocalComputerName();
    qint64 truncate = -1;
    if (!args.Int(QStringLiteral("truncate"), 0, DatagramNetwork::MaxDatagram, &truncate, &error))
        return UsageError(cmd, error);
    const bool plain = !args.Has(QStringLiteral("bad-magic")) && !args.Has(QStringLiteral("to")) &&
                       truncate < 0 &&
                       !args.Has(QStringLiteral("header-target")) && !IsIPv4(target);
    if (plain) {
        // The messenger's own write path.
        for (qint64 i = 0; i < repeat; ++i) {
            if ((i > 0 && !nextFrame(&frame)) || !WriteSlot(network, target, slot, frame)) {
                std::fprintf(stderr, "corvane-peer send: cannot send to %s: unknown computer or network error\n",
                             qPrintable(target));
                return ExitFailed;
            }
        }
        return ExitOk;
    }

    const bool toSelf = target == QLatin1String(".") || target.compare(self, Qt::CaseInsensitive) == 0;
    DatagramPacket packet;
    packet.target = ToAnsi(args.Has(QStringLiteral("header-target")) ? args.Value(QStringLiteral("header-target"))
                           : IsIPv4(target)                         ? QStringLiteral("*")
                           : toSelf                                 ? self
                                                                    : target);
    packet.sender = ToAnsi(self);
    packet.slot = ToAnsi(slot);
    auto packetBytes = [&](const QByteArray& f) {
        packet.frame = f;
        QByteArray bytes = packet.Encode();
        if (args.Has(QStringLiteral("bad-magic")))
            bytes.replace(0, 4, "CMS0");
        if (truncate >= 0)
            bytes.truncate(truncate);
        return bytes;
    };
    if (packet.sender.isEmpty() || packet.sender.size() > 255)
        return UsageError(cmd, QStringLiteral("this computer's name is empty or too long; give --sender"));

    QList<QHostAddress> destinations;
    if (!to.isNull()) {
        destinations.append(to);
    } else if (target == QLatin1String("*")) {
        destinations.append(context.network.selfAddress);
        destinations += network.BroadcastTargets();
    } else if (toSelf) {
        destinations.append(context.network.selfAddress);
    } else {
        const QHostAddress resolved = context.resolver.Resolve(target);
        if (resolved.isNull()) {
            std::fprintf(stderr, "corvane-peer send: unknown computer %s\n", qPrintable(target));
            return ExitFailed;
        }
        destinations.append(resolved);
    }
    for (qint64 i = 0; i < repeat; ++i) {
        if (i > 0 && !nextFrame(&frame))
            break; // --lowercase-checksum found no more prefixes
        const QByteArray bytes = packetBytes(frame);
        bool any = false;
        for (const QHostAddress& a : destinations)
            any = network.WriteRaw(bytes, a) || any;
        if (!any) {
            std::fprintf(stderr, "corvane-peer send: the packet could not be sent (%lld bytes)\n",
                         static_cast<long long>(bytes.size()));
            return ExitFailed;
        }
    }
    return ExitOk;
}

int Listen(const QStringList& argv) {
    const QString cmd = QStringLiteral("listen");
    QList<cli::OptionSpec> specs = {
        {QStringLiteral("help"), {}, QStringLiteral("show this help")},
        {QStringLiteral("count"), QStringLiteral("N"), QStringLiteral("stop after N packets")},
        {QStringLiteral("timeout"), QStringLiteral("SECONDS"), QStringLiteral("stop after this time")},
        {QStringLiteral("slot"), QStringLiteral("NAME"),
         QStringLiteral("print only packets for this slot (letter case ignored)")},
        {QStringLiteral("here-only"), {},
         QStringLiteral("print only packets addressed to this computer or \"*\"")},
        {QStringLiteral("name"), QStringLiteral("NAME"),
         QStringLiteral("this computer's name for the \"here\" column (default: the host name)")},
        {QStringLiteral("json"), {}, QStringLiteral("one JSON object per line")},
    };
    specs += NetworkOptions(false);
    cli::Args args;
    if (const auto done = ParseCommand(cmd, argv, specs, kListenHelp, &args))
        return *done;
    QString error;
    if (!args.Positional().isEmpty())
        return UsageError(cmd, QStringLiteral("unexpected argument '%1'").arg(args.Positional().first()));
    qint64 count = 0;
    qint64 timeoutMs = 0;
    if (!args.Int(QStringLiteral("count"), 1, 1000000000, &count, &error) ||
        !args.Seconds(QStringLiteral("timeout"), &timeoutMs, &error))
        return UsageError(cmd, error);

    HostContext context;
    context.network.discoverBroadcasts = false; // a listener sends nothing
    if (!ApplyNetworkOptions(args, context, &error))
        return UsageError(cmd, error);
    if (args.Has(QStringLiteral("name"))) {
        const QString name = args.Value(QStringLiteral("name"));
        context.computerNameSource = [name] { return name; };
    }
    DatagramNetwork network(context);
    if (network.BindForMonitor() != DatagramNetwork::AttachResult::Ok) {
        std::fprintf(stderr, "corvane-peer listen: cannot bind UDP %s:%u (in use or not an address here)\n",
                     qPrintable(context.network.bindAddress.toString()), unsigned(context.network.datagramPort));
        return ExitFailed;
    }
    const QString slotFilter = args.Value(QStringLiteral("slot"));
    const bool hereOnly = args.Has(QStringLiteral("here-only"));
    const bool json = args.Has(QStringLiteral("json"));
    QEventLoop loop;
    qint64 printed = 0;
    QObject::connect(&network, &DatagramNetwork::PacketSeen, &loop,
                     [&](const DatagramPacket& packet, const QHostAddress& from, bool here) {
                         if (count > 0 && printed >= count)
                             return;
                         const QString slot = FromAnsi(packet.slot);
                         if (!slotFilter.isEmpty() && slot.compare(slotFilter, Qt::CaseInsensitive) != 0)
                             return;
                         if (hereOnly && !here)
                             return;
                         const bool checks = FrameChecks(packet.frame);
                         const QString prefix =
                             packet.frame.size() >= 8 ? FromAnsi(packet.frame.first(4)) : QString();
                         QStringList fields;
                         for (const QByteArray& f : SplitFields(FramePayload(packet.frame)))
                             fields.append(FromAnsi(f));
                         if (json) {
                             QJsonObject o;
                             o.insert(QStringLiteral("target"), FromAnsi(packet.target));
                             o.insert(QStringLiteral("sender"), FromAnsi(packet.sender));
                             o.insert(QStringLiteral("from"), from.toString());
                             o.insert(QStringLiteral("slot"), slot);
                             o.insert(QStringLiteral("checksum"), checks ? "ok" : "bad");
                             o.insert(QStringLiteral("here"), here);
                             o.insert(QStringLiteral("prefix"), prefix);
                             o.insert(QStringLiteral("fields"), QJsonArray::fromStringList(fields));
                             o.insert(QStringLiteral("frame_bytes"), qint64(packet.frame.size()));
                             cli::PrintLine(cli::JsonLine(o));
                         } else {
                             QStringList columns = {FromAnsi(packet.target),
                                                    FromAnsi(packet.sender),
                                                    from.toString(),
                                                    slot,
                                                    checks ? QStringLiteral("ok") : QStringLiteral("bad"),
                                                    here ? QStringLiteral("yes") : QStringLiteral("no"),
                                                    prefix};
                             cli::PrintLine(cli::TsvLine(columns + fields));
                         }
                         if (count > 0 && ++printed >= count)
                             loop.exit(ExitOk);
                     });
    std::fprintf(stderr, "corvane-peer: listening on %s:%u\n",
                 qPrintable(context.network.bindAddress.toString()), unsigned(context.network.datagramPort));
    std::fflush(stderr);
    return RunUntil(loop, timeoutMs, count > 0 ? ExitTimedOut : ExitOk);
}

} // namespace corvane::peer
