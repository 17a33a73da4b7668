#include "billing/invoicing.h"
#include "platform/database.h"
#include "scratch/temptable.h"
#include "testdb.h"

#include <QtTest>

using namespace kelm;

class TestInvoicing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runningSumIsExact();
    void totalsAndFooterLines();
    void invoiceNumberEntries();
    void tripsOfTheClientAndOfAnInvoice();
    void closingAfterPrintNumbersTheLastPrint();
    void closingWithoutPrintLeavesTripsFree();
    void closingRefusedWhenNumberOrTripTakenMeanwhile();
    void failedWriteLeavesEverythingAsItWas();
    void correctingAnInvoice();
    void twoPrintsStageOnlyTheirOwnRows();

private:
    qint64 trip(TestDb &db, const QDate &d, const QString &client, double bruto, const QString &tovar = "Пясък",
                const QString &marsh = "София-Перник", const QString &kola = "СА1111АА", bool fakt = false,
                const QString &nom = "0000000000");
};

qint64 TestInvoicing::trip(TestDb &db, const QDate &d, const QString &client, double bruto, const QString &tovar,
                           const QString &marsh, const QString &kola, bool fakt, const QString &nom)
{
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto, Fakt, "
            "NomFakt) VALUES (?,?,'A01',?,?,?,120,20,0.125,?,0,0,?,?)",
            {d, kola, marsh, client, tovar, bruto, fakt, nom});
    return db.scalar("SELECT max(ID) FROM tabl").toLongLong();
}

static InvoiceTrip mk(qint64 id, double bruto)
{
    InvoiceTrip t;
    t.id = id;
    t.bruto = bruto;
    t.nomFakt = kNoInvoice;
    return t;
}

void TestInvoicing::runningSumIsExact()
{
    InvoiceSession s;
    s.setTrips({mk(1, 100.0), mk(2, 250.5)});
    QCOMPARE(invoiceSumText(s.sumCents()), QStringLiteral("0,00лв."));
    s.toggle(0);
    s.toggle(1);
    QCOMPARE(invoiceSumText(s.sumCents()), QStringLiteral("350,50лв."));
    s.toggle(0);
    QCOMPARE(invoiceSumText(s.sumCents()), QStringLiteral("250,50лв."));
    QVERIFY(s.changed());
    QVERIFY(!s.toggle(5));

    // Amounts that doubles do not hold exactly, ticked and unticked in another
    // order, come back to exactly nothing.
    const double values[] = {0.1, 0.2, 0.7, 1234.56, 0.03, 99999.99, 12.35, 1.15};
    QVector<InvoiceTrip> trips;
    for (int i = 0; i < 8; ++i)
        trips << mk(i + 1, values[i]);
    InvoiceSession t;
    t.setTrips(trips);
    for (int i = 0; i < 8; ++i)
        t.toggle(i);
    QCOMPARE(invoiceSumText(t.sumCents()), QStringLiteral("101249,08лв."));
    for (int i : {3, 7, 0, 5, 1, 6, 2, 4})
        t.toggle(i);
    QCOMPARE(t.sumCents(), qint64(0));
    QCOMPARE(invoiceSumText(t.sumCents()), QStringLiteral("0,00лв."));
    QCOMPARE(centsText(-5), QStringLiteral("-0,05"));
    QCOMPARE(toCents(2.675), qint64(268));
}

void TestInvoicing::totalsAndFooterLines()
{
    const InvoiceTotals t = invoiceTotals(100000);
    QCOMPARE(t.vat, qint64(20000));
    QCOMPARE(t.total, qint64(120000));
    const QStringList lines = invoiceFooterLines(t);
    QCOMPARE(lines, QStringList({"Сума без ДДС: 1000,00 лв.", "         ДДС: 200,00 лв.", "      Всичко: 1200,00 лв."}));
    for (const QString &l : lines)
        QCOMPARE(l.indexOf(QLatin1Char(':')), 12); // fourteen characters up to the amount
    // VAT rounds to the nearest stotinka, and the total is what the two lines add up to.
    QCOMPARE(invoiceTotals(3).vat, qint64(1));      // 0,006
    QCOMPARE(invoiceTotals(2).vat, qint64(0));      // 0,004
    QCOMPARE(invoiceTotals(33333).vat, qint64(6667));
    QCOMPARE(invoiceTotals(33333).total, qint64(40000));
}

void TestInvoicing::invoiceNumberEntries()
{
    QCOMPARE(invoiceNumberOf("124"), QStringLiteral("0000000124"));
    QCOMPARE(invoiceNumberOf(" 45 "), QStringLiteral("0000000045"));
    QCOMPARE(invoiceNumberOf("Ф-17"), QStringLiteral("000000Ф-17"));
    QCOMPARE(invoiceNumberOf("ABCDEFGHIJ"), QStringLiteral("ABCDEFGHIJ"));
    for (const QString &bad : {QString(), QStringLiteral("   "), QStringLiteral("0"), QStringLiteral("0000000000"),
                               QStringLiteral("12345678901")}) {
        QVERIFY2(invoiceNumberOf(bad).isEmpty(), qPrintable(bad));
        QVERIFY(!invoiceEntryRefusal(bad).isEmpty());
    }
    QVERIFY(invoiceEntryRefusal(" 12345678901 ").contains("10 знака"));
}

void TestInvoicing::tripsOfTheClientAndOfAnInvoice()
{
    TestDb db;
    const QString client = QStringLiteral("Д'Арк ООД");
    const qint64 a = trip(db, QDate(2004, 3, 31), client, 10, "100%_чист");
    const qint64 b = trip(db, QDate(2004, 3, 1), client, 20, "100%_чист");
    trip(db, QDate(2004, 3, 5), client, 30, "100xx чист");                      // "%" and "_" are themselves
    trip(db, QDate(2004, 4, 1), client, 40, "100%_чист");                       // after the period
    trip(db, QDate(2004, 3, 6), "Друг", 50, "100%_чист");                       // another client
    trip(db, QDate(2004, 3, 7), client, 60, "100%_чист", "Пловдив", "СА1111АА", true, "0000000007");
    // Left ticked without a number by a program stopped on its invoicing screen.
    const qint64 stuck = trip(db, QDate(2004, 3, 31), client, 70, "100%_чист", "Видин", "СА1111АА", true);
    InvoiceCriteria c{client, "СА", "100%_", "", QDate(2004, 3, 1), QDate(2004, 3, 31)};
    const QVector<InvoiceTrip> trips = readUninvoicedTrips(db.conn(), c);
    QCOMPARE(trips.size(), 3);
    QCOMPARE(trips.at(0).id, b); // by date
    QCOMPARE(trips.at(1).id, a);
    QCOMPARE(trips.at(2).id, stuck);
    {
        // Listed unticked; closing after a tick without a print sets it free.
        InvoiceSession s;
        s.setTrips(trips);
        QCOMPARE(s.sumCents(), qint64(0));
        QVERIFY(!s.trips().at(2).fakt);
        s.toggle(2);
        s.toggle(2);
        s.toggle(2);
        QCOMPARE(s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0)).rows, 1);
        QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE ID=?", {stuck}).toInt(), 0);
    }
    QCOMPARE(trips.at(1).tovar, QStringLiteral("100%_чист"));
    QCOMPARE(trips.at(1).km, 120);
    c.carPrefix = "В";
    QVERIFY(readUninvoicedTrips(db.conn(), c).isEmpty());

    const QVector<InvoiceTrip> inv = readInvoiceTrips(db.conn(), "0000000007");
    QCOMPARE(inv.size(), 1);
    QCOMPARE(inv.at(0).marsh, QStringLiteral("Пловдив"));
    InvoiceSession s(InvoiceSession::EditFakt);
    s.setTrips(inv);
    QCOMPARE(s.sumCents(), qint64(6000));
}

void TestInvoicing::closingAfterPrintNumbersTheLastPrint()
{
    TestDb db;
    const qint64 a = trip(db, QDate(2004, 3, 1), "К", 100);
    const qint64 b = trip(db, QDate(2004, 3, 2), "К", 250.5);
    const qint64 c = trip(db, QDate(2004, 3, 3), "К", 7);
    InvoiceSession s;
    s.setTrips(readUninvoicedTrips(db.conn(), {"К", "", "", "", QDate(2004, 1, 1), QDate(2004, 12, 31)}));
    s.toggle(0);
    s.toggle(1);
    s.setNumber("0000000124");
    s.recordPrint(s.tickedRows());
    s.recordPrint({}); // a print with nothing ticked is no print
    QVERIFY(s.printed());
    s.toggle(2); // ticked after the print: not on the paper, so not on the invoice
    s.toggle(1); // unticked after the print: on the paper, so on the invoice
    // A number picked again and not printed does not change the paper's number.
    s.setNumber("0000000555");
    const auto r = s.close(db.conn(), QDate(2026, 12, 9), QTime(10, 11, 12));
    QCOMPARE(int(r.outcome), int(InvoiceSession::Written));
    QCOMPARE(r.rows, 2);
    for (qint64 id : {a, b}) {
        QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("0000000124"));
        QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE ID=?", {id}).toInt(), 1);
        QCOMPARE(db.scalar("SELECT DateMod FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("2026-12-09"));
        QCOMPARE(db.scalar("SELECT TimeMod FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("10:11:12"));
    }
    QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE ID=?", {c}).toInt(), 0);
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {c}).toString(), kNoInvoice);
    QVERIFY(db.scalar("SELECT DateMod FROM tabl WHERE ID=?", {c}).isNull());
}

void TestInvoicing::closingWithoutPrintLeavesTripsFree()
{
    TestDb db;
    trip(db, QDate(2004, 3, 1), "К", 100);
    const qint64 b = trip(db, QDate(2004, 3, 2), "К", 200);
    const qint64 c = trip(db, QDate(2004, 3, 3), "К", 300);
    const InvoiceCriteria crit{"К", "", "", "", QDate(2004, 1, 1), QDate(2004, 12, 31)};
    {
        // No Space at all: nothing is written, even with a number chosen.
        InvoiceSession s;
        s.setTrips(readUninvoicedTrips(db.conn(), crit));
        s.setNumber("0000000001");
        QCOMPARE(int(s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0)).outcome), int(InvoiceSession::NothingWritten));
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod IS NOT NULL").toInt(), 0);
    }
    InvoiceSession s;
    s.setTrips(readUninvoicedTrips(db.conn(), crit));
    s.toggle(1);
    s.toggle(2);
    s.toggle(0);
    s.toggle(0); // ticked and unticked again: untouched
    // Closing takes the ticks back: it asks first, with no number to name.
    QCOMPARE(s.closingQuestion(), QStringLiteral("Фактурата не е отпечатана.\rКурсове с отметка: 2\r"
                                                 "При затваряне отметките се махат.\rДа затворя ли без печат?"));
    const auto r = s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0));
    QCOMPARE(r.rows, 2);
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Fakt=0 AND NomFakt='0000000000'").toInt(), 3);
    QCOMPARE(db.scalar("SELECT group_concat(ID) FROM tabl WHERE DateMod='2026-01-02'").toString(),
             QString::number(b) + "," + QString::number(c));
}

void TestInvoicing::closingRefusedWhenNumberOrTripTakenMeanwhile()
{
    TestDb db;
    const qint64 a = trip(db, QDate(2004, 3, 1), "К", 100);
    const qint64 b = trip(db, QDate(2004, 3, 2), "К", 200);
    const InvoiceCriteria crit{"К", "", "", "", QDate(2004, 1, 1), QDate(2004, 12, 31)};
    InvoiceSession s;
    s.setTrips(readUninvoicedTrips(db.conn(), crit));
    s.toggle(0);
    s.toggle(1);
    s.setNumber("0000000124");
    s.recordPrint(s.tickedRows());

    // Another copy of the program issued invoice 124 meanwhile.
    const qint64 other = trip(db, QDate(2004, 5, 1), "Друг", 1, "Пясък", "М", "СА1111АА", true, "0000000124");
    auto r = s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0));
    QCOMPARE(int(r.outcome), int(InvoiceSession::NumberTaken));
    QCOMPARE(r.number, QStringLiteral("0000000124"));
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000124'").toInt(), 1);
    s.forgetTaken(r);
    QVERIFY(!s.hasNumber());
    QVERIFY(!s.printed());
    db.exec("DELETE FROM tabl WHERE ID=?", {other});

    // A new number and a new print; meanwhile the other copy put trip b on its invoice.
    s.setNumber("0000000125");
    s.recordPrint(s.tickedRows());
    db.exec("UPDATE tabl SET Fakt=1, NomFakt='0000000900' WHERE ID=?", {b});
    r = s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0));
    QCOMPARE(int(r.outcome), int(InvoiceSession::TripsTaken));
    QCOMPARE(r.taken, QVector<qint64>{b});
    // Rolled back: trip a, written before b was found taken, is free again.
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {a}).toString(), kNoInvoice);
    QVERIFY(db.scalar("SELECT DateMod FROM tabl WHERE ID=?", {a}).isNull());
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {b}).toString(), QStringLiteral("0000000900"));
    s.forgetTaken(r);
    QCOMPARE(s.count(), 1);
    QCOMPARE(s.sumCents(), qint64(10000));
    QVERIFY(!s.printed());
    s.recordPrint(s.tickedRows());
    r = s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0));
    QCOMPARE(int(r.outcome), int(InvoiceSession::Written));
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {a}).toString(), QStringLiteral("0000000125"));
}

void TestInvoicing::failedWriteLeavesEverythingAsItWas()
{
    TestDb db;
    const qint64 a = trip(db, QDate(2004, 3, 1), "К", 100);
    const qint64 b = trip(db, QDate(2004, 3, 2), "К", 200);
    InvoiceSession s;
    s.setTrips(readUninvoicedTrips(db.conn(), {"К", "", "", "", QDate(2004, 1, 1), QDate(2004, 12, 31)}));
    s.toggle(0);
    s.toggle(1);
    s.setNumber("0000000001");
    s.recordPrint(s.tickedRows());
    db.exec(QString("CREATE TRIGGER stop BEFORE UPDATE ON tabl WHEN OLD.ID=%1 BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                .arg(b));
    const auto r = s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0));
    QCOMPARE(int(r.outcome), int(InvoiceSession::WriteFailed));
    QVERIFY(r.error.contains(QStringLiteral("Записът не отговаря на ограниченията")));
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt<>'0000000000' OR DateMod IS NOT NULL").toInt(), 0);
    QVERIFY(!db.conn().inTransaction());
    // The screen keeps what it had: after the fault is gone, closing writes it all.
    QVERIFY(s.printed());
    db.exec("DROP TRIGGER stop");
    QCOMPARE(s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0)).rows, 2);
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {a}).toString(), QStringLiteral("0000000001"));
}

void TestInvoicing::correctingAnInvoice()
{
    TestDb db;
    const QString n = QStringLiteral("0000000042");
    const qint64 a = trip(db, QDate(2004, 3, 1), "К", 100, "П", "М", "СА1111АА", true, n);
    const qint64 b = trip(db, QDate(2004, 3, 2), "К", 200, "П", "М", "СА1111АА", true, n);
    const qint64 c = trip(db, QDate(2004, 3, 3), "К", 300, "П", "М", "СА1111АА", true, n);
    {
        // Printed, no Space: the table is unchanged.
        InvoiceSession s(InvoiceSession::EditFakt);
        s.setNumber(n);
        s.setTrips(readInvoiceTrips(db.conn(), n));
        s.recordPrint(s.tickedRows());
        QCOMPARE(s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0)).rows, 0);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod IS NOT NULL").toInt(), 0);
    }
    {
        // One trip unticked: it leaves the invoice, the others keep it, all get the stamp.
        InvoiceSession s(InvoiceSession::EditFakt);
        s.setNumber(n);
        s.setTrips(readInvoiceTrips(db.conn(), n));
        QCOMPARE(s.sumCents(), qint64(60000));
        s.toggle(1);
        QCOMPARE(s.sumCents(), qint64(40000));
        QCOMPARE(int(s.close(db.conn(), QDate(2026, 1, 2), QTime(8, 0)).outcome), int(InvoiceSession::Written));
        QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {b}).toString(), kNoInvoice);
        QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE ID=?", {b}).toInt(), 0);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt=? AND Fakt=1", {n}).toInt(), 2);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod='2026-01-02'").toInt(), 3);
    }
    {
        // Every trip unticked: the invoice is gone.
        InvoiceSession s(InvoiceSession::EditFakt);
        s.setNumber(n);
        s.setTrips(readInvoiceTrips(db.conn(), n));
        s.toggle(0);
        s.toggle(1);
        QCOMPARE(s.sumCents(), qint64(0));
        s.close(db.conn(), QDate(2026, 1, 3), QTime(8, 0));
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt=?", {n}).toInt(), 0);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Fakt=0").toInt(), 3);
        Q_UNUSED(a);
        Q_UNUSED(c);
    }
}

void TestInvoicing::twoPrintsStageOnlyTheirOwnRows()
{
    TestDb db;
    trip(db, QDate(2004, 3, 1), "К", 100);
    trip(db, QDate(2004, 3, 2), "К", 250.5);
    trip(db, QDate(2004, 3, 3), "К", 7.25);
    InvoiceSession s;
    s.setTrips(readUninvoicedTrips(db.conn(), {"К", "", "", "", QDate(2004, 1, 1), QDate(2004, 12, 31)}));
    Connection temp;
    temp.open("Data Source=" + db.folder() + "/Temp.mdb");
    createTempTableIn(temp, "TempPlaten");
    s.toggle(0);
    s.toggle(1);
    stageInvoiceRows(temp, s.printRows(s.tickedRows()));
    QCOMPARE(temp.scalar("SELECT count(*) FROM TempPlaten").toInt(), 2);
    s.toggle(0);
    s.toggle(2);
    const auto rows = s.printRows(s.tickedRows());
    stageInvoiceRows(temp, rows);
    QCOMPARE(temp.scalar("SELECT count(*) FROM TempPlaten").toInt(), 2);
    QCOMPARE(temp.scalar("SELECT group_concat(Red) FROM TempPlaten").toString(), QStringLiteral("1,2"));
    QCOMPARE(temp.scalar("SELECT Suma FROM TempPlaten WHERE Red=2").toString(), QStringLiteral("7,25"));
    QCOMPARE(temp.scalar("SELECT Ton FROM TempPlaten WHERE Red=1").toString(), QStringLiteral("20,000"));
    QCOMPARE(temp.scalar("SELECT KM FROM TempPlaten WHERE Red=1").toString(), QStringLiteral("120"));
    QCOMPARE(temp.scalar("SELECT Tarifa FROM TempPlaten WHERE Red=1").toString(), QStringLiteral("0,125"));
    QCOMPARE(temp.scalar("SELECT Data FROM TempPlaten WHERE Red=1").toString(), QStringLiteral("2004-03-02"));
    s.recordPrint(s.tickedRows());
    QCOMPARE(s.sumCents(), qint64(25775));
}

QTEST_MAIN(TestInvoicing)
#include "test_invoicing.moc"
