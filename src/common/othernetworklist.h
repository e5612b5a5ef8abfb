#pragma once
// The other networks a person lists so that colleagues behind routers are
// found: broadcasts stop at the router, so presence asks them by unicast.
// The list is one line of entries separated by commas:
//
//   entry   = address / name / network    ; blanks around an entry do not count
//   address = IPv4 dotted quad            ; one computer, e.g. 10.2.0.15
//   name    = host name                   ; looked up when it is asked, e.g. pc7.branch
//   network = address "/" prefix          ; 22 to 32, the address its first one,
//                                         ; e.g. 10.2.0.0/24
//
// A network of /30 or larger is asked without its first and last address
// (the network's own and its broadcast address). An address or network in
// this network (0/8), the loopback (127/8), multicast or reserved space
// (224/3) is no computer elsewhere and is refused. The whole list covers at
// most MaxAddresses addresses (a name counts one), and holds at most MaxNames
// names, so a round of requests stays within the pacing of the sender.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace corvane {

struct OtherNetworkEntry {
    enum class Kind { Address, Name, Network };
    Kind kind = Kind::Address;
    QString text;      // as written, trimmed
    quint32 first = 0; // the address, or the network's first address
    int prefix = 32;   // of a network
    QString name;      // of a name
    // The addresses that are asked (0 for a name), from FirstAsked on: a
    // network of /30 or larger without its own and its broadcast address.
    quint32 Count() const;
    quint32 FirstAsked() const;
};

// Why a list was refused, and the entry it was refused at.
struct OtherNetworkError {
    enum class Kind {
        NotAnEntry,       // neither an address, a name nor a network
        NotOneComputer,   // loopback, multicast, reserved or "this network"
        TooLarge,         // a network larger than /22
        NotNetworkStart,  // host bits set; suggestion holds the network
        TooManyAddresses, // the list would cover more than MaxAddresses
        TooManyNames,     // more than MaxNames names
    };
    Kind kind = Kind::NotAnEntry;
    QString entry;
    QString suggestion;
    qsizetype at = -1; // where entry begins in the text
};

class OtherNetworkList {
public:
    static constexpr int MinPrefix = 22; // 1024 addresses
    static constexpr int MaxAddresses = 4096;
    static constexpr int MaxNames = 16;

    // The list of a text; an empty or blank text is the empty list. On an
    // error nothing of the text is taken.
    static std::optional<OtherNetworkError> Parse(const QString& text, OtherNetworkList* list);

    bool IsEmpty() const { return entries_.isEmpty(); }
    const QList<OtherNetworkEntry>& Entries() const { return entries_; }
    // Every listed address and every asked address of every network, in list
    // order without repeats; names are not in it.
    QList<quint32> Addresses() const;
    QStringList Names() const;
    // The entries as written.
    QStringList Texts() const;
    // Whether an address is listed or in a listed network.
    bool Contains(quint32 address) const;

    friend bool operator==(const OtherNetworkList& a, const OtherNetworkList& b) {
        return a.Texts() == b.Texts();
    }

private:
    QList<OtherNetworkEntry> entries_;
};

} // namespace corvane
