#pragma once
#include "common/dialogservice.h"

namespace corvane {

// Modal boxes and file dialogs shown to the person at the screen.
class WidgetDialogService : public DialogService {
public:
    Button MessageBox(const QString& text, const QString& title, Icon icon, Buttons buttons) override;
    QString OpenFileName(const QString& title, const QString& filter) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& defaultSuffix) override;
};

} // namespace corvane
