#pragma once
// The printout of a client statement (rptKlientS): one line per trip in route,
// then date order, and at the end the tons, the kilometres, the net sum, 20 % VAT
// on top and the total.

#include "billing/klientsrules.h"

namespace kelm {

class Connection;
class Report;

Report &rptKlientS();

// Stages the statement held in the scratch as print rows and shows the printout
// beside the screen, naming the subject's client and period. A statement with no
// rows shows "Няма!!!!!!!!" and nothing else. A failure is reported. Returns true
// when the printout was shown.
bool PrintKlientStatement(Connection &scratch, const StatementSubject &subject);

} // namespace kelm
