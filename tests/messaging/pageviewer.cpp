// Shows the Incoming and Outgoing pages with a few messages and two popups in
// a real window, and saves what the screen shows, to look at by eye:
//   xvfb-run -a -s "-screen 0 1024x768x24" messaging_pageviewer OUTDIR
// Writes OUTDIR/screen.png (the whole screen), incoming.png, outgoing.png and
// buttons.png (the Incoming page's button bar, enlarged).
#include "messaging/popupform.h"
#include "messaging/storepage.h"
#include "support/testcontext.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

using namespace corvane;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);

    test::TestComputer computer(QStringLiteral("HOST1"), 2, {});
    LanguageState language;
    QTabWidget pages;
    pages.setObjectName(QStringLiteral("PageControl1"));
    auto* incomingSheet = new QWidget;
    incomingSheet->setObjectName(QStringLiteral("TabSheet2"));
    auto* outgoingSheet = new QWidget;
    outgoingSheet->setObjectName(QStringLiteral("TabSheet3"));
    pages.addTab(new QWidget, QStringLiteral("Compose"));
    pages.addTab(incomingSheet, QStringLiteral("Incoming"));
    pages.addTab(outgoingSheet, QStringLiteral("Outgoing"));
    StorePage incoming(incomingSheet, StoreKind::Incoming, computer.context, language);
    StorePage outgoing(outgoingSheet, StoreKind::Outgoing, computer.context, language);
    incoming.AppendToStore(QStringLiteral("Message from Anna to HOST1 (07.12.2026 09:14:02)"),
                           "Hello, are you coming to the meeting?");
    incoming.AppendToStore(QStringLiteral("Message from Иван to ALL (07.12.2026 09:20:45)"),
                           "\xCF\xF0\xE8\xE2\xE5\xF2!\r\rLunch at noon.");
    incoming.AppendToStore(QStringLiteral("Message from Bob to HOST1 (07.12.2026 09:31:10)"),
                           "Auto Answer:\r\rI am away...");
    incoming.LeftBtnClick();
    outgoing.AppendToStore(
        QStringLiteral("Message from Me to ANNA (07.12.2026 09:15:30)"),
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0"
        "\\blue0;}\\f0\\fs20 Yes, {\\b see you} {\\i there}, {\\cf1 room 4}.\\par}");
    pages.setCurrentIndex(1);
    pages.resize(560, 400);
    pages.move(20, 20);
    pages.show();

    auto* first = new TPopupForm(language, [] {});
    first->SetMessage(QStringLiteral("Message from Anna to HOST1 (07.12.2026 09:14:02)"),
                      "Hello, are you coming to the meeting?");
    first->show();
    language.SetLanguage(Language::Russian);
    auto* second = new TPopupForm(language, [] {});
    second->SetMessage(QStringLiteral("Сообщение от Иван для Всем (07.12.2026 09:20:45)"),
                       "Lunch at noon.");
    second->show();
    second->move(second->pos() + QPoint(200, 150)); // new popups open on top of each other
    language.SetLanguage(Language::English);

    QTimer::singleShot(800, &app, [&] {
        QGuiApplication::primaryScreen()->grabWindow(0).save(out + QStringLiteral("/screen.png"));
        pages.grab().save(out + QStringLiteral("/incoming.png"));
        if (QWidget* bar = incomingSheet->findChild<QWidget*>(QStringLiteral("Panel2")))
            bar->grab().scaled(bar->size() * 3).save(out + QStringLiteral("/buttons.png"));
        pages.setCurrentIndex(2);
        QTimer::singleShot(200, &app, [&] {
            pages.grab().save(out + QStringLiteral("/outgoing.png"));
            app.quit();
        });
    });
    return app.exec();
}
