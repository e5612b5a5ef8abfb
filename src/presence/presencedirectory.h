#pragma once
// The presence subsystem of the main window: the network tree, the protocol
// that fills it, the drop-down view of it, and the online toggle. The window
// gives its controls; this object connects them and owns their handlers.
#include "presence/networktree.h"
#include "presence/networktreeview.h"
#include "presence/presenceprotocol.h"
#include "transport/mailslot.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QPushButton;
class QTimer;

namespace corvane {

class GroupDirectory;
class HostContext;
class LanguageState;
class SlotWriter;
class SourceAnswer;

struct PresenceControls {
    NetworkTreeControls tree;
    QPushButton* Toggle1 = nullptr; // on = online
    TmdSecureMail* IcqSlot = nullptr;
    QTimer* RxTimerEvent1 = nullptr;
    std::function<QString()> alias;    // the alias field's text now
    std::function<void()> memo1Change; // recomputes the Send button
};

struct PresenceState {
    const LanguageState& language;
    bool& onlineFlag;    // OnlineFlag
    bool& firstTreeOpen; // FirstTreeOpen
};

class PresenceDirectory : public QObject {
    Q_OBJECT
public:
    static inline const QColor OnlineCaption{0, 128, 0};
    static inline const QColor OfflineCaption{255, 0, 0};

    PresenceDirectory(const PresenceControls& controls, const PresenceState& state,
                      HostContext& context, const GroupDirectory& groups,
                      QObject* parent = nullptr);
    ~PresenceDirectory() override;

    NetworkTree& Tree() { return tree_; }
    PresenceProtocol& Protocol() { return protocol_; }
    NetworkTreeView& View() { return view_; }

    // The toggle has changed its state (also run by the settings restore when
    // the stored state is off).
    void Toggle1Click();
    // Caption and colour of the toggle for its state, in the current language.
    void UpdateToggle1();
    // Clears the tree with its records and asks every computer again.
    void ApplyBtnClick() { protocol_.RebuildTree(); }

private:
    bool SendPresence(const QString& target, const QByteArray& text, bool request);
    void AskBack(const QString& computer, const QHostAddress& from);

    PresenceControls c_;
    QPointer<TmdSecureMail> slot_; // the window may delete its endpoint first
    PresenceState state_;
    HostContext& context_;
    NetworkTree tree_;
    PresenceProtocol protocol_;
    NetworkTreeView view_;
    SlotWriter* writer_ = nullptr;
    SourceAnswer* answerer_ = nullptr;
};

} // namespace corvane
