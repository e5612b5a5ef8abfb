#include "settings/inidocument.h"
#include "settings/settingsfile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::Literals::StringLiterals;

namespace {

// Texts that need every rule of the format, and one with a NUL.
QStringList TrickyTexts() {
    const char16_t* const texts[] = {
        u"plain",
        u"30,40,430,540",
        u" lead",
        u"trail ",
        u"a=b",
        u"semi;colon",
        u"quote\"d",
        u"back\\slash",
        u"tab\there",
        u"two\nlines\r\n",
        u"@home",
        u"@@",
        u"",
        u"  ",
        u"Смирнов, Анна",
        u"ümlaut",
        u"a😀b",
        u"c\u0001a1",
        u"\u007fdel",
        u"#not a comment",
        u";start",
        u"[section]",
        u"\\x41",
        u"\"quoted\"",
        u"end\\",
    };
    QStringList out;
    for (const char16_t* t : texts)
        out.append(QString::fromUtf16(t));
    out.append(QString(QChar(0)) + u"7x"_s);
    return out;
}

} // namespace

// Files written by earlier versions read the same, and what this version
// writes reads the same in theirs, whatever the text holds.
TEST(IniDocument, ReadsAndWritesTheLayoutOfEarlierVersions) {
    const QStringList texts = TrickyTexts();
    QTemporaryDir dir;
    const QString older = dir.filePath(u"older.ini"_s);
    {
        QSettings s(older, QSettings::IniFormat);
        for (int i = 0; i < texts.size(); ++i)
            s.setValue(u"TMainForm/Value%1"_s.arg(i), texts[i]);
        s.setValue(u"Other Section/Ключ"_s, u"kept"_s);
    }
    const SettingsReading read = ReadSettingsFile(older);
    ASSERT_TRUE(read.document);
    IniDocument doc = *read.document;
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(doc.Value(u"tmainform"_s, u"VALUE%1"_s.arg(i)), texts[i]) << i;
    EXPECT_EQ(doc.Value(u"Other Section"_s, u"Ключ"_s), u"kept"_s);

    for (int i = 0; i < texts.size(); ++i)
        doc.SetValue(u"TChatForm"_s, u"Text %1"_s.arg(i), texts[i]);
    QFile out(dir.filePath(u"newer.ini"_s));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(doc.Render()) > 0);
    out.close();
    QSettings s(out.fileName(), QSettings::IniFormat);
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(s.value(u"TMainForm/Value%1"_s.arg(i)).toString(), texts[i]) << i;
        EXPECT_EQ(s.value(u"TChatForm/Text %1"_s.arg(i)).toString(), texts[i]) << i;
    }
    EXPECT_EQ(s.value(u"Other Section/Ключ"_s).toString(), u"kept"_s);
}

TEST(IniDocument, AFileItCannotUnderstandIsDamaged) {
    const struct {
        const char* name;
        QByteArray bytes;
        IniDamage::Kind kind;
        int line;
    } cases[] = {
        {"a section header without ]", "[TMainForm]\nA=1\n\n[TChatForm\nB=2\n",
         IniDamage::Kind::OpenSection, 4},
        {"not UTF-8", "[TMainForm]\nAliasEdit_Text=\xc0\xed\xed\xe0\n", IniDamage::Kind::NotText,
         0},
        {"a NUL byte", QByteArray("[A]\nB=1\0\n", 9), IniDamage::Kind::NotText, 0},
        {"a line of prose", "[A]\nB=1\nsome words\n", IniDamage::Kind::StrayLine, 3},
        {"words after a header", "[A] words\n", IniDamage::Kind::StrayLine, 1},
        {"a value without a name", "[A]\n =1\n", IniDamage::Kind::StrayLine, 2},
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
