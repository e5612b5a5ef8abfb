#pragma once
// Where a key pressed in the main window goes. The window's keys are tried
// in this order:
//   1. the context menu of the focused control or of a parent (the compose
//      editor's menu, on the editor and on the incoming viewer);
//   2. F5, whatever the modifiers: Send;
//   3. the main menu, first match in menu order;
//   4. the editor's actions (bold, italic, ..., cut, copy, paste), so their
//      keys act on the compose editor from anywhere in the window.
// An editable field outside the compose editor (the alias, the size box)
// keeps its own Cut, Copy and Paste: Ctrl+X cuts there, while on a button
// or a read-only view it is the main menu's Exit.
#include <QKeyCombination>
#include <QKeySequence>
#include <QList>

namespace corvane {

class KeyRouting {
public:
    enum class Target {
        None,         // not the window's key: the focused control has it
        ContextMenu,  // the focused control's context menu
        Send,         // F5
        MainMenu,     // the main menu's item at index
        EditorAction, // the editor's action at index
    };
    struct Route {
        Target target = Target::None;
        int index = -1;
        bool operator==(const Route&) const = default;
    };
    // What the window knows about the focused control.
    struct Focus {
        bool contextMenuHolds = false; // its context menu (or a parent's) holds the key
        bool ownClipboard = false;     // an editable field outside the compose editor
    };

    // menu: the shortcuts of the main menu's items in menu order; editor:
    // those of the editor's actions.
    static Route For(QKeyCombination key, const Focus& focus, const QList<QKeySequence>& menu,
                     const QList<QKeySequence>& editor);
    // Whether an item runs: only when it is enabled, and a held key repeats
    // only an item that repeats (Exit does not).
    static bool Runs(bool enabled, bool heldKey, bool itemRepeats) {
        return enabled && !(heldKey && !itemRepeats);
    }
};

} // namespace corvane
