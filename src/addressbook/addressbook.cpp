#include "addressbook/addressbook.h"

#include "common/errors.h"

#include <QLocale>
#include <algorithm>

namespace corvane {
namespace {

int SubtreeSize(const AddressBook::Node& node) {
    int n = 1;
    for (const auto& child : node.children)
        n += SubtreeSize(*child);
    return n;
}

// Sorting follows the user's language; without one (the "C" locale) English
// rules still put "apple" before "Banana", as a person expects.
QLocale CollationLocale() {
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QLocale(QLocale::English) : system;
}

QString CleanLabel(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype lead = 0;
    while (lead < text.size() &&
           (text[lead] == QLatin1Char(' ') || text[lead] == QLatin1Char('\t')))
        ++lead;
    return text.mid(lead);
}

} // namespace

int AddressBook::Node::Depth() const {
    int depth = 0;
    for (const Node* p = parent; p; p = p->parent)
        ++depth;
    return depth;
}

AddressBook::AddressBook(QObject* parent) : QAbstractItemModel(parent) {
    collator_ = QCollator(CollationLocale());
    collator_.setCaseSensitivity(Qt::CaseSensitive);
    Append(nullptr, General, GroupImage); // the book of a first start
}

AddressBook::~AddressBook() = default;

std::vector<std::unique_ptr<AddressBook::Node>>& AddressBook::SiblingsOf(Node* parent) {
    return parent ? parent->children : top_;
}

const std::vector<std::unique_ptr<AddressBook::Node>>&
AddressBook::SiblingsOf(const Node* parent) const {
    return parent ? parent->children : top_;
}

int AddressBook::RowOf(const Node* node) const {
    const auto& siblings = SiblingsOf(node->parent);
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == node)
            return int(i);
    return -1;
}

AddressBook::Node* AddressBook::Append(Node* parent, const QString& text, int image) {
    if (count_ >= MaxNodes)
        throw AppError(QStringLiteral("The address book holds at most %1 items").arg(MaxNodes));
    if (parent && parent->Depth() + 1 > MaxDepth)
        throw AppError(
            QStringLiteral("The address book goes at most %1 levels deep").arg(MaxDepth + 1));
    auto& siblings = SiblingsOf(parent);
    const int row = int(siblings.size());
    beginInsertRows(IndexOf(parent), row, row);
    auto node = std::make_unique<Node>();
    node->text = text;
    node->image = image;
    node->parent = parent;
    Node* raw = node.get();
    siblings.push_back(std::move(node));
    ++count_;
    endInsertRows();
    return raw;
}

AddressBook::Node* AddressBook::AddGroup(Node* selected) {
    Node* node = Append(selected ? selected->parent : nullptr, NewNodeText, GroupImage);
    ++edits_;
    return node;
}

AddressBook::Node* AddressBook::ChildParentFor(Node* selected) {
    if (!selected)
        return nullptr;
    return selected->IsUser() ? selected->parent : selected;
}

AddressBook::Node* AddressBook::AddChild(Node* selected, int image) {
    Node* parent = ChildParentFor(selected);
    if (!parent)
        return nullptr;
    Node* node = Append(parent, NewNodeText, image);
    ++edits_;
    return node;
}

AddressBook::Node* AddressBook::AddSubgroup(Node* selected) {
    return AddChild(selected, GroupImage);
}

AddressBook::Node* AddressBook::AddUser(Node* selected) {
    return AddChild(selected, UserImage);
}

bool AddressBook::Remove(Node* node) {
    if (!node || node->IsGeneral())
        return false;
    const int row = RowOf(node);
    auto& siblings = SiblingsOf(node->parent);
    beginRemoveRows(IndexOf(node->parent), row, row);
    count_ -= SubtreeSize(*node);
    siblings.erase(siblings.begin() + row);
    endRemoveRows();
    ++edits_;
    return true;
}

bool AddressBook::SetText(Node* node, const QString& text) {
    if (!CanEdit(node))
        return false;
    const QString clean = CleanLabel(text);
    if (clean != node->text) {
        node->text = clean;
        const QModelIndex index = IndexOf(node);
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    }
    ++edits_;
    // The rows move: the view keeps its selection and expanded nodes through
    // the persistent indexes, which follow their nodes.
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<const Node*> nodes;
    nodes.reserve(before.size());
    for (const QModelIndex& i : before)
        nodes.push_back(NodeAt(i));
    SortSiblings(SiblingsOf(node->parent), node->parent == nullptr);
    QModelIndexList after;
    after.reserve(before.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        after.append(nodes[i] ? IndexOf(nodes[i]).siblingAtColumn(before[i].column())
                              : QModelIndex());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
    return true;
}

void AddressBook::SortSiblings(std::vector<std::unique_ptr<Node>>& siblings, bool everyLevel) {
    std::stable_sort(siblings.begin(), siblings.end(),
                     [this](const std::unique_ptr<Node>& a, const std::unique_ptr<Node>& b) {
                         return collator_.compare(a->text, b->text) < 0;
                     });
    if (everyLevel)
        for (auto& node : siblings)
            SortSiblings(node->children, true);
}

GroupsList AddressBook::Entries() const {
    GroupsList out;
    out.reserve(count_);
    // Depth-first without recursion: the stack holds the siblings still to go.
    struct Level {
        const std::vector<std::unique_ptr<Node>>* nodes;
        size_t next;
    };
    std::vector<Level> stack{{&top_, 0}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.nodes->size()) {
            stack.pop_back();
            continue;
        }
        const Node& node = *(*level.nodes)[level.next++];
        out.append({int(stack.size()) - 1, node.text, node.image});
        if (!node.children.empty())
            stack.push_back({&node.children, 0});
    }
    return out;
}

void AddressBook::Assign(const GroupsList& entries) {
    beginResetModel();
    top_.clear();
    count_ = 0;
    std::vector<Node*> path; // the last node made at each depth
    for (const GroupsEntry& entry : entries) {
        const int depth = std::clamp(entry.depth, 0, int(path.size()));
        path.resize(depth);
        auto node = std::make_unique<Node>();
        node->text = entry.text;
        node->image = entry.image;
        node->parent = depth ? path.back() : nullptr;
        path.push_back(node.get());
        SiblingsOf(node->parent).push_back(std::move(node));
        ++count_;
    }
    endResetModel();
}

QString AddressBook::GroupOfUser(const QString& alias) const {
    std::vector<const Node*> stack;
    for (auto it = top_.rbegin(); it != top_.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->IsUser() && node->text == alias)
            return node->parent ? node->parent->text : General;
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return General;
}

AddressBook::Node* AddressBook::NodeAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Node*>(index.internalPointer());
}

QModelIndex AddressBook::IndexOf(const Node* node) const {
    if (!node)
        return {};
    return createIndex(RowOf(node), 0, const_cast<Node*>(node));
}

QModelIndex AddressBook::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    const auto& siblings = SiblingsOf(NodeAt(parent));
    if (row >= int(siblings.size()))
        return {};
    return createIndex(row, 0, siblings[row].get());
}

QModelIndex AddressBook::parent(const QModelIndex& child) const {
    const Node* node = NodeAt(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int AddressBook::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(SiblingsOf(NodeAt(parent)).size());
}

int AddressBook::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant AddressBook::data(const QModelIndex& index, int role) const {
    const Node* node = NodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::AccessibleTextRole:
        return node->text;
    case ImageIndexRole:
        return node->image;
    default:
        return {};
    }
}

bool AddressBook::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole)
        return false;
    return SetText(NodeAt(index), value.toString());
}

Qt::ItemFlags AddressBook::flags(const QModelIndex& index) const {
    const Node* node = NodeAt(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (CanEdit(node))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace corvane
