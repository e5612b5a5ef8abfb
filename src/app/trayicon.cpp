#include "app/trayicon.h"

#include "app/imagelist.h"
#include "common/errors.h"
#include "settings/programtexts.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace corvane {

namespace {
// Time for the tray to dock the icon, so the notification points at it.
constexpr int NoticeDelayMs = 1500;
constexpr int NoticeShownMs = 15000;
} // namespace

QSystemTrayIcon* MakeTrayIcon(QObject* parent, const QString& tip,
                              const std::function<void()>& restore) {
    auto* icon = new QSystemTrayIcon(ImageList::ApplicationIcon(), parent);
    icon->setObjectName(QStringLiteral("TrayIcon1"));
    icon->setToolTip(tip.left(63));
    QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                     [restore](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger ||
                             reason == QSystemTrayIcon::DoubleClick)
                             restore();
                     });
    // Shown whether or not a tray exists now: Qt docks the icon when a tray
    // appears and again after the tray restarts, so nothing polls for it.
    icon->show();
    return icon;
}

void TellWhereTheProgramWent(QSystemTrayIcon* icon, bool firstStart, Language language,
                             std::FILE* err) {
    const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
    const QString text =
        TextIn(language, tray ? ProgramText::TrayNotice : ProgramText::NoTrayNotice);
    std::fprintf(err, "corvane: %s\n", qPrintable(text));
    if (!firstStart || !tray || !icon)
        return;
    QTimer::singleShot(NoticeDelayMs, icon, [icon, text] {
        icon->showMessage(ApplicationTitle, text, QSystemTrayIcon::Information, NoticeShownMs);
    });
}

} // namespace corvane
