#pragma once
// The Groups page of the main window: the address book's tree TreeView2 and
// its commands, and "Apply" (also "Apply new name" on the Options page),
// which refiles the network tree under the groups as they now stand.
//
// With nothing selected, "Add Group" adds a top-level group; "Add User",
// "Add Subgroup" and "Delete" are disabled and do nothing.
#include "addressbook/addressbook.h"
#include "addressbook/groupsfiles.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <functional>

class QLineEdit;
class QPushButton;
class QTreeView;
class QWidget;

namespace corvane {

class FileWriter;
class HostContext;

struct GroupsPageControls {
    QWidget* TabSheet4 = nullptr;     // the page the controls are built into
    QPushButton* ApplyBtn2 = nullptr; // "Apply new name" on the Options page
    QLineEdit* AliasEdit = nullptr;   // Enter in it clicks "Apply new name"
    QList<QIcon> images;              // the window's pictures by image index
};

class GroupsPage : public QObject {
    Q_OBJECT
public:
    static inline const QString DeleteQuestion = QStringLiteral("Are you sure to delete item?");

    // rebuildNetworkTree empties the network tree and asks every computer to
    // announce itself again.
    GroupsPage(const GroupsPageControls& controls, HostContext& context,
               std::function<void()> rebuildNetworkTree, QObject* parent = nullptr);
    ~GroupsPage() override;

    AddressBook& Book() { return book_; }

    // The address book files in the working directory; each raises an
    // AppError with the text for the general error box.
    void LoadAddressBook();
    // Stages both files in the writer; the caller renames them.
    void SaveAddressBook(FileWriter& files);

    QTreeView* TreeView2 = nullptr;
    QPushButton* AddGroupBtn = nullptr;
    QPushButton* AddUserBtn = nullptr;
    QPushButton* AddSubGroupBtn = nullptr;
    QPushButton* DeleteUserBtn = nullptr;
    QPushButton* ApplyBtn = nullptr;

    // Handlers
    void AddGroupBtnClick();
    void AddSubGroupBtnClick();
    void AddUserBtnClick();
    void DeleteUserBtnClick();
    // The buttons follow the selected node.
    void TreeView2Change();
    void ApplyBtnClick();
    // A key in the tree; true when it was used (Del deletes).
    bool TreeView2KeyDown(int key);

    // The selected node, or null.
    AddressBook::Node* Selected() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(QWidget* page);
    void ConnectButton(QPushButton* button, void (GroupsPage::*handler)());
    // Shows the new node, selects it and starts editing its label.
    void StartEditing(AddressBook::Node* node);

    GroupsPageControls c_;
    HostContext& context_;
    std::function<void()> rebuild_;
    AddressBook book_;
    AddressBookFiles files_;
};

} // namespace corvane
