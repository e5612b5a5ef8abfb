#pragma once
#include "common/dialogservice.h"
#include "settings/stringtable.h"

#include <QPointer>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace corvane {

// Modal boxes and file dialogs shown to the person at the screen. A box opens
// centred over the main window while that is shown (not over whichever popup
// came last), else in the middle of the screen.
class WidgetDialogService : public DialogService {
public:
    QPointer<QWidget> mainWindow;
    // The main window's language, for what a box says besides its text.
    std::function<Language()> language;

    Button MessageBox(const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    // The box MessageBox shows, ready to run: on top (over the window
    // given), with the program's icon, and an icon that a screen reader can
    // name in the language given.
    static std::unique_ptr<QMessageBox> BuildMessageBox(const QString& text, const QString& title,
                                                        Icon icon, Buttons buttons,
                                                        QWidget* over = nullptr,
                                                        Language spoken = Language::English);
    QString OpenFileName(const QString& title, const QString& filter) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& defaultSuffix) override;
    void ShowModal(QObject* dialog) override;
};

} // namespace corvane
