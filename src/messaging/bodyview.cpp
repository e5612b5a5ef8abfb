#include "messaging/bodyview.h"

#include "editor/messagebody.h"

#include <QTextEdit>

namespace corvane {

void ShowBody(QTextEdit* view, const QByteArray& body) {
    LoadMessageBody(view->document(), body);
}

} // namespace corvane
