#pragma once
// The About box of the main window's Help menu: the program's name, version,
// what it is and its licence. Qt's own credit is "About Qt" beside it.
#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static inline const QString ProgramName = QStringLiteral("Corvane 3.0");
    static inline const QString Version = QStringLiteral("3.0");
    static inline const QString Licence = QStringLiteral("MIT licence");

    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* Comments = nullptr;
    QLabel* LicenceLabel = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace corvane
