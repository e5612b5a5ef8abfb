#pragma once
// The main window: a shell that holds the pages, the bottom panel, the menu,
// the tray icon and the timers, and composes the subsystems that own the
// handlers of their controls.
#include "app/imagelist.h"
#include "common/errors.h"
#include "common/hostcontext.h"
#include "settings/stringtable.h"
#include "settings/windowplacement.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QButtonGroup;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTabWidget;
class QTextEdit;
class QTimer;
class QToolButton;
class QTreeWidget;

namespace corvane {

class ComposeEditor;
class DatagramNetwork;
class GroupsPage;
class LanguageSwitch;
class MessageHistory;
class MessageListener;
class OptionsPage;
class MessagingController;
class PresenceDirectory;
class StorePage;
class TChatForm;
class TDualLang;
class TmdSecureMail;
class FileWriter;
class FormStorage;
class SettingsFile;
class WidgetFormStorage;

// Start-up cannot go on (the message port is taken): the program ends.
class StartupError : public AppError {
public:
    using AppError::AppError;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 370;
    static constexpr int DesignHeight = 468;
    static inline const QString PresenceSlotName = QStringLiteral("CORVANE3");
    static inline const QString TrayTip = QStringLiteral("Corvane Messenger");

    // Throws StartupError when the message listener cannot start.
    explicit TMainForm(HostContext& context, QWidget* parent = nullptr);
    ~TMainForm() override;

    HostContext& Context() const { return context_; }
    DatagramNetwork& Datagrams() const { return *context_.datagrams; }
    QString LocalComputerName() const { return context_.LocalComputerName(); }
    // The alias as typed now on the Options page.
    QString Alias() const;

    // State
    LanguageState Language; // CurrentStringTable
    bool OnlineFlag = true;
    bool FirstTreeOpen = true;
    ImageList ImageList1;

    // Controls
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // Compose
    QWidget* TabSheet2 = nullptr; // Incoming
    QWidget* TabSheet3 = nullptr; // Outgoing
    QWidget* TabSheet4 = nullptr; // Groups
    QWidget* TabSheet5 = nullptr; // Options
    QWidget* Panel1 = nullptr;
    QPushButton* SendBtn = nullptr;
    QPushButton* ChatBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    // Compose page
    QLabel* Label1 = nullptr; // "&Computer name:"
    QToolButton* CompNameBtn = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr; // id 0 single workstation, 1 all computers
    QPushButton* Toggle1 = nullptr;
    QLabel* el_Memo1 = nullptr;
    QTextEdit* Memo1 = nullptr; // the compose editor's text field
    QPushButton* ClearBtn = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    OptionsPage* Options = nullptr;
    // Menu
    QMenu* OptionsMenu = nullptr;
    QAction* IsPopupMenu = nullptr;
    QMenu* LanguageMenu = nullptr;
    QAction* Russian1 = nullptr;
    QAction* English1 = nullptr;
    QAction* ExitMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Cut2 = nullptr;
    QAction* Copy2 = nullptr;
    QAction* Paste2 = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* N2 = nullptr;
    QAction* AboutQt1 = nullptr; // "About &Qt"
    // Components
    TmdSecureMail* IcqSlot = nullptr;
    MessageListener* MsgServer = nullptr;
    QTimer* RxTimerEvent1 = nullptr; // presence timer
    QSystemTrayIcon* TrayIcon1 = nullptr;
    // The window's settings: placement and options (src/settings), in the
    // settings file that every window of this run shares.
    std::unique_ptr<SettingsFile> Settings;
    WidgetFormStorage* FormStorage1 = nullptr;

    // The address book on the Groups page (src/addressbook): it files the
    // computers of the network tree under its groups.
    GroupsPage* Groups = nullptr;
    // The compose editor with its toolbar, actions and context menu
    // (src/editor).
    ComposeEditor* Editor = nullptr;
    // Presence and the network tree (src/presence).
    std::unique_ptr<PresenceDirectory> Presence;
    // The message stores on the Incoming and Outgoing pages, where they keep
    // their messages, and sending and receiving (src/messaging).
    MessageHistory* History = nullptr;
    StorePage* Incoming = nullptr;
    StorePage* Outgoing = nullptr;
    MessagingController* Messaging = nullptr;
    // The chat room, created hidden (src/chat); it opens the private chats.
    TChatForm* ChatForm = nullptr;
    // The language commands and the caption switcher (src/settings).
    LanguageSwitch* Languages = nullptr;
    TDualLang* DualLang1 = nullptr;

    // Handlers
    void AppActivate();
    bool FormCloseQuery();
    void ExitMenuClick();
    void CloseBtnClick();
    void ChatBtnClick();
    void IsPopupMenuClick();
    void Russian1Click();
    void English1Click();
    // The steps of the menu command of that language; the settings restore
    // runs it with the stored language.
    void SetLanguage(corvane::Language language);
    // The Send button is enabled exactly when the compose editor has text and
    // a recipient is chosen.
    void Memo1Change();
    // A key that reached the window's shortcut handling; true when consumed.
    bool FormShortCut(int key, Qt::KeyboardModifiers modifiers);
    // Tray double click, or a second start: bring the window up; the first
    // time, this is its first showing and runs the restore steps.
    void RestoreApplication();
    // The restore and save steps below are in mainformsettings.cpp.
    // The restore steps of the first showing, unless they ran already; the
    // window is not shown (a start with --tray runs them at once, so the
    // computer is on the network from the start; its first showing later
    // only shows the window).
    void RestoreSettingsOnce();
    // The restore steps of the first showing, run by FormStorage1 after it
    // has read the stored values; an error ends them at their step.
    void FormStorage1RestorePlacement();
    // Run by FormStorage1 after it has written the stored values.
    void FormStorage1SavePlacement(FileWriter& files);
    // Help, About.
    void N2Click();
    // The desktop session ends (logout, SIGTERM, SIGINT): close without a
    // question.
    void SessionClose();
    bool EverShown() const { return everShown_; }
    bool HasTray() const;

    // Hooks of later subsystems, run by the shell.
    std::function<void()> SendBtnClick;
    std::function<void()> ChatWindowShow;
    std::vector<std::function<void()>> AfterEndpointOpen; // restore steps after the endpoint

Q_SIGNALS:
    // The close was allowed; the window is gone from the desktop.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // The window, its pages, the bottom panel and the menu.
    void BuildShell();
    // The listener, the presence timer, the tray icon and the presence
    // endpoint (closed), in that order.
    void StartComponents();
    // The chat room, hidden, and the chat command.
    void BuildChat();
    void BuildMenu();
    void BuildComposePage();
    void BuildBottomPanel();
    void StartMessageListener();
    // The keys of the window in their order: the focused control's context
    // menu, F5, the main menu, the editor's actions. The handler to run, or
    // none when the key is not the window's.
    std::function<void()> ShortcutFor(QWidget* focus, const QKeyEvent& key);
    // The items of the main menu in menu order (KeyRouting).
    QList<QAction*> MainMenuItems() const;
    void HideToTray();
    // The settings (mainformsettings.cpp): what is stored, and the end of
    // the first showing.
    void BuildFormStorage();
    void FinishFirstShowing();
    FormStorage& ChatStorage(QWidget* chatWindow);

    HostContext& context_;
    std::unique_ptr<DatagramNetwork> ownNetwork_;
    bool everShown_ = false;
    bool appActivated_ = false;
    bool closing_ = false;
    bool closeAllowed_ = false;
    bool asking_ = false; // the exit question is open
    bool sessionEnding_ = false;
    ShowState restoredShowState_ = ShowState::Normal;
};

} // namespace corvane
