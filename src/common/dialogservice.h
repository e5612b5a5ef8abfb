#pragma once
// Modal boxes and file dialogs go through this service, so a test can answer
// them instead of a person. The window implementation lives with the app.
#include <QString>

class QObject;

namespace corvane {

class DialogService {
public:
    enum class Icon { None, Information, Question, Warning, Stop };
    enum Button { NoButton = 0, Ok = 1, Yes = 2, No = 4, Cancel = 8 };
    using Buttons = int;

    virtual ~DialogService() = default;
    // Shows a modal box and returns the button that closed it. A box closed
    // without a button (Esc, the close box) answers Cancel, or Ok when Ok is
    // the only button.
    virtual Button MessageBox(const QString& text, const QString& title, Icon icon,
                              Buttons buttons) = 0;
    // Empty when the user cancels.
    virtual QString OpenFileName(const QString& title, const QString& filter) = 0;
    virtual QString SaveFileName(const QString& title, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // Shows a window of the program's own (a QDialog) modally and returns
    // when it closes. A service without a screen leaves it unshown.
    virtual void ShowModal(QObject* dialog) { (void)dialog; }
};

} // namespace corvane
