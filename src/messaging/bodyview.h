#pragma once
// A read-only rich-text view of a message body (an RTF body with its
// formatting, any other as plain text), with a bar under it for a body longer
// than one page:
//
//   The message continues: page 2 of 37
//   [< Previous page] [Next page >]          [Save to file...]
//
// The view holds one page at a time (BodyPages), laid out in one go, so no
// body holds the window up, whatever its size. A body over AsyncBytes is read
// off the window's thread by a BodyLoader; until then the bar says that the
// message is being read. Save to file writes the body as it was received,
// byte for byte, through the program's one file writer.
//
// What the view costs - the page it shows, laid out, and for a longer body
// its pages and the bytes received - is its Cost().
#include "messaging/bodypages.h"
#include "settings/stringtable.h"

#include <QByteArray>
#include <QPointer>
#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QTextDocument;
class QTextEdit;

namespace corvane {

class BodyLoader;
class HostContext;

class BodyView : public QWidget {
    Q_OBJECT
public:
    // Bodies up to this size are read at once.
    static constexpr qsizetype AsyncBytes = 64 * 1024;
    // What a character of a laid-out page costs, measured with formatted
    // text on an X display (glyphs, lines and formats included).
    static constexpr qint64 LaidOutBytesPerChar = 40;

    // The text view is named viewName; the bar's controls (BodyBar,
    // PageLabel, PrevPageBtn, NextPageBtn, SaveBodyBtn) have suffix after
    // their names, so that two views on one window differ.
    BodyView(const QString& viewName, const QString& suffix, QWidget* parent = nullptr);
    ~BodyView() override;

    QTextEdit* Text() const { return view_; }
    // Where big bodies are read (it must outlive the view, or be null: then
    // every body is read at once).
    void SetLoader(BodyLoader* loader);
    // Save to file asks for the file and tells its failures through it.
    void SetContext(HostContext* context) { context_ = context; }
    // The texts of the bar in that language.
    void SetLanguage(Language language);

    void Show(const QByteArray& body);
    void Clear();
    // Keeps the page on show and lets go of the rest of a long body (or of
    // its reading); the bar says where the rest is.
    void Collapse();
    bool Collapsed() const { return collapsed_; }

    int PageCount() const { return pages_ ? pages_->PageCount() : 1; }
    int CurrentPage() const { return page_; } // from 0
    bool Reading() const { return reading_; }
    qint64 Cost() const;

    QWidget* Bar() const { return bar_; }
    QLabel* PageLabel() const { return label_; }
    QPushButton* PreviousButton() const { return previous_; }
    QPushButton* NextButton() const { return next_; }
    QPushButton* SaveButton() const { return save_; }

public Q_SLOTS:
    void PrevPageBtnClick();
    void NextPageBtnClick();
    void SaveBodyBtnClick();

Q_SIGNALS:
    // The view took a body, or dropped one: its cost changed.
    void CostChanged();

private:
    void ShowPages(std::shared_ptr<const BodyPages> pages);
    void ShowPage(int page);
    void SetDocument(QTextDocument* doc);
    void SetButtonTexts(); // in the view's language
    void UpdateBar();      // what the bar shows of the body
    void Release();        // the body, its pages and the request for them

    QTextEdit* view_;
    QWidget* bar_;
    QLabel* label_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* save_;
    QPointer<BodyLoader> loader_;
    HostContext* context_ = nullptr;
    Language language_ = Language::English;
    std::shared_ptr<const BodyPages> pages_; // only while there is more than one
    QByteArray body_;                        // only while it is read or has pages
    int page_ = 0;
    qsizetype pageChars_ = 0;
    bool reading_ = false;
    bool collapsed_ = false;
};

} // namespace corvane
