#include "trips/firms.h"

#include "common/textchecks.h"
#include "platform/database.h"

namespace kelm {

namespace {
// A blank box is stored and looked up as an empty text, never as Null.
QString blankTrimmed(const QString &s)
{
    const QString t = trimSpaces(s);
    return t.isNull() ? QStringLiteral("") : t;
}
} // namespace

FirmTexts FirmTexts::trimmed() const
{
    return {blankTrimmed(name), blankTrimmed(adres), blankTrimmed(city), blankTrimmed(country)};
}

bool FirmTexts::isBlank() const
{
    const FirmTexts t = trimmed();
    return t.name.isEmpty() && t.adres.isEmpty() && t.city.isEmpty() && t.country.isEmpty();
}

bool firmExists(Connection &conn, const FirmTexts &firm)
{
    const FirmTexts t = firm.trimmed();
    // Looked up with the very texts that would be stored, so that a firm typed
    // with stray blanks finds the row appended for it earlier.
    const QVariant n = conn.scalar(
        QStringLiteral("SELECT count(*) FROM Firms WHERE COALESCE(SrName,'')=? AND COALESCE(SrAdres,'')=? "
                       "AND COALESCE(SrCity,'')=? AND COALESCE(SrCountry,'')=?"),
        {t.name, t.adres, t.city, t.country});
    return n.toInt() > 0;
}

bool appendFirmIfNew(Connection &conn, const FirmTexts &firm)
{
    if (firm.isBlank() || firmExists(conn, firm))
        return false;
    const FirmTexts t = firm.trimmed();
    conn.execute(QStringLiteral("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES (?, ?, ?, ?)"),
                 {t.name, t.adres, t.city, t.country});
    return true;
}

} // namespace kelm
