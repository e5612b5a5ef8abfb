#include "settings/settingskey.h"

#include "common/hostcontext.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <limits>

namespace corvane {

QString SettingsFilePath(const HostContext& context) {
    return context.configDir + QStringLiteral("/settings.ini");
}

SettingsKey::SettingsKey(const QString& path) : path_(path) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable())) {
        readError_ = QStringLiteral("%1 cannot be read").arg(path);
        return;
    }
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (settings_->status() != QSettings::NoError) {
        readError_ = QStringLiteral("%1 is not a settings file").arg(path);
        settings_.reset();
    }
}

SettingsKey::~SettingsKey() = default;

QString SettingsKey::ExistingName(const QString& section, const QString& name) const {
    const QStringList groups = settings_->childGroups();
    for (const QString& group : groups) {
        if (group.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        settings_->beginGroup(group);
        const QStringList keys = settings_->childKeys();
        settings_->endGroup();
        for (const QString& key : keys)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return group + QLatin1Char('/') + key;
    }
    return {};
}

std::optional<QString> SettingsKey::Value(const QString& section, const QString& name) const {
    if (!settings_)
        return std::nullopt;
    const QString key = ExistingName(section, name);
    if (key.isEmpty())
        return std::nullopt;
    const QVariant value = settings_->value(key);
    // A value written by hand without quotes that holds commas reads as a
    // list; it stands for the text as written.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsKey::SetValue(const QString& section, const QString& name, const QString& text) {
    if (!settings_) {
        // An unreadable file is replaced by what this save writes.
        QDir().mkpath(QFileInfo(path_).absolutePath());
        settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
        settings_->clear();
    }
    const QString existing = ExistingName(section, name);
    if (!existing.isEmpty() && existing != section + QLatin1Char('/') + name)
        settings_->remove(existing); // the registry keeps one value per name
    settings_->setValue(section + QLatin1Char('/') + name, text);
    changed_ = true;
}

void SettingsKey::RemoveSection(const QString& section) {
    if (!settings_)
        return;
    for (const QString& group : settings_->childGroups())
        if (group.compare(section, Qt::CaseInsensitive) == 0) {
            settings_->remove(group);
            changed_ = true;
        }
}

void SettingsKey::Flush() {
    if (!settings_ || !changed_)
        return;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    settings_->sync();
    changed_ = false;
    if (settings_->status() != QSettings::NoError)
        throw SettingsWriteError(QStringLiteral("Cannot write the settings file %1").arg(path_));
}

QString TruthText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> ParseTruth(const QString& text) {
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

int ParseNumber(const QString& text) {
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok, 10);
    if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return 0;
    return int(n);
}

QString TrimmedText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) <= QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) <= QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace corvane
