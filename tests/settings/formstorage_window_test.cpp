// The main window's settings across restarts: several runs of one simulated
// computer, each a new window on the same settings folder.
#include "app/mainform.h"
#include "app/systemcontext.h"
#include "chat/chatform.h"
#include "editor/composeeditor.h"
#include "editor/composetextedit.h"
#include "editor/editortoolbar.h"
#include "presence/presencedirectory.h"
#include "settings/aboutbox.h"
#include "settings/optionspage.h"
#include "settings/settingskey.h"
#include "support/testcontext.h"
#include "transport/mailslot.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::TestComputer;

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteSettings(const TestComputer& c, const QByteArray& text) {
    QFile f(SettingsFilePath(c.context));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Shows the window the first time and closes it with Exit, no question asked.
void Exit(TMainForm& form) {
    form.Options->CheckBox1->setChecked(false);
    QSignalSpy closed(&form, &TMainForm::Closed);
    form.ExitMenuClick();
    ASSERT_EQ(closed.count(), 1);
}

TEST(MainFormSettings, EveryOptionSurvivesARestartButAlwaysOnTop) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    {
        TMainForm form(c.context);
        form.RestoreApplication();
        // A first run: the design values, the alias is the computer's name.
        EXPECT_EQ(form.Options->AliasEdit->text(), QStringLiteral("HOST1"));
        EXPECT_TRUE(form.IsPopupMenu->isChecked());
        EXPECT_TRUE(form.Options->CheckBox3->isChecked());
        EXPECT_TRUE(form.Toggle1->isChecked());
        EXPECT_EQ(form.Options->RichEdit1->toPlainText(), QStringLiteral("I am away..."));

        form.IsPopupMenu->trigger();
        form.Options->CheckBox3->setChecked(false);
        form.Options->CheckBox4->setChecked(false);
        form.Options->CheckBox5->setChecked(true);
        form.Options->AliasEdit->setText(QStringLiteral("  Anna Smith \t"));
        form.Options->CheckBox6->setChecked(true);
        form.Options->RichEdit1->setPlainText(QStringLiteral("Back at two\n  Anna"));
        form.Toggle1->click();
        form.Options->CheckBox2->setChecked(true);
        EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(form.isVisible());
        form.resize(420, 500);
        form.move(60, 70);
        Exit(form);
    }
    const QByteArray file = ReadFile(SettingsFilePath(c.context));
    EXPECT_TRUE(file.contains("AliasEdit_Text=Anna Smith\n")) << file.constData();
    EXPECT_FALSE(file.contains("CheckBox2")) << file.constData();

    TMainForm form(c.context);
    EXPECT_EQ(form.Options->AliasEdit->text(), QString()); // nothing read before the first showing
    form.RestoreApplication();
    EXPECT_FALSE(form.IsPopupMenu->isChecked());
    EXPECT_FALSE(form.Options->CheckBox1->isChecked());
    EXPECT_FALSE(form.Options->CheckBox3->isChecked());
    EXPECT_FALSE(form.Options->CheckBox4->isChecked());
    EXPECT_TRUE(form.Options->CheckBox5->isChecked());
    EXPECT_EQ(form.Options->AliasEdit->text(), QStringLiteral("Anna Smith"));
    EXPECT_TRUE(form.Options->CheckBox6->isChecked());
    EXPECT_TRUE(form.Options->RichEdit1->isVisibleTo(form.TabSheet5)); // the answer handler ran
    EXPECT_EQ(form.Options->RichEdit1->toPlainText(), QStringLiteral("Back at two\n  Anna"));
    EXPECT_FALSE(form.Toggle1->isChecked());
    EXPECT_FALSE(form.OnlineFlag); // the offline state was announced
    EXPECT_EQ(form.Toggle1->text(), QStringLiteral("OFFLINE"));
    EXPECT_FALSE(form.Options->CheckBox2->isChecked());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.size(), QSize(420, 500));
    EXPECT_EQ(form.pos(), QPoint(60, 70));
    EXPECT_TRUE(form.IcqSlot->Active());
}

TEST(MainFormSettings, ExitWithoutEverShowingTheWindowTouchesNothing) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    const QByteArray stored = "[TMainForm]\nAliasEdit_Text=Anna\nCheckBox1_Checked=True\n";
    WriteSettings(c, stored);
    {
        TMainForm form(c.context);
        form.AppActivate();
        c.dialogs.answers.push_back(DialogService::Yes); // "Are you sure to quit?"
        QSignalSpy closed(&form, &TMainForm::Closed);
        form.ExitMenuClick();
        EXPECT_EQ(closed.count(), 1);
    }
    EXPECT_EQ(ReadFile(SettingsFilePath(c.context)), stored);
    EXPECT_FALSE(QFile::exists(c.context.workDir + QStringLiteral("/Groups.DAT")));
    EXPECT_FALSE(QFile::exists(c.context.workDir + QStringLiteral("/Groups.IMG")));
    EXPECT_EQ(c.dialogs.shown.size(), 1u); // the question only
}

TEST(MainFormSettings, SavedInTheTrayAtSessionEndTheFirstShowingGoesBackThereOnce) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    {
        TMainForm form(c.context);
        form.RestoreApplication();
        form.Options->CheckBox4->setChecked(false);
        form.CloseBtnClick(); // to the tray (minimized where there is none)
        QSignalSpy closed(&form, &TMainForm::Closed);
        form.SessionClose(); // SIGTERM, log-out
        EXPECT_EQ(closed.count(), 1);
        EXPECT_TRUE(c.dialogs.shown.empty());
    }
    EXPECT_TRUE(ReadFile(SettingsFilePath(c.context)).contains("ShowCmd=2"));
    TMainForm form(c.context);
    form.RestoreApplication();
    EXPECT_FALSE(form.Options->CheckBox4->isChecked());
    EXPECT_TRUE(form.IcqSlot->Active());
    EXPECT_TRUE(!form.isVisible() || form.isMinimized());
    form.RestoreApplication();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
}

TEST(MainFormSettings, StoredPlacementLanguageAndAPositionOffTheDesktop) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    WriteSettings(c, "[TMainForm]\nPixelsPerInch=96\nNormPos=40000,30000,40400,30500\nShowCmd=1\n"
                     "DualLang1_Language=llNational\n");
    TMainForm form(c.context);
    form.RestoreApplication();
    // Russian from the start: captions, string table, send-to choices.
    EXPECT_EQ(form.Language.Current(), Language::Russian);
    EXPECT_TRUE(form.Russian1->isChecked());
    EXPECT_NE(form.PageControl1->tabText(0), QStringLiteral("Compose"));
    EXPECT_NE(form.RadioGroup1Items->button(0)->text(), QStringLiteral("Single workstation"));
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_EQ(form.size(), QSize(400, 500));
    EXPECT_TRUE(screen.contains(QRect(form.pos(), form.size())))
        << form.pos().x() << "," << form.pos().y();
    Exit(form);
    EXPECT_TRUE(ReadFile(SettingsFilePath(c.context)).contains("DualLang1_Language=llNational"));
}

TEST(MainFormSettings, OtherNetworksComeFromTheFileOrTheFieldAndABadEntryIsNamed) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    WriteSettings(c, "[TMainForm]\nDualLang1_Language=llNational\nOtherNetworks= 10.9.0.0/21 \n");
    const auto listed = [&](TMainForm& form) { return form.Datagrams().Others().List(); };
    {
        TMainForm form(c.context);
        // Refused as stored: told in the stored language once the window has
        // started, nothing is asked, the text stays to be corrected.
        c.dialogs.onShow = [&](const test::ShownBox&) {
            EXPECT_TRUE(form.IcqSlot->Active());
            EXPECT_EQ(form.Language.Current(), Language::Russian);
        };
        form.RestoreApplication();
        c.dialogs.onShow = nullptr;
        ASSERT_EQ(c.dialogs.shown.size(), 1u);
        EXPECT_TRUE(
            c.dialogs.shown[0].text.startsWith(QStringLiteral("Другие сети: сеть «10.9.0.0/21»")))
            << c.dialogs.shown[0].text.toStdString();
        EXPECT_TRUE(listed(form).IsEmpty());
        QLineEdit* edit = form.Options->NetworksEdit;
        EXPECT_EQ(edit->text(), QStringLiteral("10.9.0.0/21"));
        form.SetLanguage(Language::English);

        edit->setText(QStringLiteral("10.9.0.0/22, 10.1.1.1"));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(listed(form).Addresses().size(), 1023);
        // A bad entry typed: named and selected; the list in use stays.
        edit->setText(QStringLiteral("10.1.1.1,  10.1.2 , 10.9.0.0/22"));
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_EQ(c.dialogs.shown.size(), 2u);
        EXPECT_EQ(c.dialogs.shown[1].text,
                  QStringLiteral("Other networks: \"10.1.2\" is neither an IPv4 address, a host "
                                 "name nor a network such as 192.168.5.0/24. The list in use "
                                 "stays as it was."));
        EXPECT_EQ(edit->selectedText(), QStringLiteral("10.1.2"));
        EXPECT_EQ(listed(form).Addresses().size(), 1023);
        edit->setText(QStringLiteral("10.1.1.1, 10.9.4.0/24"));
        QTest::keyClick(edit, Qt::Key_Return);
        Exit(form);
    }
    // Quoted for its commas, as the file has always kept such texts.
    EXPECT_TRUE(ReadFile(SettingsFilePath(c.context))
                    .contains("\nOtherNetworks=\"10.1.1.1, 10.9.4.0/24\"\n"));
    TMainForm form(c.context);
    form.RestoreApplication();
    EXPECT_EQ(c.dialogs.shown.size(), 2u);
    EXPECT_EQ(listed(form).Addresses().size(), 1 + 254);
}

TEST(MainFormSettings, OptionsPageHandlersAndTheAboutBox) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    TMainForm form(c.context);
    form.RestoreApplication();
    QSignalSpy apply(form.Options->ApplyBtn2, &QPushButton::clicked);
    form.Options->AliasEdit->setFocus();
    QTest::keyClick(form.Options->AliasEdit, Qt::Key_A);
    EXPECT_EQ(apply.count(), 0); // editing alone changes nothing
    QTest::keyClick(form.Options->AliasEdit, Qt::Key_Return);
    EXPECT_EQ(apply.count(), 1);

    form.Options->CheckBox2->setChecked(true);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    form.Options->CheckBox2->setChecked(false);
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form.isVisible());

    QStringList texts;
    c.dialogs.onModal = [&](QObject* dialog) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
            texts << label->text();
        for (QWidget* w : dialog->findChildren<QWidget*>())
            if (w->focusPolicy() != Qt::NoFocus) {
                EXPECT_FALSE(w->accessibleName().isEmpty() && qobject_cast<QLabel*>(w))
                    << qPrintable(w->objectName());
            }
    };
    form.N2->trigger();
    EXPECT_EQ(c.dialogs.modalShown, QStringList{QStringLiteral("AboutBox")});
    const QString all = texts.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("Corvane 3.0")));
    EXPECT_TRUE(all.contains(QStringLiteral("Version 3.0")));
    EXPECT_TRUE(all.contains(TAboutBox::Licence));
    // Qt is credited by Qt's own box beside About, not by a link of ours.
    EXPECT_FALSE(all.contains(QStringLiteral("href=")));
    ASSERT_EQ(form.HelpMenu->actions(), (QList<QAction*>{form.N2, form.AboutQt1}));
    QString qtBox;
    QTimer::singleShot(0, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            qtBox = box->windowTitle();
            box->close();
        }
    });
    form.AboutQt1->trigger();
    EXPECT_EQ(qtBox, QStringLiteral("About Qt"));
}

TEST(MainFormSettings, StartWhenILogInSwitchesThePersonsOverride) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    {
        // Not installed (no start entry of the system's): nothing to switch.
        TMainForm form(c.context);
        EXPECT_FALSE(form.Options->CheckBox7->isEnabled());
        EXPECT_FALSE(form.Options->CheckBox7->isChecked());
    }
    const QString system = c.dir.path() + QStringLiteral("/xdg/autostart");
    const QString own = c.dir.path() + QStringLiteral("/config/autostart/corvane.desktop");
    QDir().mkpath(system);
    QDir().mkpath(QFileInfo(own).path());
    for (const QString& path : {system + QStringLiteral("/corvane.desktop"), own}) {
        QFile entry(path);
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write(path == own ? "[Desktop Entry]\nHidden=true\n" : "[Desktop Entry]\n");
    }
    c.context.systemAutostartDirs = {system};
    c.context.autostartDir = QFileInfo(own).path();
    TMainForm form(c.context);
    QCheckBox* box = form.Options->CheckBox7;
    ASSERT_TRUE(box->isEnabled());
    EXPECT_FALSE(box->isChecked()); // switched off before this start
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(QFileInfo::exists(own));
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(ReadFile(own).contains("Hidden=true"));

    // A file that cannot be removed is told, and the box keeps the truth.
    QFile::remove(own);
    QDir().mkpath(own + QStringLiteral("/x"));
    box->click();
    EXPECT_EQ(c.dialogs.shown.size(), 0u); // on already: the folder is no entry
    EXPECT_TRUE(box->isChecked());
    box->click();
    ASSERT_EQ(c.dialogs.shown.size(), 1u);
    EXPECT_TRUE(c.dialogs.shown[0].text.contains(own)) << qPrintable(c.dialogs.shown[0].text);
    EXPECT_TRUE(box->isChecked());

    // The box is not a stored option: the files alone say what is so.
    Exit(form);
    EXPECT_FALSE(ReadFile(SettingsFilePath(c.context)).contains("CheckBox7"));
}

TEST(MainFormSettings, TheSessionStartFoldersFollowTheXdgVariables) {
    const QByteArray home = qgetenv("XDG_CONFIG_HOME");
    const QByteArray dirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_HOME", "/tmp/corvane-home/.config");
    qputenv("XDG_CONFIG_DIRS", "/tmp/corvane-a:/tmp/corvane-b");
    HostContext context;
    FillSystemContext(context, QStringLiteral("/usr/bin/corvane"));
    EXPECT_EQ(context.autostartDir, QStringLiteral("/tmp/corvane-home/.config/autostart"));
    EXPECT_EQ(context.systemAutostartDirs,
              (QStringList{QStringLiteral("/tmp/corvane-a/autostart"),
                           QStringLiteral("/tmp/corvane-b/autostart")}));
    home.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", home);
    dirs.isNull() ? qunsetenv("XDG_CONFIG_DIRS") : qputenv("XDG_CONFIG_DIRS", dirs);
}

TEST(MainFormSettings, ARenamedExecutableHasSettingsOfItsOwn) {
    HostContext usual;
    HostContext renamed;
    FillSystemContext(usual, QStringLiteral("/usr/bin/corvane"));
    FillSystemContext(renamed, QStringLiteral("/opt/test/corvane-old"));
    EXPECT_TRUE(SettingsFilePath(usual).endsWith(QStringLiteral("/corvane/settings.ini")));
    EXPECT_TRUE(SettingsFilePath(renamed).endsWith(QStringLiteral("/corvane-old/settings.ini")));
}

} // namespace

namespace {

TEST(MainFormSettings, TheEditorFormatSurvivesARestart) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    QString font;
    {
        TMainForm form(c.context);
        form.RestoreApplication();
        EditorToolbar* t = form.Editor->Panel8;
        t->BoldBtn->click();
        t->CenterAlign->click();
        form.Editor->SetSizeText(QStringLiteral("14"));
        form.Editor->SetColorValue(255);
        // A family no machine has comes back by its own name, not as the
        // face the system draws in its place.
        form.Editor->SetFontName(QStringLiteral("Corvane Test Face"));
        font = form.Editor->FontName();
        Exit(form);
    }
    const QByteArray file = ReadFile(SettingsFilePath(c.context));
    for (const char* value : {"BoldBtn_Down=True", "ItalBtn_Down=False", "CenterAlign_Down=True",
                              "ComboBox1_Text=14", "ColorComboBox1_ColorValue=255"})
        EXPECT_TRUE(file.contains(value)) << value << "\n" << file.constData();

    TMainForm form(c.context);
    form.RestoreApplication();
    EditorToolbar* t = form.Editor->Panel8;
    EXPECT_TRUE(t->BoldBtn->isChecked());
    EXPECT_TRUE(t->CenterAlign->isChecked());
    EXPECT_EQ(form.Editor->SizeText(), QStringLiteral("14"));
    EXPECT_EQ(form.Editor->ColorValue(), 255u);
    EXPECT_EQ(font, QStringLiteral("Corvane Test Face"));
    EXPECT_EQ(form.Editor->FontName(), font);
    // The restore steps made it the format of what is typed next.
    const QTextCharFormat typed = form.Memo1->currentCharFormat();
    EXPECT_EQ(typed.fontWeight(), QFont::Bold);
    EXPECT_EQ(typed.fontPointSize(), 14);
    EXPECT_EQ(typed.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(typed.fontFamilies().toStringList(), QStringList{font});
    EXPECT_EQ(form.Memo1->alignment(), Qt::AlignHCenter);
}

TEST(MainFormSettings, AStoredSizeThatIsNoNumberStopsOnlyTheEditorSteps) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    WriteSettings(c, "[TMainForm]\nComboBox1_Text=big\nCenterAlign_Down=True\n"
                     "BoldBtn_Down=True\nCheckBox6_Checked=True\nToggle1_State=False\n");
    TMainForm form(c.context);
    form.RestoreApplication();
    ASSERT_EQ(c.dialogs.shown.size(), 1u);
    EXPECT_EQ(c.dialogs.shown[0].text, QStringLiteral("'big' is not a valid integer value."));
    EXPECT_TRUE(form.IcqSlot->Active());
    EXPECT_FALSE(form.OnlineFlag);
    EXPECT_TRUE(form.Options->RichEdit1->isVisibleTo(form.TabSheet5));
    const QTextCharFormat typed = form.Memo1->currentCharFormat();
    EXPECT_EQ(typed.fontWeight(), QFont::Bold); // before the size
    EXPECT_TRUE(form.Editor->Panel8->CenterAlign->isChecked());
    EXPECT_NE(form.Memo1->alignment(), Qt::AlignHCenter); // after it
}

} // namespace

namespace {

TEST(MainFormSettings, TheChatRoomKeepsItsNickNameAndPanel) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    TMainForm form(c.context);
    form.RestoreApplication();
    form.ChatBtnClick();
    ASSERT_TRUE(form.ChatForm->isVisible());
    form.ChatForm->Edit2->setText(QStringLiteral("  Nick "));
    form.ChatForm->close();
    const QByteArray file = ReadFile(SettingsFilePath(c.context));
    EXPECT_TRUE(file.contains("[TChatForm]")) << file.constData();
    EXPECT_TRUE(file.contains("Edit2_Text=Nick\n")) << file.constData();
    EXPECT_TRUE(file.contains("Panel3_Width=")) << file.constData();
    form.ChatForm->Edit2->setText(QStringLiteral("changed while hidden"));
    form.ChatBtnClick(); // restored at every showing
    EXPECT_EQ(form.ChatForm->Edit2->text(), QStringLiteral("Nick"));
}

} // namespace
