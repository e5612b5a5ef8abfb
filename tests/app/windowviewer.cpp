// Not a test: brings up three simulated computers on loopback, lets them find
// each other and exchange a message, and saves pictures of the first one's
// main window (Compose page with the tree dropped down, Incoming page, a
// popup) to the folder given as the first argument. For looking at the real
// windows: run it under xvfb-run, or with QT_QPA_PLATFORM=offscreen.
#include "app/mainform.h"
#include "messaging/messagingcontroller.h"
#include "messaging/popupform.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

using namespace corvane;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    auto computers = test::MakeComputers(3);
    std::vector<std::unique_ptr<TMainForm>> forms;
    const QStringList aliases = {"Anna", "Boris", "Vera"};
    for (int i = 0; i < 3; ++i) {
        computers[i]->context.timings.openWaitMs = 30;
        forms.push_back(std::make_unique<TMainForm>(computers[i]->context));
        forms[i]->Options->AliasEdit->setText(aliases[i]);
        forms[i]->RestoreApplication();
    }
    for (auto& f : forms)
        f->Presence->ApplyBtnClick();
    test::WaitUntil([&] { return forms[0]->Presence->Tree().ComputerCount() == 3; });
    forms[2]->Toggle1->click(); // Vera goes offline: red in the others' trees
    test::WaitUntil([&] { return false; }, 300);

    TMainForm& anna = *forms[0];
    anna.resize(420, 520);
    anna.CompNameBtn->click(); // drop the tree down
    test::WaitUntil([&] { return false; }, 200);
    anna.grab().save(out + QStringLiteral("/compose-tree.png"));
    anna.TreeView1->setCurrentItem(
        anna.TreeView1->findItems(QStringLiteral("Boris"), Qt::MatchExactly | Qt::MatchRecursive)[0]);
    anna.Presence->View().TreeView1DblClick();
    anna.Memo1->setHtml(QStringLiteral("<b>Hello</b>, <i>Boris</i>! <span style='color:#c00000'>Красный</span>"));
    anna.grab().save(out + QStringLiteral("/compose.png"));
    anna.SendBtn->click();
    TMainForm& boris = *forms[1];
    test::WaitUntil([&] { return !boris.Messaging->OpenPopups().isEmpty(); });
    boris.resize(420, 520);
    boris.PageControl1->setCurrentWidget(boris.TabSheet2);
    test::WaitUntil([&] { return false; }, 200);
    boris.grab().save(out + QStringLiteral("/incoming.png"));
    boris.Messaging->OpenPopups().first()->grab().save(out + QStringLiteral("/popup.png"));
    boris.PageControl1->setCurrentWidget(boris.TabSheet5);
    boris.grab().save(out + QStringLiteral("/options.png"));
    return 0;
}
