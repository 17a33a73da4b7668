#pragma once
// The rules of a consignment note (table ExternalKurs) that need no window: the
// note number's padding and uniqueness, and the checks a note passes before it
// is saved.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace kelm {

class Connection;

// The boxes of a note, in the order of the screen's txtFields.
enum NoteBox {
    bxKursID = 0, bxData, bxDriverName, bxTruckV, bxTruckR, bxTovarName, bxTovarTon, bxTotalFuel,
    bxTotalKM, bxSendName, bxSendAdres, bxSendCity, bxSendCountry, bxResivName, bxResivAdres,
    bxResivCity, bxResivCountry, bxSendCityP, bxSendCountryP, bxResivCityP, bxResivCountryP,
    bxTotalP, bxTotalR, NoteBoxCount
};

// The ExternalKurs field a box shows.
QString noteField(int box);

// The longest note number: it is stored in ten characters, and the number box
// takes no more.
constexpr int KursNumberLength = 10;

// A typed number (blanks trimmed) longer than ten characters.
bool kursNumberTooLong(const QString &typed);
// The typed number right-aligned into ten characters padded with "0".
QString padKursNumber(const QString &typed);

// True when another saved note than ownId (the note being corrected; invalid
// for a new note) already has the padded number.
bool kursNumberTaken(Connection &conn, const QString &padded, const QVariant &ownId = QVariant());

// The titles of the screen's message boxes.
QString warningTitle(); // "   ВНИМАНИЕ!"
QString errorTitle();   // "   ГРЕШКА!"

QString duplicateNumberMessage();
QString numberTooLongMessage();

// A failed check: the box it is about and the message (lines joined by "\r",
// with an empty line between them), shown under warningTitle().
struct NoteCheck {
    int box = -1;
    QString message;
    bool ok() const { return box < 0; }
};

// The checks of a save, in this order, on the typed texts of the boxes: number,
// date, driver, tractor, trailer filled; the number at most ten characters; the
// date a real date; the quantities and sums numbers not below zero when filled.
// The first that fails is returned.
NoteCheck checkNote(const QStringList &boxes);

} // namespace kelm
