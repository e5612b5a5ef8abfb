// Three copies of the main window on loopback find each other; the second
// goes offline, the first drops its network tree down with a computer chosen,
// then shows the User Information window. Saves what the screen shows, to
// look at by eye:
//   xvfb-run -a -s "-screen 0 1024x768x24" presence_treeviewer OUTDIR
// Writes OUTDIR/tree.png (the first window with the drop-down) and
// OUTDIR/screen.png (the whole screen with the User Information window).
#include "app/mainform.h"
#include "presence/infoform.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace corvane;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);

    auto computers = test::MakeComputers(3);
    std::vector<std::unique_ptr<TMainForm>> forms;
    const QString aliases[] = {QStringLiteral("Anna"), QStringLiteral("Борис"), QString()};
    for (int i = 0; i < 3; ++i) {
        computers[size_t(i)]->context.timings.openWaitMs = 100;
        forms.push_back(std::make_unique<TMainForm>(computers[size_t(i)]->context));
        forms.back()->Options->CheckBox1->setChecked(false);
        forms.back()->Options->AliasEdit->setText(aliases[i]);
        forms.back()->move(30 + 400 * i, 30);
    }
    for (auto& f : forms)
        f->RestoreApplication();
    TMainForm& a = *forms[0];
    a.Presence->Protocol().WhoIsHereEvent();
    test::WaitUntil([&] { return a.Presence->Tree().ComputerCount() == 3; });
    forms[1]->Toggle1->click(); // Борис goes offline
    test::WaitUntil([&] {
        const auto* node = a.Presence->Tree().FindComputerNode(QStringLiteral("Борис"));
        return node && !node->Record()->Online;
    });
    a.activateWindow();
    a.raise();
    a.Memo1->setPlainText(QStringLiteral("Lunch at noon?"));
    a.CompNameBtn->click();
    const auto items =
        a.TreeView1->findItems(QStringLiteral("HOST3"), Qt::MatchExactly | Qt::MatchRecursive);
    if (!items.isEmpty())
        a.TreeView1->setCurrentItem(items.first());
    test::WaitUntil([] { return false; }, 300);
    a.grab().save(out + QStringLiteral("/tree.png"));

    QTimer::singleShot(1500, [&] {
        QApplication::primaryScreen()->grabWindow(0).save(out + QStringLiteral("/screen.png"));
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    a.Presence->View().ShowUserInfo1->trigger();
    forms.clear();
    return 0;
}
