#pragma once
// Captions and hints of a widget window, found by objectName: the target of a
// window's caption switcher.
//
// What "caption" means depends on the control: the text of a button, label or
// action, the title of a group box or menu, the tab text of a page of a tab
// widget. A hint is a tool tip. Panels and other controls without a caption
// take only hints. A control whose accessible name was its caption or hint
// follows the new text, so screen readers hear the language shown; one that
// shows no text and has no name is named by its hint.
//
// A caption "-" makes a menu item a separator, in any language.
//
// The search stays inside the window: it does not descend into other windows
// parented to it (menus excepted), nor into a window with a switcher of its
// own.
#include "settings/duallang.h"
#include "settings/programtexts.h"

class QWidget;

namespace corvane {

class WidgetCaptions : public CaptionTarget {
public:
    explicit WidgetCaptions(QObject* window) : window_(window) {}

    bool SetCaption(const QString& name, const QString& text) override;
    bool SetHint(const QString& name, const QString& text) override;

    // The control of that name in the window, or null.
    QObject* Find(const QString& name) const;
    // How many controls of the window carry that name.
    int CountOf(const QString& name) const;
    // Whether a control has a caption, and what it reads now.
    static bool HasCaption(const QObject* control);
    static QString CaptionOf(const QObject* control);
    static QString HintOf(const QObject* control);

private:
    QObject* window_;
};

// Gives the window's controls the names, descriptions and hints of rows in
// that language.
void ApplySpokenTexts(QObject* window, const std::vector<SpokenRow>& rows, Language language);

// Puts a switcher with the given table on a window. Throws AppError when the
// window has one already.
TDualLang* AttachDualLang(QObject* window, const CaptionTable& table);

} // namespace corvane
