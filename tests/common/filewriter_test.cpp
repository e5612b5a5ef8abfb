#include "common/filewriter.h"
#include "support/filelimits.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvane;
using corvane::test::FileSizeLimit;

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

} // namespace

// Every way a write can go wrong leaves the old files byte for byte, names the
// file, and leaves no temporary file behind.
TEST(FileWriter, AFailureKeepsEveryOldFileAndSaysWhy) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.ini"));
    const QString b = dir.filePath(QStringLiteral("b.dat"));
    const QByteArray big(200000, 'x');
    struct Case {
        const char* name;
        std::function<bool(FileWriter&)> write;
        QString failing;
    } cases[] = {
        {"short write under a size limit",
         [&](FileWriter& w) {
             FileSizeLimit limit(100 * 1024);
             return w.Stage(a, big) && w.Commit();
         },
         a},
        {"second of a pair fails, first is not renamed",
         [&](FileWriter& w) {
             FileSizeLimit limit(100 * 1024);
             return w.Stage(a, "small") && w.Stage(b, big) && w.Commit();
         },
         b},
        {"folder not writable",
         [&](FileWriter& w) {
             if (geteuid() == 0)
                 return w.Stage(dir.filePath(QStringLiteral("missing/x")), "x") && w.Commit();
             chmod(QFile::encodeName(dir.path()).constData(), 0500);
             const bool ok = w.Stage(a, "new") && w.Commit();
             chmod(QFile::encodeName(dir.path()).constData(), 0700);
             return ok;
         },
         QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Put(a, "old a");
        Put(b, "old b");
        FileWriter w;
        EXPECT_FALSE(c.write(w));
        EXPECT_EQ(Read(a), "old a");
        EXPECT_EQ(Read(b), "old b");
        EXPECT_FALSE(w.Failure().reason.isEmpty());
        if (!c.failing.isEmpty()) {
            EXPECT_TRUE(w.Failure().Text().contains(c.failing)) << w.Failure().Text().toStdString();
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
}

TEST(FileWriter, APairIsReplacedWhole) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.ini"));
    const QString b = dir.filePath(QStringLiteral("b.dat"));
    Put(a, "old a");
    FileWriter w;
    ASSERT_TRUE(w.Stage(a, "new a") && w.Stage(b, QByteArray(70000, 'b')));
    EXPECT_EQ(Read(a), "old a"); // nothing is replaced before the commit
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(Read(a), "new a");
    EXPECT_EQ(Read(b), QByteArray(70000, 'b'));
    EXPECT_THROW(WriteFileWhole(dir.filePath(QStringLiteral("no/such/folder")), "x"),
                 std::exception);
}
