// The stores kept in a real SQLite file: what was filed, browsed and deleted
// is there after a restart; bounds, a damaged or foreign file, a file that
// cannot be written, and finding words.
#include "messaging/messagestore.h"

#include "common/ansicodec.h"

#include "support/filelimits.h"
#include "support/testcontext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::TestComputer;
using corvane::test::WriteFile;

namespace {

// One run of a computer: its history in the folder, both stores.
struct Run {
    Run(TestComputer& c, MessageHistory::Bounds bounds)
        : history(c.context, language),
          incoming(StoreKind::Incoming, c.context, language, &history),
          outgoing(StoreKind::Outgoing, c.context, language, &history) {
        history.SetKeptBounds(bounds);
        history.SetKeeping(true);
    }
    LanguageState language;
    MessageHistory history;
    MessageStore incoming;
    MessageStore outgoing;
};

// A computer whose runs keep their messages in its folder.
struct Bed {
    explicit Bed(MessageHistory::Bounds bounds = MessageHistory::KeptBounds) : bounds(bounds) {
        computer.context.historyDir = computer.dir.filePath(QStringLiteral("data/corvane"));
    }
    QString Folder() const { return computer.context.historyDir; }
    QString File() const { return QDir(Folder()).filePath(MessageHistory::FileName); }
    void Start() { run = std::make_unique<Run>(computer, bounds); }
    void Restart() {
        run.reset();
        Start();
    }
    void In(const QString& text, MessageStore::Commit commit = MessageStore::Commit::Now) {
        InRaw("H:" + ToAnsi(text), "B:" + ToAnsi(text), commit);
    }
    void InRaw(const QByteArray& header, const QByteArray& body,
               MessageStore::Commit commit = MessageStore::Commit::Now) {
        run->incoming.AppendToStore({header,
                                     body,
                                     QDateTime::currentDateTime(),
                                     "HOST2",
                                     QStringLiteral("127.0.0.3"),
                                     {},
                                     {}},
                                    commit);
    }
    void Out(const QString& text) {
        run->outgoing.AppendToStore({"H:" + ToAnsi(text),
                                     "B:" + ToAnsi(text),
                                     QDateTime::currentDateTime(),
                                     {},
                                     {},
                                     {QStringLiteral("HOST2")},
                                     {}});
    }
    // The boxes shown so far (they come once the event loop runs).
    int Told() {
        QCoreApplication::processEvents();
        return int(computer.dialogs.shown.size());
    }
    QStringList KeptAside() const {
        return QDir(Folder()).entryList({QStringLiteral("messages.*-*.db")}, QDir::Files);
    }

    TestComputer computer{QStringLiteral("HOST1"), 2, {}};
    MessageHistory::Bounds bounds;
    std::unique_ptr<Run> run;
};

QByteArrayList Texts(const MessageStore& store) {
    QByteArrayList out;
    for (const StoredMessage& m : store.Messages())
        out.append(m.Header().mid(2));
    return out;
}

int Mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Makes the history's folder unwritable for this process until undone;
// false when this machine cannot.
class Unwritable {
public:
    explicit Unwritable(const QString& folder) : folder_(folder) {
        if (geteuid() == 0) {
            // Root writes anywhere: the folder becomes a file system of its
            // own, read-only.
            const QString kept = folder_ + QStringLiteral(".kept");
            QDir().rename(folder_, kept);
            fs_ = std::make_unique<test::TinyFilesystem>(folder_, 4096);
            for (const QString& name : QDir(kept).entryList(QDir::Files))
                QFile::copy(QDir(kept).filePath(name), QDir(folder_).filePath(name));
            works_ = fs_->Mounted() && fs_->SetReadOnly(true);
        } else {
            ::chmod(QFile::encodeName(folder_).constData(), 0500);
            works_ = true;
        }
    }
    ~Unwritable() {
        if (geteuid() != 0)
            ::chmod(QFile::encodeName(folder_).constData(), 0700);
        fs_.reset();
        QDir(folder_).removeRecursively();
        QDir().rename(folder_ + QStringLiteral(".kept"), folder_);
    }
    bool Works() const { return works_; }

private:
    QString folder_;
    std::unique_ptr<test::TinyFilesystem> fs_;
    bool works_ = false;
};

} // namespace

TEST(KeptMessages, WhatWasFiledIsThereAfterARestart) {
    struct Case {
        const char* name;
        MessageHistory::Bounds bounds;
        std::function<void(Bed&)> run;
        QByteArrayList incoming; // after a last restart
        QByteArrayList outgoing;
        int boxes; // shown over the whole case
        int aside; // files kept aside
    };
    const Case cases[] = {
        {"filed, browsed and deleted, with restarts in between",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.In(QStringLiteral("a"));
             b.In(QStringLiteral("b"));
             b.Out(QStringLiteral("x"));
             b.Restart();
             // The pages open on the newest kept message.
             EXPECT_EQ(b.run->incoming.Position(), 2);
             EXPECT_EQ(b.run->incoming.CounterText(), "Message 2 of 2");
             b.In(QStringLiteral("c"));
             b.run->incoming.First();
             b.run->incoming.Next();
             b.run->incoming.DeleteCurrent(); // b
             b.Out(QStringLiteral("y"));
             b.run->outgoing.DeleteCurrent(); // y
             b.Restart();
             EXPECT_EQ(b.run->incoming.At(2).Body(), "B:c");
         },
         {"a", "c"},
         {"x"},
         0,
         0},
        {"delete all of one page",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.In(QStringLiteral("a"));
             b.Out(QStringLiteral("x"));
             b.computer.dialogs.answers = {DialogService::Yes};
             b.run->incoming.DeleteAll();
         },
         {},
         {"x"},
         1, // the question
         0},
        {"the oldest go beyond the bounds, by count and by bytes",
         {3, 64 * 1024},
         [](Bed& b) {
             for (const char* t : {"1", "2", "3", "4", "5"})
                 b.In(QLatin1String(t));
             EXPECT_EQ(b.run->incoming.Dropped(), 2);
             b.Out(QStringLiteral("big1") + QString(20 * 1024, u'x'));
             b.Out(QStringLiteral("big2") + QString(20 * 1024, u'y'));
         },
         {"3", "4", "5"},
         {"big2" + QByteArray(20 * 1024, 'y')},
         0,
         0},
        {"a damaged file is kept aside and a new one started",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.run.reset();
             WriteFile(b.File(), QByteArray(8192, '\x5a'));
             b.Start();
             b.In(QStringLiteral("a"));
         },
         {"a"},
         {},
         1,
         1},
        {"another program's database is kept aside",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.run.reset();
             QFile::remove(b.File());
             {
                 QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                             QStringLiteral("foreign"));
                 db.setDatabaseName(b.File());
                 ASSERT_TRUE(db.open());
                 QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes(text)"));
                 db.close();
             }
             QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
             b.Start();
             b.Out(QStringLiteral("x"));
         },
         {},
         {"x"},
         1,
         1},
        {"a full disk: the record is not delivered, but it is not lost from the page",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.In(QStringLiteral("a"));
             {
                 test::FileSizeLimit full(1);
                 b.In(QStringLiteral("b"), MessageStore::Commit::Later);
                 EXPECT_FALSE(b.run->history.CommitFiled());
                 b.In(QStringLiteral("c"), MessageStore::Commit::Later);
                 EXPECT_TRUE(b.run->history.CommitFiled()); // in memory, as told
                 EXPECT_EQ(Texts(b.run->incoming), (QByteArrayList{"a", "b", "c"}));
                 EXPECT_EQ(b.run->history.CurrentMode(), MessageHistory::Mode::Fallback);
             }
         },
         {"a"},
         {},
         1,
         0},
        {"a full disk while a message is sent: a later record is delivered, in memory",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.In(QStringLiteral("a"));
             {
                 test::FileSizeLimit full(1);
                 b.Out(QStringLiteral("x"));
                 b.In(QStringLiteral("b"), MessageStore::Commit::Later);
                 EXPECT_TRUE(b.run->history.CommitFiled()); // in memory, as told
                 EXPECT_EQ(Texts(b.run->outgoing), QByteArrayList{"x"});
                 EXPECT_EQ(Texts(b.run->incoming), (QByteArrayList{"a", "b"}));
             }
         },
         {"a"},
         {},
         1,
         0},
        {"a folder that cannot be written: the kept messages show, new ones live in memory",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.In(QStringLiteral("a"));
             b.run.reset();
             Unwritable unwritable(b.Folder());
             if (!unwritable.Works())
                 GTEST_SKIP() << "this machine cannot make a read-only folder";
             b.Start();
             EXPECT_EQ(Texts(b.run->incoming), QByteArrayList{"a"});
             b.In(QStringLiteral("b"));
             b.run->incoming.First();
             b.run->incoming.DeleteCurrent(); // a, from the page only
             EXPECT_EQ(Texts(b.run->incoming), QByteArrayList{"b"});
             b.run.reset();
         },
         {"a"},
         {},
         1,
         0},
        {"after a crash, a folder that cannot be written still shows what was committed",
         MessageHistory::KeptBounds,
         [](Bed& b) {
             b.In(QStringLiteral("a"));
             b.In(QStringLiteral("b"), MessageStore::Commit::Later);
             EXPECT_TRUE(b.run->history.CommitFiled()); // its sender is told
             // The files as a crash leaves them: the log not yet copied in.
             const QStringList files = {b.File(), b.File() + "-wal", b.File() + "-shm"};
             for (const QString& f : files)
                 ASSERT_TRUE(QFile::copy(f, f + ".crash"));
             b.run.reset();
             for (const QString& f : files) {
                 QFile::remove(f);
                 ASSERT_TRUE(QFile::rename(f + ".crash", f));
             }
             Unwritable unwritable(b.Folder());
             if (!unwritable.Works())
                 GTEST_SKIP() << "this machine cannot make a read-only folder";
             b.Start();
             EXPECT_EQ(Texts(b.run->incoming), (QByteArrayList{"a", "b"}));
             EXPECT_EQ(b.Told(), 1); // that new ones are not kept
             b.run.reset();
         },
         {"a", "b"},
         {},
         1,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bed b(c.bounds);
        b.Start();
        c.run(b);
        if (::testing::Test::IsSkipped())
            continue;
        b.Restart();
        EXPECT_EQ(Texts(b.run->incoming), c.incoming);
        EXPECT_EQ(Texts(b.run->outgoing), c.outgoing);
        EXPECT_EQ(b.run->incoming.Position(), b.run->incoming.Count());
        EXPECT_EQ(b.Told(), c.boxes);
        EXPECT_EQ(b.KeptAside().size(), c.aside) << b.KeptAside().join(' ').toStdString();
        // Private to its owner, journals included.
        EXPECT_EQ(Mode(b.Folder()), 0700);
        for (const QString& f : QDir(b.Folder()).entryList({QStringLiteral("messages.db*")}))
            EXPECT_EQ(Mode(QDir(b.Folder()).filePath(f)), 0600) << f.toStdString();
    }
}

TEST(KeptMessages, KeepingSwitchedOffDeletesTheFileAndOnMovesTheMessagesIn) {
    Bed b;
    b.Start();
    b.In(QStringLiteral("a"));
    EXPECT_FALSE(b.run->history.SetKeeping(false));
    EXPECT_FALSE(QFileInfo::exists(b.File()));
    EXPECT_EQ(Texts(b.run->incoming), QByteArrayList{"a"}); // until the end of the run
    b.In(QStringLiteral("b"));
    EXPECT_TRUE(b.run->history.SetKeeping(true));
    b.Restart();
    EXPECT_EQ(Texts(b.run->incoming), (QByteArrayList{"a", "b"}));
    EXPECT_EQ(b.Told(), 0);
}

TEST(KeptMessages, FindGoesThroughTheMessagesThatHoldTheWords) {
    Bed b;
    b.Start();
    for (const char* text : {"Привет, мир", "hello world", "ПРИВЕТСТВУЮ всех"})
        b.In(QString::fromUtf8(text));
    b.InRaw("H:rtf", "{\\rtf1\\ansi\\ansicpg1251 \\'cc\\'e8\\'f0 {\\b \\'e2\\'e0\\'ec}}");
    b.Restart(); // found in old messages too
    MessageStore& in = b.run->incoming;
    struct Case {
        const char* words;
        int count;
        int newest; // the position shown first
    };
    const Case cases[] = {
        {"привет", 2, 3},      {"МИР", 2, 4},     {"мир привет", 1, 1}, {"wor", 1, 2},
        {"world hello", 1, 2}, {"H:hello", 1, 2}, {"orld", 0, 0},       {"  ", 0, 0},
        {"вам", 1, 4},         {"\"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        in.Last();
        const MessageStore::Matches m = in.FindNewest(QString::fromUtf8(c.words));
        EXPECT_EQ(m.count, c.count);
        if (c.count > 0) {
            EXPECT_EQ(in.Position(), c.newest);
            EXPECT_EQ(m.shown, 1);
        }
    }
    // Older, older, then a beep at the oldest; newer goes back.
    const int beeps = b.computer.sound.beeps;
    in.FindNewest(QStringLiteral("ПРИВЕТ"));
    EXPECT_EQ(in.FindNext(QStringLiteral("ПРИВЕТ"), true).shown, 2);
    EXPECT_EQ(in.Position(), 1);
    EXPECT_EQ(in.FindNext(QStringLiteral("ПРИВЕТ"), true).shown, 2);
    EXPECT_EQ(b.computer.sound.beeps, beeps + 1);
    EXPECT_EQ(in.FindNext(QStringLiteral("ПРИВЕТ"), false).shown, 1);
    EXPECT_EQ(in.Position(), 3);
}
