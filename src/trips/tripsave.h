#pragma once
// Saving a trip ("Запиши" on the trip editor) without any window: the checks in
// their fixed order with their two-line messages, the driver code, the amounts,
// and the trip row with its expense line written in one transaction. The screen
// copies its boxes into a TripEntry, runs save() and shows what it answers.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "common/textchecks.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "trips/amounts.h"

namespace kelm {

// The boxes of the trip editor a save can point back at.
enum class TripBox { None, Driver, Car, Date, Ton, Km, Tariff, Route, Client, Goods, Invoice, Expense };

// The longest text a trip's field holds (after trimming, as the checks count);
// the trip editor's boxes take no more by typing. The car's is kCarLength
// (common/textchecks.h), shared with the cars of the settings. An invoice number
// has exactly kInvoiceNumberLength characters, here and wherever invoices are
// numbered.
constexpr int kRouteLength = 25;
constexpr int kClientLength = 25;
constexpr int kGoodsLength = 25;
constexpr int kInvoiceNumberLength = 10;

// What stands on the screen when "Запиши" is pressed, as typed.
struct TripEntry {
    QString driver;  // the driver list: "kod,name" when picked, the bare code when correcting
    QString car;     // the car list
    QString route;   // the route list
    QString client;  // the client list
    QString goods;   // the goods list
    QString date;    // dd.mm.yyyy
    QString ton;
    QString km;
    QString tariff;
    QString invoice; // invoice number box
    QString expense; // expense of the trip in leva, may be empty
    bool invoiced = false; // "Фактур."
    bool paid = false;     // "Платен"
};

// How the save was started.
struct TripSaveContext {
    bool newKursMode = true; // "NewKurs" or "EditKurs"
    bool adding = true;      // a new trip, else a correction of the trip below
    RowAsRead trip;          // the row corrected, as the editor read it (adding: unused)
    QString tripKod;         // the corrected trip's driver code, which a correction keeps
    QStringList drivers;     // the driver list's entries "kod,name", trimmed: a new trip takes one
};

// The trip as written.
struct TripRow {
    qint64 id = 0;
    QDate data;
    QString kola, kod, marsh, klient, tovar;
    int km = 0;
    double ton = 0, tarifa = 0;
    TripAmounts amounts;
    bool plat = false, fakt = false;
    QString nomFakt;
    double expense = 0;
};

// Checks, numbered in the order they run. 1..16 have the old texts; the driver
// of the list, the date check and the number checks follow them. A number past its bound is refused
// with the bound named in a last line.
enum TripCheck {
    CheckNone = 0,
    CheckDriverBlank = 1,
    CheckCarBlank,
    CheckDateBlank,
    CheckTonBlank,
    CheckKmBlank,
    CheckTariffBlank,
    CheckRouteBlank,
    CheckClientBlank,
    CheckGoodsBlank,
    CheckInvoiceBlank,
    CheckInvoiceLength,
    CheckDriverCode,
    CheckCarLength,
    CheckGoodsLength,
    CheckClientLength,
    CheckRouteLength,
    CheckDriverUnknown, // a new trip's driver is no entry of the driver list
    CheckDate,
    CheckTonNumber,
    CheckKmNumber,
    CheckTariffNumber,
    CheckExpenseNumber,
    CheckAmountBound, // bruto (ton x km x tariff) past the money bound
};

struct TripSaveResult {
    bool ok = false;
    TripCheck check = CheckNone; // the check that failed (CheckNone after a write error)
    QString caption;             // the message to show; empty on success
    QString text;                // lines joined by "\r"
    TripBox focus = TripBox::None; // the box to focus with its whole text selected
    TripRow row;                 // what was (or would have been) written
};

// The driver code of a list entry "kod,name": the text before the first ",",
// trimmed; an entry without "," gives no code.
QString driverCodeOf(const QString &entry);

// The check that the entry fails first, with its caption, lines and box; ok when
// every check passes. row receives the values the save would write.
TripSaveResult checkTrip(const TripEntry &e, const TripSaveContext &ctx);

// The numbers of a trip as typed ("12,5" and "12.5" alike): kilometres a whole
// number up to limits::kKm, tonnage, tariff and expense any number up to the
// bound of its kind (limits in platform/numbers.h); none of them below 0.
std::optional<int> kmOf(const QString &text);
std::optional<double> amountOf(const QString &text, double bound = limits::kMoney);

// The message ("first line\rsecond line") that refuses a typed kilometre or
// tariff, or an empty text when it is good. The kilometre correction uses them
// in its cells, the save in its checks.
QString kmRefusal(const QString &text);
QString tariffRefusal(const QString &text);
// The message that refuses a trip whose gross amount would pass the money bound
// (limits::kMoney), naming the bound; empty when it is within.
QString tripAmountRefusal(double ton, double km, double tariff);
// The same for an amount already reckoned (a trip's row on the client statement).
QString tripAmountRefusal(double bruto);

// Appends the expense line of a saved trip to Sklad: issue "R" of one
// "Разходи за курс" at the expense, booked to the car and day of the trip.
void writeExpenseLine(Connection &conn, const TripRow &row);

// Checks the entry and, when it passes, writes the trip row (insert or update)
// and its expense line to Sklad in one transaction on conn. A correction is
// written only while the trip still holds what the editor read (ctx.trip);
// another user's change meanwhile is refused (ErrWriteConflict, or ErrRowDeleted
// when the trip is gone). Any failure writes nothing and is answered with the
// caption "ГРЕШКА при запис!" and the error text.
TripSaveResult saveTrip(Connection &conn, const TripEntry &e, const TripSaveContext &ctx);

// The pick lists learn the values of a saved trip: the trimmed text is appended
// when no entry (each trimmed, case counts) equals it. Returns true when appended.
bool appendIfMissing(QStringList &entries, const QString &text);

} // namespace kelm
