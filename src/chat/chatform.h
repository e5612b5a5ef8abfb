#pragma once
// The chat room window: created hidden with the main window and shown by its
// chat command. While it is shown its room listens on "CHATSLOT3"; closing
// hides it after the departure is announced. The window holds the controls
// and forwards their events to the room (chatroom.h).
#include "chat/chatroom.h"
#include "chat/chatui.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSplitter;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace corvane {

class LanguageState;
class TDualLang;
class TPrivateChatForm;

class TChatForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 539;
    static constexpr int DesignHeight = 359;
    static constexpr int MinWidth = 459;
    static constexpr int MinHeight = 328;
    static constexpr int DefaultPanelWidth = 140;
    static inline const QColor ArrivalColour{0, 128, 0};
    static inline const QColor DepartureColour{255, 0, 0};

    // mainLanguage is the main window's language, taken at each showing.
    TChatForm(HostContext& context, const LanguageState& mainLanguage, const ChatIcons& icons,
              QWidget* parent = nullptr);
    ~TChatForm() override;

    ChatRoom& Room() { return *room_; }
    Language CurrentLanguage() const { return room_->CurrentLanguage(); }

    // The main window's chat command: shows the window (running the opening
    // steps when it was hidden) and brings it to the front.
    void ShowChat();
    // The program ends: every private chat and the room (when shown) close
    // as if the user closed them, so the other members hear of it.
    void CloseForExit();
    // The private chat windows open now.
    QList<TPrivateChatForm*> PrivateChats() const;
    // Opens a private chat window (either side); none beyond the bound.
    TPrivateChatForm* OpenPrivateChat(const PrivateChatStart& start);

    // The settings store of the room and of each private chat window:
    // restored when a window is shown (before its opening steps), saved when
    // it closes. Set by whoever keeps the settings.
    std::function<void(QWidget* window)> RestoreFormSettings;
    std::function<void(QWidget* window)> SaveFormSettings;

    // The width of the member panel (stored with the window's settings).
    int Panel3Width() const;
    void SetPanel3Width(int width);

    // Handlers
    void FormShow();
    void FormClose();
    void Edit1KeyDown();
    void Button1Click();
    void Edit2Enter();
    void Edit2Exit();
    void Edit2KeyDown();
    void ListView1Change();
    void PrivateChat1Click();
    void Beep1Click();
    void ClearBtnClick();
    void SaveToFile1Click();
    void Exit1Click();
    void DispSysMenuClick();
    void OnTopMenuClick();
    void FocusMessageLine();
    // The selected entry of the member list, or -1.
    int SelectedMember() const;

    // Controls
    TDualLang* DualLang1 = nullptr; // takes the main window's language at each showing
    QToolBar* ToolBar1 = nullptr;
    QToolButton* PrivChatBtn = nullptr;
    QToolButton* BeepUserBtn = nullptr;
    QToolButton* ClearBtn = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTextEdit* Memo1 = nullptr;
    QWidget* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QListWidget* ListView1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* PrivReqMenu = nullptr;
    QAction* BeepMenu = nullptr;
    QAction* SaveToFile1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* DispSysMenu = nullptr;
    QAction* OnTopMenu = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* PrivateChat1 = nullptr;
    QAction* Beep1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenu();
    void BuildControls();
    void BuildToolBar();
    void BuildMemberPanel();
    void SetMemberCommands(bool enabled);
    void WriteLine(const QString& text, ChatLineKind kind);

    HostContext& context_;
    const LanguageState& mainLanguage_;
    ChatIcons icons_;
    ChatRoom* room_ = nullptr;
    QList<QPointer<TPrivateChatForm>> privateChats_;
    ChatTextBudget privateText_; // outlives the windows: the destructor deletes them
    bool nickFocused_ = false;
};

} // namespace corvane
