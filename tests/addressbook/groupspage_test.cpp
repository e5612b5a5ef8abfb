// The Groups page in the main window: its commands, "Apply" refiling the
// network tree of a small office on loopback, and the files across a restart.
#include "addressbook/groupspage.h"
#include "app/mainform.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::WaitUntil;
using Node = AddressBook::Node;

namespace {

class GroupsPageTest : public ::testing::Test {
protected:
    void SetUp() override { Make(1); }
    void TearDown() override {
        forms.clear();
        computers.clear();
    }
    void Make(int n) {
        forms.clear();
        computers = test::MakeComputers(n);
        for (auto& c : computers) {
            c->context.timings.presenceFirstMs = 600000; // the timer waits
            c->context.timings.openWaitMs = 100;
            AddForm(*c);
        }
    }
    TMainForm& AddForm(test::TestComputer& c) {
        forms.push_back(std::make_unique<TMainForm>(c.context));
        forms.back()->Options->CheckBox1->setChecked(false); // no exit question
        return *forms.back();
    }
    TMainForm& Form(int i = 0) { return *forms[size_t(i)]; }
    GroupsPage& Page(int i = 0) { return *Form(i).Groups; }
    AddressBook& Book(int i = 0) { return Page(i).Book(); }
    test::ScriptedDialogService& Dialogs(int i = 0) { return computers[size_t(i)]->dialogs; }
    QString File(const char* name, int i = 0) {
        return QDir(computers[size_t(i)]->context.workDir).filePath(QLatin1String(name));
    }

    // Shows the Groups page and selects the node (null: clears the choice).
    void Select(const Node* node) {
        Form().PageControl1->setCurrentWidget(Form().TabSheet4);
        Page().TreeView2->setCurrentIndex(Book().IndexOf(node));
    }
    Node* Top(int row) { return Book().TopLevel()[size_t(row)].get(); }
    // The label editor of the tree, if one is open.
    QLineEdit* Editor() { return Page().TreeView2->viewport()->findChild<QLineEdit*>(); }
    // The group under which a computer of this alias is filed, or "".
    QString FiledUnder(int i, const QString& alias) {
        const NetworkTree::Node* node = Form(i).Presence->Tree().FindComputerNode(alias);
        return node ? node->Parent()->Text() : QString();
    }

    std::vector<std::unique_ptr<test::TestComputer>> computers;
    std::vector<std::unique_ptr<TMainForm>> forms;
};

} // namespace

TEST_F(GroupsPageTest, AFirstStartShowsGeneralThatCannotBeDeleted) {
    Form().RestoreApplication();
    GroupsPage& page = Page();
    const struct {
        QPushButton* button;
        const char* name;
        const char* caption;
    } buttons[] = {{page.AddGroupBtn, "AddGroupBtn", "Add Group"},
                   {page.AddUserBtn, "AddUserBtn", "Add User"},
                   {page.AddSubGroupBtn, "AddSubGroupBtn", "Add Subgroup"},
                   {page.DeleteUserBtn, "DeleteUserBtn", "Delete"},
                   {page.ApplyBtn, "ApplyBtn", "Apply"}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->objectName(), b.name);
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->parentWidget(), Form().TabSheet4);
        EXPECT_NE(b.button->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(page.TreeView2->objectName(), "TreeView2");
    EXPECT_FALSE(page.TreeView2->accessibleName().isEmpty());
    EXPECT_EQ(page.TreeView2->indentation(), 19);
    EXPECT_EQ(Book().Entries(), GroupsList({{0, "General", 4}}));

    // Nothing selected: only "Add Group" does anything.
    EXPECT_TRUE(page.AddGroupBtn->isEnabled());
    for (QPushButton* b : {page.AddUserBtn, page.AddSubGroupBtn, page.DeleteUserBtn})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    Select(Top(0));
    EXPECT_TRUE(page.AddUserBtn->isEnabled());
    EXPECT_FALSE(page.DeleteUserBtn->isEnabled());
    QTest::keyClick(page.TreeView2, Qt::Key_Delete);
    EXPECT_TRUE(Dialogs().shown.empty());
    EXPECT_EQ(Book().NodeCount(), 1);
    EXPECT_FALSE(page.TreeView2->model()->flags(page.TreeView2->currentIndex()) &
                 Qt::ItemIsEditable);
}

TEST_F(GroupsPageTest, NewNodesOpenTheirLabelForTyping) {
    Form().RestoreApplication();
    Select(Top(0));
    QTest::mouseClick(Page().AddUserBtn, Qt::LeftButton);
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "-----");
    editor->selectAll();
    QTest::keyClicks(editor, "Zoe");
    EXPECT_EQ(editor->text(), "Zoe");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits after the editor's own turn
    ASSERT_EQ(Top(0)->children.size(), 1u);
    Node* zoe = Top(0)->children[0].get();
    EXPECT_EQ(zoe->text, "Zoe");
    EXPECT_EQ(zoe->image, AddressBook::UserImage);
    EXPECT_EQ(Page().Selected(), zoe);

    // Add User while a user is selected: the user's group; Esc keeps "-----".
    QTest::mouseClick(Page().AddUserBtn, Qt::LeftButton);
    ASSERT_NE(Editor(), nullptr);
    QTest::keyClick(Editor(), Qt::Key_Escape);
    ASSERT_EQ(Top(0)->children.size(), 2u);
    EXPECT_EQ(Top(0)->children[1]->text, "-----");
    EXPECT_EQ(Top(0)->children[1]->image, AddressBook::UserImage);
    EXPECT_TRUE(Page().DeleteUserBtn->isEnabled());

    // A label edited to "General" cannot be deleted any more.
    Select(Top(0)->children[1].get());
    Book().setData(Page().TreeView2->currentIndex(), QStringLiteral("General"));
    EXPECT_FALSE(Page().DeleteUserBtn->isEnabled());
}

TEST_F(GroupsPageTest, GroupsDrawInTheTextColourOtherNodesBlue) {
    Form().RestoreApplication();
    Form().PageControl1->setCurrentWidget(Form().TabSheet4);
    Book().Assign({{0, "Office", 4}, {1, "Ann", 5}, {1, "Odd", 0}});
    QTreeView* view = Page().TreeView2;
    view->expandAll();
    const QColor blue(0, 0, 255);
    auto bluePixels = [&](const Node* node) {
        const QImage image =
            view->viewport()->grab(view->visualRect(Book().IndexOf(node))).toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += QColor(image.pixel(x, y)) == blue;
        return n;
    };
    Node* office = Top(0);
    EXPECT_EQ(bluePixels(office), 0);
    EXPECT_GT(bluePixels(office->children[0].get()), 0);
    EXPECT_GT(bluePixels(office->children[1].get()), 0);
    Select(office->children[0].get()); // selected: the highlight colours
    EXPECT_EQ(bluePixels(office->children[0].get()), 0);
}

TEST_F(GroupsPageTest, DeleteAsksFirstAndOnlyYesDeletes) {
    Form().RestoreApplication();
    Book().Assign({{0, "General", 4}, {0, "Office", 4}, {1, "Ann", 5}});
    Select(Top(1));
    Dialogs().answers = {DialogService::No, DialogService::Cancel, DialogService::Yes};
    QTest::mouseClick(Page().DeleteUserBtn, Qt::LeftButton);
    QTest::mouseClick(Page().DeleteUserBtn, Qt::LeftButton);
    EXPECT_EQ(Book().NodeCount(), 3);
    QTest::keyClick(Page().TreeView2, Qt::Key_Delete);
    EXPECT_EQ(Book().Entries(), GroupsList({{0, "General", 4}}));
    ASSERT_EQ(Dialogs().shown.size(), 3u);
    const test::ShownBox& box = Dialogs().shown[0];
    EXPECT_EQ(box.text, "Are you sure to delete item?");
    EXPECT_EQ(box.title, "Corvane 3.0");
    EXPECT_EQ(box.icon, DialogService::Icon::Question);
    EXPECT_EQ(box.buttons, DialogService::Yes | DialogService::No | DialogService::Cancel);
}

TEST(GroupsPage, BothApplyButtonsAndEnterInTheAliasRebuildUnderTheBusyCursor) {
    test::TestComputer computer(QStringLiteral("HOST1"), 2, {});
    QWidget window;
    auto* page = new QWidget(&window);
    auto* applyBtn2 = new QPushButton(QStringLiteral("Apply new name"), &window);
    auto* aliasEdit = new QLineEdit(&window);
    QList<bool> busy;
    GroupsPage groups({page, applyBtn2, aliasEdit, {}}, computer.context,
                      [&] { busy << (QGuiApplication::overrideCursor() != nullptr); });
    QTest::mouseClick(groups.ApplyBtn, Qt::LeftButton);
    QTest::mouseClick(applyBtn2, Qt::LeftButton);
    QTest::keyClick(aliasEdit, Qt::Key_Return);
    QTest::keyClick(aliasEdit, Qt::Key_A);
    EXPECT_EQ(busy, QList<bool>({true, true, true}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(GroupsPageTest, ApplyRefilesTheNetworkTreeUnderTheGroups) {
    Make(3);
    Form(1).Options->AliasEdit->setText(QStringLiteral("Bob"));
    Form(2).Options->AliasEdit->setText(QStringLiteral("ann"));
    for (auto& f : forms)
        f->RestoreApplication();
    QTest::mouseClick(Page(0).ApplyBtn, Qt::LeftButton); // asks the copies that came later
    ASSERT_TRUE(WaitUntil([&] { return FiledUnder(0, "Bob") == "General"; }, 10000));
    // Bob in a subgroup; "Ann" differs from the alias "ann" in letter case.
    Book(0).Assign(
        {{0, "General", 4}, {0, "Office", 4}, {1, "Ann", 5}, {1, "Team", 4}, {2, "Bob", 5}});
    QTest::mouseClick(Page(0).ApplyBtn, Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return FiledUnder(0, "Bob") == "Team"; }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return FiledUnder(0, "ann") == "General"; }, 10000));

    // Enter in the alias field applies as well.
    Book(0).Assign({{0, "Home", 4}, {1, "Bob", 5}});
    QTest::keyClick(Form(0).Options->AliasEdit, Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([&] { return FiledUnder(0, "Bob") == "Home"; }, 10000));
}

TEST_F(GroupsPageTest, TheAddressBookSurvivesARestart) {
    // A run that never shows the window writes nothing.
    Form().close();
    EXPECT_FALSE(QFile::exists(File("Groups.DAT")));
    forms.clear();

    AddForm(*computers[0]).RestoreApplication();
    Select(Top(0));
    QTest::mouseClick(Page().AddUserBtn, Qt::LeftButton);
    QTest::keyClick(Editor(), Qt::Key_Return);
    QCoreApplication::processEvents();
    Book().SetText(Book().AddGroup(nullptr), QStringLiteral("Office"));
    const GroupsList built = Book().Entries();
    ASSERT_EQ(built.size(), 3);
    Form().close();
    forms.clear();
    EXPECT_EQ(QFile(File("Groups.DAT")).size(),
              qint64(QByteArray("General\r\n\t-----\r\nOffice\r\n").size()));

    AddForm(*computers[0]).RestoreApplication();
    EXPECT_EQ(Book().Entries(), built);
    EXPECT_TRUE(Dialogs().shown.empty());
}

TEST_F(GroupsPageTest, ADamagedFileIsReportedAndKeptAndTheComputerGoesOnline) {
    QFile dat(File("Groups.DAT"));
    ASSERT_TRUE(dat.open(QIODevice::WriteOnly));
    dat.write("Office\r\n\t\tBob\r\n");
    dat.close();
    Form().RestoreApplication();
    ASSERT_EQ(Dialogs().shown.size(), 1u);
    EXPECT_EQ(Dialogs().shown[0].text,
              "Invalid level (2) for item \"Bob\". Groups.DAT and Groups.IMG stay as they are: "
              "this run does not overwrite them.");
    EXPECT_EQ(Dialogs().shown[0].icon, DialogService::Icon::Stop);
    EXPECT_TRUE(Form().IcqSlot->Active());
    Form().close();
    ASSERT_TRUE(dat.open(QIODevice::ReadOnly));
    EXPECT_EQ(dat.readAll(), "Office\r\n\t\tBob\r\n");
}
