#include "app/mainform.h"

#include "addressbook/groupspage.h"
#include "app/keyrouting.h"
#include "app/pagecontrol.h"
#include "app/trayicon.h"
#include "chat/chatform.h"
#include "common/dialogservice.h"
#include "common/timedwait.h"
#include "editor/composeeditor.h"
#include "editor/composetextedit.h"
#include "editor/editortoolbar.h"
#include "messaging/messagelistener.h"
#include "messaging/messagingcontroller.h"
#include "messaging/storepage.h"
#include "presence/presencedatagrams.h"
#include "presence/presencedirectory.h"
#include "presence/presencepagecontrols.h"
#include "settings/aboutbox.h"
#include "settings/alwaysontop.h"
#include "settings/languageswitch.h"
#include "settings/optionspage.h"
#include "settings/programtexts.h"
#include "settings/settingsfile.h"
#include "settings/widgetformstorage.h"
#include "transport/datagramnetwork.h"
#include "transport/mailslot.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

TMainForm::TMainForm(HostContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
    BuildShell();
    StartComponents();
    QList<QIcon> images;
    for (int i = 0; i < ImageList::Count; ++i)
        images.append(ImageList1.Icon(i));
    Groups = new GroupsPage(
        {TabSheet4, Options->ApplyBtn2, Options->AliasEdit, images}, context_,
        [this] { Presence->ApplyBtnClick(); }, this);
    Presence = std::make_unique<PresenceDirectory>(
        PresenceControls{{TabSheet1, CompNameBtn, TreeView1, RadioGroup1Items, SendBtn,
                          ImageList1.Icon(ImageList::GroupImage),
                          ImageList1.Icon(ImageList::ComputerImage)},
                         Toggle1,
                         IcqSlot,
                         RxTimerEvent1,
                         [this] { return Alias(); },
                         [this] { Memo1Change(); }},
        PresenceState{Language, OnlineFlag, FirstTreeOpen}, context_, Groups->Book());
    History = new MessageHistory(context_, Language, this);
    Incoming = new StorePage(TabSheet2, StoreKind::Incoming, context_, Language, this, History);
    Outgoing = new StorePage(TabSheet3, StoreKind::Outgoing, context_, Language, this, History);
    Messaging = new MessagingController(
        MessagingControls{PageControl1, TabSheet1, Memo1, CompNameBtn, RadioGroup1Items, SendBtn,
                          ClearBtn, Options->AliasEdit, Options->CheckBox3, Options->CheckBox4,
                          Options->CheckBox5, Options->CheckBox6, Options->CheckBox8,
                          Options->RichEdit1, IsPopupMenu},
        context_, Language, OnlineFlag, Presence->Tree(), Presence->View(), *Incoming, *Outgoing,
        *MsgServer, [this] { Memo1Change(); }, [this] { RestoreApplication(); }, this);
    SendBtnClick = [this] { Messaging->SendBtnClick(); };
    BuildChat();
    Editor->AttachContextMenu(Incoming->BodyView());
    // The last restore step: the toolbar's state becomes the editor's format.
    AfterEndpointOpen.push_back([this] { Editor->ApplyToolbarToEditor(); });
    AfterEndpointOpen.push_back([this] { Options->TellStoredRefusal(); });
    Languages = new LanguageSwitch(
        Language,
        LanguageControls{this, RadioGroup1Items, Russian1, English1, CompNameBtn, SendBtn,
                         [this] { Presence->UpdateToggle1(); },
                         [this] {
                             Incoming->RetranslateCounter();
                             Outgoing->RetranslateCounter();
                             TreeView1->clearSelection(); // the same computer can be chosen again
                         },
                         [this] { Memo1Change(); }},
        this);
    DualLang1 = Languages->DualLang1();
    BuildFormStorage();

    qApp->installEventFilter(this);
    FormCreate();
}

TMainForm::~TMainForm() {
    FormStorage1->Store().SaveIfUnsaved();
    qApp->removeEventFilter(this);
    delete ChatForm; // with its private chats, before the network they use
    ChatForm = nullptr;
    delete IcqSlot; // before the network it is attached to
    IcqSlot = nullptr;
    if (ownNetwork_ && context_.datagrams == ownNetwork_.get())
        context_.datagrams = nullptr;
}

void TMainForm::BuildShell() {
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Corvane")); // the application title comes at activation
    setWindowIcon(ImageList::ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(DesignWidth, DesignHeight);
    resize(DesignWidth, DesignHeight);
    if (!context_.datagrams) {
        ownNetwork_ = std::make_unique<DatagramNetwork>(context_);
        context_.datagrams = ownNetwork_.get();
    }

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    // A little room for the frames of the window and the page control.
    PageControl1 = new PageControl(DesignWidth - 8, central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    const struct {
        QWidget** page;
        const char* name;
        const char* caption;
    } pages[] = {{&TabSheet1, "TabSheet1", "Compose"},
                 {&TabSheet2, "TabSheet2", "Incoming"},
                 {&TabSheet3, "TabSheet3", "Outgoing"},
                 {&TabSheet4, "TabSheet4", "Groups"},
                 {&TabSheet5, "TabSheet5", "Options"}};
    for (const auto& p : pages) {
        *p.page = new QWidget(PageControl1);
        (*p.page)->setObjectName(QLatin1String(p.name));
        PageControl1->addTab(*p.page, QLatin1String(p.caption));
    }
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);
    BuildComposePage();
    Options = new OptionsPage(TabSheet5, this);
    Options->Bind(context_, [this] { return DualLang1->GetLanguage(); });
    BuildBottomPanel();
    layout->addWidget(Panel1);
    BuildMenu();
}

void TMainForm::StartComponents() {
    // Components come up in form order: the listener, the presence timer,
    // the tray icon, the presence endpoint (closed).
    StartMessageListener();
    RxTimerEvent1 = new QTimer(this);
    RxTimerEvent1->setObjectName(QStringLiteral("RxTimerEvent1"));
    TrayIcon1 = MakeTrayIcon(this, TrayTip, [this] { RestoreApplication(); });
    IcqSlot = new TmdSecureMail(Datagrams(), this);
    IcqSlot->setObjectName(QStringLiteral("IcqSlot"));
    IcqSlot->SetSlot(PresenceSlotName);
}

void TMainForm::BuildChat() {
    ChatForm = new TChatForm(context_, Language,
                             ChatIcons{ImageList1.Icon(ImageList::ComputerImage),
                                       ImageList1.Icon(2), ImageList1.Icon(3),
                                       style()->standardIcon(QStyle::SP_DialogResetButton),
                                       ImageList::ApplicationIcon()});
    // Members whose computer presence no longer sees leave the chat room.
    connect(&Presence->Protocol(), &PresenceProtocol::ComputerGone, &ChatForm->Room(),
            &ChatRoom::ComputerGone);
    ChatWindowShow = [this] {
        ChatForm->ShowChat();
        ChatForm->Room().DispSysMessages = ChatForm->DispSysMenu->isChecked();
    };
}

void TMainForm::FormCreate() {
    Language.SetLanguage(Language::English);
    OnlineFlag = true;
    FirstTreeOpen = true;
    RxTimerEvent1->setInterval(context_.timings.presenceFirstMs);
    RxTimerEvent1->start();
}

QString TMainForm::Alias() const {
    return Options->AliasEdit->text();
}

bool TMainForm::HasTray() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TMainForm::BuildComposePage() {
    auto* page = new QVBoxLayout(TabSheet1);
    Editor = new ComposeEditor(TabSheet1, context_, MessageListener::MaxRecordBytes, this);
    Editor->Memo1Change = [this] { Memo1Change(); };
    page->addWidget(Editor->Panel8);
    const PresencePageControls presence =
        BuildPresencePageControls(TabSheet1, ImageList1.Icon(ImageList::ComputerImage), Language);
    Label1 = presence.Label1;
    CompNameBtn = presence.CompNameBtn;
    RadioGroup1 = presence.RadioGroup1;
    RadioGroup1Items = presence.RadioGroup1Items;
    Toggle1 = presence.Toggle1;
    page->addLayout(presence.recipientRow);
    page->addLayout(presence.choiceRow);

    el_Memo1 = new QLabel(QStringLiteral("&Message content:"), TabSheet1);
    el_Memo1->setObjectName(QStringLiteral("el_Memo1"));
    Memo1 = Editor->Memo1;
    el_Memo1->setBuddy(Memo1);
    page->addWidget(el_Memo1);
    page->addWidget(Memo1, 1);
    ClearBtn = new QPushButton(QStringLiteral("Clear message"), TabSheet1);
    ClearBtn->setObjectName(QStringLiteral("ClearBtn"));
    page->addWidget(ClearBtn, 0, Qt::AlignLeft);
    // Tab follows the page from top to bottom: the toolbar, the recipient,
    // the online toggle, the message, "Clear message".
    QWidget::setTabOrder(Toggle1, Memo1);
    QWidget::setTabOrder(Memo1, ClearBtn);
    connect(Memo1, &QTextEdit::textChanged, this, &TMainForm::Memo1Change);
    TreeView1 = BuildNetworkTree(TabSheet1);
}

void TMainForm::BuildBottomPanel() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(42);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(7, 7, 7, 5);
    SendBtn = new QPushButton(QStringLiteral("&Send"), Panel1);
    SendBtn->setObjectName(QStringLiteral("SendBtn"));
    SendBtn->setToolTip(QStringLiteral("F5 - Send message"));
    SendBtn->setEnabled(false);
    ChatBtn = new QPushButton(QStringLiteral("Cha&t"), Panel1);
    ChatBtn->setObjectName(QStringLiteral("ChatBtn"));
    CloseBtn = new QPushButton(QStringLiteral("Hi&de"), Panel1);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setToolTip(QStringLiteral("Hide to the Windows tray"));
    row->addWidget(SendBtn);
    row->addWidget(ChatBtn);
    row->addStretch(1);
    row->addWidget(CloseBtn);
    connect(SendBtn, &QPushButton::clicked, this, [this] {
        if (SendBtnClick)
            RunHandler(context_, SendBtnClick);
    });
    connect(ChatBtn, &QPushButton::clicked, this, &TMainForm::ChatBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TMainForm::CloseBtnClick);
}

void TMainForm::BuildMenu() {
    auto makeAction = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    OptionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("File1"));
    IsPopupMenu =
        makeAction(OptionsMenu, "IsPopupMenu", QStringLiteral("&Popup incoming messages"));
    IsPopupMenu->setCheckable(true);
    IsPopupMenu->setChecked(true);
    connect(IsPopupMenu, &QAction::triggered, this, &TMainForm::IsPopupMenuClick);
    OptionsMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    LanguageMenu = OptionsMenu->addMenu(QStringLiteral("&Language"));
    LanguageMenu->setObjectName(QStringLiteral("Language2"));
    Russian1 = makeAction(LanguageMenu, "Russian1", QStringLiteral("Russian"));
    English1 = makeAction(LanguageMenu, "English1", QStringLiteral("&English"));
    auto* languages = new QActionGroup(this);
    for (QAction* a : {Russian1, English1}) {
        a->setCheckable(true);
        languages->addAction(a);
    }
    English1->setChecked(true);
    OptionsMenu->addSeparator()->setObjectName(QStringLiteral("N11"));
    ExitMenu = makeAction(OptionsMenu, "ExitMenu", QStringLiteral("E&xit"));
    ExitMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    // The window resolves its keys itself (see ShortcutFor); a held key
    // does not repeat the exit.
    ExitMenu->setShortcutContext(Qt::WidgetShortcut);
    ExitMenu->setAutoRepeat(false);
    connect(ExitMenu, &QAction::triggered, this, &TMainForm::ExitMenuClick);

    EditMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    EditMenu->setObjectName(QStringLiteral("Edit3"));
    Undo1 = makeAction(EditMenu, "Undo1", QStringLiteral("&Undo"));
    Cut2 = makeAction(EditMenu, "Cut2", QStringLiteral("Cu&t"));
    Copy2 = makeAction(EditMenu, "Copy2", QStringLiteral("&Copy"));
    Paste2 = makeAction(EditMenu, "Paste2", QStringLiteral("&Paste"));
    connect(Undo1, &QAction::triggered, Editor, &ComposeEditor::UndoBtnClick);
    ComposeEditor::BindToAction(Cut2, Editor->EditCut1);
    ComposeEditor::BindToAction(Copy2, Editor->EditCopy1);
    ComposeEditor::BindToAction(Paste2, Editor->EditPaste1);

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpMenu->setObjectName(QStringLiteral("Help1"));
    N2 = makeAction(HelpMenu, "N2", QStringLiteral("&About"));
    connect(N2, &QAction::triggered, this, &TMainForm::N2Click);
    // Qt's own box credits Qt, its version and its licence.
    AboutQt1 = makeAction(HelpMenu, "AboutQt1", QStringLiteral("About &Qt"));
    connect(AboutQt1, &QAction::triggered, qApp, &QApplication::aboutQt);
}

void TMainForm::StartMessageListener() {
    MsgServer = new MessageListener(context_, this);
    MsgServer->setObjectName(QStringLiteral("MsgServer"));
    if (!MsgServer->Listen()) {
        throw StartupError(QStringLiteral("Cannot listen on TCP port %1: %2")
                               .arg(context_.network.messagePort)
                               .arg(MsgServer->ErrorString()));
    }
}

void TMainForm::AppActivate() {
    if (appActivated_)
        return;
    appActivated_ = true;
    PageControl1->setCurrentWidget(TabSheet1);
    // The flag is set before the window is hidden or minimized, so a window
    // with nothing on the screen yet carries it when it first appears.
    SetAlwaysOnTop(this, Options->CheckBox2->isChecked());
    HideToTray();
    setWindowTitle(ApplicationTitle);
}

void TMainForm::HideToTray() {
    if (HasTray())
        hide();
    else
        showMinimized(); // without a tray the taskbar button stays reachable
}

void TMainForm::RestoreApplication() {
    const bool first = !everShown_;
    everShown_ = true;
    const bool restore = !FormStorage1->Store().Restored(); // a tray start restored already
    if (restore)
        FormStorage1->Store().RestoreStoredValues(); // placed and set before it appears
    if (first && restoredShowState_ == ShowState::Maximized)
        showMaximized();
    else
        showNormal();
    raise();
    activateWindow();
    if (restore)
        FinishFirstShowing();
}

void TMainForm::N2Click() {
    TAboutBox box(this);
    context_.dialogs->ShowModal(&box);
}

bool TMainForm::FormCloseQuery() {
    // A close asked for while the question is open, or while closing, is
    // refused: it must not slip past the question.
    if (closing_ || asking_)
        return false;
    // Every close a person asks for gets the question, whether or not the
    // window is active (without a window manager it may get keys without
    // ever being active); only the end of the desktop session does not.
    if (!sessionEnding_ && Options->CheckBox1->isChecked()) {
        asking_ = true;
        const auto answer = context_.dialogs->MessageBox(
            TextIn(Language.Current(), ProgramText::ExitQuestion), ApplicationTitle,
            DialogService::Icon::Question,
            DialogService::Yes | DialogService::No | DialogService::Cancel);
        asking_ = false;
        if (answer != DialogService::Yes)
            return false;
    }
    closing_ = true;
    // Open chats say goodbye like a normal close, so no member keeps them.
    ChatForm->CloseForExit();
    SendDatagram(Datagrams(), QStringLiteral("*"), IcqSlot->Slot(),
                 OfflineNotifyDatagram(LocalComputerName(), Alias()));
    PumpMessagesFor(context_.timings.closeWaitMs);
    MsgServer->Close();
    IcqSlot->Close();
    closing_ = false;
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!closeAllowed_) {
        if (!FormCloseQuery()) {
            event->ignore();
            return;
        }
        closeAllowed_ = true;
        FormStorage1->Store().SaveWindowSettings(false);
    }
    event->accept();
    TrayIcon1->hide();
    Q_EMIT Closed();
}

void TMainForm::SessionClose() {
    sessionEnding_ = true;
    if (!closeAllowed_)
        close();
}

void TMainForm::ExitMenuClick() {
    close();
}

void TMainForm::CloseBtnClick() {
    HideToTray();
}

void TMainForm::ChatBtnClick() {
    if (ChatWindowShow)
        RunHandler(context_, ChatWindowShow);
}

void TMainForm::IsPopupMenuClick() {
    // A checkable action has already inverted its check mark; the receiving
    // side reads it when a message arrives.
}

void TMainForm::Russian1Click() {
    Languages->Russian1Click();
}

void TMainForm::English1Click() {
    Languages->English1Click();
}

void TMainForm::SetLanguage(corvane::Language language) {
    Languages->Switch(language);
}

void TMainForm::Memo1Change() {
    SendBtn->setEnabled(!Memo1->toPlainText().isEmpty() &&
                        CompNameBtn->text() != Language.Text(Strings::SelectRecipient));
}

bool TMainForm::FormShortCut(int key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_F5)
        return false;
    if (SendBtn->isEnabled() && SendBtnClick)
        RunHandler(context_, SendBtnClick);
    return true;
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (isMinimized() && HasTray() && everShown_) {
        // Minimized windows go to the tray, without a taskbar button.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
    } else if (!isMinimized() && isVisible() && appActivated_ && !everShown_) {
        // Restored from the taskbar (no tray): the first showing.
        everShown_ = true;
        QTimer::singleShot(0, this, &TMainForm::RestoreSettingsOnce);
    }
}

std::function<void()> TMainForm::ShortcutFor(QWidget* focus, const QKeyEvent& key) {
    const QKeyCombination combination = key.keyCombination();
    // An editable field other than the compose editor keeps its own Cut,
    // Copy and Paste.
    const bool ownClipboard =
        (qobject_cast<QLineEdit*>(focus) && !static_cast<QLineEdit*>(focus)->isReadOnly()) ||
        (qobject_cast<QTextEdit*>(focus) && !static_cast<QTextEdit*>(focus)->isReadOnly()) ||
        (qobject_cast<QComboBox*>(focus) && static_cast<QComboBox*>(focus)->isEditable());
    const QList<QAction*> menu = MainMenuItems();
    const QList<QAction*> editor = Editor->ShortcutActions();
    auto shortcuts = [](const QList<QAction*>& items) {
        QList<QKeySequence> out;
        for (QAction* a : items)
            out.append(a->shortcut());
        return out;
    };
    const KeyRouting::Route route = KeyRouting::For(
        combination, {Editor->ContextMenuShortcut(focus, combination, false), ownClipboard},
        shortcuts(menu), shortcuts(editor));
    using Target = KeyRouting::Target;
    if (route.target == Target::None)
        return {};
    if (route.target == Target::ContextMenu)
        return
            [this, focus, combination] { Editor->ContextMenuShortcut(focus, combination, true); };
    if (route.target == Target::Send)
        return [this, modifiers = key.modifiers()] { FormShortCut(Qt::Key_F5, modifiers); };
    QAction* item = (route.target == Target::MainMenu ? menu : editor)[route.index];
    return [item, held = key.isAutoRepeat()] {
        if (KeyRouting::Runs(item->isEnabled(), held, item->autoRepeat()))
            item->trigger();
    };
}

QList<QAction*> TMainForm::MainMenuItems() const {
    // A submenu's items come before the item that opens it.
    std::function<void(QMenu*, QList<QAction*>&)> collect = [&](QMenu* menu, QList<QAction*>& out) {
        for (QAction* a : menu->actions()) {
            if (a->menu())
                collect(a->menu(), out);
            if (!a->isSeparator())
                out.append(a);
        }
    };
    QList<QAction*> items;
    for (QAction* top : menuBar()->actions())
        if (top->menu())
            collect(top->menu(), items);
    return items;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys come to the window's focused control, or to the window when none
    // has the focus; the window need not be active (without a window manager
    // it gets keys without ever becoming active).
    QWidget* focus = focusWidget();
    if (!widget || widget->window() != this || widget != (focus ? focus : this))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const auto run = ShortcutFor(widget, *key);
    if (!run)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept(); // the key comes as a key press, handled below
        return true;
    }
    run();
    return true;
}

} // namespace corvane
