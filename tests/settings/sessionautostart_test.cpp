#include "common/errors.h"
#include "settings/sessionautostart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QByteArray SystemStarts = "[Desktop Entry]\nType=Application\nName=Corvane Messenger\n"
                                "Exec=corvane --tray\n";
const QByteArray Hidden = SessionAutostart::HiddenEntry();
const QByteArray GnomeOff = SystemStarts + "X-GNOME-Autostart-enabled=false\n";

// A person's folder and two system folders, the first one winning.
struct Folders {
    QTemporaryDir dir;
    QString user = dir.path() + QStringLiteral("/home/autostart");
    QString first = dir.path() + QStringLiteral("/etc/xdg/autostart");
    QString second = dir.path() + QStringLiteral("/usr/etc/autostart");

    static void Put(const QString& folder, const QByteArray* text) {
        if (!text)
            return;
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/corvane.desktop"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*text);
    }
    SessionAutostart Make() const { return SessionAutostart(user, {first, second}); }
};

TEST(SessionAutostart, WhatTheEntriesSay) {
    const struct {
        const char* what;
        const QByteArray* first;
        const QByteArray* second;
        const QByteArray* user;
        bool available;
        bool enabled;
    } cases[] = {
        {"nothing installed", nullptr, nullptr, nullptr, false, false},
        {"installed", &SystemStarts, nullptr, nullptr, true, true},
        {"installed further down the path", nullptr, &SystemStarts, nullptr, true, true},
        {"switched off by the person", &SystemStarts, nullptr, &Hidden, true, false},
        {"switched off with the GNOME key", &SystemStarts, nullptr, &GnomeOff, true, false},
        {"the person's own entry", nullptr, nullptr, &SystemStarts, false, true},
        {"switched off for everybody", &Hidden, &SystemStarts, nullptr, false, false},
        {"the person's entry wins over the system's off", &Hidden, nullptr, &SystemStarts, false,
         true},
    };
    for (const auto& c : cases) {
        Folders f;
        Folders::Put(f.first, c.first);
        Folders::Put(f.second, c.second);
        Folders::Put(f.user, c.user);
        const SessionAutostart autostart = f.Make();
        EXPECT_EQ(autostart.Available(), c.available) << c.what;
        EXPECT_EQ(autostart.Enabled(), c.enabled) << c.what;
    }
    // No folder of the person's own: nothing to switch.
    Folders f;
    Folders::Put(f.first, &SystemStarts);
    EXPECT_FALSE(SessionAutostart(QString(), {f.first}).Available());
}

TEST(SessionAutostart, OnlyTheMainGroupsOffSwitchesCount) {
    const struct {
        const char* text;
        bool starts;
    } cases[] = {
        {"[Desktop Entry]\nHidden=true\n", false},
        {"[Desktop Entry]\r\nHidden = true\r\n", false},
        {"[Desktop Entry]\nHidden=false\n", true},
        {"[Desktop Entry]\n# Hidden=true\n", true},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n", true},
        {"[Desktop Action x]\nHidden=true\n[Desktop Entry]\nName=x\n", true},
        {"[Desktop Entry]\nName=x\n[Desktop Action x]\nHidden=true\n", true},
        {"Hidden=true\n", true}, // outside any group
        {"", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionAutostart::EntryStarts(c.text), c.starts) << c.text;
}

TEST(SessionAutostart, SwitchingWritesOrRemovesThePersonsOverride) {
    const struct {
        const char* what;
        const QByteArray* user; // before
        bool on;
        const QByteArray* after; // the person's file afterwards, null when gone
    } cases[] = {
        {"off", nullptr, false, &Hidden},
        {"off again", &Hidden, false, &Hidden},
        {"on", &Hidden, true, nullptr},
        {"on from the GNOME key", &GnomeOff, true, nullptr},
        {"on already", nullptr, true, nullptr},
        {"off over the person's own entry", &SystemStarts, false, &Hidden},
    };
    for (const auto& c : cases) {
        Folders f;
        Folders::Put(f.first, &SystemStarts);
        Folders::Put(f.user, c.user);
        f.Make().SetEnabled(c.on);
        EXPECT_EQ(f.Make().Enabled(), c.on) << c.what;
        QFile file(f.user + QStringLiteral("/corvane.desktop"));
        EXPECT_EQ(file.exists(), c.after != nullptr) << c.what;
        if (c.after && file.open(QIODevice::ReadOnly))
            EXPECT_EQ(file.readAll(), *c.after) << c.what;
    }
    // Without the system's entry nothing is written.
    Folders f;
    f.Make().SetEnabled(false);
    EXPECT_FALSE(QFileInfo::exists(f.user));
}

TEST(SessionAutostart, AFailureIsToldAndChangesNothing) {
    Folders f;
    Folders::Put(f.first, &SystemStarts);
    // The person's folder cannot be made: a file stands in its way.
    QDir().mkpath(f.dir.path() + QStringLiteral("/home"));
    QFile blocker(f.user);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        f.Make().SetEnabled(false);
        ADD_FAILURE() << "no error";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.Message().contains(f.user)) << qPrintable(e.Message());
    }
    EXPECT_TRUE(f.Make().Enabled());

    // The entry's name is taken by a folder: the write fails whole.
    Folders g;
    Folders::Put(g.first, &SystemStarts);
    QDir().mkpath(g.user + QStringLiteral("/corvane.desktop"));
    EXPECT_THROW(g.Make().SetEnabled(false), AppError);
    EXPECT_TRUE(g.Make().Enabled());
}

} // namespace
