#include "fleet/rowdlistrules.h"

#include "platform/numbers.h"

namespace kelm {

std::optional<QString> padSheetNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() > kSheetNumberLength)
        return std::nullopt;
    if (t.isEmpty())
        return QString();
    return padNumber10(t);
}

bool sheetNumberTaken(Connection &conn, const QString &number, const QVariant &exceptId)
{
    if (exceptId.isValid() && !exceptId.isNull())
        return conn.scalar(QStringLiteral("SELECT count(*) FROM RowdList WHERE ListID=? AND ID<>?"),
                           {number, exceptId})
                   .toInt()
            > 0;
    return conn.scalar(QStringLiteral("SELECT count(*) FROM RowdList WHERE ListID=?"), {number}).toInt() > 0;
}

void moveLegs(Connection &conn, const QString &from, const QString &to)
{
    if (from == to)
        return;
    conn.execute(QStringLiteral("UPDATE Marsh SET MarshID=? WHERE MarshID=?"), {to, from});
}

int deleteOrphanLegs(Connection &conn, const QString &number)
{
    return conn.execute(QStringLiteral("DELETE FROM Marsh WHERE MarshID=? AND NOT EXISTS "
                                       "(SELECT 1 FROM RowdList WHERE ListID=?)"),
                        {number, number});
}

namespace {
// Runs body inside a transaction of conn, or inside the caller's when one is open.
template <typename F> void inTransaction(Connection &conn, F body)
{
    const bool own = !conn.inTransaction();
    if (own)
        conn.beginTrans();
    try {
        body();
        if (own)
            conn.commitTrans();
    } catch (...) {
        if (own)
            conn.rollbackTrans();
        throw;
    }
}
} // namespace

void deleteSheetWithLegs(Connection &conn, Recordset &rs)
{
    const QString number = rs.value(QStringLiteral("ListID")).toString();
    inTransaction(conn, [&] {
        conn.execute(QStringLiteral("DELETE FROM Marsh WHERE MarshID=?"), {number});
        // Last, so a refused delete leaves the recordset as it was.
        rs.deleteRecord();
    });
}

void carryLegsOnSave(Connection &conn, const QString &number, const QVariant &exceptId,
                     const QStringList &legsNumbers)
{
    if (sheetNumberTaken(conn, number, exceptId))
        throw DbError(ErrDuplicateSheet, QStringLiteral("Съществува пътен лист с номер %1.").arg(number));
    for (const QString &from : legsNumbers)
        if (!from.isEmpty())
            moveLegs(conn, from, number);
}

void saveSheetWithLegs(Connection &conn, Recordset &rs, const QString &legsNumber)
{
    const QString number = rs.value(QStringLiteral("ListID")).toString();
    const bool isNew = rs.editMode() == Recordset::EditAdd;
    const QVariant id = isNew ? QVariant() : rs.value(QStringLiteral("ID"));
    inTransaction(conn, [&] {
        carryLegsOnSave(conn, number, id, {legsNumber});
        // Last, so a refused save leaves the recordset's row pending as it was.
        rs.update();
    });
}

void replaceSheetLegs(Connection &conn, const QString &number, const QStringList &replaced,
                      const QVector<WaybillLeg> &legs)
{
    inTransaction(conn, [&] {
        for (const QString &n : replaced)
            if (!n.isEmpty())
                conn.execute(QStringLiteral("DELETE FROM Marsh WHERE MarshID=?"), {n});
        for (const WaybillLeg &leg : legs)
            conn.execute(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) "
                                        "VALUES (?, ?, ?, ?, ?, ?)"),
                         {number, leg.route, leg.km, leg.ton, leg.koef, leg.razhN});
    });
}

} // namespace kelm
