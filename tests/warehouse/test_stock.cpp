// The warehouse stock rules without a window: receipts and lots, the FIFO
// issue price, the refusals, repair and trip expense lines, the checks of a
// typed line, and a save that fails half way.
#include "platform/database.h"
#include "testdb.h"
#include "trips/tripsave.h"
#include "warehouse/stock.h"

#include <QtTest>

using namespace kelm;

class TestStock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void receiptsOpenLotsAndRaiseStock();
    void issueTakesOldestLotsAtTheirAverage();
    void wholeStockAndExactRemainder();
    void refusalsChangeNothing();
    void repairAndTripExpenseLinesTouchNoStock();
    void failureAfterStockStepRollsBack();
    void typedLineChecks();
};

namespace {

const QDate kToday(2024, 5, 20);
const QTime kNow(10, 30, 0);

StockLine line(const QString &name, double kol, double edin, const QDate &data = QDate(2024, 3, 1),
               const QString &docVid = QStringLiteral("Фактура"))
{
    StockLine l;
    l.data = data;
    l.docVid = docVid;
    l.docNom = QStringLiteral("12");
    l.name = name;
    l.kol = kol;
    l.edin = edin;
    return l;
}

SaveLineResult receive(TestDb &db, const QString &name, double kol, double edin, const QDate &data)
{
    return saveNewLine(db.conn(), kReceiptKind, line(name, kol, edin, data), kToday, kNow);
}

SaveLineResult issue(TestDb &db, const QString &name, double kol, double edin)
{
    return saveNewLine(db.conn(), kIssueKind, line(name, kol, edin, QDate(2024, 4, 1)), kToday, kNow);
}

// Every row of both tables, for "nothing changed".
QString dump(TestDb &db)
{
    QString out;
    for (const char *t : {"Sklad", "Nalich"}) {
        db.conn().forEachRow(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(t)), {}, {},
                             [&](const QVector<QVariant> &row) {
                                 for (const QVariant &v : row)
                                     out += v.toString() + QLatin1Char('|');
                                 out += QLatin1Char('\n');
                             });
    }
    return out;
}

double num(TestDb &db, const QString &sql, const QVariantList &params = {})
{
    return db.scalar(sql, params).toDouble();
}

} // namespace

void TestStock::receiptsOpenLotsAndRaiseStock()
{
    TestDb db;
    SaveLineResult r = receive(db, QStringLiteral("Д'Арк 100%_чист"), 10, 2.5, QDate(2024, 3, 1));
    QVERIFY2(r.ok, qPrintable(r.text));
    QCOMPARE(db.count("Nalich"), 1);
    QCOMPARE(num(db, "SELECT Broi FROM Nalich"), 10.0);
    QCOMPARE(num(db, "SELECT Edin FROM Nalich"), 2.5);
    QCOMPARE(db.scalar("SELECT DateMod FROM Nalich").toString(), QStringLiteral("2024-05-20"));
    // The line is an open lot holding its whole quantity.
    QCOMPARE(db.scalar("SELECT VidKol FROM Sklad").toString(), QStringLiteral("P"));
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad"), 10.0);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad").toInt(), 0);
    QCOMPARE(num(db, "SELECT Suma FROM Sklad"), 25.0);
    QCOMPARE(db.scalar("SELECT TimeMod FROM Sklad").toString(), QStringLiteral("10:30:00"));
    // A second receipt at another price adds to the stock and takes the new price.
    QVERIFY(receive(db, QStringLiteral("Д'Арк 100%_чист"), 4, 3.1, QDate(2024, 2, 1)).ok);
    QCOMPARE(db.count("Nalich"), 1);
    QCOMPARE(num(db, "SELECT Broi FROM Nalich"), 14.0);
    QCOMPARE(num(db, "SELECT Edin FROM Nalich"), 3.1);
    // A name that only looks alike is another article.
    QVERIFY(receive(db, QStringLiteral("Д'Арк 100x_чист"), 1, 1, QDate(2024, 2, 1)).ok);
    QCOMPARE(db.count("Nalich"), 2);
    QCOMPARE(num(db, "SELECT Broi FROM Nalich WHERE Name=?", {QStringLiteral("Д'Арк 100%_чист")}), 14.0);
}

void TestStock::issueTakesOldestLotsAtTheirAverage()
{
    TestDb db;
    QVERIFY(receive(db, QStringLiteral("Филтър"), 10, 2.00, QDate(2024, 3, 1)).ok);
    QVERIFY(receive(db, QStringLiteral("Филтър"), 10, 3.00, QDate(2024, 3, 10)).ok);
    const SaveLineResult r = issue(db, QStringLiteral("Филтър"), 15, 3.0);
    QVERIFY2(r.ok, qPrintable(r.text));
    QCOMPARE(num(db, "SELECT Broi FROM Nalich"), 5.0);
    QCOMPARE(num(db, "SELECT Edin FROM Nalich"), 3.0);
    // The older lot is closed, the newer one keeps 5 and stays open.
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE VidKol='P' AND Edin=2"), 0.0);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad WHERE VidKol='P' AND Edin=2").toInt(), 1);
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE VidKol='P' AND Edin=3"), 5.0);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad WHERE VidKol='P' AND Edin=3").toInt(), 0);
    // The issue is priced at what it took: 10 x 2 + 5 x 3 = 35 for 15.
    QCOMPARE(num(db, "SELECT Edin FROM Sklad WHERE ID=?", {r.id}), 35.0 / 15.0);
    QCOMPARE(num(db, "SELECT Suma FROM Sklad WHERE ID=?", {r.id}), 35.0);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad WHERE ID=?", {r.id}).toInt(), 1);
    QCOMPARE(db.scalar("SELECT VidKol FROM Sklad WHERE ID=?", {r.id}).toString(), QStringLiteral("R"));
    QCOMPARE(r.line.edin, 35.0 / 15.0);

    // The document date, not the order of entry, decides which lot is older.
    QVERIFY(receive(db, QStringLiteral("Свещ"), 2, 7, QDate(2024, 3, 10)).ok);
    QVERIFY(receive(db, QStringLiteral("Свещ"), 2, 4, QDate(2024, 3, 1)).ok);
    QCOMPARE(issue(db, QStringLiteral("Свещ"), 3, 4).line.edin, (2 * 4 + 7) / 3.0);

    // The price is compared as money: "2,3" and 2.30 are one price.
    QVERIFY(receive(db, QStringLiteral("Лента"), 3, 2.30, QDate(2024, 3, 1)).ok);
    QVERIFY(issue(db, QStringLiteral("Лента"), 1, 2.3000000001).ok);
    QCOMPARE(issue(db, QStringLiteral("Лента"), 1, 2.31).refusal, Refusal::OtherPrice);
}

void TestStock::wholeStockAndExactRemainder()
{
    TestDb db;
    QVERIFY(receive(db, QStringLiteral("Масло"), 4, 5, QDate(2024, 1, 1)).ok);
    QVERIFY(receive(db, QStringLiteral("Масло"), 6, 5, QDate(2024, 1, 5)).ok);
    // Exactly the first lot's remainder: it is emptied but stays open.
    QVERIFY(issue(db, QStringLiteral("Масло"), 4, 5).ok);
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE VidKol='P' AND Kol=4"), 0.0);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad WHERE VidKol='P' AND Kol=4").toInt(), 0);
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE VidKol='P' AND Kol=6"), 6.0);
    // The next issue passes over it, closing it, and takes from the next lot.
    const SaveLineResult r = issue(db, QStringLiteral("Масло"), 2, 5);
    QVERIFY(r.ok);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad WHERE VidKol='P' AND Kol=4").toInt(), 1);
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE VidKol='P' AND Kol=6"), 4.0);
    QCOMPARE(r.line.edin, 5.0);
    // The whole stock may go: Broi 0, the row stays.
    QVERIFY(issue(db, QStringLiteral("Масло"), 4, 5).ok);
    QCOMPARE(db.count("Nalich"), 1);
    QCOMPARE(num(db, "SELECT Broi FROM Nalich"), 0.0);
    QCOMPARE(issue(db, QStringLiteral("Масло"), 1, 5).refusal, Refusal::NotEnough);

    // Binary fractions: 0.7 received, 0.4 issued, the remaining 0.3 may go whole.
    QVERIFY(receive(db, QStringLiteral("Грес"), 0.7, 1, QDate(2024, 1, 1)).ok);
    QVERIFY(issue(db, QStringLiteral("Грес"), 0.4, 1).ok);
    QVERIFY(issue(db, QStringLiteral("Грес"), 0.3, 1).ok);
    QCOMPARE(num(db, "SELECT Broi FROM Nalich WHERE Name='Грес'"), 0.0);
}

void TestStock::refusalsChangeNothing()
{
    TestDb db;
    QVERIFY(receive(db, QStringLiteral("Гума"), 2, 100, QDate(2024, 1, 1)).ok);
    const QString before = dump(db);
    struct {
        const char *name;
        double kol, edin;
        Refusal why;
    } cases[] = {{"Гумa", 1, 100, Refusal::NoArticle}, // Latin "a": another name
                 {"Гума", 1, 99.99, Refusal::OtherPrice},
                 {"Гума", 3, 100, Refusal::NotEnough}};
    for (const auto &c : cases) {
        const SaveLineResult r = issue(db, QString::fromUtf8(c.name), c.kol, c.edin);
        QVERIFY(!r.ok);
        QCOMPARE(r.refusal, c.why);
        QCOMPARE(r.caption, QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(r.text, refusalText(c.why));
        QCOMPARE(dump(db), before);
    }
    QCOMPARE(refusalText(Refusal::NoArticle), QStringLiteral("В склада нямате артикул с това име!"));
    QCOMPARE(refusalText(Refusal::OtherPrice), QStringLiteral("В склада нямате артикул с такава цена!"));
    QCOMPARE(refusalText(Refusal::NotEnough), QStringLiteral("В склада нямате такова количество!"));

    // Older, dearer lots lift an issue at the latest, small price past the money
    // bound: refused as the refusals are, saying what the lots come to.
    QVERIFY(receive(db, QStringLiteral("Мотор"), 5, 1500000, QDate(2024, 1, 1)).ok);
    QVERIFY(receive(db, QStringLiteral("Мотор"), 5, 1500000, QDate(2024, 1, 2)).ok);
    QVERIFY(receive(db, QStringLiteral("Мотор"), 5, 1, QDate(2024, 1, 3)).ok);
    const QString dear = dump(db);
    const SaveLineResult over = issue(db, QStringLiteral("Мотор"), 11, 1);
    QVERIFY(!over.ok);
    QCOMPARE(over.caption, QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(over.text, QStringLiteral("Сумата на реда по цените на изписваните партиди (най-старите първо) е "
                                       "15000001,00лв.\rЧислото не може да бъде по-голямо от 10000000."));
    QCOMPARE(dump(db), dear);

    // Stock with no lot left to price it (the receipt line was deleted): refused
    // before Broi is lowered, instead of dividing by zero.
    db.exec("DELETE FROM Sklad");
    const QString noLots = dump(db);
    const SaveLineResult r = issue(db, QStringLiteral("Гума"), 1, 100);
    QCOMPARE(r.refusal, Refusal::NotEnough);
    QCOMPARE(r.text, QStringLiteral("В склада нямате такова количество!"));
    QCOMPARE(dump(db), noLots);
    QCOMPARE(checkIssue(db.conn(), QStringLiteral("Гума"), 1, 100), Refusal::NotEnough);
    QVERIFY_THROWS_EXCEPTION(DbError, FifoIssuePrice(db.conn(), QStringLiteral("Гума"), 1));
}

void TestStock::repairAndTripExpenseLinesTouchNoStock()
{
    TestDb db;
    QVERIFY(receive(db, QStringLiteral("Ремонт"), 5, 10, QDate(2024, 1, 1)).ok);
    const QString nalich = db.scalar("SELECT Broi || '/' || Edin FROM Nalich").toString();
    StockLine l = line(QStringLiteral("  Ремонт "), 1, 250.5, QDate(2024, 2, 2), QStringLiteral("СА1234ВС"));
    l.name = l.name.trimmed();
    const SaveLineResult r = saveNewLine(db.conn(), kIssueKind, l, kToday, kNow);
    QVERIFY(r.ok);
    QCOMPARE(num(db, "SELECT Edin FROM Sklad WHERE ID=?", {r.id}), 250.5);
    QCOMPARE(num(db, "SELECT Suma FROM Sklad WHERE ID=?", {r.id}), 250.5);
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE ID=?", {r.id}), 0.0);
    QCOMPARE(db.scalar("SELECT Lipsa FROM Sklad WHERE ID=?", {r.id}).toInt(), 1);
    QCOMPARE(db.scalar("SELECT Broi || '/' || Edin FROM Nalich").toString(), nalich);
    QCOMPARE(num(db, "SELECT Ostat FROM Sklad WHERE VidKol='P'"), 5.0);

    // The trip editor's expense line: no stock, no DateMod.
    TripRow trip;
    trip.data = QDate(2024, 2, 3);
    trip.kola = QStringLiteral("СА1234ВС");
    trip.expense = 42.5;
    writeExpenseLine(db.conn(), trip);
    const qint64 id = db.scalar("SELECT max(ID) FROM Sklad").toLongLong();
    QCOMPARE(db.scalar("SELECT Name || '|' || DocVid || '|' || DocNom || '|' || Data || '|' || Kol || '|' || Edin "
                       "|| '|' || Suma || '|' || VidKol || '|' || Lipsa || '|' || Ostat FROM Sklad WHERE ID=?",
                       {id})
                 .toString(),
             QStringLiteral("Разходи за курс|СА1234ВС|0000000000|2024-02-03|1.0|42.5|42.5|R|1|0.0"));
    QVERIFY(db.scalar("SELECT DateMod FROM Sklad WHERE ID=?", {id}).isNull());
    QCOMPARE(db.scalar("SELECT Broi || '/' || Edin FROM Nalich").toString(), nalich);
}

void TestStock::failureAfterStockStepRollsBack()
{
    TestDb db;
    QVERIFY(receive(db, QStringLiteral("Акумулатор"), 3, 80, QDate(2024, 1, 1)).ok);
    QVERIFY(receive(db, QStringLiteral("Акумулатор"), 3, 80, QDate(2024, 1, 2)).ok);
    // The issue line's own write fails after Nalich and the lots were changed.
    db.exec("CREATE TRIGGER no_issue BEFORE INSERT ON Sklad WHEN NEW.VidKol='R' "
            "BEGIN SELECT RAISE(ABORT, 'forced failure'); END");
    const QString before = dump(db);
    const SaveLineResult r = issue(db, QStringLiteral("Акумулатор"), 4, 80);
    QVERIFY(!r.ok);
    QCOMPARE(r.refusal, Refusal::None);
    QCOMPARE(r.caption, QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(r.text.contains(QStringLiteral("Записът не отговаря на ограниченията")));
    QCOMPARE(dump(db), before);
    QVERIFY(!db.conn().inTransaction());
    // The same for a receipt whose line fails after Nalich was raised.
    db.exec("DROP TRIGGER no_issue");
    db.exec("CREATE TRIGGER no_receipt BEFORE INSERT ON Sklad WHEN NEW.VidKol='P' "
            "BEGIN SELECT RAISE(ABORT, 'forced failure'); END");
    QVERIFY(!receive(db, QStringLiteral("Нов артикул"), 1, 1, QDate(2024, 1, 1)).ok);
    QVERIFY(!receive(db, QStringLiteral("Акумулатор"), 1, 1, QDate(2024, 1, 1)).ok);
    QCOMPARE(dump(db), before);
}

void TestStock::typedLineChecks()
{
    LineEntry e;
    e.docVid = QStringLiteral("Фактура");
    e.docNom = QStringLiteral("0012");
    e.name = QStringLiteral("  Филтър за масло ");
    e.data = QStringLiteral("1.3.2024");
    e.kol = QStringLiteral("2,5");
    e.edin = QStringLiteral("3.10");
    LineCheck c = checkNewLine(e);
    QVERIFY(c.ok);
    QCOMPARE(c.line.name, QStringLiteral("Филтър за масло"));
    QCOMPARE(c.line.data, QDate(2024, 3, 1));
    QCOMPARE(c.line.kol, 2.5);
    QCOMPARE(c.line.edin, 3.1);

    struct {
        const char *what;
        LineField field;
    } bad[] = {{"docVid=", LineField::DocVid}, {"name=   ", LineField::Name}, {"data=31.02.2024", LineField::Data},
               {"data=1.1.1899", LineField::Data}, {"kol=0", LineField::Kol}, {"kol=-1", LineField::Kol},
               {"kol=abc", LineField::Kol}, {"kol=1e300", LineField::Kol}, {"edin=-0,01", LineField::Edin},
               {"edin=", LineField::Edin}, {"edin=nan", LineField::Edin}};
    for (const auto &b : bad) {
        LineEntry x = e;
        const QStringList kv = QString::fromUtf8(b.what).split(QLatin1Char('='));
        QString *field = kv[0] == "docVid" ? &x.docVid : kv[0] == "name" ? &x.name : kv[0] == "data" ? &x.data
                       : kv[0] == "kol" ? &x.kol : &x.edin;
        *field = kv[1];
        const LineCheck r = checkNewLine(x);
        QVERIFY2(!r.ok, b.what);
        QCOMPARE(r.field, b.field);
        QCOMPARE(r.caption, QStringLiteral("ГРЕШКА!"));
    }
    LineEntry x = e;
    x.docVid.clear();
    QCOMPARE(checkNewLine(x).text, QStringLiteral("Въведете данни за вида на документа."));
    x = e;
    x.name = QStringLiteral(" ");
    QCOMPARE(checkNewLine(x).text, QStringLiteral("Въведете име на артикула."));
    // A price of 0 is a price; a correction of an issue does not read the price box.
    x = e;
    x.edin = QStringLiteral("0");
    QVERIFY(checkNewLine(x).ok);
    x.edin = QStringLiteral("xyz");
    QVERIFY(!checkCorrection(x).ok);
    QVERIFY(checkCorrection(x, false).ok);

    // The document kind: trimmed, then cut to its first 15 characters.
    QCOMPARE(cutDocVid(QStringLiteral("  12345678901234567890 ")), QStringLiteral("123456789012345"));
    QCOMPARE(cutDocVid(QStringLiteral(" Фактура ")), QStringLiteral("Фактура"));
    QCOMPARE(cutDocVid(QStringLiteral("   123456789012345   ")), QStringLiteral("123456789012345"));
    x = e;
    x.docVid = QStringLiteral("Приемо-предавателен протокол");
    QCOMPARE(checkNewLine(x).line.docVid, QStringLiteral("Приемо-предават"));
    QVERIFY(isRepairArticle(QStringLiteral(" Ремонт  ")));
    QVERIFY(!isRepairArticle(QStringLiteral("Ремонт на гума")));
}

QTEST_MAIN(TestStock)
#include "test_stock.moc"
