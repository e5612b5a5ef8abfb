#pragma once
// The controls of presence and of the network tree on the main window's
// Compose page: the label "&Computer name:" with the recipient button, the
// "Send &To:" choice, the online toggle, and the network tree that drops down
// over the page under the recipient button (hidden until then). The window
// places the two rows, and builds the tree after the page's other controls
// so that it comes last when Tab goes round; PresenceDirectory owns the
// handlers.
class QButtonGroup;
class QGroupBox;
class QHBoxLayout;
class QIcon;
class QLabel;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QWidget;

namespace corvane {

class LanguageState;

struct PresencePageControls {
    QLabel* Label1 = nullptr; // "&Computer name:"
    QToolButton* CompNameBtn = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr; // id 0 single workstation, 1 all computers
    QPushButton* Toggle1 = nullptr;           // checked: online
    QHBoxLayout* recipientRow = nullptr;      // Label1, CompNameBtn
    QHBoxLayout* choiceRow = nullptr;         // RadioGroup1, Toggle1
};

// Builds the controls as children of page, with the captions of language.
PresencePageControls BuildPresencePageControls(QWidget* page, const QIcon& computerImage,
                                               const LanguageState& language);
// The network tree TreeView1, hidden.
QTreeWidget* BuildNetworkTree(QWidget* page);

} // namespace corvane
