#include "fleet/plistrules.h"

#include "platform/numbers.h"

namespace kelm {

void bookWaybillFuel(Connection &conn, const WaybillKey &sheet, const QDate &date, const WaybillFuel &fuel)
{
    if (!(fuel.quantity > 0.0))
        return;
    const double amount = Round(fuel.quantity * fuel.price, 2);
    const QString sql = QStringLiteral(
        "INSERT INTO Sklad (DocVid, DocNom, Data, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    conn.execute(sql, {QStringLiteral("Пътен лист"), sheet.listId, date, fuel.name, fuel.quantity, fuel.price,
                       amount, QStringLiteral("P"), true, 0.0});
    conn.execute(sql, {sheet.kola, sheet.listId, date, fuel.name, fuel.quantity, fuel.price, amount,
                       QStringLiteral("R"), true, 0.0});
}

int removeWaybillFuel(Connection &conn, const WaybillKey &sheet)
{
    return conn.execute(
        QStringLiteral("DELETE FROM Sklad WHERE DocNom=? AND Name IN (?, ?) AND "
                       "((VidKol='P' AND DocVid=?) OR (VidKol='R' AND DocVid=?))"),
        {sheet.listId, QStringLiteral("Нафта"), QStringLiteral("Масло"), QStringLiteral("Пътен лист"),
         sheet.kola});
}

void writeWaybillFuel(Connection &conn, const WaybillKey *previous, const WaybillKey &sheet,
                      const QDate &date, const WaybillFuel &diesel, const WaybillFuel &oil)
{
    if (previous)
        removeWaybillFuel(conn, *previous);
    bookWaybillFuel(conn, sheet, date, diesel);
    bookWaybillFuel(conn, sheet, date, oil);
}

void moveOldLegs(Connection &conn, const QString &from, const QString &to)
{
    if (from == to)
        return;
    conn.execute(QStringLiteral("UPDATE Marsh SET ListID=? WHERE ListID=?"), {to, from});
}

int deleteOrphanOldLegs(Connection &conn, const QString &number)
{
    return conn.execute(QStringLiteral("DELETE FROM Marsh WHERE ListID=? AND NOT EXISTS "
                                       "(SELECT 1 FROM RowdList WHERE ListID=?)"),
                        {number, number});
}

void deleteOldSheetWithLegs(Connection &conn, Recordset &rs)
{
    const QString number = rs.value(QStringLiteral("ListID")).toString();
    const bool own = !conn.inTransaction();
    if (own)
        conn.beginTrans();
    try {
        conn.execute(QStringLiteral("DELETE FROM Marsh WHERE ListID=?"), {number});
        rs.deleteRecord();
        if (own)
            conn.commitTrans();
    } catch (...) {
        if (own)
            conn.rollbackTrans();
        throw;
    }
}

} // namespace kelm
