#include "addressbook/groupsfiles.h"

#include "common/errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace corvane;
using namespace Qt::StringLiterals;

namespace {

QByteArray Bytes(const char* data, size_t size) {
    return QByteArray(data, qsizetype(size));
}

// One 36-byte record written out by hand: length, name, zero fill, pad, image.
QByteArray Record(const QByteArray& name, qint32 image, char fill = 0) {
    QByteArray r(36, fill);
    r[0] = char(name.size());
    for (int i = 0; i < name.size(); ++i)
        r[1 + i] = name[i];
    r[31] = fill;
    const quint32 u = quint32(image);
    for (int i = 0; i < 4; ++i)
        r[32 + i] = char((u >> (8 * i)) & 0xFF);
    return r;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The message of the AppError that f raises, or "" when none.
template <class F> QString ErrorOf(F&& f) {
    try {
        f();
    } catch (const AppError& e) {
        return e.Message();
    }
    return {};
}

const QString Kept =
    u". Groups.DAT and Groups.IMG stay as they are: this run does not overwrite them."_s;

} // namespace

TEST(GroupsDat, LinesLevelsAndErrors) {
    struct Case {
        const char* name;
        QByteArray bytes;
        GroupsList entries;
        QString error;
    };
    const Case cases[] = {
        {"empty file: empty tree", "", {}, {}},
        {"every line end",
         "A\r\n\tB\n\t\tC\r\tD\r\n",
         {{0, "A", 0}, {1, "B", 0}, {2, "C", 0}, {1, "D", 0}},
         {}},
        {"last line without an end, blanks count as levels",
         "A\r\n B\r\n  C\r\nD",
         {{0, "A", 0}, {1, "B", 0}, {2, "C", 0}, {0, "D", 0}},
         {}},
        {"an indented first line is top level",
         "\t\tA\r\n\tB\r\nC\r\n",
         {{0, "A", 0}, {1, "B", 0}, {0, "C", 0}},
         {}},
        {"empty lines are nodes with empty text", "A\r\n\r\n", {{0, "A", 0}, {0, "", 0}}, {}},
        {"two levels deeper stops the reading",
         "A\r\n\tB\r\n\t\t\tC d\r\nE\r\n",
         {{0, "A", 0}, {1, "B", 0}},
         u"Invalid level (3) for item \"C d\""_s},
        {"Windows-1251 text",
         "\xCE\xF4\xE8\xF1\r\n\t\xC0\xED\xFF\r\n",
         {{0, u"Офис"_s, 0}, {1, u"Аня"_s, 0}},
         {}},
    };
    for (const Case& c : cases) {
        const GroupsDatReading r = ReadGroupsDat(c.bytes);
        EXPECT_EQ(r.entries, c.entries) << c.name;
        EXPECT_EQ(r.error, c.error) << c.name;
    }
}

TEST(GroupsDat, AbsurdDepthAndCountAreRefused) {
    QByteArray deep;
    for (int i = 0; i <= AddressBook::MaxDepth + 1; ++i)
        deep += QByteArray(i, '\t') + "g\r\n";
    GroupsDatReading r = ReadGroupsDat(deep);
    EXPECT_EQ(r.entries.size(), AddressBook::MaxDepth + 1);
    EXPECT_EQ(r.error, u"Item \"g\" of Groups.DAT lies deeper than 33 levels"_s);

    r = ReadGroupsDat(QByteArray("g\r\n").repeated(AddressBook::MaxNodes + 1));
    EXPECT_EQ(r.entries.size(), AddressBook::MaxNodes);
    EXPECT_EQ(r.error, u"Groups.DAT holds more than 10000 items"_s);
}

TEST(GroupsFiles, WrittenBytesMatchTheLayout) {
    const GroupsList entries = {{0, "General", 4},
                                {0, u"Офис"_s, 4},
                                {1, "Ann", 5},
                                {1, "A name of more than thirty characters", 5},
                                {2, "x", -2}};
    const char dat[] = "General\r\n"
                       "\xCE\xF4\xE8\xF1\r\n"
                       "\tAnn\r\n"
                       "\tA name of more than thirty characters\r\n"
                       "\t\tx\r\n";
    EXPECT_EQ(WriteGroupsDat(entries), Bytes(dat, sizeof dat - 1));
    EXPECT_EQ(WriteGroupsDat({}), QByteArray());

    const char img[] =
        "\x07General\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x04\0\0\0"
        "\x04\xCE\xF4\xE8\xF1\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x04\0\0\0"
        "\x03"
        "Ann\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x05\0\0\0"
        "\x1E"
        "A name of more than thirty cha\0\x05\0\0\0"
        "\x01x\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xFE\xFF\xFF\xFF";
    const QByteArray written = WriteGroupsImg(entries);
    EXPECT_EQ(written.size(), 5 * 36);
    EXPECT_EQ(written, Bytes(img, sizeof img - 1));
}

TEST(GroupsImg, KindsByPositionThenByFirstName) {
    const QByteArray longText = "A name of more than thirty characters";
    const QByteArray img = Record("General", 4) + Record("Ann", 4) + Record("Ann", 5) +
                           Record(longText.left(30), 5, 'x') + Record("Bob", 5);
    struct Case {
        const char* name;
        GroupsList entries;
        QList<int> images;
    };
    const Case cases[] = {
        {"in step with the records",
         {{0, "General"}, {0, "Ann"}, {1, "Ann"}, {1, longText}},
         {4, 4, 5, 5}},
        {"another order falls back to the first record of the name",
         {{0, "Bob"}, {0, "Ann"}, {0, "General"}, {0, "Cid"}, {0, longText}},
         {5, 4, 4, 0, 0}},
        {"more nodes than records",
         {{0, "General"}, {0, "Ann"}, {0, "Ann"}, {0, "x"}, {0, "y"}, {0, "Ann"}},
         {4, 4, 5, 0, 0, 4}},
    };
    for (const Case& c : cases) {
        GroupsList entries = c.entries;
        ReadGroupsImg(entries, img + "tail");
        QList<int> images;
        for (const GroupsEntry& e : entries)
            images << e.image;
        EXPECT_EQ(images, c.images) << c.name;
    }
    // A damaged length names nothing, not even the empty text.
    QByteArray damaged = Record("", 5);
    damaged[0] = char(200);
    GroupsList entries = {{0, ""}};
    ReadGroupsImg(entries, damaged);
    EXPECT_EQ(entries[0].image, 0);
}

class GroupsFilesTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

TEST_F(GroupsFilesTest, AnEmptyFileGivesAnEmptyTree) {
    WriteAll(Path("Groups.DAT"), {});
    AddressBook book;
    AddressBookFiles(dir.path()).Load(book);
    EXPECT_EQ(book.NodeCount(), 0);
    EXPECT_EQ(book.GroupOfUser("Ann"), "General");
}

TEST_F(GroupsFilesTest, SavingAndLoadingKeepTextsLevelsOrderAndKinds) {
    AddressBook book;
    const GroupsList entries = {{0, "General", 4},
                                {0, u"Офис"_s, 4},
                                {1, "Ann", 5},
                                {1, "Team", 4},
                                {2, "Ann", 5}, // repeated text
                                {2, "A name of more than thirty characters", 5},
                                {0, "Home", 4},
                                {1, "Mystery", 0}};
    book.Assign(entries);
    AddressBookFiles(dir.path()).Save(book);
    EXPECT_EQ(ReadAll(Path("Groups.DAT")), WriteGroupsDat(entries));
    EXPECT_EQ(ReadAll(Path("Groups.IMG")).size(), entries.size() * 36);

    AddressBook again;
    AddressBookFiles(dir.path()).Load(again);
    EXPECT_EQ(again.Entries(), entries);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"Groups.DAT", "Groups.IMG"}))
        << "no temporary file is left";
}

TEST_F(GroupsFilesTest, AFileThatFailedToReadIsNotOverwritten) {
    const QByteArray dat = "Office\r\n\tAnn\r\n\t\t\tLost\r\n";
    const QByteArray img = Record("Office", 4) + Record("Ann", 5);
    WriteAll(Path("Groups.DAT"), dat);
    WriteAll(Path("Groups.IMG"), img);
    AddressBook book;
    AddressBookFiles files(dir.path());
    EXPECT_EQ(ErrorOf([&] { files.Load(book); }), u"Invalid level (3) for item \"Lost\""_s + Kept);
    // What was read before the faulty line is there, with its kinds.
    EXPECT_EQ(book.Entries(), GroupsList({{0, "Office", 4}, {1, "Ann", 5}}));
    EXPECT_TRUE(files.KeepsFiles());
    files.Save(book); // nothing was changed: nothing to say
    book.AddGroup(nullptr);
    EXPECT_EQ(ErrorOf([&] { files.Save(book); }),
              u"The address book was not saved: Groups.DAT or Groups.IMG could not be read at "
              "start and stays as it is"_s);
    EXPECT_EQ(ReadAll(Path("Groups.DAT")), dat);
    EXPECT_EQ(ReadAll(Path("Groups.IMG")), img);
}

TEST_F(GroupsFilesTest, AbsurdFilesAndUnreadableFilesAreRefused) {
    WriteAll(Path("Groups.DAT"), QByteArray(MaxGroupsFileBytes + 1, 'x'));
    AddressBook book;
    EXPECT_EQ(ErrorOf([&] { AddressBookFiles(dir.path()).Load(book); }),
              u"Groups.DAT is too large (1048577 bytes; at most 1048576)"_s + Kept);
    EXPECT_EQ(book.Entries(), GroupsList({{0, "General", 4}}));

    QFile::remove(Path("Groups.DAT"));
    QDir(dir.path()).mkdir("Groups.DAT"); // exists, but no file can be read from it
    EXPECT_EQ(ErrorOf([&] { AddressBookFiles(dir.path()).Load(book); }),
              u"Cannot open file Groups.DAT"_s + Kept);
}

TEST_F(GroupsFilesTest, AFailingWriteLeavesTheOldFile) {
    const QByteArray old = "Old\r\n";
    WriteAll(Path("Groups.DAT"), old);
    AddressBook book;
    book.Assign(GroupsList(200, GroupsEntry{0, "A group with a long name", 4}));

    // The process may not write files beyond 64 bytes: the writes fail as on
    // a full disk, for root as well.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = ErrorOf([&] { AddressBookFiles(dir.path()).Save(book); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(error, "Cannot create file Groups.DAT");
    EXPECT_EQ(ReadAll(Path("Groups.DAT")), old);
    EXPECT_FALSE(QFile::exists(Path("Groups.IMG")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"Groups.DAT"}));

    // A working directory that is gone.
    EXPECT_EQ(ErrorOf([&] { AddressBookFiles(Path("gone")).Save(book); }),
              "Cannot create file Groups.DAT");

    // A folder in Groups.IMG's place is refused by Qt without an errno: its
    // words are told, not an error number.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Groups.IMG"));
    EXPECT_EQ(ErrorOf([&] { AddressBookFiles(dir.path()).Save(book); }),
              "Filename refers to a directory");
    EXPECT_EQ(ReadAll(Path("Groups.DAT")), old);
}
