#pragma once
// The user's address book: a tree of groups, subgroups and users.
//
//   book     = *node                       (top level: groups)
//   node     = text, image index, *node    (children in their own order)
//   image 4  = a group or subgroup, image 5 = a user (a remote alias),
//   any other image = a node of no kind (0 after a failed kind look-up)
//
// New nodes go last among their siblings; a label edit sorts the siblings of
// the edited node (the whole tree, every level, for a top-level node). The
// node "General" cannot be renamed or deleted.
//
// The book is also the item model of the Groups page's tree, one column, so
// the view and the network tree's group look-up read the same nodes.
#include "addressbook/groupdirectory.h"

#include <QAbstractItemModel>
#include <QCollator>
#include <QList>
#include <memory>
#include <vector>

namespace corvane {

// One node in tree order, as the two files hold it.
struct GroupsEntry {
    int depth = 0; // 0 for the top level
    QString text;
    int image = 0;
    bool operator==(const GroupsEntry&) const = default;
};
using GroupsList = QList<GroupsEntry>;

class AddressBook : public QAbstractItemModel, public GroupDirectory {
    Q_OBJECT
public:
    static constexpr int GroupImage = 4;
    static constexpr int UserImage = 5;
    // Bounds that keep a damaged or hand-made file from freezing the window;
    // an address book of real people stays far below them.
    static constexpr int MaxNodes = 10000;
    static constexpr int MaxDepth = 32; // depth of the deepest node, top level 0
    static inline const QString NewNodeText = QStringLiteral("-----");
    // The image index of a node, for the view's drawing.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;

    struct Node {
        QString text;
        int image = 0;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        bool IsUser() const { return image == UserImage; }
        bool IsGeneral() const { return text == General; }
        int Depth() const;
    };

    explicit AddressBook(QObject* parent = nullptr);
    ~AddressBook() override;

    // The commands of the Groups page. selected may be null. Each returns
    // the new node, or null when the command does not apply; a command that
    // would pass MaxNodes or MaxDepth raises an error.
    // A group beside the selected node (a top-level group without one).
    Node* AddGroup(Node* selected);
    // A subgroup or user as the last child of the selected group, or of the
    // selected user's group; null with nothing selected or a top-level user.
    Node* AddSubgroup(Node* selected);
    Node* AddUser(Node* selected);
    static Node* ChildParentFor(Node* selected);
    // Deletes the node with everything below it; "General" stays.
    bool Remove(Node* node);
    // The text a label edit gave; sorts the siblings. False when the node may
    // not be edited. Leading blanks and tabs are dropped and line breaks
    // become blanks: the file would read them as levels and lines.
    bool SetText(Node* node, const QString& text);
    // TreeView2Editing: a label edit may start on any node but "General".
    static bool CanEdit(const Node* node) { return node && !node->IsGeneral(); }

    // The tree in file order, and its replacement by a loaded one. Depths
    // must step down freely and up by at most one (the reader checks that).
    GroupsList Entries() const;
    void Assign(const GroupsList& entries);
    int NodeCount() const { return count_; }
    // Grows with every change a person made (add, delete, rename).
    quint64 EditCount() const { return edits_; }
    const std::vector<std::unique_ptr<Node>>& TopLevel() const { return top_; }

    // The text of the first user node (tree order) with exactly this text;
    // "General" when there is none. A top-level user (only a hand-made file
    // has one) belongs to no group and counts as "General".
    QString GroupOfUser(const QString& alias) const override;

    Node* NodeAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    Node* Append(Node* parent, const QString& text, int image);
    Node* AddChild(Node* selected, int image);
    std::vector<std::unique_ptr<Node>>& SiblingsOf(Node* parent);
    const std::vector<std::unique_ptr<Node>>& SiblingsOf(const Node* parent) const;
    int RowOf(const Node* node) const;
    void SortSiblings(std::vector<std::unique_ptr<Node>>& siblings, bool everyLevel);

    std::vector<std::unique_ptr<Node>> top_;
    int count_ = 0;
    quint64 edits_ = 0;
    QCollator collator_;
};

} // namespace corvane
