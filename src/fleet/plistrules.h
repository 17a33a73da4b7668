#pragma once
// Rules of the older waybill screen that need no window: the diesel and oil
// lines it books in the warehouse lines (Sklad), and its delete.

#include "platform/database.h"

#include <QDate>
#include <QString>

namespace kelm {

// One article filled on a sheet: "Нафта" or "Масло", quantity and unit price.
struct WaybillFuel {
    QString name;
    double quantity = 0.0;
    double price = 0.0;
};

// The sheet the warehouse lines belong to: its number and car.
struct WaybillKey {
    QString listId;
    QString kola;
};

// Books one article of a sheet: a receipt line ("Пътен лист") and an issue line
// (the car number), both with the quantity, the price and the amount rounded to
// two decimals, Lipsa set and Ostat 0. Nothing is booked for a quantity of 0 or less.
void bookWaybillFuel(Connection &conn, const WaybillKey &sheet, const QDate &date, const WaybillFuel &fuel);

// Removes the diesel and oil lines that a sheet booked earlier (receipt and
// issue lines of "Нафта" and "Масло" under its number and car); other lines
// under the same number stay.
int removeWaybillFuel(Connection &conn, const WaybillKey &sheet);

// The warehouse part of saving a sheet, in the caller's transaction: a corrected
// sheet (previous set) first loses the lines it booked before, then the diesel
// and the oil of the sheet as it is now are booked.
void writeWaybillFuel(Connection &conn, const WaybillKey *previous, const WaybillKey &sheet,
                      const QDate &date, const WaybillFuel &diesel, const WaybillFuel &oil);

// Moves the legs the older route-leg screen stored under one number
// (Marsh.ListID) to another: a renumbered sheet takes its legs along.
void moveOldLegs(Connection &conn, const QString &from, const QString &to);

// Deletes the legs stored under a number (Marsh.ListID) that no sheet carries:
// the legs of a new sheet that was abandoned. Returns how many went.
int deleteOrphanOldLegs(Connection &conn, const QString &number);

// Deletes the current sheet of rs (a recordset over RowdList on conn) and the
// legs stored under its number by the older route-leg screen (Marsh.ListID), in
// one transaction. Its warehouse lines stay.
void deleteOldSheetWithLegs(Connection &conn, Recordset &rs);

} // namespace kelm
