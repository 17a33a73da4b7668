#pragma once
// The columns of a grid of trips whose kilometres and tariffs may be corrected:
// the kilometre correction lists them from the trips table, the client statement
// from its staged rows (the fields of TempKlients, in their order).

namespace kelm {

class Grid;

// Date, route, goods, car, km, tons, tariff, amount, from column 1; only km and
// tariff take typing.
void setTripGridColumns(Grid *grid);

} // namespace kelm
