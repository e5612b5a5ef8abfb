#include "presence/presencelist.h"

#include <algorithm>

namespace corvane {

PresenceList::PresenceList(const QLocale& locale) : collator_(locale) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

QString PresenceList::EntryText(const QString& computer, const QString& alias) {
    static const QString separator(3, QChar(0xA9));
    return computer + separator + alias;
}

size_t PresenceList::LowerBound(const QString& text) const {
    const auto it = std::lower_bound(
        entries_.begin(), entries_.end(), text,
        [this](const Entry& e, const QString& t) { return collator_.compare(e.text, t) < 0; });
    return size_t(it - entries_.begin());
}

int PresenceList::IndexOf(const QString& text) const {
    const size_t i = LowerBound(text);
    if (i < entries_.size() && collator_.compare(entries_[i].text, text) == 0)
        return int(i);
    return -1;
}

void PresenceList::RecordPresence(const QString& computer, const QString& alias, bool online) {
    Entry entry{EntryText(computer, alias), computer, alias, online};
    const size_t i = LowerBound(entry.text);
    if (i < entries_.size() && collator_.compare(entries_[i].text, entry.text) == 0) {
        entries_[i].online = online;
        return;
    }
    entries_.insert(entries_.begin() + ptrdiff_t(i), std::move(entry));
}

} // namespace corvane
