#pragma once
// The User Information window: a chosen computer's name, its user's alias and
// the address its connection reached, read-only, with one OK button that is
// both the default and the cancel button.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace corvane {

class TInfoForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 249;
    static constexpr int ClientHeight = 120;

    explicit TInfoForm(QWidget* parent = nullptr);

    QLineEdit* CompName = nullptr;
    QLineEdit* AliasName = nullptr;
    QLineEdit* IP = nullptr;
    QPushButton* OKBtn = nullptr;
};

} // namespace corvane
