#include "trips/amounts.h"

#include "platform/database.h"
#include "platform/numbers.h"

#include <cmath>

namespace kelm {

TripAmounts tripAmounts(double ton, double km, double tariff)
{
    TripAmounts a;
    const double product = ton * km * tariff;
    a.bruto = Round(product, 2);
    a.procent = Round(a.bruto * 3 / 100, 2);
    a.neto = a.bruto - a.procent;
    return a;
}

TariffBand tariffBand(double km)
{
    if (km <= 20)
        return Band20;
    if (km <= 30)
        return Band20to30;
    if (km <= 50)
        return Band30to50;
    if (km <= 100)
        return Band50to100;
    if (km <= 200)
        return Band100to200;
    return Band200;
}

QString tariffColumn(TariffBand band)
{
    static const char *const names[] = {"Trf_20", "Trf_20-30", "Trf_30-50",
                                        "Trf_50-100", "Trf_100-200", "Trf_200"};
    return QString::fromLatin1(names[band]);
}

double BandTariffs::afterKmChange(double tariff, double oldKm, double newKm) const
{
    if (newKm == oldKm || std::fabs(tariff - forKm(oldKm)) > 1e-9)
        return tariff;
    return forKm(newKm);
}

BandTariffs BandTariffs::load(Connection &conn)
{
    BandTariffs t;
    Recordset rs;
    rs.open(conn, QStringLiteral("SELECT Trf_20, \"Trf_20-30\", \"Trf_30-50\", \"Trf_50-100\", "
                                 "\"Trf_100-200\", Trf_200 FROM Tarifi ORDER BY ID"));
    if (!rs.isEmpty()) {
        rs.moveFirst();
        for (int b = Band20; b <= Band200; ++b)
            t.values[b] = rs.value(tariffColumn(TariffBand(b))).toDouble();
    }
    return t;
}

} // namespace kelm
