#pragma once
// Errors travel as exceptions carrying a message text. A handler that does not
// handle one itself ends, and the error is shown in the general error box.
#include <QString>
#include <exception>

namespace corvane {

class HostContext;

class AppError : public std::exception {
public:
    explicit AppError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

inline const QString ApplicationTitle = QStringLiteral("Corvane 3.0");

// The text of the general error box: a full stop is added when the last
// character sorts after ".".
QString GeneralErrorText(const QString& message);
// The general error box: the text, caption "Corvane 3.0", a stop icon, OK.
void ShowGeneralError(HostContext& context, const QString& message);

// Runs a handler; an error escaping it is shown in the general error box and
// the program goes on. Returns false when the handler ended with an error.
template <class F> bool RunHandler(HostContext& context, F&& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& e) {
        ShowGeneralError(context, e.Message());
    } catch (const std::exception& e) {
        ShowGeneralError(context, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace corvane
