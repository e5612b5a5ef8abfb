#pragma once
// The network tree on the window: TreeView1 follows the NetworkTree node for
// node, drops down under the recipient button CompNameBtn, and sets the
// recipient caption from the chosen node. Caption rules:
//
//   string-table entry 0 ("Select an Recipient")  no recipient, no sending
//   string-table entry 1 ("ALL")                  every computer of the tree
//   any other text                                the chosen computer or group
//
// "Send To:" (RadioGroup1) switches between a chosen recipient (0) and
// everybody (1). "Show User Info..." of the tree's context menu shows a
// computer's name, alias and the address a TCP connection to it reaches.
#include "presence/networktree.h"
#include "presence/presenceprotocol.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <vector>

class QAction;
class QButtonGroup;
class QMenu;
class QPushButton;
class QToolButton;
class QTreeWidgetItem;
class QWidget;

namespace corvane {

class HostContext;
class LanguageState;

struct NetworkTreeControls {
    QWidget* TabSheet1 = nullptr;
    QToolButton* CompNameBtn = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr; // id 0 single workstation, 1 all computers
    QPushButton* SendBtn = nullptr;
    QIcon groupIcon;
    QIcon computerIcon;
};

class NetworkTreeView : public QObject, public RecipientHolder, private NetworkTree::Observer {
    Q_OBJECT
public:
    static constexpr int DropDownHeight = 161;
    // While the drop-down is shown, new nodes reach it in batches at most
    // this often: every insertion makes the view lay out all its rows again,
    // so one at a time would cost the square of a flood.
    static constexpr int InsertBatchMs = 40;

    // memo1Change recomputes the Send button; firstTreeOpen is the window's
    // flag, true until the first drop-down.
    NetworkTreeView(const NetworkTreeControls& controls, NetworkTree& tree, HostContext& context,
                    const LanguageState& language, bool& firstTreeOpen,
                    std::function<void()> memo1Change, QObject* parent = nullptr);
    ~NetworkTreeView() override;

    // Handlers
    void CompNameBtnClick();
    void TreeView1Change();
    void TreeView1DblClick();
    void TreeView1Exit();
    void RadioGroup1Click();
    void ShowUserInfo1Click();

    QString RecipientCaption() const override;
    void ResetRecipient() override;
    void ResetRecipientIfGone() override;

    // The node of the tree's selected item, or null.
    const NetworkTree::Node* SelectedNode() const;
    // For sending: the selected node, or when none is selected the first node,
    // selected now without becoming the recipient. Null for an empty tree.
    const NetworkTree::Node* SelectedOrFirstNode();
    // For answering a sender: selects the first node in tree order whose text
    // equals the text exactly, opening its group and scrolling to it; the
    // recipient caption then names it (also when it was selected already).
    // False when no node has that text.
    bool SelectNodeWithText(const QString& text);
    // The same, and when no node has that text yet (the window has just
    // opened its endpoint and the answers are on their way), selects it as
    // soon as it is listed, unless the user chose otherwise meanwhile.
    void SelectNodeWithTextWhenListed(const QString& text);
    QTreeWidgetItem* ItemOf(const NetworkTree::Node* node) {
        FlushPendingNodes();
        return items_.value(node);
    }
    // Puts the nodes that wait for the next batch into the view now.
    void FlushPendingNodes();
    const NetworkTree::Node* NodeOf(const QTreeWidgetItem* item) const;
    int RepaintRequests() const { return repaints_; }

    QMenu* PopupMenu1 = nullptr;
    QAction* ShowUserInfo1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void NodeAdded(const NetworkTree::Node& node) override;
    void InsertItems(const std::vector<const NetworkTree::Node*>& nodes);
    void NodeRemoving(const NetworkTree::Node& node) override;
    void TreeClearing() override;
    void RepaintRequested() override;
    void ShowContextMenu(const QPoint& pos);
    // Hides the dropped-down tree by keyboard: choosing the current node, or
    // going back to the choice from before the drop-down.
    void CloseDropDown(bool choose);

    NetworkTreeControls c_;
    QPointer<QTreeWidget> treeWidget_;
    NetworkTree& tree_;
    HostContext& context_;
    const LanguageState& language_;
    bool& firstTreeOpen_;
    std::function<void()> memo1Change_;
    QHash<const NetworkTree::Node*, QTreeWidgetItem*> items_;
    std::vector<const NetworkTree::Node*> pending_; // added, not yet in the view
    QTimer flushTimer_;
    int repaints_ = 0;
    QString captionBeforeDropDown_;
    QString wantedText_;    // to select once listed
    QString wantedCaption_; // the caption while it is wanted
    const NetworkTree::Node* nodeBeforeDropDown_ = nullptr;
};

} // namespace corvane
