#pragma once
// The network tree: the computers that run the program, filed under groups.
//
//   tree     = *group
//   group    = node with the group's name (image 4), no record
//   computer = node with the remote user's alias (image 5), child of a group,
//              owning one ComputerRecord
//
// Nodes are only ever appended: a new group goes after every group, a new
// computer becomes the last child of its group. Tree order is a depth-first
// walk, each group followed by its computers. A group goes together with its
// last computer (or with the whole tree). The tree starts with the empty
// group "General".
//
// An alias names at most one computer node: a node is added only when no
// computer node has that text. So the first computer node with an alias in
// tree order is the only one, and both lookups are hash lookups.
#include "addressbook/groupdirectory.h"

#include <QHash>
#include <QString>
#include <list>
#include <memory>
#include <optional>
#include <vector>

namespace corvane {

struct ComputerRecord {
    bool Online = false;  // only true is drawn as online
    QString ComputerName; // the host name used for TCP, as announced
};

class NetworkTree {
public:
    static constexpr int GroupImage = 4;
    static constexpr int ComputerImage = 5;

    class Node {
    public:
        const QString& Text() const { return text_; }
        bool IsComputer() const { return record_.has_value(); }
        int ImageIndex() const { return IsComputer() ? ComputerImage : GroupImage; }
        // The record of a computer node, null for a group.
        ComputerRecord* Record() { return record_ ? &*record_ : nullptr; }
        const ComputerRecord* Record() const { return record_ ? &*record_ : nullptr; }
        // The group of a computer node, null for a group.
        Node* Parent() const { return parent_; }
        const std::list<std::unique_ptr<Node>>& Children() const { return children_; }

    private:
        friend class NetworkTree;
        QString text_;
        std::optional<ComputerRecord> record_;
        Node* parent_ = nullptr;
        std::list<std::unique_ptr<Node>>::iterator position_;
        std::list<std::unique_ptr<Node>> children_;
    };

    // Told about every change, so a view can follow the tree.
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void NodeAdded(const Node& node) = 0;
        // Before the node (a computer, or an empty group) is deleted.
        virtual void NodeRemoving(const Node& node) = 0;
        // Before every node is deleted.
        virtual void TreeClearing() = 0;
        // A computer's online flag changed and the tree should be drawn again.
        virtual void RepaintRequested() = 0;
    };

    enum class UpsertResult { Added, FlagChanged, Unchanged };

    explicit NetworkTree(const GroupDirectory& directory);
    NetworkTree(const NetworkTree&) = delete;
    NetworkTree& operator=(const NetworkTree&) = delete;

    void SetObserver(Observer* observer) { observer_ = observer; }
    const GroupDirectory& Directory() const { return directory_; }

    // The computer node whose text equals the alias exactly, or null.
    Node* FindComputerNode(const QString& alias) const { return computers_.value(alias); }
    // The group node whose text equals the name exactly, or null. Only group
    // nodes count, so a computer is never filed under another computer that
    // happens to carry the group's name.
    Node* FindGroupNode(const QString& name) const { return groupsByName_.value(name); }

    // The first node in tree order, group or computer, whose text equals the
    // text exactly, or null.
    Node* FindFirstNode(const QString& text) const;

    // Updates the online flag of the alias's node (the record's computer name
    // stays), or appends a node under the alias's group.
    UpsertResult UpsertComputerNode(const QString& computer, const QString& alias, bool online);
    // Deletes a computer node with its record, and its group when that has no
    // computer left.
    void RemoveComputerNode(Node* node);
    // Deletes every node (the "General" group too).
    void Clear();
    // Asks the view to draw the tree again (after flags were set directly).
    void RequestRepaint() {
        if (observer_)
            observer_->RepaintRequested();
    }

    const std::list<std::unique_ptr<Node>>& TopLevel() const { return top_; }
    // Every computer node in tree order.
    std::vector<Node*> ComputerNodes() const;
    int ComputerCount() const { return int(computers_.size()); }
    // Whether a node's record names this computer (letter case aside).
    bool HasComputer(const QString& name) const { return computerNames_.contains(name.toUpper()); }
    // Every node in tree order.
    template <class F> void ForEachNode(F&& f) const {
        for (const auto& group : top_) {
            f(*group);
            for (const auto& child : group->children_)
                f(*child);
        }
    }

private:
    Node& AppendGroup(const QString& name);

    const GroupDirectory& directory_;
    Observer* observer_ = nullptr;
    std::list<std::unique_ptr<Node>> top_;
    QHash<QString, Node*> computers_;
    QHash<QString, int> computerNames_; // upper case: nodes whose record names it
    QHash<QString, Node*> groupsByName_;
};

} // namespace corvane
