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

// clang-format off
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
// clang-format on

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

QList<cli::OptionSpec> SendOptions() {
    // clang-format off
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
    // clang-format on
    specs += NetworkOptions(true);
    return specs;
}

// The payload from --payload-hex or the FIELDs; an error message when the
// arguments do not make one.
QString ReadPayload(const cli::Args& args, const QStringList& fields, QByteArray* payload) {
    if (!args.Has(QStringLiteral("payload-hex"))) {
        QByteArrayList ansi;
        for (const QString& f : fields)
            ansi.append(ToAnsi(f));
        *payload = JoinFields(ansi);
        return {};
    }
    if (!fields.isEmpty())
        return QStringLiteral("give FIELDs or --payload-hex, not both");
    const QByteArray hex = args.Value(QStringLiteral("payload-hex")).toLatin1();
    static const QByteArray digits = "0123456789abcdefABCDEF";
    for (char c : hex)
        if (!digits.contains(c))
            return QStringLiteral("--payload-hex holds a character that is not a hex digit");
    if (hex.size() % 2 != 0)
        return QStringLiteral("--payload-hex needs an even number of digits");
    *payload = QByteArray::fromHex(hex);
    return {};
}

// The frames of the packets to send. Each packet's prefix comes from the next
// tick count, so repeated packets differ (for 10000 of them).
class FrameMaker {
public:
    // The options --tick, --bad-checksum, --lowercase-checksum and --repeat;
    // an error message when they are wrong.
    QString Read(const cli::Args& args, const QByteArray& payload) {
        payload_ = payload;
        QString error;
        qint64 tick = TickCount();
        tickGiven_ = args.Has(QStringLiteral("tick"));
        if (!args.Int(QStringLiteral("tick"), 0, 0xFFFFFFFFLL, &tick, &error))
            return error;
        lowercase_ = args.Has(QStringLiteral("lowercase-checksum"));
        badChecksum_ = args.Has(QStringLiteral("bad-checksum"));
        if (badChecksum_ && lowercase_)
            return QStringLiteral("--bad-checksum and --lowercase-checksum exclude each other");
        if (!args.Int(QStringLiteral("repeat"), 1, 1000000, &repeat_, &error))
            return error;
        cursor_ = quint32(tick);
        return {};
    }
    qint64 Repeat() const { return repeat_; }

    // The next frame; false when --lowercase-checksum finds no prefix whose
    // checksum has a letter.
    bool Next(QByteArray* out) {
        QByteArray frame = FrameDatagram(payload_, cursor_);
        if (lowercase_) {
            // Digits have no case: find a prefix whose checksum has a letter.
            for (int step = 0; !HasHexLetter(frame.right(4)) && !tickGiven_ && step < 10000; ++step)
                frame = FrameDatagram(payload_, ++cursor_);
            if (!HasHexLetter(frame.right(4)))
                return false;
            frame = frame.first(frame.size() - 4) + frame.right(4).toLower();
        } else if (badChecksum_) {
            const quint16 good = CheckSum16(QByteArrayView(frame).first(frame.size() - 4));
            frame = frame.first(frame.size() - 4) + Hex4(quint16(good ^ 0x5A5A));
        }
        ++cursor_;
        *out = frame;
        return true;
    }

private:
    QByteArray payload_;
    bool tickGiven_ = false;
    bool lowercase_ = false;
    bool badChecksum_ = false;
    qint64 repeat_ = 1;
    quint32 cursor_ = 0;
};

// The options that say who sends and where to (--sender, --to,
// --header-target, and the network's); an error message when they are wrong.
QString ReadAddressing(const cli::Args& args, HostContext& context, QHostAddress* to) {
    QString error;
    if (!ApplyNetworkOptions(args, context, &error))
        return error;
    if (args.Has(QStringLiteral("sender"))) {
        const QString sender = args.Value(QStringLiteral("sender"));
        if (sender.isEmpty() || ToAnsi(sender).size() > 255)
            return QStringLiteral("--sender must be 1 to 255 characters");
        context.computerNameSource = [sender] { return sender; };
    }
    if (args.Has(QStringLiteral("to")) && (!to->setAddress(args.Value(QStringLiteral("to"))) ||
                                           to->protocol() != QAbstractSocket::IPv4Protocol))
        return QStringLiteral("--to needs an IPv4 address");
    if (args.Has(QStringLiteral("header-target")) &&
        (args.Value(QStringLiteral("header-target")).isEmpty() ||
         ToAnsi(args.Value(QStringLiteral("header-target"))).size() > 255))
        return QStringLiteral("--header-target must be 1 to 255 characters");
    return {};
}

// What one send command settled on, once its arguments were read.
struct SendJob {
    QString target;
    QString slot;
    FrameMaker frames;
    QByteArray frame; // the first
    QHostAddress to;  // --to
    qint64 truncate = -1;
};

// The messenger's own write path.
int SendThroughSlot(DatagramNetwork& network, SendJob& job) {
    for (qint64 i = 0; i < job.frames.Repeat(); ++i) {
        if ((i > 0 && !job.frames.Next(&job.frame)) ||
            !WriteSlot(network, job.target, job.slot, job.frame)) {
            std::fprintf(
                stderr, "corvane-peer send: cannot send to %s: unknown computer or network error\n",
                qPrintable(job.target));
            return ExitFailed;
        }
    }
    return ExitOk;
}

// Packets written byte by byte, for what the messenger would never send: a
// wrong magic, header target or checksum, a cut header, another address.
struct RawPacket {
    DatagramPacket packet;
    bool badMagic = false;
    qint64 truncate = -1;

    QByteArray Bytes(const QByteArray& frame) {
        packet.frame = frame;
        QByteArray bytes = packet.Encode();
        if (badMagic)
            bytes.replace(0, 4, "CMS0");
        if (truncate >= 0)
            bytes.truncate(truncate);
        return bytes;
    }
};

// Where TARGET leads: an empty list, with the reason on stderr, when nowhere.
QList<QHostAddress> Destinations(const QString& target, bool toSelf, const QHostAddress& to,
                                 HostContext& context, DatagramNetwork& network) {
    if (!to.isNull())
        return {to};
    if (target == QLatin1String("*"))
        return QList<QHostAddress>{context.network.selfAddress} + network.BroadcastTargets();
    if (toSelf)
        return {context.network.selfAddress};
    const QHostAddress resolved = context.resolver.Resolve(target);
    if (resolved.isNull()) {
        std::fprintf(stderr, "corvane-peer send: unknown computer %s\n", qPrintable(target));
        return {};
    }
    return {resolved};
}

// The target written in the packet.
QString HeaderTarget(const cli::Args& args, const QString& target, bool toSelf,
                     const QString& self) {
    if (args.Has(QStringLiteral("header-target")))
        return args.Value(QStringLiteral("header-target"));
    if (IsIPv4(target))
        return QStringLiteral("*");
    return toSelf ? self : target;
}

int SendRaw(const cli::Args& args, SendJob& job, HostContext& context, DatagramNetwork& network) {
    const QString& target = job.target;
    const QString self = context.LocalComputerName();
    const bool toSelf =
        target == QLatin1String(".") || target.compare(self, Qt::CaseInsensitive) == 0;
    RawPacket raw;
    raw.packet.target = ToAnsi(HeaderTarget(args, target, toSelf, self));
    raw.packet.sender = ToAnsi(self);
    raw.packet.slot = ToAnsi(job.slot);
    raw.badMagic = args.Has(QStringLiteral("bad-magic"));
    raw.truncate = job.truncate;
    if (raw.packet.sender.isEmpty() || raw.packet.sender.size() > 255)
        return UsageError(
            QStringLiteral("send"),
            QStringLiteral("this computer's name is empty or too long; give --sender"));
    const QList<QHostAddress> destinations = Destinations(target, toSelf, job.to, context, network);
    if (destinations.isEmpty())
        return ExitFailed;
    for (qint64 i = 0; i < job.frames.Repeat(); ++i) {
        if (i > 0 && !job.frames.Next(&job.frame))
            break; // --lowercase-checksum found no more prefixes
        const QByteArray bytes = raw.Bytes(job.frame);
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

QList<cli::OptionSpec> ListenOptions() {
    // clang-format off
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
    // clang-format on
    specs += NetworkOptions(false);
    return specs;
}

// One line for a packet that arrived: tab-separated columns, or a JSON object.
void PrintPacket(const DatagramPacket& packet, const QHostAddress& from, bool here, bool json) {
    const QString slot = FromAnsi(packet.slot);
    const bool checks = FrameChecks(packet.frame);
    const QString prefix = packet.frame.size() >= 8 ? FromAnsi(packet.frame.first(4)) : QString();
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
        return;
    }
    QStringList columns = {FromAnsi(packet.target),
                           FromAnsi(packet.sender),
                           from.toString(),
                           slot,
                           checks ? QStringLiteral("ok") : QStringLiteral("bad"),
                           here ? QStringLiteral("yes") : QStringLiteral("no"),
                           prefix};
    cli::PrintLine(cli::TsvLine(columns + fields));
}

} // namespace

int Send(const QStringList& argv) {
    const QString cmd = QStringLiteral("send");
    const QList<cli::OptionSpec> specs = SendOptions();
    cli::Args args;
    if (const auto done = ParseCommand(cmd, argv, specs, kSendHelp, &args))
        return *done;
    QString error;
    const QStringList& pos = args.Positional();
    if (pos.size() < 2)
        return UsageError(cmd, QStringLiteral("TARGET and SLOT are needed"));
    SendJob job;
    job.target = pos[0];
    job.slot = pos[1];
    if (job.target.isEmpty() || ToAnsi(job.target).size() > 255)
        return UsageError(cmd, QStringLiteral("TARGET must be 1 to 255 characters"));
    if (job.slot.isEmpty() || ToAnsi(job.slot).size() > 255)
        return UsageError(cmd, QStringLiteral("SLOT must be 1 to 255 characters"));
    QByteArray payload;
    if (error = ReadPayload(args, pos.mid(2), &payload); !error.isEmpty())
        return UsageError(cmd, error);
    if (error = job.frames.Read(args, payload); !error.isEmpty())
        return UsageError(cmd, error);
    if (!job.frames.Next(&job.frame))
        return UsageError(
            cmd,
            QStringLiteral("the checksum of this frame has no letters; choose another --tick"));

    HostContext context;
    if (error = ReadAddressing(args, context, &job.to); !error.isEmpty())
        return UsageError(cmd, error);
    DatagramNetwork network(context);
    if (!args.Int(QStringLiteral("truncate"), 0, DatagramNetwork::MaxDatagram, &job.truncate,
                  &error))
        return UsageError(cmd, error);
    const bool plain = !args.Has(QStringLiteral("bad-magic")) && !args.Has(QStringLiteral("to")) &&
                       job.truncate < 0 && !args.Has(QStringLiteral("header-target")) &&
                       !IsIPv4(job.target);
    if (plain)
        return SendThroughSlot(network, job);
    return SendRaw(args, job, context, network);
}

int Listen(const QStringList& argv) {
    const QString cmd = QStringLiteral("listen");
    const QList<cli::OptionSpec> specs = ListenOptions();
    cli::Args args;
    if (const auto done = ParseCommand(cmd, argv, specs, kListenHelp, &args))
        return *done;
    QString error;
    if (!args.Positional().isEmpty())
        return UsageError(
            cmd, QStringLiteral("unexpected argument '%1'").arg(args.Positional().first()));
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
        std::fprintf(stderr,
                     "corvane-peer listen: cannot bind UDP %s:%u (in use or not an address here)\n",
                     qPrintable(context.network.bindAddress.toString()),
                     unsigned(context.network.datagramPort));
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
                         if (!slotFilter.isEmpty() &&
                             FromAnsi(packet.slot).compare(slotFilter, Qt::CaseInsensitive) != 0)
                             return;
                         if (hereOnly && !here)
                             return;
                         PrintPacket(packet, from, here, json);
                         if (count > 0 && ++printed >= count)
                             loop.exit(ExitOk);
                     });
    std::fprintf(stderr, "corvane-peer: listening on %s:%u\n",
                 qPrintable(context.network.bindAddress.toString()),
                 unsigned(context.network.datagramPort));
    std::fflush(stderr);
    return RunUntil(loop, timeoutMs, count > 0 ? ExitTimedOut : ExitOk);
}

} // namespace corvane::peer
