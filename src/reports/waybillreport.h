#pragma once
// The printed list of the waybills of a period, of one car or of all cars ("0"),
// each followed by its route legs, with the kilometres, the fuel filled and the
// fuel by norm totalled over the waybills. The rows are staged in TempRowdList
// and shown on rptRowdList, modal.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace kelm {

class Connection;
class Report;

// " 1.", " 2.", ...: a waybill's number in the list.
QString waybillNumberText(int n);
// The fuel filled and the odometer: "45,2л. -  123456км" (litres rounded half to
// even at one decimal), or " - " when nothing was filled.
QString waybillRouteText(const QVariant &zarN, const QVariant &endKM);
// A leg's surcharge on the norm as printed: "0" when it has none.
QString surchargeText(const QVariant &koef);
// True when the car chosen means every car: "0", blanks around allowed.
bool meansAllCars(const QString &car);

// The staged rows (fields Red, NomData, KolaID, Marsh, KM, Ton, RazhN, Proc, all
// text) and the totals over the waybills (an empty value counts as 0).
struct WaybillRows {
    QStringList fields;
    QVector<QVector<QVariant>> rows;
    int waybills = 0;
    double zarN = 0;
    double sumKM = 0;
    double sumRazhN = 0;
};
// Reads the waybills of the period (both end days) with their legs. Throws DbError.
WaybillRows readWaybillRows(Connection &conn, const QString &car, const QDate &start, const QDate &end);
// Replaces the rows of TempRowdList in the scratch database with these. Throws DbError.
void writeWaybillRows(Connection &temp, const WaybillRows &w);

// DiaSeek: lYes, Kola, StartData, EndData.
void PrintWaybillReport();

// The design's instance.
Report &rptRowdList();

} // namespace kelm
