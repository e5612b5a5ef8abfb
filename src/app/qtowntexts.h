#pragma once
// Qt's own texts (the buttons of boxes, file dialogs, the context menus of
// text fields) follow the program's language: while Russian is on, Qt's
// Russian translation is installed, when the system has it.
#include "settings/stringtable.h"

#include <QObject>
#include <QTranslator>

namespace corvane {

class QtOwnTexts : public QObject {
    Q_OBJECT
public:
    explicit QtOwnTexts(QObject* parent = nullptr) : QObject(parent) {}
    void Use(corvane::Language language);

private:
    QTranslator russian_;
    bool installed_ = false;
};

} // namespace corvane
