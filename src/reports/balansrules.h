#pragma once
// The figures of the car balance and of the fuel use, without a window: per own
// car (the distinct numbers of Config) two sums over a period and their
// difference, and the money total over all cars.
//
//   money ("All"):    income = trips' bruto,        costs  = warehouse issues' Suma
//   fuel ("PreRazh"): by norm = waybills' SumRazhN, filled = waybills' ZarN
//
// The sums come from one grouped query per table over the period, so a year of a
// hundred cars costs three index scans rather than two queries per car.

#include <QDate>
#include <QString>
#include <QVector>

namespace kelm {

class Connection;

enum class BalansMode { Money, Fuel };

// The mode the mode word asks for: "PreRazh" is the fuel use, anything else the balance.
BalansMode balansModeOf(const QString &seekMode);

// Day, month and year joined with "." without leading zeros: 1.3.2009.
QString shortDateText(const QDate &d);

struct BalansCar {
    QString kola;
    double prihod = 0;  // income, or fuel by norm
    double razhod = 0;  // costs, or fuel filled
    double ostatak = 0; // the difference, to 15 significant digits
};

struct BalansFigures {
    QVector<BalansCar> cars;
    // Money total in ten-thousandths: each car's income less its costs, each
    // rounded to four decimals first (kept in both modes, shown in the money mode).
    qint64 totalTenThousandths = 0;
    double total() const { return double(totalTenThousandths) / 10000.0; }
};

// Reads the cars and their sums for the period (both end days included). A sum of
// no rows, or of empty values, is 0. Throws DbError.
BalansFigures readBalans(Connection &conn, BalansMode mode, const QDate &start, const QDate &end);

// first - second written with at most 15 significant digits and read back.
double balansDifference(double first, double second);
// A sum as the total counts it: rounded half to even to four decimals, in ten-thousandths.
qint64 toTenThousandths(double x);

// A figure as the list and the report show it: "###0.00" and "лв." (money),
// "###0.0" and " л" (fuel).
QString formatBalansFigure(double x, BalansMode mode);
// "Всичко: " and the money total as "###0.00" and "лв.".
QString balansTotalText(double total);
// A row is drawn in "RazhPlus" when the number its fourth column starts with is below 1.
bool isRazhPlus(const QString &razhodText);

} // namespace kelm
