#include "addressbook/groupsfiles.h"

#include "common/ansicodec.h"
#include "common/errors.h"
#include "common/filewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>
#include <cerrno>
#include <optional>

namespace corvane {
namespace {

const QString KeptNote = QStringLiteral(
    ". Groups.DAT and Groups.IMG stay as they are: this run does not overwrite them.");

// The runtime's input/output error texts for the record file.
QString IoErrorText(int err, QFileDevice::FileError qtError = QFileDevice::NoError) {
    if (err == 0 && qtError == QFileDevice::ResourceError)
        return QStringLiteral("Disk full");
    switch (err) {
    case ENOENT:
        return QStringLiteral("File not found");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disk full");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    default:
        return QStringLiteral("I/O error %1").arg(err ? err : int(qtError));
    }
}

// The name of a record; none for a damaged length.
std::optional<QByteArray> RecordName(QByteArrayView record) {
    const int n = quint8(record[0]);
    if (n > GroupsImgNameSize)
        return std::nullopt;
    return QByteArray(record.data() + 1, n);
}

QString TooLarge(const QString& name, qint64 size) {
    return QStringLiteral("%1 is too large (%2 bytes; at most %3)")
        .arg(name)
        .arg(size)
        .arg(MaxGroupsFileBytes);
}

} // namespace

GroupsDatReading ReadGroupsDat(QByteArrayView bytes) {
    GroupsDatReading out;
    int previousDepth = -1; // no node yet
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        pos = end;
        if (pos < size) // CR LF is one line end, a lone CR or LF another
            pos += (bytes[pos] == '\r' && pos + 1 < size && bytes[pos + 1] == '\n') ? 2 : 1;

        qsizetype level = 0;
        while (level < line.size() && (line[level] == '\t' || line[level] == ' '))
            ++level;
        const QString text = FromAnsi(line.sliced(level));
        int depth = 0;
        if (previousDepth >= 0) {
            if (level >= qsizetype(previousDepth) + 2) {
                out.error =
                    QStringLiteral("Invalid level (%1) for item \"%2\"").arg(level).arg(text);
                return out;
            }
            depth = int(level); // the same level, one deeper, or back up
        }
        if (depth > AddressBook::MaxDepth) {
            out.error = QStringLiteral("Item \"%1\" of %2 lies deeper than %3 levels")
                            .arg(text, GroupsDatName)
                            .arg(AddressBook::MaxDepth + 1);
            return out;
        }
        if (out.entries.size() >= AddressBook::MaxNodes) {
            out.error = QStringLiteral("%1 holds more than %2 items")
                            .arg(GroupsDatName)
                            .arg(AddressBook::MaxNodes);
            return out;
        }
        out.entries.append({depth, text, 0});
        previousDepth = depth;
    }
    return out;
}

QByteArray WriteGroupsDat(const GroupsList& entries) {
    QByteArray out;
    for (const GroupsEntry& e : entries) {
        out.append(QByteArray(e.depth, '\t'));
        out.append(ToAnsi(e.text));
        out.append("\r\n", 2);
    }
    return out;
}

void ReadGroupsImg(GroupsList& entries, QByteArrayView bytes) {
    const qsizetype records = bytes.size() / GroupsImgRecordSize;
    auto record = [&](qsizetype i) {
        return bytes.sliced(i * GroupsImgRecordSize, GroupsImgRecordSize);
    };
    auto image = [](QByteArrayView r) { return qFromLittleEndian<qint32>(r.data() + 32); };
    QHash<QByteArray, int> firstByName;
    for (qsizetype i = 0; i < records; ++i) {
        const QByteArrayView r = record(i);
        const auto name = RecordName(r);
        if (name && !firstByName.contains(*name))
            firstByName.insert(*name, image(r));
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        GroupsEntry& entry = entries[i];
        const QByteArray text = ToAnsi(entry.text);
        if (i < records && RecordName(record(i)) == text.left(GroupsImgNameSize))
            entry.image = image(record(i));
        else
            entry.image = firstByName.value(text, 0);
    }
}

QByteArray WriteGroupsImg(const GroupsList& entries) {
    QByteArray out(entries.size() * GroupsImgRecordSize, '\0');
    char* r = out.data();
    for (const GroupsEntry& e : entries) {
        const QByteArray name = ToAnsi(e.text).left(GroupsImgNameSize);
        r[0] = char(name.size());
        std::copy(name.begin(), name.end(), r + 1);
        qToLittleEndian<qint32>(e.image, r + 32);
        r += GroupsImgRecordSize;
    }
    return out;
}

QString AddressBookFiles::Path(const QString& name) const {
    return dir_.isEmpty() ? name : QDir(dir_).filePath(name);
}

void AddressBookFiles::Load(AddressBook& book) {
    keep_ = false;
    GroupsList entries = book.Entries();
    QString error;
    const QString datPath = Path(GroupsDatName);
    if (QFileInfo::exists(datPath)) {
        QFile dat(datPath);
        if (!dat.open(QIODevice::ReadOnly)) {
            keep_ = true;
            throw AppError(QStringLiteral("Cannot open file %1").arg(GroupsDatName) + KeptNote);
        }
        if (dat.size() > MaxGroupsFileBytes) {
            keep_ = true;
            throw AppError(TooLarge(GroupsDatName, dat.size()) + KeptNote);
        }
        const QByteArray bytes = dat.read(MaxGroupsFileBytes + 1);
        if (dat.error() != QFileDevice::NoError || bytes.size() > MaxGroupsFileBytes) {
            keep_ = true;
            throw AppError(QStringLiteral("Cannot open file %1").arg(GroupsDatName) + KeptNote);
        }
        GroupsDatReading reading = ReadGroupsDat(bytes);
        entries = std::move(reading.entries);
        error = reading.error;
    }
    const QString imgPath = Path(GroupsImgName);
    if (QFileInfo::exists(imgPath)) {
        QFile img(imgPath);
        errno = 0;
        QByteArray bytes;
        if (!img.open(QIODevice::ReadOnly)) {
            if (error.isEmpty())
                error = IoErrorText(errno, img.error());
        } else if (img.size() > MaxGroupsFileBytes) {
            if (error.isEmpty())
                error = TooLarge(GroupsImgName, img.size());
        } else {
            bytes = img.read(MaxGroupsFileBytes);
            if (img.error() != QFileDevice::NoError && error.isEmpty())
                error = IoErrorText(errno, img.error());
        }
        ReadGroupsImg(entries, bytes);
    }
    book.Assign(entries);
    editsAtLoad_ = book.EditCount();
    if (!error.isEmpty()) {
        keep_ = true;
        throw AppError(error + KeptNote);
    }
}

void AddressBookFiles::Save(const AddressBook& book, FileWriter& files) {
    if (keep_) {
        if (book.EditCount() != editsAtLoad_)
            throw AppError(QStringLiteral("The address book was not saved: %1 or %2 could not be "
                                          "read at start and stays as it is")
                               .arg(GroupsDatName, GroupsImgName));
        return;
    }
    // Both files are written whole before either replaces its old one.
    const GroupsList entries = book.Entries();
    const auto datFailure = [](const FileWriteFailure&) {
        return QStringLiteral("Cannot create file %1").arg(GroupsDatName);
    };
    // Without an errno (Qt refused by itself), Qt's words say why.
    const auto imgFailure = [](const FileWriteFailure& f) {
        return f.error ? IoErrorText(f.error) : f.reason;
    };
    if (!files.Stage(Path(GroupsDatName), WriteGroupsDat(entries), datFailure) ||
        !files.Stage(Path(GroupsImgName), WriteGroupsImg(entries), imgFailure))
        throw AppError(files.Failure().Text());
}

void AddressBookFiles::Save(const AddressBook& book) {
    FileWriter files;
    Save(book, files);
    files.CommitOrThrow();
}

} // namespace corvane
