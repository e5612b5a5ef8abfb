#include "common/othernetworklist.h"

#include "common/hostresolver.h"

#include <QHostAddress>
#include <QSet>

namespace corvane {
namespace {

// A dotted quad of decimal numbers 0..255, without leading zeros (which some
// readers take for octal).
std::optional<quint32> ParseQuad(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.startsWith(u'0')))
            return std::nullopt;
        for (QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        const uint n = part.toUInt();
        if (n > 255)
            return std::nullopt;
        value = (value << 8) | n;
    }
    return value;
}

// Written only with digits, dots and slashes: meant as an address or network.
bool LooksNumeric(const QString& text) {
    for (QChar c : text)
        if (!(c.isDigit() || c == u'.' || c == u'/'))
            return false;
    return true;
}

// Letters and digits of any script, "-", "_" and dots between labels.
bool HostNameCharacters(const QString& text) {
    for (QChar c : text)
        if (!(c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u'.'))
            return false;
    return true;
}

bool OneComputerSpace(quint32 address) {
    const quint32 top = address >> 24;
    return top != 0 && top != 127 && top < 224;
}

quint32 Mask(int prefix) {
    return prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
}

QString Dotted(quint32 address) {
    return QHostAddress(address).toString();
}

std::optional<OtherNetworkError> ParseEntry(const QString& text, OtherNetworkEntry* entry) {
    using Kind = OtherNetworkError::Kind;
    entry->text = text;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0 && !LooksNumeric(text)) {
        if (!HostNameCharacters(text) || !HostResolver::IsComputerName(text))
            return OtherNetworkError{Kind::NotAnEntry, text, {}};
        entry->kind = OtherNetworkEntry::Kind::Name;
        entry->name = text;
        return std::nullopt;
    }
    const auto address = ParseQuad(slash < 0 ? text : text.left(slash));
    if (!address)
        return OtherNetworkError{Kind::NotAnEntry, text, {}};
    int prefix = 32;
    if (slash >= 0) {
        const QString digits = text.mid(slash + 1);
        bool ok = !digits.isEmpty() && digits.size() <= 2 && LooksNumeric(digits) &&
                  !digits.contains(u'.') && !digits.contains(u'/');
        prefix = ok ? digits.toInt(&ok) : -1;
        if (!ok || prefix > 32)
            return OtherNetworkError{Kind::NotAnEntry, text, {}};
        if (prefix < OtherNetworkList::MinPrefix)
            return OtherNetworkError{Kind::TooLarge, text, {}};
        const quint32 start = *address & Mask(prefix);
        if (start != *address)
            return OtherNetworkError{Kind::NotNetworkStart, text,
                                     Dotted(start) + QLatin1Char('/') + QString::number(prefix)};
    }
    if (!OneComputerSpace(*address))
        return OtherNetworkError{Kind::NotOneComputer, text, {}};
    entry->kind = slash < 0 ? OtherNetworkEntry::Kind::Address : OtherNetworkEntry::Kind::Network;
    entry->first = *address;
    entry->prefix = prefix;
    return std::nullopt;
}

} // namespace

quint32 OtherNetworkEntry::Count() const {
    switch (kind) {
    case Kind::Name:
        return 0;
    case Kind::Address:
        return 1;
    case Kind::Network:
        break;
    }
    const quint32 size = quint32(1) << (32 - prefix);
    return size >= 4 ? size - 2 : size; // without the network's own and broadcast address
}

quint32 OtherNetworkEntry::FirstAsked() const {
    return kind == Kind::Network && prefix <= 30 ? first + 1 : first;
}

std::optional<OtherNetworkError> OtherNetworkList::Parse(const QString& text,
                                                         OtherNetworkList* list) {
    using Kind = OtherNetworkError::Kind;
    OtherNetworkList parsed;
    qint64 addresses = 0;
    int names = 0;
    qsizetype start = 0; // of the raw item in text
    for (const QString& raw : text.split(QLatin1Char(','))) {
        const QString item = raw.trimmed();
        const qsizetype at = start + raw.indexOf(item); // after the blanks
        start += raw.size() + 1;
        if (item.isEmpty())
            continue; // "a, b," and "a,,b" mean a and b
        const auto refused = [at](OtherNetworkError error) {
            error.at = at;
            return error;
        };
        OtherNetworkEntry entry;
        if (auto error = ParseEntry(item, &entry))
            return refused(*error);
        if (entry.kind == OtherNetworkEntry::Kind::Name && ++names > MaxNames)
            return refused({Kind::TooManyNames, item, {}});
        addresses += entry.kind == OtherNetworkEntry::Kind::Name ? 1 : entry.Count();
        if (addresses > MaxAddresses)
            return refused({Kind::TooManyAddresses, item, {}});
        parsed.entries_.append(entry);
    }
    if (list)
        *list = parsed;
    return std::nullopt;
}

QList<quint32> OtherNetworkList::Addresses() const {
    QList<quint32> out;
    QSet<quint32> seen;
    for (const OtherNetworkEntry& e : entries_) {
        if (e.kind == OtherNetworkEntry::Kind::Name)
            continue;
        const quint32 first = e.FirstAsked(), count = e.Count();
        for (quint32 i = 0; i < count; ++i) {
            const quint32 a = first + i;
            if (!seen.contains(a)) {
                seen.insert(a);
                out.append(a);
            }
        }
    }
    return out;
}

QStringList OtherNetworkList::Names() const {
    QStringList out;
    for (const OtherNetworkEntry& e : entries_)
        if (e.kind == OtherNetworkEntry::Kind::Name && !out.contains(e.name, Qt::CaseInsensitive))
            out.append(e.name);
    return out;
}

bool OtherNetworkList::Contains(quint32 address) const {
    for (const OtherNetworkEntry& e : entries_)
        if (e.kind != OtherNetworkEntry::Kind::Name && (address & Mask(e.prefix)) == e.first)
            return true;
    return false;
}

QStringList OtherNetworkList::Texts() const {
    QStringList out;
    for (const OtherNetworkEntry& e : entries_)
        out.append(e.text);
    return out;
}

} // namespace corvane
