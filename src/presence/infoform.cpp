#include "presence/infoform.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace corvane {

TInfoForm::TInfoForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TInfoForm"));
    setWindowTitle(QStringLiteral("User Information"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    auto* form = new QFormLayout;
    form->setSpacing(4);
    auto addField = [this, form](const char* name, const QString& label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(edit);
        edit->setAccessibleName(QString(label).remove(QLatin1Char(':')));
        form->addRow(caption, edit);
        return edit;
    };
    CompName = addField("CompName", QStringLiteral("Computer Name:"));
    AliasName = addField("AliasName", QStringLiteral("Alias:"));
    IP = addField("IP", QStringLiteral("IP Address:"));
    layout->addLayout(form);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setAutoDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKBtn);
    row->addStretch(1);
    layout->addLayout(row);

    // Esc closes through reject(), so OK is the cancel button as well.
    const QSize size(qMax(ClientWidth, layout->sizeHint().width()),
                     qMax(ClientHeight, layout->sizeHint().height()));
    setFixedSize(size);
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect r(QPoint(0, 0), size);
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

} // namespace corvane
