#include "addressbook/addressbook.h"

#include "common/errors.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <gtest/gtest.h>

using namespace corvane;
using Node = AddressBook::Node;

namespace {

// Writes a tree as "text/image" lines indented by depth, for comparisons.
QStringList Shape(const AddressBook& book) {
    QStringList out;
    for (const GroupsEntry& e : book.Entries())
        out << QString(e.depth, QLatin1Char(' ')) + e.text + QLatin1Char('/') +
                   QString::number(e.image);
    return out;
}

Node* Find(const AddressBook& book, const QString& text) {
    Node* found = nullptr;
    std::function<void(const std::vector<std::unique_ptr<Node>>&)> walk = [&](const auto& nodes) {
        for (const auto& n : nodes) {
            if (!found && n->text == text)
                found = n.get();
            walk(n->children);
        }
    };
    walk(book.TopLevel());
    return found;
}

Node* Top(const AddressBook& book) {
    return book.TopLevel()[0].get();
}

// General, Office{Ann(user), Team{Bob(user)}}, Home
void MakeOffice(AddressBook& book) {
    book.Assign({{0, "General", 4},
                 {0, "Office", 4},
                 {1, "Ann", 5},
                 {1, "Team", 4},
                 {2, "Bob", 5},
                 {0, "Home", 4}});
}

} // namespace

TEST(AddressBook, CommandsPlaceNewNodesAfterTheSelection) {
    struct Case {
        const char* name;
        const char* selected; // null: nothing selected
        Node* (AddressBook::*command)(Node*);
        const char* parent; // null: top level; "-" no node is added
        int image;
    };
    const Case cases[] = {
        {"group with nothing selected", nullptr, &AddressBook::AddGroup, nullptr, 4},
        {"group beside a group", "Office", &AddressBook::AddGroup, nullptr, 4},
        {"group beside a user, inside its group", "Ann", &AddressBook::AddGroup, "Office", 4},
        {"user under a group", "Home", &AddressBook::AddUser, "Home", 5},
        {"user while a user is selected", "Bob", &AddressBook::AddUser, "Team", 5},
        {"subgroup while a user is selected", "Ann", &AddressBook::AddSubgroup, "Office", 4},
        {"subgroup under a subgroup", "Team", &AddressBook::AddSubgroup, "Team", 4},
        {"user with nothing selected", nullptr, &AddressBook::AddUser, "-", 0},
        {"subgroup with nothing selected", nullptr, &AddressBook::AddSubgroup, "-", 0},
    };
    for (const Case& c : cases) {
        AddressBook book;
        MakeOffice(book);
        QAbstractItemModelTester tester(&book,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        const int before = book.NodeCount();
        const quint64 edits = book.EditCount();
        Node* node = (book.*c.command)(c.selected ? Find(book, c.selected) : nullptr);
        if (QLatin1String(c.parent ? c.parent : "") == QLatin1String("-")) {
            EXPECT_EQ(node, nullptr) << c.name;
            EXPECT_EQ(book.NodeCount(), before) << c.name;
            continue;
        }
        ASSERT_NE(node, nullptr) << c.name;
        EXPECT_EQ(node->text, "-----") << c.name;
        EXPECT_EQ(node->image, c.image) << c.name;
        EXPECT_EQ(node->parent, c.parent ? Find(book, c.parent) : nullptr) << c.name;
        const auto& siblings = node->parent ? node->parent->children : book.TopLevel();
        EXPECT_EQ(siblings.back().get(), node) << c.name << ": last among its siblings";
        EXPECT_EQ(book.NodeCount(), before + 1) << c.name;
        EXPECT_GT(book.EditCount(), edits) << c.name;
    }
}

TEST(AddressBook, ALabelEditedToGeneralIsLockedAndLeadingBlanksGo) {
    AddressBook book;
    MakeOffice(book);
    QAbstractItemModelTester tester(&book, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_FALSE(book.SetText(Top(book), "Other"));
    EXPECT_TRUE(book.Remove(Find(book, "Team"))); // with Bob below it
    EXPECT_EQ(book.NodeCount(), 4);
    EXPECT_EQ(book.GroupOfUser("Bob"), "General");
    Node* home = Find(book, "Home");
    ASSERT_TRUE(book.SetText(home, "General"));
    EXPECT_FALSE(AddressBook::CanEdit(home));
    EXPECT_FALSE(book.Remove(home));
    Node* ann = Find(book, "Ann");
    // A leading blank or tab would come back from the file as a level.
    ASSERT_TRUE(book.setData(book.IndexOf(ann), QStringLiteral(" \t Ann\nLee")));
    EXPECT_EQ(ann->text, "Ann Lee");
}

TEST(AddressBook, ALabelEditSortsItsSiblingsTheTopLevelSortsEveryLevel) {
    AddressBook book;
    book.Assign({{0, "General", 4},
                 {0, "b", 4},
                 {1, "zed", 5},
                 {1, "Bob", 5},
                 {1, "bob", 5},
                 {0, "B", 4},
                 {1, "y", 5},
                 {1, "x", 5}});
    QAbstractItemModelTester tester(&book, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QPersistentModelIndex selected(book.IndexOf(Find(book, "zed")));
    // A child's edit sorts its siblings only; letter case counts, small first.
    ASSERT_TRUE(book.SetText(Find(book, "zed"), "Anna"));
    EXPECT_EQ(Shape(book), QStringList({"General/4", "b/4", " Anna/5", " bob/5", " Bob/5", "B/4",
                                        " y/5", " x/5"}));
    EXPECT_EQ(book.NodeAt(selected)->text, "Anna") << "the selection follows its node";
    // A top-level edit sorts the whole tree.
    ASSERT_TRUE(book.SetText(Find(book, "B"), "a"));
    EXPECT_EQ(Shape(book), QStringList({"a/4", " x/5", " y/5", "b/4", " Anna/5", " bob/5", " Bob/5",
                                        "General/4"}));
}

TEST(AddressBook, GroupOfUserAnswersTheFirstUserNodeInTreeOrder) {
    AddressBook book;
    book.Assign({{0, "General", 4},
                 {0, "Office", 4},
                 {1, "Ann", 5},
                 {1, "Team", 4},
                 {2, "Bob", 5},
                 {2, "Cid", 4}, // a group, not a user
                 {0, "Home", 4},
                 {1, "Bob", 5},
                 {0, "Dan", 5}}); // a top-level user of a hand-made file
    const struct {
        const char* alias;
        const char* group;
    } cases[] = {
        {"Ann", "Office"},  {"Bob", "Team"},    {"ann", "General"},
        {"Cid", "General"}, {"Dan", "General"}, {"Eve", "General"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(book.GroupOfUser(c.alias), c.group) << c.alias;
}

TEST(AddressBook, TheTreeStaysWithinItsBounds) {
    AddressBook book;
    Node* node = book.TopLevel()[0].get();
    for (int depth = 1; depth <= AddressBook::MaxDepth; ++depth)
        node = book.AddSubgroup(node);
    EXPECT_EQ(node->Depth(), AddressBook::MaxDepth);
    EXPECT_THROW(book.AddUser(node), AppError);
    EXPECT_EQ(book.NodeCount(), AddressBook::MaxDepth + 1);

    GroupsList many(AddressBook::MaxNodes, GroupsEntry{0, "g", 4});
    book.Assign(many);
    EXPECT_THROW(book.AddGroup(nullptr), AppError);
    EXPECT_EQ(book.NodeCount(), AddressBook::MaxNodes);
}
