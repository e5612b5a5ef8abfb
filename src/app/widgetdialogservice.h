#pragma once
#include "common/dialogservice.h"

#include <memory>

class QMessageBox;

namespace corvane {

// Modal boxes and file dialogs shown to the person at the screen.
class WidgetDialogService : public DialogService {
public:
    Button MessageBox(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    // The box MessageBox shows, ready to run: on top, with the program's
    // icon, and an icon that a screen reader can name.
    static std::unique_ptr<QMessageBox> BuildMessageBox(const QString& text, const QString& title,
                                                        Icon icon, Buttons buttons);
    QString OpenFileName(const QString& title, const QString& filter) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& defaultSuffix) override;
    void ShowModal(QObject* dialog) override;
};

} // namespace corvane
