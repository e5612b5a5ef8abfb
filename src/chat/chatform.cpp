#include "chat/chatform.h"

#include "chat/privatechatform.h"
#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/filewriter.h"
#include "common/hostcontext.h"
#include "editor/rtfwriter.h"
#include "settings/alwaysontop.h"
#include "settings/stringtable.h"
#include "settings/widgetcaptions.h"

#include <QAction>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane {

TChatForm::TChatForm(HostContext& context, const LanguageState& mainLanguage,
                     const ChatIcons& icons, QWidget* parent)
    : QMainWindow(parent), context_(context), mainLanguage_(mainLanguage), icons_(icons) {
    setObjectName(QStringLiteral("TChatForm"));
    setWindowIcon(icons_.window);
    setMinimumSize(MinWidth, MinHeight);
    resize(DesignWidth, DesignHeight);
    room_ =
        new ChatRoom(context_,
                     ChatRoomHooks{
                         [this] { return Edit2->text(); },
                         [this](const QString& nick) { Edit2->setText(nick); },
                         [this](const QString& text, ChatLineKind kind) { WriteLine(text, kind); },
                         [this] { ClearChatText(Memo1); },
                         [this](int index) {
                             const ChatMember& m = room_->Members()[index];
                             auto* item = new QListWidgetItem(icons_.member, m.nick);
                             item->setData(Qt::UserRole, m.computer);
                             ListView1->insertItem(index, item);
                             ListView1Change();
                         },
                         [this](int index) {
                             delete ListView1->takeItem(index);
                             ListView1Change();
                         },
                         [this] {
                             ListView1->clear();
                             ListView1Change();
                         },
                         [this](const PrivateChatStart& start) { OpenPrivateChat(start); },
                     },
                     this);
    BuildControls();
    BuildMenu();
    DualLang1 = AttachDualLang(this, ChatFormCaptions());
    DualLang1->SetLanguage(Language::English);
    setWindowTitle(ChatTexts::ChatCaption(Language::English));
    SetMemberCommands(false);
}

TChatForm::~TChatForm() {
    for (const auto& chat : privateChats_)
        delete chat.data();
}

void TChatForm::BuildControls() {
    BuildToolBar();
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Memo1 = new QTextEdit(Splitter1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setAccessibleName(QStringLiteral("Chat messages"));
    SetUpChatTextArea(Memo1);
    BuildMemberPanel();
    Splitter1->addWidget(Memo1);
    Splitter1->addWidget(Panel3);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    SetPanel3Width(DefaultPanelWidth);
    column->addWidget(Splitter1, 1);
    Edit1 = new QLineEdit(central);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(ChatBounds::MaxLineLength);
    Edit1->setToolTip(ChatTexts::MessageLineHint);
    Edit1->setAccessibleName(ChatTexts::MessageLineHint);
    column->addWidget(Edit1);
    // The hidden default button: Enter sends the line where a control does
    // not take Enter itself.
    Button1 = new QPushButton(QStringLiteral("Send"), central);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAccessibleName(QStringLiteral("Send"));
    Button1->setVisible(false);
    setCentralWidget(central);

    connect(Edit1, &QLineEdit::returnPressed, this, [this] { Edit1KeyDown(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, Edit2, ListView1, Memo1})
        w->installEventFilter(this);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, ListView1);
}

void TChatForm::BuildToolBar() {
    ToolBar1 = addToolBar(QStringLiteral("Chat"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->toggleViewAction()->setEnabled(false);
    PrivChatBtn = MakeChatToolButton(ToolBar1, "PrivChatBtn", icons_.privateChat);
    BeepUserBtn = MakeChatToolButton(ToolBar1, "BeepUserBtn", icons_.beep);
    ClearBtn = MakeChatToolButton(ToolBar1, "ClearBtn", icons_.clear);
    for (QToolButton* b : {PrivChatBtn, BeepUserBtn, ClearBtn})
        ToolBar1->addWidget(b);
    connect(PrivChatBtn, &QToolButton::clicked, this, [this] { PrivateChat1Click(); });
    connect(BeepUserBtn, &QToolButton::clicked, this, [this] { Beep1Click(); });
    connect(ClearBtn, &QToolButton::clicked, this, [this] { ClearBtnClick(); });
}

// The panel beside the text: the nick name and the member list.
void TChatForm::BuildMemberPanel() {
    Panel3 = new QWidget(Splitter1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* panel = new QVBoxLayout(Panel3);
    panel->setContentsMargins(4, 4, 4, 4);
    Label1 = new QLabel(Panel3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit2 = new QLineEdit(ChatTexts::DefaultNickName, Panel3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(ChatBounds::MaxNameLength);
    Label1->setBuddy(Edit2);
    ListView1 = new QListWidget(Panel3);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setToolTip(ChatTexts::MemberListHint);
    ListView1->setAccessibleName(ChatTexts::MemberListHint);
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    QFont bold = ListView1->font();
    bold.setBold(true);
    ListView1->setFont(bold);
    panel->addWidget(Label1);
    panel->addWidget(Edit2);
    panel->addWidget(ListView1, 1);
    connect(Edit2, &QLineEdit::returnPressed, this, [this] { Edit2KeyDown(); });
    connect(ListView1, &QListWidget::itemSelectionChanged, this, [this] { ListView1Change(); });
    connect(ListView1, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
    });
}

void TChatForm::BuildMenu() {
    auto add = [](QMenu* menu, const char* name) {
        QAction* a = menu->addAction(QString());
        a->setObjectName(QLatin1String(name));
        return a;
    };
    File1 = menuBar()->addMenu(QString());
    File1->setObjectName(QStringLiteral("File1"));
    PrivReqMenu = add(File1, "PrivReqMenu");
    BeepMenu = add(File1, "BeepMenu");
    BeepMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    File1->addSeparator()->setObjectName(QStringLiteral("N1"));
    SaveToFile1 = add(File1, "SaveToFile1");
    File1->addSeparator()->setObjectName(QStringLiteral("N2"));
    Exit1 = add(File1, "Exit1");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    Options1 = menuBar()->addMenu(QString());
    Options1->setObjectName(QStringLiteral("Options1"));
    DispSysMenu = add(Options1, "DispSysMenu");
    DispSysMenu->setCheckable(true);
    DispSysMenu->setChecked(true);
    OnTopMenu = add(Options1, "OnTopMenu");
    OnTopMenu->setCheckable(true);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PrivateChat1 = add(PopupMenu1, "PrivateChat1");
    Beep1 = add(PopupMenu1, "Beep1");

    auto run = [this](void (TChatForm::*handler)()) {
        return [this, handler] { RunHandler(context_, [this, handler] { (this->*handler)(); }); };
    };
    connect(PrivReqMenu, &QAction::triggered, this, run(&TChatForm::PrivateChat1Click));
    connect(PrivateChat1, &QAction::triggered, this, run(&TChatForm::PrivateChat1Click));
    connect(BeepMenu, &QAction::triggered, this, run(&TChatForm::Beep1Click));
    connect(Beep1, &QAction::triggered, this, run(&TChatForm::Beep1Click));
    connect(SaveToFile1, &QAction::triggered, this, run(&TChatForm::SaveToFile1Click));
    connect(Exit1, &QAction::triggered, this, run(&TChatForm::Exit1Click));
    connect(DispSysMenu, &QAction::triggered, this, run(&TChatForm::DispSysMenuClick));
    connect(OnTopMenu, &QAction::triggered, this, run(&TChatForm::OnTopMenuClick));
}

int TChatForm::Panel3Width() const {
    return Panel3->width();
}

void TChatForm::SetPanel3Width(int width) {
    const int total = std::max(Splitter1->width(), DesignWidth);
    Splitter1->setSizes({std::max(0, total - width - Splitter1->handleWidth()), width});
}

void TChatForm::ShowChat() {
    const bool hidden = !isVisible();
    if (hidden && RestoreFormSettings)
        RestoreFormSettings(this); // placed before it appears, so it does not jump
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (hidden)
        FormShow();
}

void TChatForm::FormShow() {
    const Language language = mainLanguage_.Current();
    DualLang1->SetLanguage(language);
    ApplySpokenTexts(this, ChatFormSpokenTexts(), language);
    setWindowTitle(ChatTexts::ChatCaption(language));
    SetMemberCommands(false);
    try {
        room_->Open(language);
    } catch (const EmdMailSlot& e) {
        ShowGeneralError(context_, e.Message()); // shown all the same, deaf
    }
    FocusMessageLine();
}

void TChatForm::FormClose() {
    if (nickFocused_)
        Edit2Exit(); // a changed nick name is announced before it leaves
    room_->Close();
}

void TChatForm::closeEvent(QCloseEvent* event) {
    if (isVisible()) {
        RunHandler(context_, [this] { FormClose(); });
        if (SaveFormSettings)
            SaveFormSettings(this);
    }
    event->accept();
}

void TChatForm::CloseForExit() {
    for (const auto& chat : PrivateChats())
        chat->close();
    if (isVisible())
        close();
}

QList<TPrivateChatForm*> TChatForm::PrivateChats() const {
    QList<TPrivateChatForm*> out;
    for (const auto& chat : privateChats_)
        if (chat && !chat->IsClosed())
            out.append(chat.data());
    return out;
}

TPrivateChatForm* TChatForm::OpenPrivateChat(const PrivateChatStart& start) {
    privateChats_.removeAll(nullptr);
    if (!PrivateChatOpening::MayOpen(int(PrivateChats().size())))
        return nullptr;
    auto* chat = new TPrivateChatForm(
        context_, start, mainLanguage_.Current(),
        PrivateChatOpening::CaptionLanguage(start, CurrentLanguage()),
        [this] { return Edit2->text(); }, icons_, &privateText_);
    privateChats_.append(chat);
    chat->RestoreFormSettings = RestoreFormSettings;
    chat->SaveFormSettings = SaveFormSettings;
    if (RestoreFormSettings)
        RestoreFormSettings(chat);
    chat->show();
    chat->FormShow();
    return chat;
}

void TChatForm::WriteLine(const QString& text, ChatLineKind kind) {
    AppendChatLine(Memo1, text,
                   kind == ChatLineKind::Arrival     ? ArrivalColour
                   : kind == ChatLineKind::Departure ? DepartureColour
                                                     : QColor());
}

void TChatForm::Edit1KeyDown() {
    room_->SendLine(Edit1->text());
    Edit1->clear();
}

void TChatForm::Button1Click() {
    if (nickFocused_)
        FocusMessageLine();
    else
        Edit1KeyDown();
}

void TChatForm::Edit2Enter() {
    nickFocused_ = true;
    room_->NickEnter();
}

void TChatForm::Edit2Exit() {
    nickFocused_ = false;
    room_->NickExit();
}

void TChatForm::Edit2KeyDown() {
    FocusMessageLine();
}

void TChatForm::FocusMessageLine() {
    Edit1->setFocus(Qt::OtherFocusReason);
}

int TChatForm::SelectedMember() const {
    const QList<QListWidgetItem*> selected = ListView1->selectedItems();
    return selected.isEmpty() ? -1 : ListView1->row(selected.first());
}

void TChatForm::SetMemberCommands(bool enabled) {
    for (QAction* a : {PrivateChat1, Beep1, PrivReqMenu, BeepMenu})
        a->setEnabled(enabled);
    PrivChatBtn->setEnabled(enabled);
    BeepUserBtn->setEnabled(enabled);
}

void TChatForm::ListView1Change() {
    SetMemberCommands(room_->CanCommand(SelectedMember()));
}

void TChatForm::PrivateChat1Click() {
    if (const auto start = room_->RequestPrivateChat(SelectedMember()))
        OpenPrivateChat(*start);
}

void TChatForm::Beep1Click() {
    if (!room_->Beep(SelectedMember())) {
        BeepUserBtn->setEnabled(false);
        PrivChatBtn->setEnabled(false);
    }
}

void TChatForm::ClearBtnClick() {
    ClearChatText(Memo1);
}

void TChatForm::SaveToFile1Click() {
    const QString path = context_.dialogs->SaveFileName(ChatTexts::SaveTitle, ChatTexts::SaveFilter,
                                                        ChatTexts::SaveDefaultSuffix);
    if (path.isEmpty())
        return;
    // Always rich text, whatever the filter or extension; the old file is
    // replaced only by a whole new one.
    WriteFileWhole(path, RtfWriter().Write(*Memo1->document()));
}

void TChatForm::Exit1Click() {
    close();
}

void TChatForm::DispSysMenuClick() {
    room_->DispSysMessages = DispSysMenu->isChecked();
}

void TChatForm::OnTopMenuClick() {
    SetAlwaysOnTop(this, OnTopMenu->isChecked());
}

bool TChatForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()) == Exit1->shortcut()) {
        // Ctrl+X is Exit in every field; Cut stays in the fields' context menus.
        return true;
    }
    if (watched == Edit2 &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // Switching to another window moves no focus inside this one.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (event->type() == QEvent::FocusIn)
                Edit2Enter();
            else if (nickFocused_)
                RunHandler(context_, [this] { Edit2Exit(); });
        }
    } else if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunHandler(context_, [this] { Button1Click(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace corvane
