#pragma once
// The money of a trip and the distance-band tariffs. Plain functions, so the
// trip editor, the kilometre correction and the tests share one reckoning.

#include <QString>
#include <array>

namespace kelm {

class Connection;

// The three amounts of a trip, in leva.
struct TripAmounts {
    double bruto = 0;   // Round(ton x km x tariff, 2)
    double procent = 0; // the fixed 3 % deduction, Round(bruto x 3 / 100, 2)
    double neto = 0;    // bruto less procent, not rounded again
};

// Multiplies in the order ton x km x tariff in double precision, as the old
// amounts were computed, so stored trips and new ones agree to the stotinka.
TripAmounts tripAmounts(double ton, double km, double tariff);

// The six distance bands, in the order of the Tarifi columns.
enum TariffBand { Band20 = 0, Band20to30, Band30to50, Band50to100, Band100to200, Band200 };

// The band of a distance: upper edges 20, 30, 50, 100, 200 inclusive; 20 km and
// less (zero and negative values too) is the first band.
TariffBand tariffBand(double km);

// The Tarifi column of a band: Trf_20, Trf_20-30, ... Trf_200.
QString tariffColumn(TariffBand band);

// The tariffs of the six bands; all zero when Tarifi has no row.
struct BandTariffs {
    std::array<double, 6> values{};
    double forKm(double km) const { return values[tariffBand(km)]; }
    // The tariff of a trip whose kilometres are corrected from oldKm to newKm: a
    // tariff that is its old band's (the proposed one) becomes the new band's; a
    // tariff of its own (agreed with the client) stays.
    double afterKmChange(double tariff, double oldKm, double newKm) const;
    // Reads the first row of Tarifi (the hyphenated column names are quoted).
    static BandTariffs load(Connection &conn);
};

} // namespace kelm
