#pragma once
#include <QString>

namespace corvane {

// Answers the address-book group under which a remote user is listed.
class GroupDirectory {
public:
    static inline const QString General = QStringLiteral("General");
    virtual ~GroupDirectory() = default;
    // "General" when the address book has no user of that alias.
    virtual QString GroupOfUser(const QString& alias) const = 0;
};

// The directory of an empty address book: everybody is in "General".
class GeneralOnlyDirectory : public GroupDirectory {
public:
    QString GroupOfUser(const QString&) const override { return General; }
};

} // namespace corvane
