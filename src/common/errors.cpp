#include "common/errors.h"

#include "common/dialogservice.h"
#include "common/hostcontext.h"

namespace corvane {

QString GeneralErrorText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowGeneralError(HostContext& context, const QString& message) {
    if (context.dialogs)
        context.dialogs->MessageBox(GeneralErrorText(message), ApplicationTitle,
                                    DialogService::Icon::Stop, DialogService::Ok);
}

} // namespace corvane
