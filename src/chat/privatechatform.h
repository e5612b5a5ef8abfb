#pragma once
// One side of a private chat in a window of its own. It opens its endpoint
// when first shown and is destroyed when it closes; its texts take the main
// window's language at creation.
#include "chat/chatui.h"
#include "chat/privatechat.h"

#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace corvane {

class TDualLang;

class TPrivateChatForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 393;
    static constexpr int DesignHeight = 280;

    // language: the main window's now; captionLanguage: the language of the
    // caption's first words. nickName reads the chat room's nick name.
    // budget: what all private chats hold together (none: only this area's
    // own bound).
    TPrivateChatForm(HostContext& context, const PrivateChatStart& start, Language language,
                     Language captionLanguage, std::function<QString()> nickName,
                     const ChatIcons& icons, ChatTextBudget* budget = nullptr,
                     QWidget* parent = nullptr);
    ~TPrivateChatForm() override;

    PrivateChat& Chat() { return *chat_; }
    const QString& PeerComputer() const { return chat_->PeerComputer(); }
    QString SlotName() const { return chat_->Slot1().Slot(); }
    // Closed and waiting to be destroyed.
    bool IsClosed() const { return closed_; }

    // Handlers
    void FormShow();
    void FormClose();
    void Edit1KeyDown();
    void Button1Click() { Edit1KeyDown(); }
    void BeepBtnClick();
    void ClearBtnClick();

    // The settings store (see TChatForm): saved when the window closes.
    std::function<void(QWidget* window)> RestoreFormSettings;
    std::function<void(QWidget* window)> SaveFormSettings;

    TDualLang* DualLang1 = nullptr; // takes the main window's language at creation
    QToolBar* ToolBar1 = nullptr;
    QToolButton* BeepBtn = nullptr;
    QToolButton* ClearBtn = nullptr;
    QTextEdit* Memo1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    HostContext& context_;
    ChatTextBudget* budget_ = nullptr;
    PrivateChat* chat_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
};

} // namespace corvane
