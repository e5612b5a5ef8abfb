#include "app/applicationsetup.h"

#include "app/imagelist.h"

#include <QApplication>

namespace corvane {

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setWindowIcon(ImageList::ApplicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace corvane
