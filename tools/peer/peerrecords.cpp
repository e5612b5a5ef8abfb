// corvane-peer send-record / listen-records: message records over TCP.
#include "lineformat.h"
#include "peercommands.h"

#include "common/ansicodec.h"
#include "common/fieldsplit.h"
#include "common/hostcontext.h"
#include "messaging/messageclient.h"
#include "messaging/messagelistener.h"
#include "messaging/tmsg.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonObject>
#include <cstdio>

namespace corvane::peer {
namespace {

const QString kSendRecordHelp = QStringLiteral(
    "Usage: corvane-peer send-record [options] HOST\n"
    "\n"
    "Sends one message record (Sender, Recipient, Body, SenderAlias joined with the\n"
    "field separator, Windows-1251) over one TCP connection to the message port of\n"
    "HOST (a computer name or an IPv4 address), then ends its side of the\n"
    "connection and waits for the receiver to close it, which a receiver does only\n"
    "once it filed the record.\n"
    "Exits 0 when the receiver closed in order; exits 1 with the reason on stderr\n"
    "when the computer is unknown, refused, reset the connection (it did not file\n"
    "the record), or did not close it in time.\n"
    "\n"
    "Example:\n"
    "  corvane-peer send-record --body-file note.rtf --alias Anna HOST1\n");

const QString kListenRecordsHelp = QStringLiteral(
    "Usage: corvane-peer listen-records [options]\n"
    "\n"
    "Listens on the message port and prints each record when its sender has ended\n"
    "its side of the connection in order, one line each, until --count records were\n"
    "printed or --timeout ran out (without either, until interrupted). A record is\n"
    "printed before its connection is closed, which tells the sender it arrived;\n"
    "records beyond --count are refused (reset). The line \"corvane-peer: listening\n"
    "on ADDRESS:PORT\" on stderr says that the port is open. Connections beyond the\n"
    "listener's limits (16 MiB, 60 s without data or for the whole record, 8 from\n"
    "one address) are reset and print nothing; beyond 64 at once they wait.\n"
    "\n"
    "Columns, tab-separated (tab, line break and backslash escaped as \\t \\n \\\\):\n"
    "  from  sender  recipient  alias  fields  bytes  body\n"
    "  fields: how many non-empty fields the record has (4 for a well-formed one);\n"
    "  bytes: the record's length; texts are Windows-1251 shown as UTF-8.\n"
    "With --json each line is an object with those keys (fields and bytes numbers).\n"
    "\n"
    "Exit codes: 0 the count was reached (or no count was given), 1 the port could\n"
    "not be opened, 3 the timeout ran out before the count was reached.\n");

bool ReadBody(const QString& path, QByteArray* out, QString* error) {
    QFile file;
    const bool ok = path == QLatin1String("-")
                        ? file.open(stdin, QIODevice::ReadOnly)
                        : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!ok) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *out = file.readAll();
    return true;
}

} // namespace

int SendRecord(const QStringList& argv) {
    const QString cmd = QStringLiteral("send-record");
    QList<cli::OptionSpec> specs = {
        {QStringLiteral("help"), {}, QStringLiteral("show this help")},
        {QStringLiteral("sender"), QStringLiteral("TEXT"),
         QStringLiteral("field 1, Sender (default: the alias)")},
        {QStringLiteral("recipient"), QStringLiteral("TEXT"),
         QStringLiteral("field 2, Recipient (default: HOST)")},
        {QStringLiteral("body"), QStringLiteral("TEXT"), QStringLiteral("field 3, Body, as text")},
        {QStringLiteral("body-file"), QStringLiteral("FILE"),
         QStringLiteral("field 3, Body, the bytes of FILE as they are (\"-\" for stdin)")},
        {QStringLiteral("alias"), QStringLiteral("TEXT"),
         QStringLiteral("field 4, SenderAlias (default: this computer's name)")},
        {QStringLiteral("raw-file"), QStringLiteral("FILE"),
         QStringLiteral("send the bytes of FILE instead of a record (\"-\" for stdin)")},
        {QStringLiteral("timeout"), QStringLiteral("SECONDS"),
         QStringLiteral("give up after this time (default 5)")},
    };
    specs += NetworkOptions(false);
    cli::Args args;
    if (const auto done = ParseCommand(cmd, argv, specs, kSendRecordHelp, &args))
        return *done;
    QString error;
    if (args.Positional().size() != 1)
        return UsageError(
            cmd, args.Positional().isEmpty()
                     ? QStringLiteral("HOST is needed")
                     : QStringLiteral("unexpected argument '%1'").arg(args.Positional().at(1)));
    const QString host = args.Positional().first();
    if (host.isEmpty())
        return UsageError(cmd, QStringLiteral("HOST is empty"));
    HostContext context;
    qint64 timeoutMs = 5000;
    if (!ApplyNetworkOptions(args, context, &error) ||
        !args.Seconds(QStringLiteral("timeout"), &timeoutMs, &error))
        return UsageError(cmd, error);
    context.timings.deliveryTimeoutMs = int(std::min<qint64>(timeoutMs, 24 * 3600 * 1000));

    const bool raw = args.Has(QStringLiteral("raw-file"));
    const int bodies =
        int(args.Has(QStringLiteral("body"))) + int(args.Has(QStringLiteral("body-file")));
    if (raw && (bodies > 0 || args.Has(QStringLiteral("sender")) ||
                args.Has(QStringLiteral("alias")) || args.Has(QStringLiteral("recipient"))))
        return UsageError(
            cmd, QStringLiteral("--raw-file replaces the record; give no field options with it"));
    if (!raw && bodies != 1)
        return UsageError(
            cmd, QStringLiteral("give the body with exactly one of --body and --body-file"));

    QByteArray bytes;
    if (raw) {
        if (!ReadBody(args.Value(QStringLiteral("raw-file")), &bytes, &error)) {
            std::fprintf(stderr, "corvane-peer %s: %s\n", qPrintable(cmd), qPrintable(error));
            return ExitFailed;
        }
    } else {
        TMsg record;
        record.SenderAlias =
            ToAnsi(args.Value(QStringLiteral("alias"), context.LocalComputerName()));
        record.Sender = args.Has(QStringLiteral("sender"))
                            ? ToAnsi(args.Value(QStringLiteral("sender")))
                            : record.SenderAlias;
        record.Recipient = ToAnsi(args.Value(QStringLiteral("recipient"), host));
        if (args.Has(QStringLiteral("body"))) {
            record.Body = ToAnsi(args.Value(QStringLiteral("body")));
        } else if (!ReadBody(args.Value(QStringLiteral("body-file")), &record.Body, &error)) {
            std::fprintf(stderr, "corvane-peer %s: %s\n", qPrintable(cmd), qPrintable(error));
            return ExitFailed;
        }
        bytes = record.Encode();
    }
    QStringList errors;
    const QList<DeliveryOutcome> outcomes = DeliverToAll(context, {host}, bytes, &errors);
    if (outcomes.value(0) == DeliveryOutcome::Delivered)
        return ExitOk;
    std::fprintf(stderr, "corvane-peer %s: not delivered to %s: %s\n", qPrintable(cmd),
                 qPrintable(host), qPrintable(errors.value(0, QStringLiteral("unknown error"))));
    return ExitFailed;
}

int ListenRecords(const QStringList& argv) {
    const QString cmd = QStringLiteral("listen-records");
    QList<cli::OptionSpec> specs = {
        {QStringLiteral("help"), {}, QStringLiteral("show this help")},
        {QStringLiteral("count"), QStringLiteral("N"), QStringLiteral("stop after N records")},
        {QStringLiteral("timeout"), QStringLiteral("SECONDS"),
         QStringLiteral("stop after this time")},
        {QStringLiteral("json"), {}, QStringLiteral("one JSON object per line")},
    };
    specs += NetworkOptions(false);
    cli::Args args;
    if (const auto done = ParseCommand(cmd, argv, specs, kListenRecordsHelp, &args))
        return *done;
    QString error;
    if (!args.Positional().isEmpty())
        return UsageError(
            cmd, QStringLiteral("unexpected argument '%1'").arg(args.Positional().first()));
    qint64 count = 0;
    qint64 timeoutMs = 0;
    HostContext context;
    if (!args.Int(QStringLiteral("count"), 1, 1000000000, &count, &error) ||
        !args.Seconds(QStringLiteral("timeout"), &timeoutMs, &error) ||
        !ApplyNetworkOptions(args, context, &error))
        return UsageError(cmd, error);

    MessageListener listener(context);
    if (!listener.Listen()) {
        std::fprintf(stderr, "corvane-peer %s: cannot listen on TCP %s:%u: %s\n", qPrintable(cmd),
                     qPrintable(context.network.bindAddress.toString()),
                     unsigned(context.network.messagePort), qPrintable(listener.ErrorString()));
        return ExitFailed;
    }
    const bool json = args.Has(QStringLiteral("json"));
    QEventLoop loop;
    qint64 printed = 0;
    QObject::connect(
        &listener, &MessageListener::RecordArrived, &loop,
        [&](const QByteArray& bytes, const QHostAddress& from) {
            if (count > 0 && printed >= count) {
                listener.RefuseCurrent(); // not printed: its sender is told
                return;
            }
            const TMsg record = TMsg::Decode(bytes);
            const qint64 fields = SplitFields(bytes).size();
            if (json) {
                QJsonObject o;
                o.insert(QStringLiteral("from"), from.toString());
                o.insert(QStringLiteral("sender"), FromAnsi(record.Sender));
                o.insert(QStringLiteral("recipient"), FromAnsi(record.Recipient));
                o.insert(QStringLiteral("alias"), FromAnsi(record.SenderAlias));
                o.insert(QStringLiteral("fields"), fields);
                o.insert(QStringLiteral("bytes"), qint64(bytes.size()));
                o.insert(QStringLiteral("body"), FromAnsi(record.Body));
                cli::PrintLine(cli::JsonLine(o));
            } else {
                cli::PrintLine(cli::TsvLine(
                    {from.toString(), FromAnsi(record.Sender), FromAnsi(record.Recipient),
                     FromAnsi(record.SenderAlias), QString::number(fields),
                     QString::number(bytes.size()), FromAnsi(record.Body)}));
            }
            if (count > 0 && ++printed >= count)
                loop.exit(ExitOk);
        });
    std::fprintf(stderr, "corvane-peer: listening on %s:%u\n",
                 qPrintable(context.network.bindAddress.toString()),
                 unsigned(context.network.messagePort));
    std::fflush(stderr);
    return RunUntil(loop, timeoutMs, count > 0 ? ExitTimedOut : ExitOk);
}

} // namespace corvane::peer
