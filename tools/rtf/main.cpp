// corvane-rtf: converts between RTF, HTML and plain text with the message
// body reader and writer, to look at what the reader understood and at what
// the writer wrote.
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

namespace {

const char kUsage[] =
    "Usage: corvane-rtf [--from rtf|html|text] [--to rtf|html|text] [FILE]\n"
    "\n"
    "Reads FILE, or standard input when FILE is missing or \"-\", and writes the\n"
    "converted document to standard output.\n"
    "\n"
    "  --from FORMAT  format of the input: rtf (default), html or text\n"
    "  --to FORMAT    format of the output: text (default), html or rtf\n"
    "  -h, --help     show this help\n"
    "\n"
    "Text in and out is UTF-8; HTML out is the document as Qt writes it.\n"
    "Exit status: 0 on success, 1 on unreadable input, 2 on bad usage.\n";

int Usage(const char* message) {
    std::fprintf(stderr, "corvane-rtf: %s\n\n%s", message, kUsage);
    return 2;
}

// Qt's own start-up notices (a missing XDG_RUNTIME_DIR and the like) are not
// about the document; everything else goes to stderr as usual.
void Messages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg ||
        text.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "corvane-rtf: %s\n", text.toLocal8Bit().constData());
}

bool IsFormat(const std::string& f) {
    return f == "rtf" || f == "html" || f == "text";
}

bool ReadAll(const QString& name, QByteArray* data, QString* error) {
    QFile file;
    bool ok;
    if (name == QLatin1String("-")) {
        ok = file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(name);
        ok = file.open(QIODevice::ReadOnly);
    }
    if (!ok) {
        *error = file.errorString();
        return false;
    }
    *data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

struct Request {
    std::string from = "rtf", to = "text";
    QString fileName = QStringLiteral("-");
};

// Reads the command line; the exit code when the command ends here (help, or
// bad usage), nothing when it goes on.
std::optional<int> ParseArguments(int argc, char** argv, Request* request) {
    bool haveFile = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--from" || arg == "--to") {
            if (i + 1 >= argc)
                return Usage((arg + " needs a format").c_str());
            const std::string format = argv[++i];
            if (!IsFormat(format))
                return Usage(("unknown format \"" + format + "\"").c_str());
            (arg == "--from" ? request->from : request->to) = format;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return Usage(("unknown option \"" + arg + "\"").c_str());
        } else if (haveFile) {
            return Usage("only one FILE may be given");
        } else {
            request->fileName = QString::fromLocal8Bit(argv[i]);
            haveFile = true;
        }
    }
    return std::nullopt;
}

// The input in the format from, read into doc; false, with the reason on
// stderr, when it is not a document of that format.
bool Load(const std::string& from, QByteArray input, QTextDocument* doc) {
    if (from == "rtf") {
        corvane::RtfReader reader;
        if (!reader.Read(input, doc)) {
            std::fprintf(stderr, "corvane-rtf: %s\n",
                         reader.ErrorString().toLocal8Bit().constData());
            return false;
        }
        if (reader.Truncated())
            std::fprintf(stderr, "corvane-rtf: warning: the document is cut short or too large; "
                                 "showing what was read\n");
    } else if (from == "html") {
        doc->setHtml(QString::fromUtf8(input));
    } else {
        // The line end at the end of a text file ends its last line; it does
        // not start another.
        if (input.endsWith('\n'))
            input.chop(input.endsWith("\r\n") ? 2 : 1);
        doc->setPlainText(QString::fromUtf8(input));
    }
    return true;
}

QByteArray Save(const std::string& to, const QTextDocument& doc) {
    if (to == "rtf")
        return corvane::RtfWriter().Write(doc);
    if (to == "html")
        return doc.toHtml().toUtf8();
    return doc.toPlainText().toUtf8() + '\n';
}

} // namespace

int main(int argc, char** argv) {
    Request request;
    if (const auto done = ParseArguments(argc, argv, &request))
        return *done;

    // Documents need fonts, and fonts need a GUI application; no window opens.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(Messages);
    QGuiApplication app(argc, argv);

    QByteArray input;
    QString error;
    const QString& fileName = request.fileName;
    if (!ReadAll(fileName, &input, &error)) {
        std::fprintf(stderr, "corvane-rtf: cannot read %s: %s\n",
                     fileName == QLatin1String("-") ? "standard input"
                                                    : fileName.toLocal8Bit().constData(),
                     error.toLocal8Bit().constData());
        return 1;
    }
    QTextDocument doc;
    if (!Load(request.from, std::move(input), &doc))
        return 1;
    const QByteArray output = Save(request.to, doc);
    if (std::fwrite(output.constData(), 1, size_t(output.size()), stdout) !=
            size_t(output.size()) ||
        std::fflush(stdout) != 0) {
        std::fprintf(stderr, "corvane-rtf: cannot write the output\n");
        return 1;
    }
    return 0;
}
