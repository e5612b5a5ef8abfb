#pragma once
// The computers that announced themselves since the last request: entries
// "computer FieldSeparator alias", each with an online flag. The list stays
// sorted by the user locale's text order without letter case; an entry equal
// to a listed one when letter case is ignored replaces only that entry's flag
// (the listed text keeps the letter case it came with first). Searching
// ignores letter case the same way.
#include <QCollator>
#include <QLocale>
#include <QString>
#include <vector>

namespace corvane {

class PresenceList {
public:
    struct Entry {
        QString text; // computer FieldSeparator alias
        QString computer;
        QString alias;
        bool online = false;
    };

    explicit PresenceList(const QLocale& locale = QLocale());

    // The entry text of a computer and alias ("©©©" joins them).
    static QString EntryText(const QString& computer, const QString& alias);

    void RecordPresence(const QString& computer, const QString& alias, bool online);
    // Index of the entry equal to text without letter case, or -1.
    int IndexOf(const QString& text) const;
    bool Contains(const QString& computer, const QString& alias) const {
        return IndexOf(EntryText(computer, alias)) >= 0;
    }
    void Clear() { entries_.clear(); }

    int Count() const { return int(entries_.size()); }
    const Entry& At(int index) const { return entries_[size_t(index)]; }
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    // First index whose text does not sort before text.
    size_t LowerBound(const QString& text) const;

    QCollator collator_;
    std::vector<Entry> entries_;
};

} // namespace corvane
