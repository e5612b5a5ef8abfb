// The reader of settings.ini on any bytes. A file it takes writes out as a
// file it takes again with the same sections, names and values, and writing
// that once more changes nothing; any text set as a value reads back as it
// was set.
#include "settings/inidocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

namespace {
void Check(bool ok) {
    if (!ok)
        std::abort();
}

void CheckSame(const IniDocument& a, const IniDocument& b) {
    Check(a.Sections() == b.Sections());
    for (const QString& section : a.Sections()) {
        Check(a.Names(section) == b.Names(section));
        for (const QString& name : a.Names(section))
            Check(a.Value(section, name) == b.Value(section, name));
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    IniDamage damage;
    if (auto doc = IniDocument::Parse(bytes, &damage)) {
        Check(damage.kind == IniDamage::Kind::None);
        const QByteArray written = doc->Render();
        const auto again = IniDocument::Parse(written);
        Check(again.has_value());
        CheckSame(*doc, *again);
        Check(again->Render() == written);
    } else {
        Check(damage.kind != IniDamage::Kind::None);
    }
    // The input as a text to store, under a name made of it.
    const QString text = QString::fromUtf8(bytes);
    Check(IniDocument::DecodeValue(IniDocument::EncodeValue(text)) == text);
    const QString name = text.left(8).isEmpty() ? QStringLiteral("n") : text.left(8);
    IniDocument doc;
    doc.SetValue(QStringLiteral("TMainForm"), name, text);
    const auto read = IniDocument::Parse(doc.Render());
    Check(read.has_value() && read->Value(QStringLiteral("tmainform"), name) == text);
    return 0;
}
