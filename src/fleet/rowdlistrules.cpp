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

namespace {
bool blank(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.toString().trimmed().isEmpty();
}

// A leg's value as a number: stored numbers as they are, typed text as read.
std::optional<double> numberIn(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return v.toDouble();
    default:
        return blank(v) ? std::nullopt : parseNumber(v.toString().trimmed());
    }
}
} // namespace

bool isEmptyLeg(const WaybillLeg &leg)
{
    return blank(leg.route) && blank(leg.km);
}

QVector<WaybillLeg> storedLegs(Connection &conn, const QString &number)
{
    QVector<WaybillLeg> legs;
    conn.forEachRow(QStringLiteral("SELECT Marshrut, KM, Ton, Koef, RazhN FROM Marsh WHERE MarshID=? ORDER BY ID"),
                    {number}, [](const QStringList &) {},
                    [&](const QVector<QVariant> &r) { legs.push_back({r[0], r[1], r[2], r[3], r[4]}); });
    return legs;
}

void applyNorm(QVector<WaybillLeg> &legs, double norm)
{
    for (WaybillLeg &leg : legs)
        if (!isEmptyLeg(leg))
            leg.razhN = RazhN(QVariant(norm), leg.ton, leg.km, leg.koef);
}

SheetTotals legTotals(const QVector<WaybillLeg> &legs)
{
    QVector<QPair<double, double>> kmAndFuel;
    for (const WaybillLeg &leg : legs)
        if (!isEmptyLeg(leg))
            kmAndFuel.push_back({numberIn(leg.km).value_or(0.0), numberIn(leg.razhN).value_or(0.0)});
    return totalsOf(kmAndFuel);
}

QVariant totalKmValue(const SheetTotals &t)
{
    return t.hasLegs ? QVariant(double(t.km)) : QVariant();
}

QVariant totalFuelValue(const SheetTotals &t)
{
    return t.hasLegs ? QVariant(t.razhN) : QVariant();
}

DbError legsChangedError()
{
    return DbError(ErrWriteConflict, QStringLiteral("Маршрутите на пътния лист са променени от друг потребител. "
                                                    "Показани са така, както са записани сега."));
}

void replaceSheetLegs(Connection &conn, const QString &number, const QStringList &replaced,
                      const QVector<WaybillLeg> &legs, const LegsAsRead &read, bool writeTotals)
{
    inTransaction(conn, [&] {
        if (!read.number.isEmpty()) {
            // Each leg read goes only while it is as read; a leg still under the
            // number afterwards was added by another user.
            try {
                for (const RowAsRead &leg : read.legs)
                    deleteRowAsRead(conn, leg);
            } catch (const DbError &e) {
                if (isRefusedWrite(e))
                    throw legsChangedError();
                throw;
            }
            if (conn.execute(QStringLiteral("DELETE FROM Marsh WHERE MarshID=?"), {read.number}) > 0)
                throw legsChangedError();
        }
        for (const QString &n : replaced)
            if (!n.isEmpty() && n != read.number)
                conn.execute(QStringLiteral("DELETE FROM Marsh WHERE MarshID=?"), {n});
        for (const WaybillLeg &leg : legs)
            if (!isEmptyLeg(leg))
                conn.execute(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) "
                                            "VALUES (?, ?, ?, ?, ?, ?)"),
                             {number, leg.route, leg.km, leg.ton, leg.koef, leg.razhN});
        if (writeTotals) {
            const SheetTotals t = legTotals(legs);
            conn.execute(QStringLiteral("UPDATE RowdList SET SumKM=?, SumRazhN=? WHERE ListID=?"),
                         {totalKmValue(t), totalFuelValue(t), number});
        }
    });
}

LegRefusal legValuesRefusal(const QVariant &km, const QVariant &ton, const QVariant &koef)
{
    if (const auto k = numberIn(km)) {
        bool fits = *k >= 0;
        if (fits) {
            try {
                kmAsInt16(*k);
            } catch (const DbError &) {
                fits = false;
            }
        }
        if (!fits)
            return {{QStringLiteral("Грешни километри на маршрута: %1!").arg(formatGeneral(*k)),
                     QStringLiteral("Моля, въведете километрите с число от 0 до %1.").arg(boundText(kLegKmLimit))},
                    1};
    }
    if (const auto t = numberIn(ton); t && *t < 0)
        return {{QStringLiteral("Грешен тонаж на маршрута!"),
                 QStringLiteral("Моля, въведете тонажа с число, не по-малко от 0.")},
                2};
    if (const auto f = numberIn(koef); f && *f < 0)
        return {{QStringLiteral("Грешен коефициент на маршрута!"),
                 QStringLiteral("Моля, въведете коефициента с число, не по-малко от 0.")},
                3};
    return {};
}

} // namespace kelm
