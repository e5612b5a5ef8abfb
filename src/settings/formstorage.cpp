#include "settings/formstorage.h"

#include "common/errors.h"
#include "common/filewriter.h"
#include "common/hostcontext.h"
#include "settings/settingsfile.h"
#include "settings/settingskey.h"

#include <algorithm>

namespace corvane {
namespace {
// A list longer than this in the file is cut: a hand-edited "Count" must not
// make the program build a list of billions of lines.
constexpr int MaxStoredLines = 10000;

const QString FormVersionValue = QStringLiteral("FormVersion");
const QString FlagsValue = QStringLiteral("Flags");
const QString ShowCmdValue = QStringLiteral("ShowCmd");
const QString PixelsPerInchValue = QStringLiteral("PixelsPerInch");
const QString MinMaxPosValue = QStringLiteral("MinMaxPos");
const QString NormPosValue = QStringLiteral("NormPos");
const QString VisibleValue = QStringLiteral("Visible");
const QString CountValue = QStringLiteral("Count");

QString ItemName(int i) {
    return QStringLiteral("Item%1").arg(i);
}
} // namespace

StoredProperty StoredProperty::Truth(const QString& entry, std::function<bool()> get,
                                     std::function<void(bool)> set) {
    StoredProperty p(entry, Type::Truth);
    p.text_ = [get] { return TruthText(get()); };
    p.set_ = [set](const QString& text) {
        if (const auto value = ParseTruth(text))
            set(*value);
    };
    return p;
}

StoredProperty StoredProperty::Choice(const QString& entry, const QStringList& names,
                                      std::function<QString()> get,
                                      std::function<void(const QString&)> set) {
    StoredProperty p(entry, Type::Choice);
    p.text_ = std::move(get);
    p.set_ = [names, set](const QString& text) {
        for (const QString& name : names)
            if (name.compare(text, Qt::CaseInsensitive) == 0)
                return set(name);
    };
    return p;
}

StoredProperty StoredProperty::Number(const QString& entry, std::function<int()> get,
                                      std::function<void(int)> set) {
    StoredProperty p(entry, Type::Number);
    p.text_ = [get] { return QString::number(get()); };
    p.set_ = [set](const QString& text) { set(ParseNumber(text)); };
    return p;
}

StoredProperty StoredProperty::Text(const QString& entry, std::function<QString()> get,
                                    std::function<void(const QString&)> set) {
    StoredProperty p(entry, Type::Text);
    p.text_ = [get] { return TrimmedText(get()); };
    p.set_ = [set](const QString& text) { set(TrimmedText(text)); };
    return p;
}

StoredProperty StoredProperty::Lines(const QString& entry, std::function<QStringList()> get,
                                     std::function<void(const QStringList&)> set) {
    StoredProperty p(entry, Type::Lines);
    p.lines_ = std::move(get);
    p.setLines_ = std::move(set);
    return p;
}

StoredProperty StoredProperty::Reference(const QString& entry, const QString& text) {
    StoredProperty p(entry, Type::Reference);
    p.text_ = [text] { return text; };
    p.set_ = [](const QString&) {};
    return p;
}

QString StoredProperty::ValueName() const {
    QString name = entry_;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name[dot] = QLatin1Char('_');
    return name;
}

void StoredProperty::Read(const SettingsKey& key, const QString& section) const {
    if (available && !available())
        return;
    if (type_ != Type::Lines) {
        if (const auto text = key.Value(section, ValueName()))
            set_(*text);
        return;
    }
    const QString listSection = section + QLatin1Char('.') + ValueName();
    const int count =
        std::min(ParseNumber(key.Value(listSection, CountValue).value_or(QStringLiteral("0"))),
                 MaxStoredLines);
    if (count <= 0)
        return; // an empty list in the file keeps the designed lines
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(key.Value(listSection, ItemName(i)).value_or(QString()));
    setLines_(lines);
}

void StoredProperty::Write(SettingsKey& key, const QString& section) const {
    if (available && !available())
        return;
    if (type_ != Type::Lines) {
        key.SetValue(section, ValueName(), text_());
        return;
    }
    const QString listSection = section + QLatin1Char('.') + ValueName();
    key.RemoveSection(listSection);
    const QStringList lines = lines_();
    if (lines.isEmpty())
        return;
    key.SetValue(listSection, CountValue, QString::number(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        key.SetValue(listSection, ItemName(i), lines[i]);
}

FormStorage::FormStorage(HostContext& context, SettingsFile& file, QString section,
                         StoredWindow& window)
    : context_(context), file_(file), section_(std::move(section)), window_(window) {}

void FormStorage::RestoreWindowSettings() {
    RestoreStoredValues();
    RunRestoreHandler();
}

void FormStorage::RestoreStoredValues() {
    saved_ = false;
    RunHandler(context_, [this] {
        const SettingsKey key = file_.Read();
        if (file_.Kept())
            return; // the design values stay
        const int version =
            ParseNumber(key.Value(section_, FormVersionValue).value_or(QStringLiteral("0")));
        if (version < Version)
            return; // a version this program never writes: nothing of it is taken
        RestorePlacement(key);
        for (const StoredProperty& p : StoredProps) {
            try {
                p.Read(key, section_);
            } catch (const std::exception&) {
                // One property that cannot be set keeps its value; the next follows.
            }
        }
    });
    // A window whose restore failed goes on being shown as designed; the
    // handler finishes its start all the same.
    restored_ = true;
}

void FormStorage::RunRestoreHandler() {
    if (OnRestorePlacement)
        RunHandler(context_, OnRestorePlacement);
}

void FormStorage::RestorePlacement(const SettingsKey& key) {
    const WindowPlacement current = window_.CurrentPlacement();
    const int screenPpi = window_.ScreenPixelsPerInch();
    const auto minMax = key.Value(section_, MinMaxPosValue);
    const auto normPos = key.Value(section_, NormPosValue);
    const auto ppi = key.Value(section_, PixelsPerInchValue);
    if ((minMax || normPos) && (ppi ? ParseNumber(*ppi) : screenPpi) == screenPpi) {
        WindowPlacement placement = current;
        if (const auto flags = key.Value(section_, FlagsValue))
            placement.flags = ParseNumber(*flags);
        const auto mm = ParsePositions(minMax.value_or(QString()), {0, 0, 0, 0});
        placement.minPosition = QPoint(mm[0], mm[1]);
        placement.maxPosition = QPoint(mm[2], mm[3]);
        QRect rect = PositionsRect(
            ParsePositions(normPos.value_or(QString()), RectPositions(current.normalRect)));
        if (!window_.ResizableBorder())
            rect.setSize(current.normalRect.size());
        placement.normalRect = rect;
        if (rect.width() > 0)
            window_.ApplyPlacement(placement);
    }
    window_.ApplyShowState(
        ShowStateOf(ParseNumber(key.Value(section_, ShowCmdValue).value_or(QStringLiteral("0")))));
}

void FormStorage::WritePlacement(SettingsKey& key, bool destroying) {
    const WindowPlacement p = window_.CurrentPlacement();
    key.SetValue(section_, FlagsValue, QString::number(p.flags));
    key.SetValue(section_, ShowCmdValue, QString::number(ShowCmdOf(p.show)));
    key.SetValue(section_, PixelsPerInchValue, QString::number(window_.ScreenPixelsPerInch()));
    key.SetValue(section_, MinMaxPosValue,
                 PositionsText(
                     {p.minPosition.x(), p.minPosition.y(), p.maxPosition.x(), p.maxPosition.y()}));
    key.SetValue(section_, NormPosValue, PositionsText(RectPositions(p.normalRect)));
    key.SetValue(section_, VisibleValue, destroying ? QStringLiteral("1") : QStringLiteral("0"));
}

void FormStorage::StageValues(FileWriter& writer, bool destroying) {
    std::optional<SettingsKey> key = file_.ReadForChange();
    if (!key)
        return; // a file this run could not read stays as it is
    key->SetValue(section_, FormVersionValue, QString::number(Version));
    WritePlacement(*key, destroying);
    for (const StoredProperty& p : StoredProps)
        p.Write(*key, section_);
    file_.Stage(*key, writer);
}

void FormStorage::SaveWindowSettings(bool destroying) {
    if (!restored_)
        return; // never shown in this run: what is stored stays as it was
    // The values and the save handler's files (the address book) are both
    // written whole first, then the values replace settings.ini and the
    // handler's files replace theirs, one right after the other, so a kill
    // leaves the old files or the new ones. A file that cannot be written is
    // reported, and the other is still saved, since neither depends on it.
    FileWriter values;
    FileWriter handlerFiles;
    const bool valuesStaged = RunHandler(context_, [&] { StageValues(values, destroying); });
    const bool handlerStaged =
        !OnSavePlacement || RunHandler(context_, [&] { OnSavePlacement(handlerFiles); });
    const bool valuesWritten =
        valuesStaged && RunHandler(context_, [&] { values.CommitOrThrow(); });
    const bool handlerDone =
        handlerStaged && RunHandler(context_, [&] { handlerFiles.CommitOrThrow(); });
    // Not marked as saved after an error: destruction tries once more.
    saved_ = valuesWritten && handlerDone;
}

} // namespace corvane
