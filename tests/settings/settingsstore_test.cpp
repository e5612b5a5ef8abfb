#include "addressbook/addressbook.h"
#include "addressbook/groupsfiles.h"
#include "common/filewriter.h"
#include "settings/formstorage.h"
#include "settings/settingsfile.h"
#include "settings/settingskey.h"
#include "settings/windowplacement.h"
#include "support/filelimits.h"
#include "support/testcontext.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::ShownBox;
using corvane::test::TestComputer;
using corvane::test::WriteFile;

namespace {

TEST(SettingsValues, TextForms) {
    const struct {
        const char* text;
        std::optional<bool> truth;
        int number;
        const char* trimmed;
    } cases[] = {
        {"True", true, 0, "True"},           {"fALSE", false, 0, "fALSE"},
        {"1", std::nullopt, 1, "1"},         {" -42 ", std::nullopt, -42, "-42"},
        {"12abc", std::nullopt, 0, "12abc"}, {"99999999999", std::nullopt, 0, "99999999999"},
        {"", std::nullopt, 0, ""},           {"\t Anna Smith \r\n", std::nullopt, 0, "Anna Smith"},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(ParseTruth(text), c.truth) << c.text;
        EXPECT_EQ(ParseNumber(text), c.number) << c.text;
        EXPECT_EQ(TrimmedText(text), QString::fromUtf8(c.trimmed)) << c.text;
    }
    EXPECT_EQ(TruthText(true), QStringLiteral("True"));
    EXPECT_EQ(TruthText(false), QStringLiteral("False"));
}

TEST(SettingsValues, PlacementTexts) {
    const std::array<int, 4> fallback{1, 2, 3, 4};
    EXPECT_EQ(ParsePositions(QStringLiteral("10,20,380,488"), fallback),
              (std::array<int, 4>{10, 20, 380, 488}));
    EXPECT_EQ(ParsePositions(QStringLiteral("10 20, -5"), fallback),
              (std::array<int, 4>{10, 20, -5, 4}));
    EXPECT_EQ(ParsePositions(QStringLiteral("x,20,,y"), fallback),
              (std::array<int, 4>{1, 20, 3, 4}));
    EXPECT_EQ(PositionsText({-1, -1, 380, 488}), QStringLiteral("-1,-1,380,488"));
    EXPECT_EQ(PositionsRect({10, 20, 380, 488}), QRect(10, 20, 370, 468));
    EXPECT_EQ(RectPositions(QRect(10, 20, 370, 468)), (std::array<int, 4>{10, 20, 380, 488}));
    const std::pair<int, ShowState> shows[] = {
        {1, ShowState::Normal},    {5, ShowState::Normal},    {9, ShowState::Normal},
        {2, ShowState::Minimized}, {6, ShowState::Minimized}, {7, ShowState::Minimized},
        {3, ShowState::Maximized}, {0, ShowState::Normal},    {4, ShowState::Normal}};
    for (const auto& [cmd, state] : shows)
        EXPECT_EQ(ShowStateOf(cmd), state) << cmd;
}

TEST(SettingsValues, WindowsOffEveryScreenAreMovedOntoOne) {
    const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 800, 600)};
    const struct {
        QRect in;
        QRect out;
    } cases[] = {
        {QRect(100, 100, 370, 468), QRect(100, 100, 370, 468)},   // on the first screen
        {QRect(1500, 100, 370, 468), QRect(1500, 100, 370, 468)}, // on the second
        {QRect(5000, 3000, 370, 468), QRect(910, 556, 370, 468)}, // nowhere: first screen
        {QRect(-2000, -40, 370, 468), QRect(0, 0, 370, 468)},     // left of everything
        {QRect(2050, 500, 370, 468), QRect(1710, 132, 370, 468)}, // hanging off the second
        {QRect(1900, 500, 370, 468), QRect(1900, 500, 370, 468)}, // its title bar can be grabbed
        {QRect(100, -300, 370, 468), QRect(100, 0, 370, 468)},    // title strip above the top
        {QRect(4000, 0, 3000, 2000), QRect(0, 0, 1280, 1024)},    // too large: shrunk
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOntoScreens(c.in, screens), c.out) << c.in.x() << "," << c.in.y();
    EXPECT_EQ(FitOntoScreens(QRect(5000, 0, 10, 10), {}), QRect(5000, 0, 10, 10));
}

// A window without a screen: placement is recorded.
class FakeWindow : public StoredWindow {
public:
    WindowPlacement placement{0, ShowState::Normal, {-1, -1}, {-1, -1}, QRect(0, 0, 370, 468)};
    int ppi = 96;
    int applied = 0;
    std::vector<ShowState> shown;
    WindowPlacement CurrentPlacement() const override { return placement; }
    void ApplyPlacement(const WindowPlacement& p) override {
        placement.normalRect = p.normalRect;
        ++applied;
    }
    void ApplyShowState(ShowState s) override { shown.push_back(s); }
    int ScreenPixelsPerInch() const override { return ppi; }
};

// The controls of a small window as plain values.
struct Controls {
    bool check = true;
    QString choice = QStringLiteral("llEnglish");
    int colour = 0;
    QString alias;
    QStringList answer{QStringLiteral("I am away...")};
};

struct Store {
    explicit Store(TestComputer& c, SettingsFile* shared = nullptr)
        : file(c.context),
          storage(c.context, shared ? *shared : file, QStringLiteral("TMainForm"), window) {
        storage.StoredProps = {
            StoredProperty::Reference(QStringLiteral("MainMenu1.Items"),
                                      QStringLiteral("MainMenu1.")),
            StoredProperty::Truth(
                QStringLiteral("CheckBox1.Checked"), [this] { return v.check; },
                [this](bool b) { v.check = b; }),
            StoredProperty::Choice(
                QStringLiteral("DualLang1.Language"),
                {QStringLiteral("llEnglish"), QStringLiteral("llNational")},
                [this] { return v.choice; }, [this](const QString& s) { v.choice = s; }),
            StoredProperty::Number(
                QStringLiteral("ColorComboBox1.ColorValue"), [this] { return v.colour; },
                [this](int n) { v.colour = n; }),
            StoredProperty::Text(
                QStringLiteral("AliasEdit.Text"), [this] { return v.alias; },
                [this](const QString& s) { v.alias = s; }),
            StoredProperty::Lines(
                QStringLiteral("RichEdit1.Lines"), [this] { return v.answer; },
                [this](const QStringList& l) { v.answer = l; }),
        };
        storage.OnRestorePlacement = [this] { ++restoreHandlerRuns; };
        storage.OnSavePlacement = [this](FileWriter&) {
            ++saveHandlerRuns;
            if (saveHandlerFails)
                throw AppError(QStringLiteral("Cannot create file Groups.DAT"));
        };
    }
    FakeWindow window;
    Controls v;
    SettingsFile file;
    FormStorage storage;
    int restoreHandlerRuns = 0;
    int saveHandlerRuns = 0;
    bool saveHandlerFails = false;
};

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(FormStorage, FirstRunKeepsTheDesignAndASaveComesBackAsSaved) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    const QString path = SettingsFilePath(c.context);
    {
        Store s(c);
        s.storage.SaveWindowSettings(false); // never restored: nothing is written
        EXPECT_FALSE(QFile::exists(path));
        s.storage.RestoreWindowSettings();
        EXPECT_EQ(s.restoreHandlerRuns, 1);
        EXPECT_EQ(s.window.applied, 0);
        EXPECT_TRUE(s.v.check);
        EXPECT_EQ(s.v.answer, QStringList{QStringLiteral("I am away...")});
        s.v = {false,
               QStringLiteral("llNational"),
               255,
               QStringLiteral("  Anna \t"),
               {QStringLiteral(" two "), QString(), QStringLiteral("lines")}};
        s.window.placement = {0, ShowState::Minimized, {-1, -1}, {-1, -1}, QRect(30, 40, 400, 500)};
        s.storage.SaveWindowSettings(false);
        EXPECT_TRUE(s.storage.Saved());
        EXPECT_EQ(s.saveHandlerRuns, 1);
    }
    QSettings file(path, QSettings::IniFormat);
    const std::pair<const char*, const char*> values[] = {
        {"TMainForm/FormVersion", "0"},
        {"TMainForm/ShowCmd", "2"},
        {"TMainForm/PixelsPerInch", "96"},
        {"TMainForm/NormPos", "30,40,430,540"},
        {"TMainForm/MinMaxPos", "-1,-1,-1,-1"},
        {"TMainForm/Visible", "0"},
        {"TMainForm/MainMenu1_Items", "MainMenu1."},
        {"TMainForm/CheckBox1_Checked", "False"},
        {"TMainForm/DualLang1_Language", "llNational"},
        {"TMainForm/ColorComboBox1_ColorValue", "255"},
        {"TMainForm/AliasEdit_Text", "Anna"},
        {"TMainForm.RichEdit1_Lines/Count", "3"},
        {"TMainForm.RichEdit1_Lines/Item0", " two "},
        {"TMainForm.RichEdit1_Lines/Item1", ""}};
    for (const auto& [key, text] : values)
        EXPECT_EQ(file.value(QLatin1String(key)).toString(), QString::fromUtf8(text)) << key;

    Store next(c);
    next.storage.RestoreWindowSettings();
    EXPECT_FALSE(next.v.check);
    EXPECT_EQ(next.v.choice, QStringLiteral("llNational"));
    EXPECT_EQ(next.v.colour, 255);
    EXPECT_EQ(next.v.alias, QStringLiteral("Anna"));
    EXPECT_EQ(next.v.answer,
              (QStringList{QStringLiteral(" two "), QString(), QStringLiteral("lines")}));
    EXPECT_EQ(next.window.placement.normalRect, QRect(30, 40, 400, 500));
    EXPECT_EQ(next.window.shown, std::vector<ShowState>{ShowState::Minimized});
}

TEST(FormStorage, ValuesThatDoNotFitLeaveTheirPropertiesAlone) {
    const struct {
        const char* name;
        QByteArray file;
        int ppi;
        bool placed;
        ShowState show;
    } cases[] = {
        {"another screen resolution keeps the designed place but not the show state",
         "[TMainForm]\nPixelsPerInch=120\nNormPos=30,40,430,540\nShowCmd=3\n", 96, false,
         ShowState::Maximized},
        {"an empty rectangle is not applied", "[TMainForm]\nNormPos=430,40,30,540\n", 96, false,
         ShowState::Normal},
        {"a negative version is not taken",
         "[TMainForm]\nFormVersion=-1\nNormPos=30,40,430,540\n"
         "CheckBox1_Checked=False\n",
         96, false, ShowState::Normal},
        {"texts of the wrong kind",
         "[TMainForm]\nCheckBox1_Checked=yes\nDualLang1_Language=llGerman\nColorComboBox1_"
         "ColorValue=red\n"
         "[TMainForm.RichEdit1_Lines]\nCount=0\nItem0=lost\n",
         96, false, ShowState::Normal},
    };
    for (const auto& c : cases) {
        TestComputer computer(QStringLiteral("HOST1"), 2, {});
        WriteFile(SettingsFilePath(computer.context), c.file);
        Store s(computer);
        s.v.colour = 7;
        s.window.ppi = c.ppi;
        s.storage.RestoreWindowSettings();
        EXPECT_EQ(s.window.applied, c.placed ? 1 : 0) << c.name;
        EXPECT_EQ(s.window.shown.empty() ? ShowState::Normal : s.window.shown.back(), c.show)
            << c.name;
        EXPECT_TRUE(s.v.check) << c.name;
        EXPECT_EQ(s.v.choice, QStringLiteral("llEnglish")) << c.name;
        EXPECT_EQ(s.v.answer, QStringList{QStringLiteral("I am away...")}) << c.name;
        EXPECT_EQ(s.restoreHandlerRuns, 1) << c.name;
        EXPECT_TRUE(s.storage.Restored()) << c.name;
    }
}

TEST(FormStorage, AFileWrittenByHandInTheRegistryLayoutIsRead) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    // Unquoted lists, other letter cases, blanks: what a person writes after
    // looking at a registry export.
    WriteFile(SettingsFilePath(c.context),
              "[TMainForm]\r\nFormVersion=0\r\nnormpos = 30, 40, 430, 540\r\nPixelsPerInch=96\r\n"
              "CHECKBOX1_CHECKED=false\r\nDualLang1_Language=LLNATIONAL\r\n"
              "AliasEdit_Text=Smith, John\r\nColorComboBox1_ColorValue=16711680\r\n"
              "[TMainForm.RichEdit1_Lines]\r\nCount=3\r\nItem0=Back at two\r\nItem2=Anna\r\n");
    Store s(c);
    s.storage.RestoreWindowSettings();
    EXPECT_EQ(s.window.placement.normalRect, QRect(30, 40, 400, 500));
    EXPECT_FALSE(s.v.check);
    EXPECT_EQ(s.v.choice, QStringLiteral("llNational"));
    EXPECT_EQ(s.v.alias, QStringLiteral("Smith, John"));
    EXPECT_EQ(s.v.colour, 16711680);
    EXPECT_EQ(s.v.answer,
              (QStringList{QStringLiteral("Back at two"), QString(), QStringLiteral("Anna")}));
    // Saving keeps one value per name, in the letter case of the program.
    s.storage.SaveWindowSettings(false);
    const QByteArray text = ReadFile(SettingsFilePath(c.context));
    EXPECT_TRUE(text.contains("CheckBox1_Checked=False")) << text.constData();
    EXPECT_FALSE(text.contains("CHECKBOX1_CHECKED")) << text.constData();
    EXPECT_TRUE(text.contains("NormPos=")) << text.constData();
}

// A settings file that cannot be taken is kept byte for byte: the run goes on
// with the defaults, says so once for all windows, and its saves write
// nothing and report nothing, while the address book is still saved.
TEST(FormStorage, AFileThatCannotBeReadIsKeptAndToldOnce) {
    QByteArray noise(3000, '\0');
    QRandomGenerator random(7);
    for (char& ch : noise)
        ch = char(random.bounded(256));
    const struct {
        const char* name;
        QByteArray bytes; // empty: a folder in its place
        bool damagedAfterStart;
        const char* why;
    } cases[] = {
        {"a header without ]", "[TMainForm\nCheckBox1_Checked=False\n[TChatForm]\nA=1\n", false,
         "line 1 begins a section without its \"]\""},
        {"random bytes", noise, false, "it is not a text file"},
        {"a folder", QByteArray(), false, "it is not a file"},
        {"too large", QByteArray(2 * MaxSettingsFileBytes, 'x'), false,
         "it is larger than 1 MB (2097152 bytes)"},
        {"damaged after the start", "[TMainForm]\nNormPos=1,2\nrubbish\n", true,
         "line 3 is neither a section, a value nor a comment"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestComputer computer(QStringLiteral("HOST1"), 2, {});
        const QString path = SettingsFilePath(computer.context);
        auto damage = [&] {
            if (c.bytes.isEmpty())
                ASSERT_TRUE(QDir().mkpath(path));
            else
                WriteFile(path, c.bytes);
        };
        if (!c.damagedAfterStart)
            damage();
        SettingsFile file(computer.context);
        Store main(computer, &file);
        Store chat(computer, &file);
        main.storage.RestoreWindowSettings();
        chat.storage.RestoreWindowSettings();
        EXPECT_TRUE(main.v.check);
        EXPECT_EQ(main.restoreHandlerRuns, 1);
        main.v.check = false;
        if (c.damagedAfterStart)
            damage();
        main.storage.SaveWindowSettings(false);
        chat.storage.SaveWindowSettings(false);
        main.storage.SaveIfUnsaved();

        ASSERT_EQ(computer.dialogs.shown.size(), 1u);
        const ShownBox& box = computer.dialogs.shown[0];
        EXPECT_EQ(box.text.section(u'\n', 0, 0),
                  QStringLiteral("The settings file %1 cannot be read: %2.").arg(path, c.why));
        EXPECT_EQ(box.icon, DialogService::Icon::Warning);
        EXPECT_EQ(main.saveHandlerRuns, 1);
        EXPECT_TRUE(main.storage.Saved());
        if (c.bytes.isEmpty()) {
            EXPECT_TRUE(QFileInfo(path).isDir());
        } else {
            EXPECT_EQ(ReadFile(path), c.bytes);
        }
        EXPECT_EQ(QDir(computer.context.configDir).entryList(QDir::Files).size(),
                  c.bytes.isEmpty() ? 0 : 1);
    }
}

TEST(FormStorage, AFailedSaveHandlerIsShownAfterTheValuesAndTriedAgainAtDestruction) {
    TestComputer c(QStringLiteral("HOST1"), 2, {});
    Store s(c);
    s.storage.RestoreWindowSettings();
    s.saveHandlerFails = true;
    s.storage.SaveWindowSettings(false);
    ASSERT_EQ(c.dialogs.shown.size(), 1u);
    EXPECT_EQ(c.dialogs.shown[0].text, QStringLiteral("Cannot create file Groups.DAT."));
    EXPECT_TRUE(ReadFile(SettingsFilePath(c.context)).contains("Visible=0"));
    EXPECT_FALSE(s.storage.Saved());
    s.saveHandlerFails = false;
    s.storage.SaveIfUnsaved();
    EXPECT_EQ(s.saveHandlerRuns, 2);
    EXPECT_TRUE(ReadFile(SettingsFilePath(c.context)).contains("Visible=1"));
    EXPECT_TRUE(s.storage.Saved());
    s.storage.SaveIfUnsaved(); // saved: not again
    EXPECT_EQ(s.saveHandlerRuns, 2);
}

// A save of settings.ini and the address book, with what stops it.
struct FailingSave {
    enum class Limit { FileSize, FullDisk, None };
    const char* name;
    Limit limit;
    int answerLines; // of 60 characters
    int groups;
    bool iniSaved;
    bool bookSaved;
    QStringList boxes; // how each begins; %1 the settings file
};

void SaveAndCheck(const FailingSave& c) {
    const QByteArray oldIni = "[TMainForm]\nCheckBox1_Checked=True\n";
    const QByteArray oldDat = "Old\r\n";
    const QByteArray oldImg(36, '\0');
    TestComputer computer(QStringLiteral("HOST1"), 2, {});
    std::optional<test::TinyFilesystem> disk;
    if (c.limit == FailingSave::Limit::FullDisk) {
        disk.emplace(computer.dir.filePath(QStringLiteral("disk")), 64);
        if (!disk->Mounted()) {
            std::printf("skipped: no tmpfs can be mounted here\n");
            return;
        }
        computer.context.workDir = computer.dir.filePath(QStringLiteral("disk"));
        computer.context.configDir = computer.context.workDir + QStringLiteral("/config");
        QDir().mkpath(computer.context.configDir);
    }
    const QString ini = SettingsFilePath(computer.context);
    const QString dat = computer.context.workDir + QStringLiteral("/Groups.DAT");
    const QString img = computer.context.workDir + QStringLiteral("/Groups.IMG");
    WriteFile(ini, oldIni);
    WriteFile(dat, oldDat);
    WriteFile(img, oldImg);
    if (disk)
        disk->Fill();
    AddressBook book;
    book.Assign(GroupsList(c.groups, {0, QStringLiteral("A group with a rather long name"), 4}));
    SettingsFile file(computer.context);
    Store s(computer, &file);
    s.storage.OnSavePlacement = [&](FileWriter& files) {
        AddressBookFiles(computer.context.workDir).Save(book, files);
    };
    s.storage.RestoreWindowSettings();
    s.v.check = false;
    s.v.answer = QStringList(c.answerLines, QString(60, u'w'));
    {
        std::optional<test::FileSizeLimit> limit;
        if (c.limit == FailingSave::Limit::FileSize)
            limit.emplace(8 * 1024);
        s.storage.SaveWindowSettings(false);
    }
    ASSERT_EQ(computer.dialogs.shown.size(), size_t(c.boxes.size()));
    for (qsizetype i = 0; i < c.boxes.size(); ++i) {
        const QString& shown = computer.dialogs.shown[size_t(i)].text;
        EXPECT_TRUE(shown.startsWith(c.boxes[i].contains(u"%1") ? c.boxes[i].arg(ini) : c.boxes[i]))
            << shown.toStdString();
    }
    EXPECT_FALSE(s.storage.Saved());
    EXPECT_EQ(ReadFile(ini).contains("CheckBox1_Checked=False"), c.iniSaved);
    if (!c.iniSaved) {
        EXPECT_EQ(ReadFile(ini), oldIni);
    }
    EXPECT_EQ(ReadFile(dat), c.bookSaved ? WriteGroupsDat(book.Entries()) : oldDat);
    EXPECT_EQ(ReadFile(img), c.bookSaved ? WriteGroupsImg(book.Entries()) : oldImg);
    // No temporary file stays behind.
    EXPECT_EQ(QDir(computer.context.configDir).entryList(QDir::Files),
              QStringList{QStringLiteral("settings.ini")});
    QStringList work = QDir(computer.context.workDir).entryList(QDir::Files);
    work.removeAll(QStringLiteral("filler"));
    EXPECT_EQ(work, QStringList({QStringLiteral("Groups.DAT"), QStringLiteral("Groups.IMG")}));
}

// A save of settings.ini and the address book either replaces the old files
// with whole new ones or says that it failed and leaves them byte for byte:
// under a real file-size limit, on a full disk, and for settings too large to
// be read again.
TEST(FormStorage, ASaveThatCannotBeWrittenWholeKeepsTheOldFilesAndSaysSo) {
    using Limit = FailingSave::Limit;
    const FailingSave cases[] = {
        {"the settings beyond a size limit",
         Limit::FileSize,
         400,
         3,
         false,
         true,
         {"Cannot write the settings file %1: File too large."}},
        {"the address book beyond a size limit",
         Limit::FileSize,
         1,
         300,
         true,
         false,
         {"Cannot create file Groups.DAT."}},
        {"a full disk",
         Limit::FullDisk,
         1,
         3,
         false,
         false,
         {"Cannot write the settings file %1: No space left on device.",
          "Cannot create file Groups.DAT."}},
        {"settings too large to read again",
         Limit::None,
         20000,
         3,
         false,
         true,
         {"The settings were not saved: %1 would be larger than 1 MB ("}},
    };
    for (const FailingSave& c : cases) {
        SCOPED_TRACE(c.name);
        SaveAndCheck(c);
    }
}

} // namespace
