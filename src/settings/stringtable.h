#pragma once
// The two string tables of the main window: every text that code puts
// together is taken from the current table by number at the moment of use.
#include <QLocale>
#include <QString>
#include <array>

namespace corvane {

enum class Language { English, Russian };

struct StringTable {
    static constexpr int Size = 20;
    std::array<QString, Size> entries;
    QString operator[](int index) const {
        return index >= 0 && index < Size ? entries[size_t(index)] : QString();
    }
};

// Entry numbers used by the program.
namespace Strings {
inline constexpr int SelectRecipient = 0;
inline constexpr int All = 1;
inline constexpr int Online = 2;
inline constexpr int Offline = 3;
inline constexpr int SentOk = 4;
inline constexpr int NotSent = 5;
inline constexpr int MessageFrom = 6;
inline constexpr int To = 7;
inline constexpr int MessageCounter = 8;
inline constexpr int DeleteAllQuestion = 9;
inline constexpr int NoMessages = 10;
inline constexpr int AutoAnswer = 19;
} // namespace Strings

const StringTable& HolderE();
const StringTable& HolderR();

// The main window's current language and its string table.
class LanguageState {
public:
    Language Current() const { return language_; }
    const StringTable& CurrentStringTable() const {
        return language_ == Language::Russian ? HolderR() : HolderE();
    }
    QString Text(int index) const { return CurrentStringTable()[index]; }
    void SetLanguage(Language language) { language_ = language; }
    // How dates and times are written: the Russian way while Russian is on,
    // else the system's way.
    QLocale DateLocale() const {
        return language_ == Language::Russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                              : QLocale::system();
    }

private:
    Language language_ = Language::English;
};

} // namespace corvane
