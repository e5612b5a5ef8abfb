#pragma once
// The text of settings.ini, read and written by the program itself: a file
// it does not understand is recognised as such (and kept), and what it
// writes is rendered whole before it goes to the file writer. The layout is
// the one every earlier version wrote and read:
//
//   file     = [BOM] *(line EOL)               UTF-8; EOL is LF, CR LF or CR
//   line     = blank / comment / section / value
//   comment  = *WSP (";" / "#") *char
//   section  = *WSP "[" name "]" *WSP [comment]
//   value    = *WSP key *WSP "=" text          the key is not empty
//   name, key: letters, digits, "_", "-", "." as they are; any other
//              character as "%" 2HEXDIG, or "%U" 4HEXDIG beyond U+00FF
//
// The text of a value:
//   - blanks around it are dropped; quotes keep them: " lead", "a,b"
//   - outside quotes ";" begins a comment, and "," separates parts that
//     read as one text joined by ", " (how a list written by hand reads)
//   - escapes \a \b \f \n \r \t \v \" \' \? \\, \x with hex digits and
//     \ with octal digits; a character after a hex or octal escape that
//     would continue it is itself written as \x..
//   - a text that begins with "@" is written "@@"; "@String(...)" (a text
//     with a NUL, as earlier versions wrote it) reads as the text within
//   - a line that ends in an odd number of backslashes goes on in the next
//
// Section and value names are found without regard to letter case, as in the
// registry; sections of one name are merged, and a later value of a name
// replaces an earlier one. Lines the program does not change are written back
// as they were read; comments are not kept.
//
// A file is damaged, and nothing of it is taken, when it is larger than
// MaxSettingsFileBytes, is not UTF-8 text (control characters other than TAB,
// CR and LF), or holds a line that is none of the four kinds, such as a
// section header without its "]".
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace corvane {

// No settings file of a person comes near; a larger one is not read.
constexpr qint64 MaxSettingsFileBytes = 1 << 20;

// Why a settings file cannot be taken.
struct IniDamage {
    enum class Kind {
        None,
        NotAFile,    // a folder or a device in its place
        Unreadable,  // the system refused to read it (reason)
        TooLarge,    // more than MaxSettingsFileBytes (size)
        NotText,     // not UTF-8, or control characters
        OpenSection, // a section header without "]" (line)
        StrayLine,   // neither blank, comment, section nor value (line)
    };
    Kind kind = Kind::None;
    int line = 0; // from 1
    qint64 size = 0;
    QString reason; // the system's words
};

class IniDocument {
public:
    // The document, or nothing and the damage.
    static std::optional<IniDocument> Parse(QByteArrayView bytes, IniDamage* damage = nullptr);

    std::optional<QString> Value(const QString& section, const QString& name) const;
    // Sets a value under the program's spelling of both names.
    void SetValue(const QString& section, const QString& name, const QString& text);
    void RemoveSection(const QString& section);
    QByteArray Render() const;

    QStringList Sections() const;
    QStringList Names(const QString& section) const;

    // The text forms of one value and one name.
    static QString DecodeValue(QStringView raw);
    static QString EncodeValue(const QString& text);
    static QString DecodeName(QStringView raw);
    static QString EncodeName(const QString& name);

private:
    struct Entry {
        QString key;  // as written
        QString name; // decoded
        QString raw;  // the text after "=", as written
    };
    struct Section {
        QString header; // as written between the brackets; none for the top
        QString name;
        std::vector<Entry> entries;
        QHash<QString, int> byName; // folded name
    };
    Section* Find(const QString& section);
    const Section* Find(const QString& section) const;
    // The index of the section of that name, made when there is none.
    int Add(const QString& header, const QString& name);
    static void Put(Section& section, Entry entry);
    void Reindex();

    std::vector<Section> sections_;
    QHash<QString, int> byName_; // folded section name
};

} // namespace corvane
