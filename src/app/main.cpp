// The entry: one copy per user; a second start brings up the first copy's
// main window and ends with exit code 0.
#include "app/applicationsetup.h"
#include "app/canberrasoundplayer.h"
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/nodisplayguard.h"
#include "app/qtowntexts.h"
#include "app/sessionsignals.h"
#include "app/singleinstance.h"
#include "app/systemcontext.h"
#include "app/trayicon.h"
#include "app/widgetdialogservice.h"
#include "settings/languageswitch.h"
#include "settings/settingskey.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <csignal>
#include <cstdio>

using namespace corvane;

int main(int argc, char** argv) {
    // Answered before the application object, which needs a display.
    StartOptions options;
    if (const int answered = AnswerCommandLine(argc, argv, stdout, stderr, &options); answered >= 0)
        return answered;
    std::unique_ptr<QApplication> app;
    {
        const NoDisplayGuard guard; // no display: one line and exit code 1
        app = std::make_unique<QApplication>(argc, argv);
    }
    SetUpApplication();
    // A file-size limit makes a write come back short, which the file writer
    // reports, instead of ending the program in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);

    HostContext context;
    FillSystemContext(context, QApplication::applicationFilePath());

    SingleInstance instance(context.instanceName, SingleInstance::DefaultDirectory());
    if (!instance.TryBecomeFirst()) {
        // Ends silently when the first copy has no main window yet. A second
        // start into the tray (a login while a copy runs) leaves it there.
        if (!options.tray)
            instance.AskFirstToRestore();
        return 0;
    }

    WidgetDialogService dialogs;
    CanberraSoundPlayer sound({context.workDir, context.dataDir + QStringLiteral("/sounds")});
    context.dialogs = &dialogs;
    context.sound = &sound;
    const bool firstStart = !QFileInfo::exists(SettingsFilePath(context));

    std::unique_ptr<TMainForm> mainForm;
    try {
        mainForm = std::make_unique<TMainForm>(context);
    } catch (const AppError& e) { // the message port is taken, or the like
        std::fprintf(stderr, "corvane: %s\n", qPrintable(e.Message()));
        dialogs.MessageBox(GeneralErrorText(e.Message()), ApplicationTitle,
                           DialogService::Icon::Stop, DialogService::Ok);
        return 1;
    }
    dialogs.mainWindow = mainForm.get();
    dialogs.language = [form = mainForm.get()] { return form->Language.Current(); };
    QtOwnTexts qtTexts;
    QObject::connect(mainForm->Languages, &LanguageSwitch::Switched, &qtTexts, &QtOwnTexts::Use);
    QObject::connect(mainForm.get(), &TMainForm::Closed, app.get(), &QApplication::quit);
    QObject::connect(&instance, &SingleInstance::RestoreRequested, mainForm.get(),
                     &TMainForm::RestoreApplication);
    instance.Listen();

    SessionSignals signals_;
    QObject::connect(&signals_, &SessionSignals::CloseRequested, mainForm.get(),
                     &TMainForm::SessionClose);
    QObject::connect(app.get(), &QGuiApplication::commitDataRequest, mainForm.get(),
                     [&mainForm](QSessionManager&) { mainForm->SessionClose(); });
    QTimer::singleShot(0, mainForm.get(), &TMainForm::AppActivate);
    if (options.tray)
        QTimer::singleShot(0, mainForm.get(), &TMainForm::RestoreSettingsOnce);
    QTimer::singleShot(0, mainForm.get(), [&mainForm, firstStart] {
        TellWhereTheProgramWent(mainForm->TrayIcon1, firstStart, mainForm->Language.Current(),
                                stderr);
    });
    if (!mainForm->HasTray())
        mainForm->showMinimized();
    return app->exec();
}
