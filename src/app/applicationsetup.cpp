#include "app/applicationsetup.h"

#include "app/imagelist.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QWidget>

namespace corvane {

namespace {
// A window of the program built on a plain widget (a private chat) is a
// window to a screen reader, named by its title, not an anonymous filler.
QAccessibleInterface* PlainWindows(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow() || !className.startsWith(QLatin1String("corvane::")))
        return nullptr;
    const QMetaObject* qtBase = widget->metaObject();
    while (qtBase && QByteArray(qtBase->className()).startsWith("corvane::"))
        qtBase = qtBase->superClass();
    if (!qtBase || qstrcmp(qtBase->className(), "QWidget") != 0)
        return nullptr; // dialogs and main windows have their own
    return new QAccessibleWidget(widget, QAccessible::Window);
}
} // namespace

void SetUpApplication() {
    static bool factoryInstalled = false;
    if (!factoryInstalled) {
        QAccessible::installFactory(&PlainWindows);
        factoryInstalled = true;
    }
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setWindowIcon(ImageList::ApplicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace corvane
