#pragma once
// The driver's pay on paper: the statement of trips marked paid with the receipt
// (rptPlaten, printed from the payment screen), the pay statement by the car's
// percentage and load with its receipt (rptZaplata) and the list of a driver's
// paid or unpaid trips (rptNePlaten).

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

namespace kelm {

class Report;
class ReportData;
class PrintedSum;
struct DriverPapers;

void PrintDriverSalary();           // DiaSeek: ShofKod, ShofName, StartData, EndData
void PrintDriverTrips(bool paid);   // DiaSeekAlt: ShofKod, ShofName, StartData, EndData

// One trip as TempPlaten holds it (an empty number counts as 0).
struct PaidTripLine {
    QVariant data;
    QString marsh;
    QString tovar;
    QString kola;
    double km = 0;
    double ton = 0;
    double tarifa = 0;
    double neto = 0;
};

// Puts the lines into TempPlaten, numbered from 1, after removing the rows of an
// earlier print (one transaction), amounts as ready-made texts ("###0", "###0.000",
// the tariff as held with at least tariffDecimals (printedTariff), "###0.00"); adds
// each printed amount to *total.
// Returns the staged rows as the report reads them. Throws DbError.
ReportData stagePaidTrips(const QVector<PaidTripLine> &lines, int tariffDecimals, PrintedSum *total);

// Fills rptPlaten from staged rows for the driver and the period, with the
// receipt; the caller shows it.
void fillRptPlaten(const ReportData &rows, const QString &driverName, const QDate &start, const QDate &end,
                   const DriverPapers &papers, const PrintedSum &total, const QDate &today);

// The designs' instances.
Report &rptPlaten();
Report &rptZaplata();
Report &rptNePlaten();

} // namespace kelm
