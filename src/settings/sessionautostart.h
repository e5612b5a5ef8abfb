#pragma once
// Whether the desktop session starts the program at login. The package puts a
// start entry for every user into the system's autostart folder
// (/etc/xdg/autostart/corvane.desktop, running "corvane --tray"). A person
// switches it off for themselves with an entry of the same file name in their
// own autostart folder (~/.config/autostart) that says Hidden=true, and on
// again by removing that entry: the entry in the user's folder always wins.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane {

class SessionAutostart {
public:
    static inline const QString EntryName = QStringLiteral("corvane.desktop");

    // userDir: the person's autostart folder; systemDirs: the system's, the
    // first one found winning. An empty userDir switches nothing.
    SessionAutostart(QString userDir, QStringList systemDirs);

    struct State {
        // A start entry of the system's starts the program unless
        // overridden, and the person has a folder of their own to override
        // it in.
        bool available = false;
        // The session starts the program at login.
        bool enabled = false;
    };
    // Reads the folders at every call, each entry once.
    State Read() const;
    bool Available() const { return Read().available; }
    bool Enabled() const { return Read().enabled; }
    // Removes or writes the person's override; nothing happens when it is
    // not available. Throws AppError naming the file when it cannot.
    void SetEnabled(bool on);

    QString UserEntryPath() const;
    // The override that switches the system's entry off.
    static QByteArray HiddenEntry();
    // Whether a desktop entry's text leaves the entry on: neither Hidden=true
    // nor the GNOME desktop's own off switch in its [Desktop Entry] group.
    static bool EntryStarts(const QByteArray& text);

private:
    // The state an entry file gives: none, on or off.
    enum class Entry { Missing, Starts, Off };
    static Entry ReadEntry(const QString& path);
    Entry SystemEntry() const;

    QString userDir_;
    QStringList systemDirs_;
};

} // namespace corvane
