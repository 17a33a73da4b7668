#pragma once
// The warehouse printouts: the receipts or issues of a period (PrintStoreReport,
// rptSkladPR), the stock list (rptNalich) and the revision (rptSklad). The two
// lists print the rows their screens hold.

#include <QDate>
#include <QString>
#include <QVector>

namespace kelm {

class Connection;
class Report;
class ReportData;

Report &rptSkladPR();
Report &rptNalich();
Report &rptSklad();

// One staged line of the receipts and issues report (TempSKladPR, all texts).
struct StoreLine {
    QString docVid, nomData, name, broi, edin, suma;
};
// The receipt ("P") or issue ("R") lines of the period, ordered by article name
// (lines of one article as they were entered), whose name, and for issues whose
// document kind, begins with the prefix ("" admits every value that is not
// empty of all text). Adds the unformatted amounts into *total.
QVector<StoreLine> storeLines(Connection &conn, bool receipts, const QDate &start, const QDate &end,
                              const QString &namePrefix, const QString &kindPrefix, double *total);

// Склад > Справка приходи (true) or Справка разходи (false): reads the period and
// prefixes from the dialog that the command showed, stages the lines in
// TempSKladPR and shows rptSkladPR modally, or says that there are none.
void PrintStoreReport(bool receipts);

// The stock list and revision printouts of their screens' rows, shown modally.
void printStockList(const ReportData &rows, double total);
void printRevision(const ReportData &rows, double total);

} // namespace kelm
