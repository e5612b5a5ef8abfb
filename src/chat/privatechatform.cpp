#include "chat/privatechatform.h"

#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/hostcontext.h"
#include "common/timedwait.h"
#include "settings/widgetcaptions.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

TPrivateChatForm::TPrivateChatForm(HostContext& context, const PrivateChatStart& start,
                                   Language language, Language captionLanguage,
                                   std::function<QString()> nickName, const ChatIcons& icons,
                                   ChatTextBudget* budget, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), budget_(budget) {
    setObjectName(QStringLiteral("TPrivateChatForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(icons.window);
    resize(DesignWidth, DesignHeight);
    chat_ = new PrivateChat(context_, start, language,
                            PrivateChatHooks{nickName,
                                             [this](const QString& line) {
                                                 if (budget_)
                                                     budget_->Append(Memo1, line);
                                                 else
                                                     AppendChatLine(Memo1, line);
                                             }},
                            this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    BeepBtn = MakeChatToolButton(ToolBar1, "BeepBtn", icons.beep);
    ClearBtn = MakeChatToolButton(ToolBar1, "ClearBtn", icons.clear);
    ToolBar1->addWidget(BeepBtn);
    ToolBar1->addWidget(ClearBtn);
    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    SetUpChatTextArea(Memo1);
    if (budget_)
        budget_->Add(Memo1);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(ChatBounds::MaxLineLength);
    Button1 = new QPushButton(QStringLiteral("Send"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setVisible(false);
    column->addWidget(ToolBar1);
    column->addWidget(Memo1, 1);
    column->addWidget(Edit1);
    setTabOrder(Edit1, Memo1);

    connect(Edit1, &QLineEdit::returnPressed, this, [this] { Edit1KeyDown(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(BeepBtn, &QToolButton::clicked, this, [this] { BeepBtnClick(); });
    connect(ClearBtn, &QToolButton::clicked, this, [this] { ClearBtnClick(); });

    // FormCreate: the main window's language now.
    DualLang1 = AttachDualLang(this, PrivateChatFormCaptions());
    DualLang1->SetLanguage(language);
    ApplySpokenTexts(this, PrivateChatFormSpokenTexts(), language);
    setWindowTitle(
        ChatTexts::PrivateChatCaption(captionLanguage, WireText(nickName()), start.peerNick));
}

TPrivateChatForm::~TPrivateChatForm() = default;

void TPrivateChatForm::FormShow() {
    if (shown_)
        return;
    shown_ = true;
    chat_->Open();
    ProcessPendingMessages();
    ClearChatText(Memo1);
    Edit1->clear();
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TPrivateChatForm::FormClose() {
    if (closed_)
        return;
    closed_ = true;
    chat_->Close();
}

void TPrivateChatForm::closeEvent(QCloseEvent* event) {
    RunHandler(context_, [this] { FormClose(); });
    if (SaveFormSettings)
        SaveFormSettings(this);
    event->accept();
}

void TPrivateChatForm::Edit1KeyDown() {
    if (chat_->SendLine(Edit1->text())) {
        Edit1->clear();
        return;
    }
    context_.dialogs->MessageBox(ChatTexts::OtherSideLeft(chat_->CurrentLanguage()),
                                 ChatTexts::NoticeTitle, DialogService::Icon::Warning,
                                 DialogService::Ok);
    close();
}

void TPrivateChatForm::BeepBtnClick() {
    chat_->Beep();
}

void TPrivateChatForm::ClearBtnClick() {
    ClearChatText(Memo1);
}

} // namespace corvane
