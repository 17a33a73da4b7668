#pragma once
// The invoice printout rptFaktura: the trips of one print of the invoicing screen,
// staged in TempPlaten, with the amount without VAT, 20 % VAT and the total.

#include "billing/invoicing.h"

#include <QString>

namespace kelm {

class Report;
class ReportData;

Report &rptFaktura();

// Fills rptFaktura with the staged rows, the subject line (Label4), the period
// line (Label5, empty for a corrected invoice) and the three footer amounts.
// Throws ReportError or DbError; the caller reports them.
void fillRptFaktura(const ReportData &rows, const QString &subject, const QString &period,
                    const InvoiceTotals &totals);

} // namespace kelm
