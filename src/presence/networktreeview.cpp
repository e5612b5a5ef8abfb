#include "presence/networktreeview.h"

#include "common/hostcontext.h"
#include "common/timedwait.h"
#include "presence/infoform.h"
#include "presence/nodecolors.h"
#include "settings/stringtable.h"

#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTcpSocket>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

namespace corvane {
namespace {

constexpr int NodeRole = Qt::UserRole;

const NetworkTree::Node* NodeFromIndex(const QModelIndex& index) {
    return reinterpret_cast<const NetworkTree::Node*>(index.data(NodeRole).value<quintptr>());
}

// TreeView1CustomDrawItem: the colours of each node, before the default
// drawing. The node's record is read at drawing time, so a changed online
// flag needs only a repaint of the viewport.
class NetworkTreeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const NetworkTree::Node* node = NodeFromIndex(index);
        if (!node)
            return;
        const bool selected = option->state.testFlag(QStyle::State_Selected);
        const ComputerRecord* record = node->Record();
        const NetworkNodeColors colors = NetworkNodeColors::For(
            record != nullptr, record && record->Online, selected, option->palette);
        option->font.setBold(option->font.bold() || colors.bold);
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            option->palette.setColor(group, QPalette::Text, colors.text);
            if (colors.background) {
                option->palette.setColor(group, QPalette::HighlightedText, colors.text);
                option->palette.setColor(group, QPalette::Highlight, *colors.background);
            }
        }
        if (colors.background)
            option->backgroundBrush = *colors.background;
    }
};

// A node's selected image is its image: no tint of the selection.
QIcon SameWhenSelected(const QIcon& icon) {
    QIcon same;
    for (const QSize& size : icon.availableSizes()) {
        const QPixmap pixmap = icon.pixmap(size);
        same.addPixmap(pixmap, QIcon::Normal);
        same.addPixmap(pixmap, QIcon::Selected);
    }
    return same;
}

} // namespace

NetworkTreeView::NetworkTreeView(const NetworkTreeControls& controls, NetworkTree& tree,
                                 HostContext& context, const LanguageState& language,
                                 bool& firstTreeOpen, std::function<void()> memo1Change,
                                 QObject* parent)
    : QObject(parent), c_(controls), treeWidget_(controls.TreeView1), tree_(tree),
      context_(context), language_(language), firstTreeOpen_(firstTreeOpen),
      memo1Change_(std::move(memo1Change)) {
    c_.groupIcon = SameWhenSelected(c_.groupIcon);
    c_.computerIcon = SameWhenSelected(c_.computerIcon);
    QTreeWidget* view = c_.TreeView1;
    view->setItemDelegate(new NetworkTreeDelegate(view));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformRowHeights(true);
    view->setMouseTracking(true); // hot tracking
    QFont font = view->font();
    font.setFamilies({QStringLiteral("MS Sans Serif"), font.family()});
    font.setBold(true);
    view->setFont(font);
    // The selected row is navy across its whole width, the branch area too.
    QPalette palette = view->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::Highlight, NetworkNodeColors::SelectedBackground);
    view->setPalette(palette);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);

    PopupMenu1 = new QMenu(view);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ShowUserInfo1 = PopupMenu1->addAction(QStringLiteral("&Show User Info..."));
    ShowUserInfo1->setObjectName(QStringLiteral("ShowUserInfo1"));

    connect(view, &QTreeWidget::itemSelectionChanged, this, &NetworkTreeView::TreeView1Change);
    connect(view, &QTreeWidget::itemDoubleClicked, this, &NetworkTreeView::TreeView1DblClick);
    connect(view, &QWidget::customContextMenuRequested, this, &NetworkTreeView::ShowContextMenu);
    connect(ShowUserInfo1, &QAction::triggered, this, &NetworkTreeView::ShowUserInfo1Click);
    connect(c_.CompNameBtn, &QToolButton::clicked, this, &NetworkTreeView::CompNameBtnClick);
    // The choice changes also when a program step checks the other item.
    connect(c_.RadioGroup1Items, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            RadioGroup1Click();
    });

    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(InsertBatchMs);
    connect(&flushTimer_, &QTimer::timeout, this, &NetworkTreeView::FlushPendingNodes);

    // Follow the tree from here on, starting with what it holds now.
    tree_.ForEachNode([this](const NetworkTree::Node& node) { NodeAdded(node); });
    tree_.SetObserver(this);
}

NetworkTreeView::~NetworkTreeView() {
    tree_.SetObserver(nullptr);
    // The items point at nodes of the tree, which goes with this view.
    if (treeWidget_) {
        QObject::disconnect(treeWidget_, nullptr, this, nullptr);
        treeWidget_->clear();
    }
}

const NetworkTree::Node* NetworkTreeView::NodeOf(const QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<const NetworkTree::Node*>(
                      item->data(0, NodeRole).value<quintptr>())
                : nullptr;
}

const NetworkTree::Node* NetworkTreeView::SelectedNode() const {
    // Nodes still waiting for their batch cannot be selected yet.
    const QList<QTreeWidgetItem*> selected = c_.TreeView1->selectedItems();
    return selected.isEmpty() ? nullptr : NodeOf(selected.first());
}

const NetworkTree::Node* NetworkTreeView::SelectedOrFirstNode() {
    FlushPendingNodes();
    if (const NetworkTree::Node* node = SelectedNode())
        return node;
    QTreeWidgetItem* first = c_.TreeView1->topLevelItem(0);
    if (!first)
        return nullptr;
    const QSignalBlocker quiet(c_.TreeView1); // the caption stays as it is
    c_.TreeView1->setCurrentItem(first);
    return NodeOf(first);
}

bool NetworkTreeView::SelectNodeWithText(const QString& text) {
    QTreeWidgetItem* item = ItemOf(tree_.FindFirstNode(text));
    if (!item)
        return false;
    c_.TreeView1->scrollToItem(item); // opens the group
    if (item->isSelected())
        TreeView1Change();
    else
        c_.TreeView1->setCurrentItem(item);
    return true;
}

void NetworkTreeView::SelectNodeWithTextWhenListed(const QString& text) {
    wantedText_.clear();
    if (SelectNodeWithText(text))
        return;
    wantedText_ = text;
    wantedCaption_ = c_.CompNameBtn->text();
}

void NetworkTreeView::NodeAdded(const NetworkTree::Node& node) {
    if (c_.TreeView1->isVisible() || !pending_.empty()) {
        pending_.push_back(&node);
        if (!flushTimer_.isActive())
            flushTimer_.start();
        if (!c_.TreeView1->isVisible())
            FlushPendingNodes(); // hidden: no layout to spare
        return;
    }
    InsertItems({&node});
}

void NetworkTreeView::FlushPendingNodes() {
    flushTimer_.stop();
    if (pending_.empty())
        return;
    std::vector<const NetworkTree::Node*> nodes;
    nodes.swap(pending_);
    InsertItems(nodes);
}

void NetworkTreeView::InsertItems(const std::vector<const NetworkTree::Node*>& nodes) {
    // Consecutive nodes of one parent go in with one insertion.
    QList<QTreeWidgetItem*> run;
    QTreeWidgetItem* runParent = nullptr;
    auto insertRun = [&] {
        if (run.isEmpty())
            return;
        if (runParent)
            runParent->addChildren(run);
        else
            c_.TreeView1->addTopLevelItems(run);
        run.clear();
    };
    for (const NetworkTree::Node* node : nodes) {
        QTreeWidgetItem* parent = node->Parent() ? items_.value(node->Parent()) : nullptr;
        if (parent != runParent) {
            insertRun();
            runParent = parent;
        }
        auto* item = new QTreeWidgetItem;
        item->setText(0, node->Text());
        item->setIcon(0, node->IsComputer() ? c_.computerIcon : c_.groupIcon);
        item->setData(0, NodeRole, QVariant::fromValue(quintptr(node)));
        items_.insert(node, item);
        run.append(item);
    }
    insertRun();
    if (wantedText_.isEmpty())
        return;
    if (c_.CompNameBtn->text() != wantedCaption_) {
        wantedText_.clear(); // the user has chosen since
        return;
    }
    for (const NetworkTree::Node* node : nodes)
        if (node->Text() == wantedText_) {
            wantedText_.clear();
            SelectNodeWithText(node->Text());
            return;
        }
}

void NetworkTreeView::NodeRemoving(const NetworkTree::Node& node) {
    if (nodeBeforeDropDown_ == &node)
        nodeBeforeDropDown_ = nullptr;
    QTreeWidgetItem* item = items_.take(&node);
    if (!item) {
        const auto waiting = std::find(pending_.begin(), pending_.end(), &node);
        if (waiting != pending_.end())
            pending_.erase(waiting);
        return;
    }
    // A removed node leaves nothing chosen; the view must not move the
    // choice to a neighbour on its own.
    if (item->isSelected())
        c_.TreeView1->clearSelection();
    if (c_.TreeView1->currentItem() == item)
        c_.TreeView1->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
    delete item;
}

void NetworkTreeView::TreeClearing() {
    nodeBeforeDropDown_ = nullptr;
    pending_.clear();
    flushTimer_.stop();
    items_.clear();
    c_.TreeView1->clear();
}

void NetworkTreeView::RepaintRequested() {
    ++repaints_;
    c_.TreeView1->viewport()->update();
}

QString NetworkTreeView::RecipientCaption() const {
    return c_.CompNameBtn->text();
}

void NetworkTreeView::ResetRecipient() {
    c_.CompNameBtn->setText(language_.Text(Strings::SelectRecipient));
    c_.SendBtn->setEnabled(false);
}

void NetworkTreeView::ResetRecipientIfGone() {
    const QString caption = c_.CompNameBtn->text();
    if (caption != language_.Text(Strings::SelectRecipient) &&
        caption != language_.Text(Strings::All) && !tree_.FindFirstNode(caption))
        ResetRecipient();
}

void NetworkTreeView::CompNameBtnClick() {
    QTreeWidget* view = c_.TreeView1;
    if (!c_.CompNameBtn->isChecked()) {
        view->hide();
        return;
    }
    if (view->parentWidget() != c_.TabSheet1)
        view->setParent(c_.TabSheet1);
    FlushPendingNodes();
    const QPoint at = c_.CompNameBtn->mapTo(c_.TabSheet1, QPoint(0, 0));
    view->setGeometry(at.x(), at.y() + c_.CompNameBtn->height() + 1, c_.CompNameBtn->width(),
                      DropDownHeight);
    view->show();
    view->raise();
    if (firstTreeOpen_) {
        view->expandAll();
        firstTreeOpen_ = false;
    }
    c_.CompNameBtn->setChecked(true);
    // Esc goes back to what was chosen before the tree opened.
    captionBeforeDropDown_ = c_.CompNameBtn->text();
    nodeBeforeDropDown_ = SelectedNode();
    view->setFocus(Qt::OtherFocusReason);
}

void NetworkTreeView::CloseDropDown(bool choose) {
    if (choose) {
        TreeView1DblClick();
    } else {
        QTreeWidgetItem* before = items_.value(nodeBeforeDropDown_);
        {
            const QSignalBlocker quiet(c_.TreeView1);
            if (before)
                c_.TreeView1->setCurrentItem(before);
            else
                c_.TreeView1->clearSelection();
        }
        c_.CompNameBtn->setText(captionBeforeDropDown_);
        if (memo1Change_)
            memo1Change_();
        c_.TreeView1->hide();
    }
    // The focus goes back to the button, which releases it.
    c_.CompNameBtn->setChecked(false);
    c_.CompNameBtn->setFocus(Qt::OtherFocusReason);
}

void NetworkTreeView::TreeView1Change() {
    if (const NetworkTree::Node* node = SelectedNode())
        c_.CompNameBtn->setText(node->Text());
    if (memo1Change_)
        memo1Change_();
}

void NetworkTreeView::TreeView1DblClick() {
    if (const NetworkTree::Node* node = SelectedNode())
        c_.CompNameBtn->setText(node->Text());
    c_.TreeView1->hide();
}

void NetworkTreeView::TreeView1Exit() {
    c_.CompNameBtn->setChecked(false);
    c_.TreeView1->hide();
}

bool NetworkTreeView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == c_.TreeView1 && event->type() == QEvent::KeyPress) {
        // Enter chooses the node under the cursor, Esc keeps the earlier
        // choice; both close the tree.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if ((enter || key->key() == Qt::Key_Escape) && key->modifiers() == Qt::NoModifier) {
            CloseDropDown(enter);
            return true;
        }
    }
    if (watched == c_.TreeView1 && event->type() == QEvent::FocusOut) {
        // A context menu or another application taking the keyboard does not
        // leave the tree; moving to another control of the window does.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            TreeView1Exit();
    }
    return QObject::eventFilter(watched, event);
}

void NetworkTreeView::RadioGroup1Click() {
    if (c_.RadioGroup1Items->checkedId() == 1) {
        c_.CompNameBtn->setText(language_.Text(Strings::All));
        c_.CompNameBtn->setEnabled(false);
        if (memo1Change_)
            memo1Change_();
    } else {
        c_.CompNameBtn->setText(language_.Text(Strings::SelectRecipient));
        c_.CompNameBtn->setEnabled(true);
        c_.SendBtn->setEnabled(false);
    }
}

void NetworkTreeView::ShowContextMenu(const QPoint& pos) {
    // A right click chooses the node under the mouse first.
    if (QTreeWidgetItem* item = c_.TreeView1->itemAt(pos))
        c_.TreeView1->setCurrentItem(item);
    PopupMenu1->popup(c_.TreeView1->viewport()->mapToGlobal(pos));
}

void NetworkTreeView::ShowUserInfo1Click() {
    const NetworkTree::Node* node = SelectedNode();
    if (!node || !node->IsComputer())
        return;
    // Taken before the wait: the node may go while the wait runs.
    const QString computer = node->Record()->ComputerName;
    const QString alias = node->Text();

    QTcpSocket socket;
    const quint16 port = context_.network.messagePort;
    if (context_.resolver.ResolvesAtOnce(computer))
        socket.connectToHost(context_.resolver.Resolve(computer), port);
    else if (!computer.isEmpty())
        socket.connectToHost(computer, port, QIODevice::ReadWrite, QAbstractSocket::IPv4Protocol);
    QPointer<NetworkTreeView> alive(this);
    PumpMessagesFor(context_.timings.userInfoWaitMs);
    if (!alive)
        return;

    // A connection that failed or is still on its way leaves the address
    // empty; nothing else is reported (no message was being sent).
    QString address;
    if (socket.state() == QAbstractSocket::ConnectedState) {
        bool ok = false;
        const quint32 v4 = socket.peerAddress().toIPv4Address(&ok);
        address = ok ? QHostAddress(v4).toString() : socket.peerAddress().toString();
    }
    TInfoForm form(c_.TreeView1->window());
    form.CompName->setText(computer);
    form.AliasName->setText(alias);
    form.IP->setText(address);
    form.exec();
    socket.close();
}

} // namespace corvane
