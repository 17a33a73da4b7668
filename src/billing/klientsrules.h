#pragma once
// The client statement without its window: which trips it takes, the working
// copy in TempKlients, a row's printed amount, the VAT footer, the checks of a
// corrected cell and the print rows of TempKlientsNew.

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

namespace kelm {

class Connection;
class Recordset;

// What the statement was asked for: one client exactly, prefixes of goods,
// route and car (empty admits every value that is not empty of data), and a
// period including both end days.
struct KlientCriteria {
    QString client;
    QString goods;
    QString route;
    QString car;
    QDate start;
    QDate end;
};

// The client and period a statement names (the search's, or a loaded file's).
struct StatementSubject {
    QString client;
    QDate start;
    QDate end;
};

struct StatementTotals {
    int rows = 0;
    double km = 0;
    double tons = 0;
    double money = 0;
};

// The footer of a printed statement: VAT on top of the net sum, as the invoice
// reckons it for the same trips.
struct VatFooter {
    double net = 0;   // "Сума": the sum of the printed row amounts
    double vat = 0;   // "ДДС": 20 % of it, to two decimals
    double total = 0; // "Общо": net + VAT
};

constexpr double kVatRate = 0.2;

// Called every now and then while rows are copied: rows done, rows in all.
using RowProgress = std::function<void(int done, int total)>;

// A row's printed amount: kilometres × tons × tariff, to two decimals, so that
// the footer is the sum of what the rows print.
double statementAmount(double km, double ton, double tariff);
VatFooter vatOnTop(double net);

// A corrected cell of a statement row: the typed text checked alone, as a trip's
// kilometres (a whole number ≥ 0) or tariff (a number ≥ 0) are, then in
// place of the row's kilometres or tariff, where the row's amount (km × tons ×
// tariff) must stay within an amount of money, as a trip's must. km, ton and
// tariff are the row's values as they stand. The refusing message, "" to accept.
enum class StatementCell { Km, Tariff };
QString statementCellRefusal(StatementCell cell, const QString &typed, double km, double ton, double tariff);

// What is wrong with the numbers of a statement row as held (a row read from a
// file), by the rules of typed cells: kilometres a whole number, kilometres,
// tons, tariff and amount each from 0 to its bound, and the amount equal to the
// row's kilometres x tons x tariff as the statement reckons it. "" when sound,
// else the words that name the fault ("грешна тарифа").
QString statementRowFault(double km, double ton, double tariff, double amount);

// Copies the criteria's trips from the main database into TempKlients of the
// scratch (which is emptied first), in date order and within a date in route
// order, in one transaction. Returns the number of trips. Throws DbError.
int fillStatement(Connection &main, Connection &scratch, const KlientCriteria &c,
                  const RowProgress &progress = {});

// The totals of the rows a statement recordset holds now (KM, Ton, Suma).
StatementTotals statementTotals(const Recordset &rs);

// The fields of a print row, in the order of TempKlientsNew.
QStringList printRowFields();

// Stages the print rows afresh in TempKlientsNew: one per statement row, in
// route-then-date order, numbers as formatted texts, the amount recomputed from
// the row's kilometres, tons and tariff; hands them to `printed` too when given.
// Returns what the rows add up to (the money being the sum of the printed
// amounts). One transaction; throws DbError.
StatementTotals stagePrintRows(Connection &scratch, QVector<QVector<QVariant>> *printed = nullptr,
                               const RowProgress &progress = {});

} // namespace kelm
