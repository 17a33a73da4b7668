#pragma once
// The address book of senders and receivers (table Firms). A firm is known by
// its four texts together; rows are only ever appended, by the save of a
// consignment note, and never changed or deleted.

#include <QString>

namespace kelm {

class Connection;

struct FirmTexts {
    QString name, adres, city, country;

    // The four texts without leading and trailing blanks (never null).
    FirmTexts trimmed() const;
    // Every text blank: no firm named at all.
    bool isBlank() const;
    bool operator==(const FirmTexts &o) const
    {
        return name == o.name && adres == o.adres && city == o.city && country == o.country;
    }
};

// True when Firms holds a row equal to the firm in all four trimmed texts (a
// missing value counts as an empty text).
bool firmExists(Connection &conn, const FirmTexts &firm);

// Appends the firm (its trimmed texts) unless it is blank or already listed.
// Runs on the caller's connection, so that it goes into the caller's
// transaction. True when a row was appended. Throws DbError.
bool appendFirmIfNew(Connection &conn, const FirmTexts &firm);

} // namespace kelm
