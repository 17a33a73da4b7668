#pragma once
// What the stock list and the warehouse revision compute and how they write it,
// without a window: the rows of each, read from Sklad and Nalich with bound
// values, and the texts the revision stores for its numbers.

#include <QDate>
#include <QString>
#include <QVector>

namespace kelm {

class Connection;

// A quantity as the revision writes it: kept as the warehouse keeps it (within
// 1e-9 of zero is zero, nine decimals at most), a blank before a number of 0 or
// more, a minus before a negative one, a decimal point, no trailing zeros, never
// an exponent ("5" -> " 5", -3 -> "-3", 2.5 -> " 2.5", 3.55e-15 -> " 0").
QString revisionQuantityText(double x);
// A total kept as the screens keep it: to four decimal places.
double currencyRound(double x);
// A total as the stock list and the revision print it in their report footers:
// as many decimals as it has, at most four ("1234,5").
QString currencyText(double x);

// One article of the revision: what came in and went out in the period.
struct RevisionRow {
    QString name;
    bool hasReceipt = false; // a receipt in the period gave the price
    double price = 0;        // unit price of the period's first receipt
    double qtyIn = 0, valueIn = 0;
    double qtyOut = 0, valueOut = 0;

    double qtyLeft() const { return qtyIn - qtyOut; }
    // The remaining quantity as the row shows it, and as its colour is decided.
    double shownQtyLeft() const;
    double valueLeft() const { return valueIn - valueOut; }
    // The texts of the staged row (Cena, Prihod, SumaP, Razhod, SumaR, Ostatak, SumaO).
    QStringList texts() const;
};

// Every article ever entered in Sklad, in Bulgarian alphabetical order, with its
// movement between start and end (both days included). A line with no quantity
// or amount counts 0. One grouped query: the cost does not grow with the number
// of articles times the lines.
QVector<RevisionRow> revisionRows(Connection &conn, const QDate &start, const QDate &end);
// The sum of the remaining values, each kept to four decimals as it is added.
double revisionTotal(const QVector<RevisionRow> &rows);

// One article of the stock list.
struct StockRow {
    QString name;
    double price = 0; // Nalich.Edin, the latest receipt price
    double count = 0; // Nalich.Broi
    double value() const { return count * price; }
};

// The Nalich rows whose name begins with the prefix (literally: "%", "_" and
// quotes match only themselves; an empty prefix lists every named row), in
// Bulgarian alphabetical order.
QVector<StockRow> stockRows(Connection &conn, const QString &prefix);
double stockTotal(const QVector<StockRow> &rows);

} // namespace kelm
