#pragma once
// Diesel by norm of a waybill's route legs. Both formulas keep the old program's
// number conversions (single-precision operands, the kilometres of the live
// screen taken as a 16-bit whole number), so a leg computes to the same litres
// here as in the printed waybills people compare it with.

#include "platform/database.h"
#include "platform/numbers.h"

#include <QString>
#include <QPair>
#include <QVariant>
#include <QVector>
#include <cstdint>
#include <optional>

namespace kelm {

// Error numbers a leg computation reports with (shown as "number:description").
enum FuelErrorCode {
    ErrFuelOverflow = 6,    // a value outside the range of its whole-number type
    ErrFuelTypeMismatch = 13, // a text that is no number
    ErrFuelMissing = 94,    // an empty value
};

// The leg's kilometres as the norm takes them: to single precision, then to the
// nearest 16-bit whole number, exact halves to the even one (150.5 -> 150,
// 151.5 -> 152). Outside -32768..32767 it throws DbError(ErrFuelOverflow).
int16_t kmAsInt16(double km);

// Surcharge factor of a leg: 1 for Koef 0, otherwise Koef / 100 + 1, in single precision.
float koefFactor(double koef);

// Diesel by norm of one leg of the waybill screen, litres to one decimal:
// ((Ton x 0.4 + Razhod) x KM / 100) x factor, with Razhod, Ton and the factor
// in single precision and KM as kmAsInt16. Norm 30, 10 t, 200 km -> 68.0;
// with a 20 % surcharge -> 81.6.
double RazhN(double razhod, double ton, double km, double koef);

// The same from the typed or stored values of a leg; an empty value throws
// DbError(ErrFuelMissing), a text that is no number DbError(ErrFuelTypeMismatch).
double RazhN(const QVariant &razhod, const QVariant &ton, const QVariant &km, const QVariant &koef);

// A leg value that must be a number: the typed text or a stored value, at most
// bound either way (limits in platform/numbers.h; beyond it DbError(ErrFuelOverflow)).
// The name goes into the error description.
double legNumber(const QVariant &v, const QString &what, double bound = limits::kMoney);

// Diesel by norm of a leg on the older route-leg screen, litres to one decimal:
// (norm / 100 x KM + Ton x 0.4) x coefficient, with KM and Ton in single
// precision and the coefficient 1.2 (single precision) for a northern leg, else 1.
// Norm 30, 100 km, 10 t -> 34.0; northern -> 40.8.
double oldLegRazhN(double razhKola, float km, float ton, bool north);

// The diesel norm (Config.Razhod) of a car, nullopt when the car has no row.
// A row whose norm is empty throws DbError(ErrFuelMissing).
std::optional<double> carNorm(Connection &conn, const QString &kola);

// Totals of one sheet over its stored legs: kilometres as a whole number
// (nearest, halves to even) and the norm fuel to one decimal. hasLegs is false
// when no leg is stored under the number.
struct SheetTotals {
    bool hasLegs = false;
    qint64 km = 0;
    double razhN = 0.0;
};
SheetTotals sheetTotals(Connection &conn, const QString &sheetNumber);
// The same over legs held on a screen: each leg's kilometres and norm fuel.
SheetTotals totalsOf(const QVector<QPair<double, double>> &kmAndFuel);

} // namespace kelm
