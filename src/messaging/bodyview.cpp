#include "messaging/bodyview.h"

#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/filewriter.h"
#include "common/hostcontext.h"
#include "editor/messagebody.h"
#include "messaging/bodyloader.h"
#include "messaging/popupcaptions.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>

namespace corvane {
namespace {
// Frees above this size are worth giving back to the system.
constexpr qint64 BigFree = 1024 * 1024;
static_assert(BodyView::AsyncBytes <= BodyLoader::KeptBytes, "small bodies are shared");

QPushButton* AddButton(QWidget* bar, const QString& name, QStyle::StandardPixmap icon) {
    auto* button = new QPushButton(bar);
    button->setObjectName(name);
    if (icon != QStyle::SP_CustomBase)
        button->setIcon(bar->style()->standardIcon(icon, nullptr, button));
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
} // namespace

BodyView::BodyView(const QString& viewName, const QString& suffix, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_ = new QTextEdit(this);
    view_->setObjectName(viewName);
    view_->setReadOnly(true);
    view_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard |
                                   Qt::LinksAccessibleByMouse);
    view_->setAccessibleName(QStringLiteral("Message text"));
    layout->addWidget(view_, 1);

    bar_ = new QWidget(this);
    bar_->setObjectName(QStringLiteral("BodyBar") + suffix);
    auto* barLayout = new QVBoxLayout(bar_);
    barLayout->setContentsMargins(4, 2, 4, 2);
    barLayout->setSpacing(2);
    label_ = new QLabel(bar_);
    label_->setObjectName(QStringLiteral("PageLabel") + suffix);
    label_->setWordWrap(true);
    barLayout->addWidget(label_);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    previous_ = AddButton(bar_, QStringLiteral("PrevPageBtn") + suffix, QStyle::SP_ArrowLeft);
    next_ = AddButton(bar_, QStringLiteral("NextPageBtn") + suffix, QStyle::SP_ArrowRight);
    save_ = AddButton(bar_, QStringLiteral("SaveBodyBtn") + suffix, QStyle::SP_CustomBase);
    row->addWidget(previous_);
    row->addWidget(next_);
    row->addStretch(1);
    row->addWidget(save_);
    barLayout->addLayout(row);
    layout->addWidget(bar_);
    connect(previous_, &QPushButton::clicked, this, &BodyView::PrevPageBtnClick);
    connect(next_, &QPushButton::clicked, this, &BodyView::NextPageBtnClick);
    connect(save_, &QPushButton::clicked, this, &BodyView::SaveBodyBtnClick);
    SetButtonTexts();
    UpdateBar();
}

BodyView::~BodyView() {
    Release();
}

void BodyView::SetLoader(BodyLoader* loader) {
    loader_ = loader;
}

void BodyView::SetLanguage(Language language) {
    language_ = language;
    SetButtonTexts();
    UpdateBar();
}

qint64 BodyView::Cost() const {
    return body_.size() + (pages_ ? pages_->Cost() : 0) + pageChars_ * LaidOutBytesPerChar;
}

void BodyView::Release() {
    if (loader_)
        loader_->Cancel(this);
    const bool big = Cost() > BigFree;
    pages_.reset();
    body_.clear();
    reading_ = false;
    collapsed_ = false;
    page_ = 0;
    if (big && loader_)
        loader_->ReleaseMemorySoon();
}

void BodyView::Show(const QByteArray& body) {
    Release();
    body_ = body;
    if (body.size() <= AsyncBytes || !loader_) {
        // The popup and the Incoming page of one arrival share one reading.
        ShowPages(loader_ ? loader_->PrepareNow(body) : BodyPages::Prepare(body));
        return;
    }
    reading_ = true;
    SetDocument(new QTextDocument(this));
    UpdateBar();
    Q_EMIT CostChanged();
    loader_->Prepare(this, body, [this](std::shared_ptr<const BodyPages> pages) {
        ShowPages(std::move(pages));
    });
}

void BodyView::Clear() {
    Release();
    SetDocument(new QTextDocument(this));
    UpdateBar();
    Q_EMIT CostChanged();
}

void BodyView::Collapse() {
    if (!reading_ && !pages_)
        return; // all of it is on show
    const int page = page_;
    Release();
    page_ = page;
    collapsed_ = true;
    UpdateBar();
    Q_EMIT CostChanged();
}

void BodyView::ShowPages(std::shared_ptr<const BodyPages> pages) {
    reading_ = false;
    pages_ = std::move(pages);
    if (!pages_) {
        Clear();
        return;
    }
    ShowPage(0);
    if (pages_->PageCount() <= 1) {
        // All of it is on show: nothing more to keep.
        pages_.reset();
        body_.clear();
    }
    UpdateBar();
    Q_EMIT CostChanged();
}

void BodyView::ShowPage(int page) {
    auto* doc = new QTextDocument(this);
    const bool longWord = pages_->BuildPage(page, doc);
    view_->setWordWrapMode(longWord ? QTextOption::WrapAnywhere
                                    : QTextOption::WrapAtWordBoundaryOrAnywhere);
    SetDocument(doc);
    page_ = page;
}

void BodyView::SetDocument(QTextDocument* doc) {
    // The view deletes a document of its own when it takes another; ours
    // are deleted here.
    QTextDocument* old = view_->document();
    const bool ours = old && old != doc && old->parent() == this;
    view_->setDocument(doc);
    if (ours)
        delete old;
    pageChars_ = doc->characterCount() > 1 ? doc->characterCount() : 0;
}

void BodyView::PrevPageBtnClick() {
    if (!pages_ || page_ <= 0)
        return;
    ShowPage(page_ - 1);
    UpdateBar();
}

void BodyView::NextPageBtnClick() {
    if (!pages_ || page_ + 1 >= pages_->PageCount())
        return;
    ShowPage(page_ + 1);
    UpdateBar();
}

void BodyView::SaveBodyBtnClick() {
    // Taken now: while the dialog is open, the view may take another body
    // or go.
    HostContext* context = context_;
    const QByteArray body = body_;
    if (!context || !context->dialogs || body.isEmpty())
        return;
    const BodyBarTexts texts = BodyBarTextsFor(language_);
    const bool rtf = LooksLikeRtf(body);
    const QString path = context->dialogs->SaveFileName(
        texts.saveTitle,
        (rtf ? texts.rtfFiles : texts.textFiles) + QStringLiteral(";;") + texts.allFiles,
        rtf ? QStringLiteral("rtf") : QStringLiteral("txt"));
    if (!path.isEmpty())
        RunHandler(*context, [&] { WriteFileWhole(path, body); });
}

void BodyView::SetButtonTexts() {
    const BodyBarTexts texts = BodyBarTextsFor(language_);
    const std::pair<QPushButton*, QString> buttons[] = {
        {previous_, texts.previousPage}, {next_, texts.nextPage}, {save_, texts.saveToFile}};
    for (const auto& [button, text] : buttons) {
        button->setText(text);
        button->setAccessibleName(text);
    }
}

void BodyView::UpdateBar() {
    const BodyBarTexts texts = BodyBarTextsFor(language_);
    const bool paged = PageCount() > 1;
    const bool last = page_ + 1 >= PageCount();
    if (collapsed_)
        label_->setText(texts.elsewhere);
    else if (reading_)
        label_->setText(texts.reading);
    else
        label_->setText((last ? texts.lastPage : texts.continues).arg(page_ + 1).arg(PageCount()));
    for (QPushButton* button : {previous_, next_, save_})
        button->setVisible(paged);
    previous_->setEnabled(page_ > 0);
    next_->setEnabled(!last);
    bar_->setVisible(reading_ || paged || collapsed_);
}

} // namespace corvane
