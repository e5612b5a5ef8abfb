#include "app/keyrouting.h"

#include <gtest/gtest.h>

using namespace corvane;
using Target = KeyRouting::Target;

TEST(KeyRouting, TheWindowsKeysInTheirOrder) {
    const QKeyCombination ctrlX = Qt::CTRL | Qt::Key_X, ctrlC = Qt::CTRL | Qt::Key_C,
                          ctrlB = Qt::CTRL | Qt::Key_B;
    // The main menu: Popup (no key), Exit; the editor: Bold, Cut, Copy.
    const QList<QKeySequence> menu = {QKeySequence(), QKeySequence(ctrlX)};
    const QList<QKeySequence> editor = {QKeySequence(ctrlB), QKeySequence(ctrlX),
                                        QKeySequence(ctrlC)};
    enum Focus { Button, Field, ContextMenu, ContextMenuOnField };
    struct Case {
        QKeyCombination key;
        Focus focus;
        KeyRouting::Route route;
    };
    const Case cases[] = {
        {ctrlX, Button, {Target::MainMenu, 1}},             // Exit before the editor's Cut
        {ctrlX, Field, {}},                                 // the alias field cuts
        {ctrlC, Field, {}},                                 // and copies
        {ctrlX, ContextMenu, {Target::ContextMenu}},        // the incoming viewer
        {ctrlX, ContextMenuOnField, {Target::ContextMenu}}, // the compose editor
        {ctrlC, Button, {Target::EditorAction, 2}},
        {ctrlB, Field, {Target::EditorAction, 0}}, // formats the compose editor
        {Qt::Key_F5, Field, {Target::Send}},
        {Qt::SHIFT | Qt::Key_F5, Button, {Target::Send}},
        {Qt::CTRL | Qt::Key_Q, Button, {}},
        {QKeyCombination(Qt::NoModifier, Qt::Key(0)), Button, {}}, // not the Popup item
    };
    for (const Case& c : cases) {
        const KeyRouting::Focus focus{c.focus == ContextMenu || c.focus == ContextMenuOnField,
                                      c.focus == Field || c.focus == ContextMenuOnField};
        const KeyRouting::Route route = KeyRouting::For(c.key, focus, menu, editor);
        EXPECT_EQ(int(route.target), int(c.route.target))
            << QKeySequence(c.key).toString().toStdString() << " focus " << c.focus;
        EXPECT_EQ(route.index, c.route.index) << QKeySequence(c.key).toString().toStdString();
    }
    // A held key runs only an item that repeats, and only an enabled one.
    EXPECT_TRUE(KeyRouting::Runs(true, true, true));
    EXPECT_FALSE(KeyRouting::Runs(true, true, false));
    EXPECT_TRUE(KeyRouting::Runs(true, false, false));
    EXPECT_FALSE(KeyRouting::Runs(false, false, true));
}
