#pragma once
// Rules of the waybill sheets that need no window: the sheet number's form, its
// uniqueness, and the writes that keep a sheet and its route legs together.

#include "fleet/fuel.h"
#include "platform/database.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace kelm {

// The sheet number is stored in ten characters; the number box takes no more.
constexpr int kSheetNumberLength = 10;

// A typed sheet number right-aligned into ten characters padded with "0"
// (123 -> 0000000123). nullopt when the trimmed text is longer than ten
// characters, which cannot be stored. An empty text stays empty.
std::optional<QString> padSheetNumber(const QString &text);

// True when another sheet than the one with key exceptId (the sheet being
// corrected; an invalid QVariant for a new sheet) already carries the number.
bool sheetNumberTaken(Connection &conn, const QString &number, const QVariant &exceptId = QVariant());

// Moves the legs stored under one number to another (a renumbered sheet takes
// its legs along). Nothing happens when the numbers are equal.
void moveLegs(Connection &conn, const QString &from, const QString &to);

// Deletes the legs stored under a number that no sheet carries (the legs of a
// new sheet that was abandoned). Legs of an existing sheet are never touched.
int deleteOrphanLegs(Connection &conn, const QString &number);

// Deletes the current sheet of rs (a recordset over RowdList on conn) together
// with its legs (Marsh.MarshID), in one transaction: both or neither. The
// recordset is left on the gap, as after Recordset::deleteRecord.
void deleteSheetWithLegs(Connection &conn, Recordset &rs);

// The part of a sheet's save that goes before the row is written, inside the
// save's transaction: the number must not be another sheet's (refused with
// DbError(ErrDuplicateSheet)), and the legs stored under each of legsNumbers
// (the number the sheet had, or the numbers a new sheet's legs were entered
// under) move to the sheet's number.
void carryLegsOnSave(Connection &conn, const QString &number, const QVariant &exceptId,
                     const QStringList &legsNumbers);

// Writes the current (new or corrected) sheet of rs in one transaction, after
// its legs were moved from legsNumber to the sheet's number (when they
// differ). The sheet's number must not be another sheet's: that is checked
// again inside the transaction and refused with DbError(ErrDuplicateSheet).
void saveSheetWithLegs(Connection &conn, Recordset &rs, const QString &legsNumber);

// One route leg as the waybill screen holds it until the sheet is saved.
struct WaybillLeg {
    QVariant route, km, ton, koef, razhN;
};

// A leg with neither a route nor kilometres (one started and never filled in)
// is no leg: it is never written and never counted.
bool isEmptyLeg(const WaybillLeg &leg);

// The legs stored under a number, in the order they were entered.
QVector<WaybillLeg> storedLegs(Connection &conn, const QString &number);

// Each leg's fuel computed again with another norm (the sheet's car changed).
void applyNorm(QVector<WaybillLeg> &legs, double norm);

// A sheet's totals are those of its legs: kilometres as a whole number, the fuel
// by norm to one decimal; no legs, no totals.
SheetTotals legTotals(const QVector<WaybillLeg> &legs);
// The totals as a sheet row holds them (SumKM, SumRazhN): empty without legs.
QVariant totalKmValue(const SheetTotals &t);
QVariant totalFuelValue(const SheetTotals &t);

// The legs of a stored sheet as a screen read them: the number they were read
// under and each leg as read. Empty number: none were read.
struct LegsAsRead {
    QString number;
    QVector<RowAsRead> legs;
};

// The refusal when the legs a screen read were changed, deleted or joined by
// another leg by another user meanwhile (ErrWriteConflict).
DbError legsChangedError();

// The legs a sheet's save writes, inside the caller's transaction (or one of its
// own): whatever is stored under each of replaced (the sheet's number, and the
// number it had before a renumbering) is deleted, and legs are written under
// number. Legs that no sheet carried under a new sheet's number (left by a crash
// of an older version, or by another program) are thus never taken as its own.
// The legs a screen read (read) are replaced only while they are still stored as
// read and no other leg has joined them; otherwise nothing is written and
// legsChangedError() is thrown. Empty legs are left out; with writeTotals the
// sheet stored under number gets the totals of the legs written, so its stored
// figures never disagree with its legs (a screen that writes the sheet row
// itself, with its own check, writes them there: legTotals).
void replaceSheetLegs(Connection &conn, const QString &number, const QStringList &replaced,
                      const QVector<WaybillLeg> &legs, const LegsAsRead &read = {}, bool writeTotals = true);

// The most kilometres one leg may have: the norm counts them as a 16-bit whole number.
constexpr double kLegKmLimit = 32767;

// Why a leg's kilometres, tons or surcharge cannot be taken: a negative value, or
// more kilometres than the norm counts. The message's two lines (empty when they
// can be taken; an empty value or one that is no number is left to the fuel
// computation, which names it) and the value's column: 1 km, 2 tons, 3 surcharge.
struct LegRefusal {
    QStringList lines;
    int column = 0;
};
LegRefusal legValuesRefusal(const QVariant &km, const QVariant &ton, const QVariant &koef);

enum { ErrDuplicateSheet = 3022 };

} // namespace kelm
