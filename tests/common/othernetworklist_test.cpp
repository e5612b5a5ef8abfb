// The list of other networks as a person types it: what is taken, what is
// asked, and which entry a refusal names.
#include "common/othernetworklist.h"

#include <QHostAddress>
#include <gtest/gtest.h>

using namespace corvane;
using Kind = OtherNetworkError::Kind;

namespace {

QString Dotted(quint32 a) {
    return QHostAddress(a).toString();
}

struct Taken {
    const char* text;
    int asked;         // addresses asked, names not counted
    const char* first; // first address asked ("" for none)
    const char* last;  // last address asked
    QStringList names;
};

struct Refused {
    const char* text;
    Kind kind;
    const char* entry;
    const char* suggestion;
    qsizetype at = -1; // where the entry begins; -1: its first place in the text
};

} // namespace

TEST(OtherNetworkList, TakesAddressesNamesAndNetworksUpToASlash22) {
    const Taken cases[] = {
        {"", 0, "", "", {}},
        {"  ,  , ", 0, "", "", {}},
        {"10.2.0.15", 1, "10.2.0.15", "10.2.0.15", {}},
        {" 10.2.0.15 ,10.2.0.16,", 2, "10.2.0.15", "10.2.0.16", {}},
        // A network without its own and its broadcast address.
        {"198.18.1.0/24", 254, "198.18.1.1", "198.18.1.254", {}},
        {"10.8.0.0/22", 1022, "10.8.0.1", "10.8.3.254", {}},
        {"10.8.0.4/30", 2, "10.8.0.5", "10.8.0.6", {}},
        {"10.8.0.4/31", 2, "10.8.0.4", "10.8.0.5", {}},
        {"10.8.0.9/32", 1, "10.8.0.9", "10.8.0.9", {}},
        // Repeats and overlaps are asked once.
        {"10.8.0.5, 10.8.0.4/30, 10.8.0.5", 2, "10.8.0.5", "10.8.0.6", {}},
        {"pc7.branch, 10.1.1.1, PC7.branch, host-2",
         1,
         "10.1.1.1",
         "10.1.1.1",
         {"pc7.branch", "host-2"}},
        // Four /22 fill the list exactly (a name counts one address).
        {"10.0.0.0/22,10.0.4.0/22,10.0.8.0/22,10.0.12.0/22,1.2.3.4,1.2.3.5,1.2.3.6,1.2.3.7,"
         "1.2.3.8,1.2.3.9,1.2.3.10,a",
         4096 - 1,
         "10.0.0.1",
         "1.2.3.10",
         {"a"}},
    };
    for (const Taken& c : cases) {
        SCOPED_TRACE(c.text);
        OtherNetworkList list;
        ASSERT_EQ(OtherNetworkList::Parse(QString::fromUtf8(c.text), &list), std::nullopt);
        const QList<quint32> asked = list.Addresses();
        EXPECT_EQ(asked.size(), c.asked);
        if (!asked.isEmpty()) {
            EXPECT_EQ(Dotted(asked.first()), c.first);
            EXPECT_EQ(Dotted(asked.last()), c.last);
            for (quint32 a : asked)
                EXPECT_TRUE(list.Contains(a));
        }
        EXPECT_EQ(list.Names(), c.names);
    }
}

TEST(OtherNetworkList, RefusesTheWholeListNamingTheBadEntry) {
    const Refused cases[] = {
        {"10.0.0.0/21", Kind::TooLarge, "10.0.0.0/21", ""},
        {"10.1.1.1, 10.0.0.0/8", Kind::TooLarge, "10.0.0.0/8", ""},
        {"10.8.1.0/22", Kind::NotNetworkStart, "10.8.1.0/22", "10.8.0.0/22"},
        {"192.168.5.7/24", Kind::NotNetworkStart, "192.168.5.7/24", "192.168.5.0/24"},
        {"10.0.0.0/33", Kind::NotAnEntry, "10.0.0.0/33", ""},
        {"10.0.0.0/", Kind::NotAnEntry, "10.0.0.0/", ""},
        {"10.0.0.0/24/1", Kind::NotAnEntry, "10.0.0.0/24/1", ""},
        {"10.1.2", Kind::NotAnEntry, "10.1.2", ""},
        {"10.1.2.256", Kind::NotAnEntry, "10.1.2.256", ""},
        {"10.01.2.3", Kind::NotAnEntry, "10.01.2.3", ""}, // octal to some readers
        {"10.1.2.3 10.1.2.4", Kind::NotAnEntry, "10.1.2.3 10.1.2.4", ""},
        {"pc 7", Kind::NotAnEntry, "pc 7", ""},
        {"*.branch", Kind::NotAnEntry, "*.branch", ""},
        {"fe80::1", Kind::NotAnEntry, "fe80::1", ""},
        {"127.0.0.1", Kind::NotOneComputer, "127.0.0.1", ""},
        {"0.0.0.0", Kind::NotOneComputer, "0.0.0.0", ""},
        {"255.255.255.255", Kind::NotOneComputer, "255.255.255.255", ""},
        {"224.0.0.0/24", Kind::NotOneComputer, "224.0.0.0/24", ""},
        {"10.0.0.0/22,10.0.4.0/22,10.0.8.0/22,10.0.12.0/22,1.2.3.4,1.2.3.5,1.2.3.6,1.2.3.7,"
         "1.2.3.8,1.2.3.9,1.2.3.10,a,b",
         Kind::TooManyAddresses, "b", ""},
        {"a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q", Kind::TooManyNames, "q", ""},
        // The refused entry is the second, whose text the first begins with.
        {"10.0.0.0/22, 10.0.0.0/2", Kind::TooLarge, "10.0.0.0/2", "", 13},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.text);
        OtherNetworkList list;
        OtherNetworkList::Parse(QStringLiteral("10.9.9.9"), &list);
        const auto error = OtherNetworkList::Parse(QString::fromUtf8(c.text), &list);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind, c.kind);
        EXPECT_EQ(error->entry, QString::fromUtf8(c.entry));
        EXPECT_EQ(error->suggestion, QString::fromUtf8(c.suggestion));
        EXPECT_EQ(error->at,
                  c.at >= 0 ? c.at : QString::fromUtf8(c.text).indexOf(QString::fromUtf8(c.entry)));
        EXPECT_EQ(list.Addresses(), QList<quint32>{QHostAddress("10.9.9.9").toIPv4Address()})
            << "a refused text changed the list";
    }
}
