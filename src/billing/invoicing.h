#pragma once
// Invoicing without a window: the trips a new invoice may take or an issued
// invoice holds, the ticks and their running sum (kept in whole stotinki, so that
// adding and taking away the same amounts always comes back to exactly zero),
// the invoice number typed in the number dialog, the rows of the invoice printout
// and the closing step that writes the invoice into the trips in one transaction.

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVector>

// An invoice number has the length of the trips' own field, kInvoiceNumberLength.
#include "trips/tripsave.h"

namespace kelm {

class Connection;

// "0000000000": a trip on no invoice.
extern const QString kNoInvoice;

// An amount in leva as whole stotinki (1234.5 -> 123450).
qint64 toCents(double amount);
// Stotinki as the house shows money: "1234,50" (never "-0,00").
QString centsText(qint64 cents);
// The running sum under the invoicing grid: "1234,50лв.".
QString invoiceSumText(qint64 cents);

// The three amounts under an invoice's trips: without VAT, 20 % VAT on top, and all.
struct InvoiceTotals {
    qint64 net = 0;
    qint64 vat = 0;
    qint64 total = 0;
};
InvoiceTotals invoiceTotals(qint64 netCents);
// The footer lines of the printout, each prefix fourteen characters long:
// "Сума без ДДС: ", "         ДДС: ", "      Всичко: ", the amount and " лв.".
QStringList invoiceFooterLines(const InvoiceTotals &t);

// One trip as the invoicing screen lists it.
struct InvoiceTrip {
    qint64 id = 0;
    QDate data;
    QString marsh;
    QString tovar;
    QString kola;
    int km = 0;
    double ton = 0;
    double tarifa = 0;
    double bruto = 0;
    bool fakt = false;
    QString nomFakt;
};

// The trips a new invoice may take: the client's trips in the period that are on
// no invoice (a trip left ticked without a number included), narrowed by the car,
// goods and route prefixes (empty: any), by date. They come unticked.
struct InvoiceCriteria {
    QString client;
    QString carPrefix;
    QString goodsPrefix;
    QString routePrefix;
    QDate start;
    QDate end;
};
QVector<InvoiceTrip> readUninvoicedTrips(Connection &db, const InvoiceCriteria &c);
// The trips of an issued invoice; none for all zeros, which is no invoice.
QVector<InvoiceTrip> readInvoiceTrips(Connection &db, const QString &nomFakt);

// The invoice number typed in the number dialog: the trimmed entry right-aligned
// behind zeros ("45" -> "0000000045", "Ф-17" -> "000000Ф-17"). An entry that is
// empty, stands for no invoice (all zeros) or is longer than ten characters
// gives no number: refusal says why ("" when the entry fits).
QString invoiceNumberOf(const QString &entry);
QString invoiceEntryRefusal(const QString &entry);
// The message for a number that is already used.
QString invoiceNumberUsedMessage();

// One opening of the invoicing screen: its trips, the ticks, the running sum,
// the number held and the last print, and what closing writes.
class InvoiceSession {
public:
    enum Mode { FaktNew, EditFakt };
    // What closing found and did.
    enum Outcome { NothingWritten, Written, NumberTaken, TripsTaken, WriteFailed };
    struct CloseResult {
        Outcome outcome = NothingWritten;
        int rows = 0;             // trip rows written
        QVector<qint64> taken;    // trips another copy of the program changed meanwhile
        QString error;            // the database's message after WriteFailed
        QString number;           // the number that was found taken
    };

    explicit InvoiceSession(Mode mode = FaktNew);

    Mode mode() const { return m_mode; }
    // The trips, in the order they were read. In "EditFakt" they come ticked and
    // the sum starts at the invoice's total.
    void setTrips(const QVector<InvoiceTrip> &trips);
    const QVector<InvoiceTrip> &trips() const { return m_trips; }
    int count() const { return int(m_trips.size()); }

    // Space on a trip: ticks or unticks it and moves the sum. False for no trip.
    bool toggle(int row);
    // The list stands on a trip: what Space does to it from now on is its
    // pending change, until a print takes the ticks as they are.
    void enterRow(int row);
    // Esc: the pending change of the trip the list stands on is undone, as if
    // that Space had never been pressed. False when nothing was pending.
    bool cancelRow();
    bool changed() const { return m_changed; }
    qint64 sumCents() const { return m_sum; }
    QVector<int> tickedRows() const;

    // The number the printout and the closing step use ("FaktNew": the one
    // accepted in the number dialog; "EditFakt": the invoice's own).
    void setNumber(const QString &number);
    void clearNumber();
    bool hasNumber() const { return m_hasNumber; }
    QString number() const { return m_number; }

    // A print of the trips ticked now, under the number held now. A print with
    // no trip is no print. The sum becomes the print's sum.
    void recordPrint(const QVector<int> &rows);
    bool printed() const { return !m_printedIds.isEmpty(); }
    // How many trips are ticked otherwise than on the last print (0 without one).
    int ticksOffPrint() const;
    QString printedNumber() const { return m_printedNumber; }
    const QSet<qint64> &printedIds() const { return m_printedIds; }

    // The question to ask before closing when closing would not keep what is
    // ticked on the screen (lines joined by "\r"), empty when it keeps it. After
    // a print both modes keep the printed trips, so ticks that differ from it are
    // asked about; without a print "FaktNew" takes every tick back.
    QString closingQuestion() const;

    // The closing step, in one transaction. "FaktNew" after a print: the trips of
    // the last print get the number it was printed with, once the number is
    // checked unused and every trip still free; without a print the ticked trips
    // stay free and only get their change stamp. "EditFakt" after any Space: the
    // invoice keeps the trips of the last print (without one, the ticked trips),
    // the others leave it; each must still be on the invoice. Anything refused
    // or failed writes nothing.
    CloseResult close(Connection &db, const QDate &today, const QTime &now);

    // After a refused closing: the taken trips leave the list, the print (whose
    // paper no longer matches) is forgotten, and a taken number is let go.
    void forgetTaken(const CloseResult &r);

    // The rows of the printout: the ticked trips in the order read.
    struct PrintRow {
        int red;
        QDate data;
        QString marsh, vidTovar, kolaId, km, ton, tarifa, suma;
    };
    QVector<PrintRow> printRows(const QVector<int> &rows) const;

private:
    void recount();

    Mode m_mode;
    QVector<InvoiceTrip> m_trips;
    qint64 m_sum = 0;
    bool m_changed = false;
    bool m_hasNumber = false;
    QString m_number = kNoInvoice;
    QSet<qint64> m_printedIds;
    QString m_printedNumber;
    int m_pendingRow = -1;       // the trip the list stands on
    bool m_pendingFakt = false;  // its tick before its pending change
    bool m_pendingChanged = false; // changed() before it
};

// Puts the rows of a print into TempPlaten of the scratch database, in place of
// an earlier print's rows, in one transaction.
void stageInvoiceRows(Connection &temp, const QVector<InvoiceSession::PrintRow> &rows);

} // namespace kelm
