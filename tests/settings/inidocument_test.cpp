#include "settings/inidocument.h"
#include "settings/settingsfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::Literals::StringLiterals;

namespace {

// Texts that need every rule of the format.
const QStringList TrickyTexts{
    u"plain"_s,
    u"30,40,430,540"_s,
    u" lead"_s,
    u"trail "_s,
    u"a=b"_s,
    u"semi;colon"_s,
    u"quote\"d"_s,
    u"back\\slash"_s,
    u"tab\there"_s,
    u"two\nlines\r\n"_s,
    u"@home"_s,
    u"@@"_s,
    QString(),
    u"Смирнов, Анна"_s,
    u"ümlaut"_s,
    u"a😀b"_s,
    QString::fromUtf8("c\x01"
                      "a1"),
    QString(QChar(0)) + u"7x"_s,
    QStringLiteral("\x7f"
                   "del"),
    u"#not a comment"_s,
    u";start"_s,
    u"[section]"_s,
    u"\\x41"_s,
    u"  "_s,
    u"\"quoted\""_s,
    u"end\\"_s,
};

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Files written by earlier versions read the same, and what this version
// writes reads the same in theirs, whatever the text holds.
TEST(IniDocument, ReadsAndWritesTheLayoutOfEarlierVersions) {
    QTemporaryDir dir;
    const QString older = dir.filePath(u"older.ini"_s);
    {
        QSettings s(older, QSettings::IniFormat);
        for (int i = 0; i < TrickyTexts.size(); ++i)
            s.setValue(u"TMainForm/Value%1"_s.arg(i), TrickyTexts[i]);
        s.setValue(u"TMainForm.RichEdit1_Lines/Count"_s, u"1"_s);
        s.setValue(u"Other Section/Ключ"_s, u"kept"_s);
    }
    const SettingsReading read = ReadSettingsFile(older);
    ASSERT_TRUE(read.document) << ReadAll(older).constData();
    IniDocument doc = *read.document;
    for (int i = 0; i < TrickyTexts.size(); ++i)
        EXPECT_EQ(doc.Value(u"tmainform"_s, u"VALUE%1"_s.arg(i)), TrickyTexts[i]) << i;
    EXPECT_EQ(doc.Value(u"TMainForm.RichEdit1_Lines"_s, u"Count"_s), u"1"_s);
    EXPECT_EQ(doc.Value(u"Other Section"_s, u"Ключ"_s), u"kept"_s);

    // Written back, with new values beside the old ones.
    for (int i = 0; i < TrickyTexts.size(); ++i)
        doc.SetValue(u"TChatForm"_s, u"Text %1"_s.arg(i), TrickyTexts[i]);
    const QString newer = dir.filePath(u"newer.ini"_s);
    QFile out(newer);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(doc.Render());
    out.close();
    QSettings s(newer, QSettings::IniFormat);
    EXPECT_EQ(s.status(), QSettings::NoError);
    for (int i = 0; i < TrickyTexts.size(); ++i) {
        EXPECT_EQ(s.value(u"TMainForm/Value%1"_s.arg(i)).toString(), TrickyTexts[i]) << i;
        EXPECT_EQ(s.value(u"TChatForm/Text %1"_s.arg(i)).toString(), TrickyTexts[i]) << i;
    }
    EXPECT_EQ(s.value(u"Other Section/Ключ"_s).toString(), u"kept"_s);
    const auto again = IniDocument::Parse(doc.Render());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Render(), doc.Render());
}

TEST(IniDocument, AFileItCannotUnderstandIsDamaged) {
    QByteArray noise(4096, '\0');
    QRandomGenerator random(22);
    for (char& c : noise)
        c = char(random.bounded(256));
    const struct {
        const char* name;
        QByteArray bytes;
        IniDamage::Kind kind;
        int line;
    } cases[] = {
        {"a section header without ]", "[TMainForm]\nA=1\n\n[TChatForm\nB=2\n",
         IniDamage::Kind::OpenSection, 4},
        {"random bytes", noise, IniDamage::Kind::NotText, 0},
        {"not UTF-8", "[TMainForm]\nAliasEdit_Text=\xc0\xed\xed\xe0\n", IniDamage::Kind::NotText,
         0},
        {"a NUL byte", QByteArray("[A]\nB=1\0\n", 9), IniDamage::Kind::NotText, 0},
        {"a line of prose", "[A]\nB=1\nsome words\n", IniDamage::Kind::StrayLine, 3},
        {"words after a header", "[A] words\n", IniDamage::Kind::StrayLine, 1},
        {"a value without a name", "[A]\n =1\n", IniDamage::Kind::StrayLine, 2},
        {"too large", QByteArray(MaxSettingsFileBytes + 1, ';'), IniDamage::Kind::TooLarge, 0},
    };
    for (const auto& c : cases) {
        IniDamage damage;
        EXPECT_FALSE(IniDocument::Parse(c.bytes, &damage)) << c.name;
        EXPECT_EQ(damage.kind, c.kind) << c.name;
        EXPECT_EQ(damage.line, c.line) << c.name;
    }
    // What a person may write by hand is no damage.
    const QByteArray handWritten = "\xef\xbb\xbf; comment\r\n# another\r[A] ; note\r\n"
                                   "\tlong = first \\\r\n  second\r\nb=\"x\"  ; why\n"
                                   "[a]\nc=3\n";
    const auto doc = IniDocument::Parse(handWritten);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Value(u"A"_s, u"LONG"_s), u"first   second"_s);
    EXPECT_EQ(doc->Value(u"A"_s, u"b"_s), u"x"_s);
    EXPECT_EQ(doc->Value(u"A"_s, u"c"_s), u"3"_s); // one section, as in the registry
    EXPECT_EQ(doc->Sections(), QStringList{u"A"_s});
}
