#include "messaging/bodyview.h"

#include "common/ansicodec.h"

#include <QTextEdit>

namespace corvane {

void ShowBody(QTextEdit* view, const QByteArray& body) {
    // Plain text only for now; line breaks may be CR, CR LF or LF.
    QString text = FromAnsi(body);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    view->setPlainText(text);
}

} // namespace corvane
