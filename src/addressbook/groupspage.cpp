#include "addressbook/groupspage.h"

#include "common/dialogservice.h"
#include "common/errors.h"
#include "common/hostcontext.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane {
namespace {

// TreeView2CustomDrawItem: a selected node bold in the highlight colours
// (also while the tree has no focus); any other node a group in the window's
// text colour, everything else blue. The picture is the node's image index.
class GroupsTreeDelegate : public QStyledItemDelegate {
public:
    static inline const QColor OtherNode{0, 0, 255};

    GroupsTreeDelegate(QList<QIcon> images, QObject* parent)
        : QStyledItemDelegate(parent), images_(std::move(images)) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const int image = index.data(AddressBook::ImageIndexRole).toInt();
        if (image >= 0 && image < images_.size()) {
            option->icon = images_[image];
            option->features |= QStyleOptionViewItem::HasDecoration;
        }
        QPalette& palette = option->palette;
        if (option->state.testFlag(QStyle::State_Selected)) {
            option->font.setBold(true);
            option->state |= QStyle::State_Active;
            return;
        }
        const QColor text = image == AddressBook::GroupImage
                                ? palette.color(QPalette::Active, QPalette::WindowText)
                                : OtherNode;
        for (auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, QPalette::Text, text);
    }

private:
    QList<QIcon> images_;
};

// The hourglass for the time of a step, back to normal also on an error.
struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

GroupsPage::GroupsPage(const GroupsPageControls& controls, HostContext& context,
                       std::function<void()> rebuildNetworkTree, QObject* parent)
    : QObject(parent), c_(controls), context_(context), rebuild_(std::move(rebuildNetworkTree)),
      files_(context.workDir) {
    BuildControls(c_.TabSheet4);
    ConnectButton(AddGroupBtn, &GroupsPage::AddGroupBtnClick);
    ConnectButton(AddUserBtn, &GroupsPage::AddUserBtnClick);
    ConnectButton(AddSubGroupBtn, &GroupsPage::AddSubGroupBtnClick);
    ConnectButton(DeleteUserBtn, &GroupsPage::DeleteUserBtnClick);
    ConnectButton(ApplyBtn, &GroupsPage::ApplyBtnClick);
    if (c_.ApplyBtn2)
        ConnectButton(c_.ApplyBtn2, &GroupsPage::ApplyBtnClick);
    if (c_.AliasEdit && c_.ApplyBtn2) // AliasEditKeyDown: Enter applies the new name
        connect(c_.AliasEdit, &QLineEdit::returnPressed, c_.ApplyBtn2, &QPushButton::click);

    connect(TreeView2->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &GroupsPage::TreeView2Change);
    // A renamed, removed or reloaded node changes what the buttons may do.
    connect(&book_, &QAbstractItemModel::dataChanged, this, &GroupsPage::TreeView2Change);
    connect(&book_, &QAbstractItemModel::rowsRemoved, this, &GroupsPage::TreeView2Change);
    connect(&book_, &QAbstractItemModel::modelReset, this, &GroupsPage::TreeView2Change);
    TreeView2Change();
}

GroupsPage::~GroupsPage() = default;

void GroupsPage::BuildControls(QWidget* page) {
    auto* row = new QHBoxLayout(page);
    TreeView2 = new QTreeView(page);
    TreeView2->setObjectName(QStringLiteral("TreeView2"));
    TreeView2->setAccessibleName(QStringLiteral("Groups"));
    TreeView2->setHeaderHidden(true);
    TreeView2->setIndentation(19);
    TreeView2->setUniformRowHeights(true);
    TreeView2->setMouseTracking(true); // hot tracking
    TreeView2->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView2->setEditTriggers(QAbstractItemView::SelectedClicked |
                               QAbstractItemView::EditKeyPressed);
    QFont font = TreeView2->font();
    font.setFamilies({QStringLiteral("MS Sans Serif"), font.family()});
    font.setBold(true);
    TreeView2->setFont(font);
    TreeView2->setItemDelegate(new GroupsTreeDelegate(c_.images, TreeView2));
    TreeView2->setModel(&book_);
    TreeView2->installEventFilter(this);
    row->addWidget(TreeView2, 1);

    auto* buttons = new QVBoxLayout;
    auto makeButton = [&](const char* name, const char* caption) {
        auto* button = new QPushButton(QLatin1String(caption), page);
        button->setObjectName(QLatin1String(name));
        buttons->addWidget(button);
        return button;
    };
    AddGroupBtn = makeButton("AddGroupBtn", "Add Group");
    AddUserBtn = makeButton("AddUserBtn", "Add User");
    AddSubGroupBtn = makeButton("AddSubGroupBtn", "Add Subgroup");
    DeleteUserBtn = makeButton("DeleteUserBtn", "Delete");
    buttons->addStretch(1);
    ApplyBtn = makeButton("ApplyBtn", "Apply");
    row->addLayout(buttons);
}

void GroupsPage::ConnectButton(QPushButton* button, void (GroupsPage::*handler)()) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { RunHandler(context_, [this, handler] { (this->*handler)(); }); });
}

void GroupsPage::LoadAddressBook() {
    files_.Load(book_);
}

void GroupsPage::SaveAddressBook(FileWriter& files) {
    files_.Save(book_, files);
}

AddressBook::Node* GroupsPage::Selected() const {
    return book_.NodeAt(TreeView2->selectionModel()->currentIndex());
}

void GroupsPage::StartEditing(AddressBook::Node* node) {
    if (!node)
        return;
    const QModelIndex index = book_.IndexOf(node);
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        TreeView2->expand(p);
    TreeView2->scrollTo(index);
    TreeView2->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    TreeView2->viewport()->update();
    TreeView2->setFocus();
    TreeView2->edit(index);
}

void GroupsPage::AddGroupBtnClick() {
    StartEditing(book_.AddGroup(Selected()));
}

void GroupsPage::AddSubGroupBtnClick() {
    StartEditing(book_.AddSubgroup(Selected()));
}

void GroupsPage::AddUserBtnClick() {
    StartEditing(book_.AddUser(Selected()));
}

void GroupsPage::DeleteUserBtnClick() {
    const AddressBook::Node* node = Selected();
    if (!node || node->IsGeneral())
        return;
    // The box runs the event loop: find the node again afterwards.
    const QPersistentModelIndex index(book_.IndexOf(node));
    const auto answer = context_.dialogs->MessageBox(
        DeleteQuestion, ApplicationTitle, DialogService::Icon::Question,
        DialogService::Yes | DialogService::No | DialogService::Cancel);
    if (answer == DialogService::Yes)
        book_.Remove(book_.NodeAt(index));
}

void GroupsPage::TreeView2Change() {
    AddressBook::Node* node = Selected();
    DeleteUserBtn->setEnabled(node && !node->IsGeneral());
    const bool canAddChild = AddressBook::ChildParentFor(node) != nullptr;
    AddUserBtn->setEnabled(canAddChild);
    AddSubGroupBtn->setEnabled(canAddChild);
}

void GroupsPage::ApplyBtnClick() {
    BusyCursor busy;
    if (rebuild_)
        rebuild_();
}

bool GroupsPage::TreeView2KeyDown(int key) {
    if (key != Qt::Key_Delete)
        return false;
    RunHandler(context_, [this] { DeleteUserBtnClick(); });
    return true;
}

bool GroupsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView2 && event->type() == QEvent::KeyPress &&
        TreeView2KeyDown(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
