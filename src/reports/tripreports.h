#pragma once
// The four lists of trips for a period, read straight from the trips and shown
// beside the main window: by car, by period (all, invoiced, not invoiced), by
// client and by driver. Each reads its criteria from the search dialog that the
// main-window command confirmed.

namespace kelm {

class Report;

void PrintTripsByCar();    // DiaSeek: Kola, StartData, EndData
void PrintTripsByPeriod(); // DiaSeekAlt: sOption, StartData, EndData
void PrintTripsByClient(); // DiaSeek: Klient, StartData, EndData
void PrintTripsByDriver(); // DiaSeekAlt: ShofKod, ShofName, StartData, EndData

// The designs' instances.
Report &rptKola();
Report &rptAll();
Report &rptKlient();
Report &rptDriver();

} // namespace kelm
