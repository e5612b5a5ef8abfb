// The RTF reader on any bytes. Beyond not crashing, what it read must write
// out as 7-bit RTF and read back as the same text.
#include "editor/messagebody.h"
#include "editor/rtfreader.h"
#include "editor/rtfwriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument doc;
    corvane::RtfReader reader;
    if (!reader.Read(input, &doc)) {
        if (corvane::LooksLikeRtf(input))
            std::abort(); // RTF is always accepted
        return 0;
    }
    const QByteArray rtf = corvane::RtfWriter().Write(doc);
    for (char c : rtf)
        if (static_cast<unsigned char>(c) >= 0x80)
            std::abort();
    QTextDocument back;
    if (!corvane::RtfReader().Read(rtf, &back) || back.toRawText() != doc.toRawText())
        std::abort();
    return 0;
}
