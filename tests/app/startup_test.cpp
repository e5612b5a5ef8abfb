// The start-up options: what the command line answers and how the program
// ends without a display (the real program, run as a person runs it), and
// what a start into the tray restores.
#include "app/commandline.h"
#include "app/mainform.h"
#include "app/systemcontext.h"
#include "settings/optionspage.h"
#include "settings/settingskey.h"
#include "support/testcontext.h"
#include "transport/mailslot.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct Ended {
    int code = -1;
    QString out, err;
};

// Runs the program; without a display none of DISPLAY, WAYLAND_DISPLAY and
// QT_QPA_PLATFORM is passed on, else the display given.
Ended RunProgram(const QStringList& args, const char* display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        env.remove(QLatin1String(name));
    if (display)
        env.insert(QStringLiteral("DISPLAY"), QLatin1String(display));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(CORVANE_EXECUTABLE), args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

const char* const NoDisplayLine = "corvane: no display (set DISPLAY or WAYLAND_DISPLAY)\n";

} // namespace

TEST(StartupOptions, TheProgramEndsWithItsAnswerAndNeverWithQtsAbort) {
    const struct {
        QStringList args;
        const char* display; // nullptr: none at all
        int code;
        const char* out;      // standard output starts with this
        const char* err;      // standard error starts with this
        const char* contains; // in one of the two
    } cases[] = {
        {{"--help"}, nullptr, 0, "Usage: corvane", "", "--tray"},
        {{"-h"}, nullptr, 0, "Usage: corvane", "", "--version"},
        {{"--version"}, nullptr, 0, "Corvane 3.0\n", "", ""},
        {{"--tray", "--help"}, nullptr, 0, "Usage: corvane", "", ""},
        {{"--bogus"}, nullptr, 2, "", "corvane: unknown option '--bogus'\n", "Usage: corvane"},
        {{"--bogus", "--version"}, nullptr, 2, "", "corvane: unknown option '--bogus'", ""},
        {{"file.txt"}, nullptr, 2, "", "corvane: unknown option 'file.txt'", "Usage: corvane"},
        {{}, nullptr, 1, "", NoDisplayLine, ""},
        {{"--tray"}, nullptr, 1, "", NoDisplayLine, ""},
        {{}, ":9876", 1, "", NoDisplayLine, ""}, // a display nobody serves
    };
    for (const auto& c : cases) {
        const QString name = c.args.join(u' ') + QLatin1String(c.display ? c.display : "");
        const Ended e = RunProgram(c.args, c.display);
        EXPECT_EQ(e.code, c.code) << name.toStdString() << "\n" << e.err.toStdString();
        EXPECT_TRUE(*c.out ? e.out.startsWith(QLatin1String(c.out)) : e.out.isEmpty())
            << name.toStdString();
        EXPECT_TRUE(*c.err ? e.err.startsWith(QLatin1String(c.err)) : e.err.isEmpty())
            << name.toStdString() << "\n"
            << e.err.toStdString();
        EXPECT_TRUE(e.out.contains(QLatin1String(c.contains)) ||
                    e.err.contains(QLatin1String(c.contains)))
            << name.toStdString();
        if (c.code == 1) { // that one line only
            EXPECT_EQ(e.err, QLatin1String(c.err)) << name.toStdString();
        }
        EXPECT_FALSE(e.err.contains(QLatin1String("Abort"), Qt::CaseInsensitive));
    }
}

TEST(StartupOptions, APlainAndATrayStartGoOnSilently) {
    const struct {
        std::vector<const char*> argv;
        bool tray;
    } cases[] = {{{"corvane"}, false}, {{"corvane", "--tray"}, true}};
    for (const auto& c : cases) {
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        StartOptions options;
        options.tray = !c.tray;
        EXPECT_EQ(AnswerCommandLine(int(c.argv.size()), c.argv.data(), out, out, &options), -1);
        EXPECT_EQ(options.tray, c.tray);
        EXPECT_EQ(std::ftell(out), 0L); // nothing written
        std::fclose(out);
    }
}

TEST(StartupOptions, ATrayStartIsOnTheNetworkAtOnceAndItsFirstShowingRestoresNothingAgain) {
    test::TestComputer c(QStringLiteral("HOST1"), 2, {});
    QDir().mkpath(QFileInfo(SettingsFilePath(c.context)).path());
    QFile file(SettingsFilePath(c.context));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TMainForm]\nDualLang1_Language=llNational\nAliasEdit_Text=Anna\n");
    file.close();

    TMainForm form(c.context);
    form.AppActivate();
    EXPECT_FALSE(form.IcqSlot->Active()); // a plain start waits for the first showing
    form.RestoreSettingsOnce();
    EXPECT_TRUE(form.IcqSlot->Active());
    EXPECT_TRUE(!form.isVisible() || form.isMinimized()); // in the tray, or on the taskbar
    EXPECT_EQ(form.Language.Current(), Language::Russian);
    EXPECT_EQ(form.Alias(), QStringLiteral("Anna"));

    form.English1Click(); // the person changes things while it is in the tray
    form.Options->AliasEdit->setText(QStringLiteral("Boris"));
    form.RestoreApplication();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Language.Current(), Language::English);
    EXPECT_EQ(form.Alias(), QStringLiteral("Boris"));
    EXPECT_TRUE(c.dialogs.shown.empty());
}

TEST(StartupOptions, TheBuiltProgramFindsItsSounds) {
    HostContext context;
    FillSystemContext(context, QStringLiteral(CORVANE_EXECUTABLE));
    for (const char* sound : {"Message.Wav", "ChatBeep.Wav"})
        EXPECT_TRUE(QFile::exists(context.dataDir + QStringLiteral("/sounds/") + sound)) << sound;
}
