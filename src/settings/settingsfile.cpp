#include "settings/settingsfile.h"

#include "common/dialogservice.h"
#include "common/filewriter.h"
#include "common/hostcontext.h"
#include "settings/settingstexts.h"
#include "settings/stringtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace corvane {

SettingsReading ReadSettingsFile(const QString& path) {
    SettingsReading out;
    const QFileInfo info(path);
    if (!info.exists()) {
        out.document = IniDocument();
        return out;
    }
    if (!info.isFile()) {
        out.damage.kind = IniDamage::Kind::NotAFile; // never opened: a pipe would block
        return out;
    }
    if (info.size() > MaxSettingsFileBytes) {
        out.damage.kind = IniDamage::Kind::TooLarge;
        out.damage.size = info.size();
        return out;
    }
    QFile file(path);
    errno = 0;
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.read(MaxSettingsFileBytes + 1); // a file that grew stays too large
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        out.damage.kind = IniDamage::Kind::Unreadable;
        out.damage.reason =
            errno ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
        return out;
    }
    out.document = IniDocument::Parse(bytes, &out.damage);
    return out;
}

std::optional<bool> StoredTruth(const HostContext& context, const QString& section,
                                const QString& name) {
    SettingsReading reading = ReadSettingsFile(SettingsFilePath(context));
    if (!reading.document)
        return std::nullopt;
    const std::optional<QString> text = reading.document->Value(section, name);
    return text ? ParseTruth(*text) : std::nullopt;
}

SettingsFile::SettingsFile(HostContext& context, const LanguageState* language)
    : context_(context), language_(language) {}

QString SettingsFile::Path() const {
    return SettingsFilePath(context_);
}

std::optional<IniDocument> SettingsFile::Take() {
    if (kept_)
        return std::nullopt; // left alone for the rest of the run
    SettingsReading reading = ReadSettingsFile(Path());
    if (reading.document)
        return std::move(reading.document);
    kept_ = true;
    damage_ = reading.damage;
    const Language language = language_ ? language_->Current() : Language::English;
    const QString text = SettingsTexts::Unreadable(language, Path(), damage_);
    std::fprintf(stderr, "corvane: %s\n", qPrintable(text.section(QLatin1Char('\n'), 0, 0)));
    if (context_.dialogs)
        context_.dialogs->MessageBox(text, ApplicationTitle, DialogService::Icon::Warning,
                                     DialogService::Ok);
    return std::nullopt;
}

SettingsKey SettingsFile::Read() {
    return ReadForChange().value_or(SettingsKey());
}

std::optional<SettingsKey> SettingsFile::ReadForChange() {
    std::optional<IniDocument> document = Take();
    if (!document)
        return std::nullopt;
    return SettingsKey(std::move(*document));
}

void SettingsFile::Stage(const SettingsKey& key, FileWriter& writer) const {
    const QString path = Path();
    if (path.isEmpty())
        return; // a computer without a settings folder keeps no settings
    const Language language = language_ ? language_->Current() : Language::English;
    const QByteArray bytes = key.Document().Render();
    // What would not be read at the next start is not written.
    if (bytes.size() > MaxSettingsFileBytes)
        throw SettingsWriteError(SettingsTexts::TooLargeToSave(language, path, bytes.size()));
    QDir().mkpath(QFileInfo(path).absolutePath());
    const auto describe = [language, path](const FileWriteFailure& failure) {
        return SettingsTexts::CannotWrite(language, path, failure.reason);
    };
    if (!writer.Stage(path, bytes, describe))
        throw SettingsWriteError(writer.Failure().Text());
}

} // namespace corvane
