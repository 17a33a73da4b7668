#include "fleet/fuel.h"

#include "platform/numbers.h"

#include <cmath>

namespace kelm {

int16_t kmAsInt16(double km)
{
    const float asSingle = float(km);
    if (!std::isfinite(asSingle))
        throw DbError(ErrFuelOverflow, QStringLiteral("Препълване"));
    const double whole = Round(double(asSingle), 0);
    if (whole < -32768.0 || whole > 32767.0)
        throw DbError(ErrFuelOverflow, QStringLiteral("Препълване"));
    return int16_t(whole);
}

float koefFactor(double koef)
{
    return koef == 0.0 ? 1.0f : float(koef / 100.0 + 1.0);
}

double RazhN(double razhod, double ton, double km, double koef)
{
    const float norm = float(razhod);
    const float load = float(ton);
    const float factor = koefFactor(koef);
    const int16_t wholeKm = kmAsInt16(km);
    // Evaluated in double, in this order: the litres agree with the old printouts.
    const double litres = ((double(load) * 0.4 + double(norm)) * double(wholeKm) / 100.0) * double(factor);
    return Round(litres, 1);
}

double legNumber(const QVariant &v, const QString &what, double bound)
{
    if (!v.isValid() || v.isNull())
        throw DbError(ErrFuelMissing, QStringLiteral("Няма въведена стойност (%1).").arg(what));
    double x = 0;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        x = v.toDouble();
        break;
    default: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            throw DbError(ErrFuelMissing, QStringLiteral("Няма въведена стойност (%1).").arg(what));
        const auto n = parseNumber(text);
        if (!n)
            throw DbError(ErrFuelTypeMismatch, QStringLiteral("„%1“ не е число (%2).").arg(text, what));
        x = *n;
    }
    }
    if (!std::isfinite(x) || std::fabs(x) > bound) {
        const QString why = overBoundText(x, bound);
        throw DbError(ErrFuelOverflow, why.isEmpty() ? QStringLiteral("Числото е извън допустимото (%1).").arg(what)
                                                     : QStringLiteral("%1 (%2)").arg(why, what));
    }
    return x == 0 ? 0.0 : x;
}

double RazhN(const QVariant &razhod, const QVariant &ton, const QVariant &km, const QVariant &koef)
{
    return RazhN(legNumber(razhod, QStringLiteral("разходна норма"), limits::kLitres),
                 legNumber(ton, QStringLiteral("тонаж"), limits::kTons), legNumber(km, QStringLiteral("КМ"), limits::kKm),
                 legNumber(koef, QStringLiteral("коеф."), limits::kPercent));
}

double oldLegRazhN(double razhKola, float km, float ton, bool north)
{
    const float coefficient = north ? 1.2f : 1.0f;
    const double litres = (razhKola / 100.0 * double(km) + double(ton) * 0.4) * double(coefficient);
    return Round(litres, 1);
}

std::optional<double> carNorm(Connection &conn, const QString &kola)
{
    Recordset rs;
    rs.open(conn, QStringLiteral("SELECT Kola,Razhod,Ton FROM Config WHERE Kola=?"), {kola});
    if (rs.isEmpty())
        return std::nullopt;
    const QVariant v = rs.value(QStringLiteral("Razhod"));
    if (v.isNull())
        throw DbError(ErrFuelMissing, QStringLiteral("Колата няма въведена разходна норма."));
    return v.toDouble();
}

SheetTotals sheetTotals(Connection &conn, const QString &sheetNumber)
{
    SheetTotals t;
    const QVariant km = conn.scalar(QStringLiteral("SELECT SUM(KM) AS SumKM FROM Marsh WHERE MarshID=?"),
                                    {sheetNumber});
    const QVariant fuel = conn.scalar(
        QStringLiteral("SELECT SUM(RazhN) AS SumRazhN FROM Marsh WHERE MarshID=?"), {sheetNumber});
    if (km.isNull() && fuel.isNull())
        return t;
    t.hasLegs = true;
    t.km = qint64(Round(km.toDouble(), 0));
    t.razhN = Round(fuel.toDouble(), 1);
    return t;
}

SheetTotals totalsOf(const QVector<QPair<double, double>> &kmAndFuel)
{
    SheetTotals t;
    if (kmAndFuel.isEmpty())
        return t;
    double km = 0, fuel = 0;
    for (const auto &leg : kmAndFuel) {
        km += leg.first;
        fuel += leg.second;
    }
    t.hasLegs = true;
    t.km = qint64(Round(km, 0));
    t.razhN = Round(fuel, 1);
    return t;
}

} // namespace kelm
