#include "app/widgetdialogservice.h"

#include "settings/programtexts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <cstdio>

namespace corvane {

namespace {
// Without a screen (the offscreen or minimal platform) nobody can answer a
// box: it is written to stderr and answered as if closed without a choice.
bool NobodyCanSeeBoxes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}
} // namespace

DialogService::Button WidgetDialogService::MessageBox(const QString& text, const QString& title,
                                                      Icon icon, Buttons buttons) {
    if (NobodyCanSeeBoxes()) {
        std::fprintf(stderr, "corvane: [%s] %s\n", qPrintable(title), qPrintable(text));
        return (buttons & ~Ok) ? Cancel : Ok;
    }
    QWidget* over = mainWindow && mainWindow->isVisible() && !mainWindow->isMinimized()
                        ? mainWindow.data()
                        : nullptr;
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(
        text, title, icon, buttons, over, language ? language() : Language::English);
    switch (box->exec()) {
    case QMessageBox::Ok:
        return Ok;
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Cancel:
        return Cancel;
    default:
        return (buttons & ~Ok) ? Cancel : Ok;
    }
}

std::unique_ptr<QMessageBox> WidgetDialogService::BuildMessageBox(const QString& text,
                                                                  const QString& title, Icon icon,
                                                                  Buttons buttons, QWidget* over,
                                                                  Language spoken) {
    auto box = std::make_unique<QMessageBox>(over);
    box->setWindowTitle(title);
    box->setWindowIcon(QApplication::windowIcon());
    box->setText(text);
    // The picture of each kind of box, and what a screen reader calls it.
    static const struct {
        Icon icon;
        QMessageBox::Icon picture;
        ProgramText spoken;
    } kinds[] = {{Icon::Information, QMessageBox::Information, ProgramText::BoxInformation},
                 {Icon::Question, QMessageBox::Question, ProgramText::BoxQuestion},
                 {Icon::Warning, QMessageBox::Warning, ProgramText::BoxWarning},
                 {Icon::Stop, QMessageBox::Critical, ProgramText::BoxError}};
    QString name;
    for (const auto& kind : kinds)
        if (kind.icon == icon) {
            box->setIcon(kind.picture);
            name = TextIn(spoken, kind.spoken);
        }
    if (auto* picture = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label")))
        picture->setAccessibleName(name);
    if (auto* answers = box->findChild<QDialogButtonBox*>())
        answers->setAccessibleName(TextIn(spoken, ProgramText::BoxButtons));
    QMessageBox::StandardButtons standard;
    if (buttons & Ok)
        standard |= QMessageBox::Ok;
    if (buttons & Yes)
        standard |= QMessageBox::Yes;
    if (buttons & No)
        standard |= QMessageBox::No;
    if (buttons & Cancel)
        standard |= QMessageBox::Cancel;
    box->setStandardButtons(standard ? standard : QMessageBox::Ok);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    return box;
}

QString WidgetDialogService::OpenFileName(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QString(), filter);
}

QString WidgetDialogService::SaveFileName(const QString& title, const QString& filter,
                                          const QString& defaultSuffix) {
    QFileDialog dialog(QApplication::activeWindow(), title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}

void WidgetDialogService::ShowModal(QObject* dialog) {
    auto* window = qobject_cast<QDialog*>(dialog);
    if (!window)
        return;
    if (NobodyCanSeeBoxes()) {
        std::fprintf(stderr, "corvane: [%s] not shown without a screen\n",
                     qPrintable(window->windowTitle()));
        return;
    }
    window->exec();
}

} // namespace corvane
