// The presence datagrams, the PresenceList and the network tree model.
#include "common/fieldsplit.h"
#include "presence/networktree.h"
#include "presence/presencedatagrams.h"
#include "presence/presencelist.h"

#include <gtest/gtest.h>

using namespace corvane;
using Kind = PresenceDatagram::Kind;

namespace {

QByteArray Rec(const QByteArrayList& fields) {
    return JoinFields(fields);
}

// Files aliases that start with "s-" under "Sales", everything else under
// "General", as the address book will.
class PrefixDirectory : public GroupDirectory {
public:
    QString GroupOfUser(const QString& alias) const override {
        return alias.startsWith(QLatin1String("s-")) ? QStringLiteral("Sales") : General;
    }
};

QStringList Walk(const NetworkTree& tree) {
    QStringList out;
    tree.ForEachNode([&out](const NetworkTree::Node& n) {
        out << (n.IsComputer() ? QStringLiteral("  ") : QString()) + n.Text();
    });
    return out;
}

} // namespace

TEST(PresenceDatagrams, BuiltDatagramsReadBack) {
    EXPECT_EQ(WhoIsHereDatagram(QStringLiteral("HOST1")), Rec({"WHO_IS_HERE", "HOST1"}));
    EXPECT_EQ(IAmHereDatagram(QStringLiteral("HOST1"), false, QStringLiteral("Bob")),
              Rec({"I_AM_HERE", "HOST1", "FALSE", "Bob"}));
    const PresenceDatagram d = ParsePresenceDatagram(
        IAmHereDatagram(QStringLiteral("HOST1"), true, QStringLiteral("Боб")));
    EXPECT_EQ(d.kind, Kind::IAmHere);
    EXPECT_EQ(d.computer, QStringLiteral("HOST1"));
    EXPECT_TRUE(d.online);
    EXPECT_EQ(d.alias, QStringLiteral("Боб")); // Windows-1251 on the wire
    const PresenceDatagram off = ParsePresenceDatagram(
        OfflineNotifyDatagram(QStringLiteral("HOST2"), QStringLiteral("Ann")));
    EXPECT_EQ(off.kind, Kind::OfflineNotify);
    EXPECT_EQ(off.computer, QStringLiteral("HOST2"));
    EXPECT_EQ(off.alias, QStringLiteral("Ann"));
    EXPECT_EQ(ParsePresenceDatagram(Rec({"ONLINE_NOTIFY", "H", "TRUE", "A"})).kind,
              Kind::OnlineNotify);
}

TEST(PresenceDatagrams, OnlyExactTrueIsOnline) {
    for (const char* state : {"true", "True", "TRUE ", "1", "", "FALSE"})
        EXPECT_FALSE(ParsePresenceDatagram(Rec({"I_AM_HERE", "H", state, "A"})).online) << state;
    EXPECT_TRUE(ParsePresenceDatagram(Rec({"I_AM_HERE", "H", "TRUE", "A"})).online);
}

TEST(PresenceDatagrams, MissingEmptyAndSplitFieldsShiftAsTheyCome) {
    // Missing fields read as empty texts.
    PresenceDatagram d = ParsePresenceDatagram(Rec({"I_AM_HERE", "H"}));
    EXPECT_EQ(d.kind, Kind::IAmHere);
    EXPECT_FALSE(d.online);
    EXPECT_EQ(d.alias, QString());
    EXPECT_EQ(ParsePresenceDatagram("WHO_IS_HERE").computer, QString());
    // An empty alias leaves nothing after the state.
    d = ParsePresenceDatagram(Rec({"I_AM_HERE", "H", "TRUE", ""}));
    EXPECT_TRUE(d.online);
    EXPECT_EQ(d.alias, QString());
    // An empty computer name moves the state into the name and the alias into
    // the state.
    d = ParsePresenceDatagram(Rec({"I_AM_HERE", "", "TRUE", "Bob"}));
    EXPECT_EQ(d.computer, QStringLiteral("TRUE"));
    EXPECT_FALSE(d.online);
    EXPECT_EQ(d.alias, QString());
    // A name holding 0xA9 splits in two.
    d = ParsePresenceDatagram(QByteArray("I_AM_HERE\xA9\xA9\xA9HO\xA9ST\xA9\xA9\xA9TRUE\xA9\xA9\xA9"
                                         "Bob"));
    EXPECT_EQ(d.computer, QStringLiteral("HO"));
    EXPECT_FALSE(d.online);
    EXPECT_EQ(d.alias, QStringLiteral("TRUE"));
    // Separators at the ends are skipped.
    d = ParsePresenceDatagram(QByteArray("\xA9\xA9OFFLINE_NOTIFY\xA9H\xA9\xA9\xA9\xA9\xA9\xA9"));
    EXPECT_EQ(d.kind, Kind::OfflineNotify);
    EXPECT_EQ(d.computer, QStringLiteral("H"));
    EXPECT_EQ(d.alias, QString());
}

TEST(PresenceDatagrams, UnknownKeywordsAndNoiseAreIgnored) {
    for (const QByteArray& junk :
         {QByteArray(), QByteArray("\xA9\xA9\xA9"), QByteArray("who_is_here\xA9\xA9\xA9H"),
          QByteArray("I_AM_HERE_\xA9\xA9\xA9H"), QByteArray("CHATSLOT3"), QByteArray(1, '\0'),
          QByteArray(70000, 'x')})
        EXPECT_EQ(ParsePresenceDatagram(junk).kind, Kind::Unknown);
}

TEST(PresenceListTest, LetterCaseMakesNoSecondEntryAndKeepsTheFirstText) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QStringLiteral("ru_RU"))}) {
        SCOPED_TRACE(locale.name().toStdString());
        PresenceList list(locale);
        list.RecordPresence(QStringLiteral("HOST1"), QStringLiteral("bob"), true);
        list.RecordPresence(QStringLiteral("host1"), QStringLiteral("BOB"), false);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.At(0).computer, QStringLiteral("HOST1"));
        EXPECT_EQ(list.At(0).alias, QStringLiteral("bob"));
        EXPECT_FALSE(list.At(0).online); // the flag is replaced
        EXPECT_TRUE(list.Contains(QStringLiteral("Host1"), QStringLiteral("Bob")));
        EXPECT_FALSE(list.Contains(QStringLiteral("HOST1"), QStringLiteral("bobby")));
        EXPECT_FALSE(list.Contains(QStringLiteral("HOST2"), QStringLiteral("bob")));
        // Cyrillic letter case too.
        list.RecordPresence(QStringLiteral("ПК"), QStringLiteral("Анна"), true);
        list.RecordPresence(QStringLiteral("пк"), QStringLiteral("АННА"), true);
        EXPECT_EQ(list.Count(), 2);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
    }
}

TEST(PresenceListTest, StaysSortedWithoutLetterCase) {
    for (const QLocale& locale :
         {QLocale::c(), QLocale(QStringLiteral("en_US")), QLocale(QStringLiteral("ru_RU"))}) {
        PresenceList list(locale);
        for (const char* name : {"delta", "Alpha", "charlie", "BRAVO", "alpha", "Echo"})
            list.RecordPresence(QString::fromLatin1(name), QStringLiteral("x"), true);
        QStringList order;
        for (const auto& e : list.Entries())
            order << e.computer;
        EXPECT_EQ(order, QStringList({"Alpha", "BRAVO", "charlie", "delta", "Echo"}))
            << locale.name().toStdString();
    }
}

TEST(NetworkTreeTest, StartsWithGeneralAndAppendsInAnnouncementOrder) {
    PrefixDirectory directory;
    NetworkTree tree(directory);
    EXPECT_EQ(Walk(tree), QStringList({"General"}));
    EXPECT_EQ(tree.UpsertComputerNode("H1", "s-ann", true), NetworkTree::UpsertResult::Added);
    tree.UpsertComputerNode("H2", "bob", true);
    tree.UpsertComputerNode("H3", "s-cid", false);
    tree.UpsertComputerNode("H4", "abe", true);
    EXPECT_EQ(Walk(tree),
              QStringList({"General", "  bob", "  abe", "Sales", "  s-ann", "  s-cid"}));
    const NetworkTree::Node* cid = tree.FindComputerNode("s-cid");
    ASSERT_TRUE(cid);
    EXPECT_EQ(cid->ImageIndex(), NetworkTree::ComputerImage);
    EXPECT_EQ(cid->Parent()->ImageIndex(), NetworkTree::GroupImage);
    EXPECT_EQ(cid->Record()->ComputerName, "H3");
    EXPECT_FALSE(cid->Record()->Online);
    EXPECT_EQ(tree.FindComputerNode("S-CID"), nullptr); // exact text
    EXPECT_EQ(tree.FindComputerNode("Sales"), nullptr); // groups are not computers
}

TEST(NetworkTreeTest, SecondAnnouncementOfAnAliasOnlyChangesTheFlag) {
    GeneralOnlyDirectory directory;
    NetworkTree tree(directory);
    tree.UpsertComputerNode("H1", "same", true);
    EXPECT_EQ(tree.UpsertComputerNode("H2", "same", true), NetworkTree::UpsertResult::Unchanged);
    EXPECT_EQ(tree.UpsertComputerNode("H2", "same", false), NetworkTree::UpsertResult::FlagChanged);
    EXPECT_EQ(tree.ComputerCount(), 1);
    EXPECT_EQ(tree.FindComputerNode("same")->Record()->ComputerName, "H1");
    EXPECT_FALSE(tree.FindComputerNode("same")->Record()->Online);
}

TEST(NetworkTreeTest, GroupGoesWithItsLastComputerAndComesBackAtTheEnd) {
    PrefixDirectory directory;
    NetworkTree tree(directory);
    tree.UpsertComputerNode("H1", "s-ann", true);
    tree.UpsertComputerNode("H2", "s-bea", true);
    tree.UpsertComputerNode("H3", "bob", true);
    tree.RemoveComputerNode(tree.FindComputerNode("s-ann"));
    EXPECT_EQ(Walk(tree), QStringList({"General", "  bob", "Sales", "  s-bea"}));
    tree.RemoveComputerNode(tree.FindComputerNode("s-bea"));
    tree.RemoveComputerNode(tree.FindComputerNode("bob"));
    EXPECT_EQ(Walk(tree), QStringList());
    tree.UpsertComputerNode("H1", "s-ann", true);
    tree.UpsertComputerNode("H3", "bob", true);
    EXPECT_EQ(Walk(tree), QStringList({"Sales", "  s-ann", "General", "  bob"}));
    tree.RemoveComputerNode(nullptr);                     // nothing to remove
    tree.RemoveComputerNode(tree.FindGroupNode("Sales")); // not a computer: stays
    EXPECT_EQ(tree.ComputerNodes().size(), 2u);
    tree.Clear();
    EXPECT_EQ(Walk(tree), QStringList());
    EXPECT_EQ(tree.FindComputerNode("bob"), nullptr);
}

TEST(NetworkTreeTest, ComputerNamedLikeAGroupDoesNotBecomeAParent) {
    // A user called "Sales" sits under "General"; a computer of the group
    // "Sales" must go under a group node, not under that computer.
    PrefixDirectory directory;
    NetworkTree tree(directory);
    tree.UpsertComputerNode("H1", "Sales", true);
    tree.UpsertComputerNode("H2", "s-ann", true);
    EXPECT_EQ(Walk(tree), QStringList({"General", "  Sales", "Sales", "  s-ann"}));
    tree.RemoveComputerNode(tree.FindComputerNode("Sales"));
    EXPECT_EQ(Walk(tree), QStringList({"Sales", "  s-ann"}));
}
