#pragma once
// The caption switcher of a window: its captions and hints in English and in
// Russian, keyed by the names of its controls. Setting the language applies
// that language's column to the window, every time, also when the language
// does not change. A window has at most one switcher.
//
// The switcher itself knows no widgets: it hands each text to a
// CaptionTarget, which finds the control by name (the window library has the
// one that walks a widget tree).
#include "settings/stringtable.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace corvane {

// One row of a window's tables. An empty text is applied like any other: it
// empties the caption or hint.
struct CaptionRow {
    QString name; // objectName of the control
    QString englishCaption;
    QString nationalCaption;
    QString englishHint;
    QString nationalHint;

    const QString& Caption(Language language) const {
        return language == Language::Russian ? nationalCaption : englishCaption;
    }
    const QString& Hint(Language language) const {
        return language == Language::Russian ? nationalHint : englishHint;
    }
};

using CaptionTable = std::vector<CaptionRow>;

// Where the texts go. Each call returns false when the window has no control
// of that name; a control without a caption (or hint) ignores the text.
class CaptionTarget {
public:
    virtual ~CaptionTarget() = default;
    virtual bool SetCaption(const QString& name, const QString& text) = 0;
    virtual bool SetHint(const QString& name, const QString& text) = 0;
};

class TDualLang : public QObject {
    Q_OBJECT
public:
    static inline const QString ClassName = QStringLiteral("TDualLang");

    // Becomes a child of window. Throws AppError "Cannot create more than one
    // instance of TDualLang" when the window has a switcher already. Nothing
    // is applied until the language is set.
    TDualLang(QObject* window, CaptionTable table, std::unique_ptr<CaptionTarget> target);
    ~TDualLang() override;

    Language GetLanguage() const { return language_; }
    // Stores the language, then sets every caption, then every hint, in table
    // order.
    void SetLanguage(Language language);

    const CaptionTable& Table() const { return table_; }
    // Names of the table that the last application found no control for.
    const QStringList& Missing() const { return missing_; }

private:
    Language language_ = Language::English;
    CaptionTable table_;
    std::unique_ptr<CaptionTarget> target_;
    QStringList missing_;
};

} // namespace corvane
