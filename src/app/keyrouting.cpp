#include "app/keyrouting.h"

namespace corvane {

KeyRouting::Route KeyRouting::For(QKeyCombination key, const Focus& focus,
                                  const QList<QKeySequence>& menu,
                                  const QList<QKeySequence>& editor) {
    if (focus.contextMenuHolds)
        return {Target::ContextMenu};
    if (key.key() == Qt::Key_F5)
        return {Target::Send};
    const QKeySequence sequence(key);
    if (sequence.isEmpty()) // a key without a code matches no item
        return {};
    if (focus.ownClipboard && (sequence == QKeySequence::Cut || sequence == QKeySequence::Copy ||
                               sequence == QKeySequence::Paste))
        return {};
    if (const qsizetype i = menu.indexOf(sequence); i >= 0)
        return {Target::MainMenu, int(i)};
    if (const qsizetype i = editor.indexOf(sequence); i >= 0)
        return {Target::EditorAction, int(i)};
    return {};
}

} // namespace corvane
