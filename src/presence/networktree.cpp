#include "presence/networktree.h"

namespace corvane {

NetworkTree::NetworkTree(const GroupDirectory& directory) : directory_(directory) {
    AppendGroup(GroupDirectory::General);
}

NetworkTree::Node& NetworkTree::AppendGroup(const QString& name) {
    auto node = std::make_unique<Node>();
    node->text_ = name;
    Node& added = *node;
    added.position_ = top_.insert(top_.end(), std::move(node));
    groupsByName_.insert(name, &added);
    if (observer_)
        observer_->NodeAdded(added);
    return added;
}

NetworkTree::UpsertResult NetworkTree::UpsertComputerNode(const QString& computer,
                                                          const QString& alias, bool online) {
    if (Node* node = FindComputerNode(alias)) {
        if (node->record_->Online == online)
            return UpsertResult::Unchanged;
        node->record_->Online = online;
        if (observer_)
            observer_->RepaintRequested();
        return UpsertResult::FlagChanged;
    }
    const QString groupName = directory_.GroupOfUser(alias);
    Node* parent = FindGroupNode(groupName);
    if (!parent)
        parent = &AppendGroup(groupName);
    auto node = std::make_unique<Node>();
    node->text_ = alias;
    node->record_ = ComputerRecord{online, computer};
    node->parent_ = parent;
    Node& added = *node;
    added.position_ = parent->children_.insert(parent->children_.end(), std::move(node));
    computers_.insert(alias, &added);
    ++computerNames_[computer.toUpper()];
    if (observer_)
        observer_->NodeAdded(added);
    return UpsertResult::Added;
}

void NetworkTree::RemoveComputerNode(Node* node) {
    if (!node || !node->IsComputer())
        return;
    Node* group = node->parent_;
    if (observer_)
        observer_->NodeRemoving(*node);
    computers_.remove(node->text_);
    const QString name = node->record_->ComputerName.toUpper();
    if (int& n = computerNames_[name]; --n <= 0)
        computerNames_.remove(name);
    group->children_.erase(node->position_); // the record goes with its node
    if (group->children_.empty()) {
        if (observer_)
            observer_->NodeRemoving(*group);
        groupsByName_.remove(group->text_);
        top_.erase(group->position_);
    }
}

void NetworkTree::Clear() {
    if (observer_)
        observer_->TreeClearing();
    computers_.clear();
    computerNames_.clear();
    groupsByName_.clear();
    top_.clear();
}

NetworkTree::Node* NetworkTree::FindFirstNode(const QString& text) const {
    for (const auto& group : top_) {
        if (group->text_ == text)
            return group.get();
        for (const auto& child : group->children_)
            if (child->text_ == text)
                return child.get();
    }
    return nullptr;
}

std::vector<NetworkTree::Node*> NetworkTree::ComputerNodes() const {
    std::vector<Node*> nodes;
    nodes.reserve(size_t(computers_.size()));
    for (const auto& group : top_)
        for (const auto& child : group->children_)
            nodes.push_back(child.get());
    return nodes;
}

} // namespace corvane
