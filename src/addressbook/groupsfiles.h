#pragma once
// The two files of the address book, in the working directory, byte for byte
// as other copies of the program write them. Texts are Windows-1251.
//
// Groups.DAT, the tree's shape and texts, one line per node in tree order (a
// node, then its children, then its next sibling):
//
//   file = *line
//   line = depth*TAB text CR LF          (every line, the last one too)
//
// A reader takes CR LF, LF or CR as a line end, and counts every leading tab
// or blank as one level. The first line is a top-level node whatever its
// level; each further line is a sibling (same level as the node before), a
// child (one deeper), or the next sibling of that node's ancestor at its
// level (shallower). Two or more levels deeper is an error.
//
// Groups.IMG, the nodes' kinds, one fixed record per node in the same order:
//
//   file   = *record                    (no header; a short tail is ignored)
//   record = length:1  name:30  pad:1  image:4     (36 bytes)
//     length  0..30, the number of name bytes that count
//     name    the node's text cut to 30 characters, zero-filled on writing
//     pad     zero on writing, ignored on reading
//     image   the node's image index, 32-bit signed little-endian
//
// A node takes its kind from the record at its own position when that record
// holds the node's text cut to 30 characters, otherwise from the first record
// whose name is the node's whole text, otherwise it has image 0. The first
// rule keeps long and repeated texts their kinds; the second reads files
// whose records are in another order.
#include "addressbook/addressbook.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace corvane {

class FileWriter;

inline const QString GroupsDatName = QStringLiteral("Groups.DAT");
inline const QString GroupsImgName = QStringLiteral("Groups.IMG");
constexpr int GroupsImgRecordSize = 36;
constexpr int GroupsImgNameSize = 30;
// A larger file is refused: no address book of people comes near.
constexpr qint64 MaxGroupsFileBytes = 1 << 20;

struct GroupsDatReading {
    GroupsList entries; // the nodes read before any error, image 0
    QString error;      // empty when the whole file was read
};
GroupsDatReading ReadGroupsDat(QByteArrayView bytes);
QByteArray WriteGroupsDat(const GroupsList& entries);

// Gives each entry its kind from the records.
void ReadGroupsImg(GroupsList& entries, QByteArrayView bytes);
QByteArray WriteGroupsImg(const GroupsList& entries);

// Loading and saving the address book in one directory. A file that could
// not be read is never overwritten in the same run, so the user's file stays
// for repair; the error says so.
class AddressBookFiles {
public:
    explicit AddressBookFiles(QString directory) : dir_(std::move(directory)) {}

    // Reads Groups.DAT, then Groups.IMG, into the book. A missing file is no
    // error. Raises an AppError with the reason; the book then holds the
    // nodes read before it.
    void Load(AddressBook& book);
    // Stages Groups.DAT, then Groups.IMG, in the writer, which replaces the
    // old files only once both are complete. Raises an AppError with the
    // file's own error text.
    void Save(const AddressBook& book, FileWriter& files);
    // The same, renamed at once.
    void Save(const AddressBook& book);
    // A file failed to read: saving leaves both files alone.
    bool KeepsFiles() const { return keep_; }

private:
    QString Path(const QString& name) const;

    QString dir_;
    bool keep_ = false;
    quint64 editsAtLoad_ = 0;
};

} // namespace corvane
